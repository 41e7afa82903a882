# The release's one time, so that rebuilding a commit gives the same bytes:
# SOURCE_DATE_EPOCH when set, else the time of the last commit in SOURCE_DIR.
# It is the time of every entry in the ZIP and the signing time of the DLL.
function(mbc_release_time source_dir out)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(time "$ENV{SOURCE_DATE_EPOCH}")
  else()
    execute_process(COMMAND git -C "${source_dir}" log -1 --format=%ct
                    OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(NOT time MATCHES "^[0-9]+$")
    message(FATAL_ERROR "no release time: ${source_dir} is no git checkout; set SOURCE_DATE_EPOCH")
  endif()
  set(${out} ${time} PARENT_SCOPE)
endfunction()
