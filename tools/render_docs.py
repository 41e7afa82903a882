"""Renders the documents of the release as HTML pages with python3-markdown.

Usage: python3 render_docs.py OUTPUT_FOLDER DOCUMENT.md...

The first DOCUMENT, the command reference, also gets a Markdown copy,
NAME.md, for readers with a Markdown viewer: its source-tree steps left out
and its links to the other DOCUMENTs pointing at their pages, as below.

Each page is the copy a script author reads in the unzipped release:
- the lines from "<!-- source tree only -->" to "<!-- end source tree only -->"
  (steps and files that exist only in the source tree) are left out;
- a link to another of the DOCUMENTs points at its page, NAME.html (and a
  link whose text is the file name names the page);
- a link to any other Markdown file is dropped and its text kept, since that
  file is not in the release;
- headings get the ids their in-page links use ("## MBC Plot" is #mbc-plot);
- code keeps its blanks: a code span's leading blank, and a code block's lines
  without the indent that made them one.
"""

import html
import pathlib
import re
import sys
import textwrap

import markdown
from markdown.extensions import Extension
from markdown.inlinepatterns import BACKTICK_RE, BacktickInlineProcessor
from markdown.treeprocessors import Treeprocessor
from markdown.util import AtomicString

SOURCE_TREE_ONLY = re.compile(
    r"^<!-- source tree only -->\n.*?^<!-- end source tree only -->\n", re.M | re.S
)

PAGE = """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>{title}</title>
<style>
body {{ font-family: sans-serif; max-width: 60em; margin: 1em auto; padding: 0 1em; line-height: 1.45; }}
code, pre {{ font-family: Consolas, monospace; background: #f3f3f3; white-space: pre-wrap; }}
pre {{ padding: 0.5em; overflow-x: auto; }}
table {{ border-collapse: collapse; }}
th, td {{ border: 1px solid #bbb; padding: 0.2em 0.5em; text-align: left; vertical-align: top; }}
img {{ max-width: 100%; image-rendering: pixelated; }}
</style>
</head>
<body>
{body}
</body>
</html>
"""


# An inline Markdown link to a Markdown file: [text](name.md#anchor).
MARKDOWN_LINK = re.compile(r"\[([^\[\]]*)\]\(([^()\s]+?)\.md(#[^()\s]*)?\)")


def release_markdown(text, shipped):
    """The Markdown with its links to the other documents on their pages."""

    def relink(match):
        label, path, anchor = match.group(1), match.group(2), match.group(3) or ""
        if "/" in path or "://" in path or path not in shipped:
            return label
        if label == path + ".md":
            label = path + ".html"
        return f"[{label}]({path}.html{anchor})"

    return MARKDOWN_LINK.sub(relink, text)


class ReleasePage(Treeprocessor):
    def __init__(self, md, shipped):
        super().__init__(md)
        self.shipped = shipped

    def run(self, root):
        for link in root.iter("a"):
            path, hash_sign, anchor = link.get("href", "").partition("#")
            if not path.endswith(".md") or "://" in path:
                continue
            name = pathlib.PurePosixPath(path)
            if name.parent == pathlib.PurePosixPath(".") and name.stem in self.shipped:
                link.set("href", name.stem + ".html" + hash_sign + anchor)
                # "[plugin.md](plugin.md)" names the page the reader opens.
                if link.text == path and len(link) == 0:
                    link.text = name.stem + ".html"
            else:
                link.tag = "span"
                del link.attrib["href"]
        # Code blocks keep the blanks that indented them beyond two.
        for block in root.iter("pre"):
            for code in block.iter("code"):
                if code.text:
                    code.text = AtomicString(textwrap.dedent(code.text))


class CodeSpan(BacktickInlineProcessor):
    """Keeps the blanks of a code span, as CommonMark does: ` Library` shows
    its leading blank; only one blank at each end of ` x ` goes."""

    def handleMatch(self, m, data):
        element, start, end = super().handleMatch(m, data)
        text = m.group(3)
        if text and element is not None and not isinstance(element, str):
            if text.startswith(" ") and text.endswith(" ") and text.strip():
                text = text[1:-1]
            element.text = AtomicString(markdown.util.code_escape(text))
        return element, start, end


class ReleasePageExtension(Extension):
    def __init__(self, shipped):
        super().__init__()
        self.shipped = shipped

    def extendMarkdown(self, md):
        md.inlinePatterns.register(CodeSpan(BACKTICK_RE), "backtick", 190)
        # After the inline patterns have made the links (priority 20).
        md.treeprocessors.register(ReleasePage(md, self.shipped), "release_page", 5)


def main():
    output = pathlib.Path(sys.argv[1])
    documents = [pathlib.Path(name) for name in sys.argv[2:]]
    shipped = {document.stem for document in documents}
    output.mkdir(parents=True, exist_ok=True)
    for document in documents:
        text = SOURCE_TREE_ONLY.sub("", document.read_text(encoding="utf-8"))
        if "source tree only -->" in text:
            sys.exit(f"{document}: a source-tree-only mark without its pair")
        if document == documents[0]:
            (output / document.name).write_text(
                release_markdown(text, shipped), encoding="utf-8", newline="\n"
            )
        # Lists in these documents nest by two blanks, as CommonMark reads them.
        renderer = markdown.Markdown(
            extensions=["tables", "fenced_code", "toc", ReleasePageExtension(shipped)],
            tab_length=2,
        )
        body = renderer.convert(text)
        title = re.search(r"<h1[^>]*>(.*?)</h1>", body)
        page = PAGE.format(title=title.group(1) if title else html.escape(document.stem), body=body)
        (output / (document.stem + ".html")).write_text(page, encoding="utf-8", newline="\n")


if __name__ == "__main__":
    main()
