#!/usr/bin/python3
"""Renders the user guide (docs/guide.md) to one HTML page that a user opens
in any browser, offline: the pictures are embedded as data, the links within
the guide stay, and a link to a file that does not travel with the page
becomes plain text. Python-Markdown draws the tables, code blocks and
heading anchors. The same input gives the same bytes.

    /usr/bin/python3 packaging/render_guide.py docs/guide.md guide.html
"""

from __future__ import annotations

import base64
import html
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

try:
    import markdown
    from markdown.extensions import Extension
    from markdown.treeprocessors import Treeprocessor
except ImportError:
    sys.exit("render_guide.py: Python-Markdown is missing (Debian package python3-markdown)")

PICTURE_TYPES = {".png": "image/png", ".jpg": "image/jpeg", ".jpeg": "image/jpeg", ".svg": "image/svg+xml"}

STYLE = """
body { max-width: 52em; margin: 1em auto; padding: 0 1em; font-family: sans-serif; line-height: 1.45;
       color: #1a1a1a; background: white; }
h1, h2, h3 { line-height: 1.2; }
h2 { margin-top: 2em; border-bottom: 1px solid #ccc; }
code, pre { font-family: monospace; background: #f4f4f4; }
code { padding: 0 0.2em; }
pre { padding: 0.6em; overflow-x: auto; }
pre code { padding: 0; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #bbb; padding: 0.2em 0.6em; vertical-align: top; }
th { background: #eee; }
img { max-width: 100%; border: 1px solid #ccc; }
"""


class _SelfContained(Treeprocessor):
    """Pictures become data: URIs; links out of the page become their text."""

    def __init__(self, md: markdown.Markdown, folder: Path) -> None:
        super().__init__(md)
        self.folder = folder

    def run(self, root: ElementTree.Element) -> None:
        for image in root.iter("img"):
            picture = self.folder / image.get("src", "")
            kind = PICTURE_TYPES.get(picture.suffix.lower())
            if kind is None or not picture.is_file():
                raise SystemExit(f"render_guide.py: no picture {picture} to embed")
            image.set("src", f"data:{kind};base64,{base64.b64encode(picture.read_bytes()).decode('ascii')}")
        for link in root.iter("a"):
            if not link.get("href", "").startswith("#"):
                link.tag = "span"
                link.attrib.clear()


class _SelfContainedExtension(Extension):
    def __init__(self, folder: Path) -> None:
        super().__init__()
        self.folder = folder

    def extendMarkdown(self, md: markdown.Markdown) -> None:  # noqa: N802 (Python-Markdown's name)
        # After the inline patterns have made the links and images.
        md.treeprocessors.register(_SelfContained(md, self.folder), "self_contained", 0)


def render(guide: Path) -> str:
    text = guide.read_text(encoding="utf-8")
    converter = markdown.Markdown(
        extensions=["tables", "fenced_code", "toc", _SelfContainedExtension(guide.parent)], output_format="html"
    )
    body = converter.convert(text)
    title = next((line[2:].strip() for line in text.splitlines() if line.startswith("# ")), "Sumwright")
    return (
        '<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n'
        '<meta name="viewport" content="width=device-width, initial-scale=1">\n'
        f"<title>{html.escape(title)}</title>\n<style>{STYLE}</style>\n</head>\n<body>\n{body}\n</body>\n</html>\n"
    )


def main() -> None:
    if len(sys.argv) != 3:
        sys.exit("usage: render_guide.py GUIDE.md OUTPUT.html")
    guide, output = Path(sys.argv[1]), Path(sys.argv[2])
    page = render(guide)
    # Written beside and renamed, so that a failed run leaves no half page.
    partial = output.with_name(output.name + ".partial")
    partial.write_bytes(page.encode("utf-8"))
    partial.replace(output)


if __name__ == "__main__":
    main()
