"""Checks that the pages of an unpacked release are written for script authors.

Usage: python3 check_pages.py RELEASE_FOLDER

Every *.html page below RELEASE_FOLDER/docs, and the Markdown copy of the
command reference, must say nothing that only the source tree has: no source
paths or files, build targets or presets, compiler or linker flags, test names,
and no Markdown file but the reference itself (such a file is not in the
release). Every page but the reference links back to it. Exits with 1 and
lists each finding otherwise.
"""

import html
import pathlib
import re
import sys

SOURCE_TREE = {
    # A folder of the tree with something below it: a script author's own
    # "tests/" folder, named alone, is theirs.
    "a source path": r"\b(?:src|tests|tools|refhost|cmake|bench|build)/[\w.-]",
    "a source file": r"\b[\w.-]+\.(?:cpp|h|py|sh|cmake|def|rc|in)\b",
    "a build step, target or preset": r"\b(?:CMakeLists|ctest|cmake|[Pp]resets?|refhost_\w+|mbc_(?!runner\b)\w+)\b",
    "a compiler or linker flag": r"(?<![\w-])-(?:Wl,|f[a-z][\w-]+|--(?:dynamicbase|nxcompat|no-seh))",
    "a test name": r"\b[A-Z]\w*[a-z]\w*\.[A-Z]\w*[a-z]\w*[A-Z]\w*\b|\b\w+_test\b",
    "a page the release lacks": r"\b(?!commands\.md)[\w-]+\.md\b",
}


def visible_text(page):
    """A page's text as a reader sees it: no tags, entities decoded."""
    return html.unescape(re.sub(r"<[^>]*>", "", page))


docs = pathlib.Path(sys.argv[1]) / "docs"
findings = []
for path in sorted(docs.glob("*.html")) + sorted(docs.glob("*.md")):
    page = path.read_text(encoding="utf-8")
    text = visible_text(page) if path.suffix == ".html" else page
    for what, pattern in SOURCE_TREE.items():
        for match in re.finditer(pattern, text):
            line = text.count("\n", 0, match.start()) + 1
            findings.append(f"{path.name}:{line}: {what}: {match.group(0)}")
    if path.name not in ("commands.html", "commands.md") and 'href="commands.html' not in page:
        findings.append(f"{path.name}: no link back to the command reference")
if findings:
    sys.exit("\n".join(findings))
print(f"{len(list(docs.glob('*.html')))} pages written for script authors, each linked to the reference")
