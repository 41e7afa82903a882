"""Checks every link and picture of the documents in an unpacked release.

Usage: python3 check_links.py RELEASE_FOLDER

Each href and src of every *.html page below RELEASE_FOLDER, and each link
and picture of every *.md copy, must name a file inside the release (a
picture, another page), and an anchor "#id" must be an id of the page it
names (a Markdown copy's own anchors are those of its page). Nothing may point
out of the release (another machine, an absolute path, a parent folder beyond
the top) or at a Markdown file. Prints what it checked; exits with 1 and lists
every broken link otherwise.
"""

import html.parser
import pathlib
import re
import sys
import urllib.parse

# Inline links and pictures of a Markdown copy: [text](target), ![alt](target).
MARKDOWN_LINK = re.compile(r"!?\[[^\[\]]*\]\(([^()\s]*)\)")


class Page(html.parser.HTMLParser):
    def __init__(self, path):
        super().__init__()
        self.ids = set()
        self.links = []
        self.feed(path.read_text(encoding="utf-8"))

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name == "id":
                self.ids.add(value)
            elif name in ("href", "src"):
                self.links.append(value or "")


root = pathlib.Path(sys.argv[1]).resolve()
pages = {path: Page(path) for path in sorted(root.rglob("*.html"))}
# Each document's links, and the page whose ids its own anchors ("#id") name.
documents = {path: (page.links, path) for path, page in pages.items()}
for path in sorted(root.rglob("*.md")):
    links = MARKDOWN_LINK.findall(path.read_text(encoding="utf-8"))
    documents[path] = (links, path.with_suffix(".html"))
broken = []
for path, (links, own_page) in documents.items():
    for link in links:
        parts = urllib.parse.urlsplit(link)
        target = path.parent / urllib.parse.unquote(parts.path) if parts.path else own_page
        target = target.resolve()
        if parts.scheme or parts.netloc or parts.path.startswith("/") or root not in target.parents:
            problem = "points out of the release"
        elif not target.is_file():
            problem = "no such file in the release"
        elif target.suffix == ".md":
            problem = "a Markdown file"
        elif parts.fragment and (target not in pages or parts.fragment not in pages[target].ids):
            problem = "no such anchor"
        else:
            continue
        broken.append(f"{path.relative_to(root)}: {link}: {problem}")
if broken or not pages:
    sys.exit("\n".join(broken) or "no pages in the release")
links = sum(len(links) for links, _ in documents.values())
print(f"{len(documents)} documents: their {links} links and pictures resolve")
