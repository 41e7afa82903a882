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
MARKDOWN_LINK = re.compile(r"(!?)\[[^\[\]]*\]\(([^()\s]*)\)")


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids = set()
        self.links = []

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name == "id":
                self.ids.add(value)
            elif name in ("href", "src"):
                self.links.append((tag, value or ""))


def main():
    root = pathlib.Path(sys.argv[1]).resolve()
    pages = {}
    for path in sorted(root.rglob("*.html")):
        page = Page()
        page.feed(path.read_text(encoding="utf-8"))
        pages[path] = page
    documents = dict(pages)
    for path in sorted(root.rglob("*.md")):
        copy = Page()
        text = path.read_text(encoding="utf-8")
        copy.links = [("img" if bang else "a", link) for bang, link in MARKDOWN_LINK.findall(text)]
        twin = pages.get(path.with_suffix(".html"))
        copy.ids = twin.ids if twin else set()
        documents[path] = copy
    broken = []
    pictures = anchors = 0
    for path, page in documents.items():
        where = path.relative_to(root)
        for tag, link in page.links:
            parts = urllib.parse.urlsplit(link)
            if parts.scheme or parts.netloc or parts.path.startswith("/"):
                broken.append(f"{where}: {link}: points out of the release")
                continue
            target = (path.parent / urllib.parse.unquote(parts.path)).resolve() if parts.path else path
            if not parts.path and path.suffix == ".md":
                target = path.with_suffix(".html")
            if root not in target.parents:
                broken.append(f"{where}: {link}: points out of the release")
            elif not target.is_file():
                broken.append(f"{where}: {link}: no such file in the release")
            elif target.suffix == ".md":
                broken.append(f"{where}: {link}: a Markdown file")
            elif parts.fragment:
                if target not in pages or parts.fragment not in pages[target].ids:
                    broken.append(f"{where}: {link}: no such anchor")
                anchors += 1
            pictures += tag == "img"
    for problem in broken:
        print(problem)
    if broken or not pages:
        sys.exit(1)
    links = sum(len(page.links) for page in documents.values())
    print(f"{len(documents)} documents, {links} links: {pictures} pictures and {anchors} anchors resolve")


if __name__ == "__main__":
    main()
