# Sourced by the scripts that need the package archive: prints "URI|KEYRING"
# for the archive that serves this release's main suite, as the system's own
# apt sources configure it (deb822 stanzas or one-line entries; KEYRING is the
# stanza's Signed-By, or empty). Prints nothing when no source serves it.
mbc_main_archive() {
  local codename
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  # shellcheck disable=SC2046  # one argument per existing sources file
  awk -v suite="$codename" '
    function take() {
      if (!done && uri != "" && enabled && index(" " suites " ", " " suite " ")) { print uri "|" key; done = 1 }
      uri = ""; suites = ""; key = ""; enabled = 1
    }
    FNR == 1 { take() }
    /^[[:space:]]*$/ { take(); next }
    tolower($1) == "uris:" { uri = $2 }
    tolower($1) == "suites:" { $1 = ""; suites = $0 }
    tolower($1) == "signed-by:" { key = $2 }
    tolower($1) == "enabled:" && tolower($2) == "no" { enabled = 0 }
    $1 == "deb" {
      i = 2
      if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
      uri = $i; suites = $(i + 1); take()
    }
    END { take() }
  ' $(ls /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null) </dev/null
}
