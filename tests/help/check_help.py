#!/usr/bin/env python3
"""Checks the help pages against each other and against the program's menus.

  check_help.py REPOSITORY_ROOT

- every file that help/perchlet.hhp lists exists, and every page in help/ is listed;
- every local link (href, src, the contents' Local) reaches a file, and its #anchor an id there;
- every page links to the contents (index.html) and to the start page (start.html);
- every menu text of resources/perchlet.rc that the user sees names a heading or a table
  cell on some page, where a reader (and a link) can find it.
Prints each fault and exits 1 when there is one.
"""
import html
import re
import sys
from html.parser import HTMLParser
from pathlib import Path

# The popup menus show only their first drop-down's items, never its own title.
POPUP_MENUS = {"RCLICK_MENU", "RTRAY_MENU"}
# Where an item is described: its heading, or its row in a table.
TITLE_TAGS = {"h1", "h2", "h3", "h4", "td", "th"}


class Page(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids, self.links, self.titles = set(), [], []
        self.open_titles = 0

    def handle_starttag(self, tag, attrs):
        if tag in TITLE_TAGS:
            self.open_titles += 1
        for name, value in attrs:
            if name == "id":
                self.ids.add(value)
            elif name in ("href", "src") or (tag == "param" and ("name", "Local") in attrs and name == "value"):
                self.links.append(value)

    def handle_endtag(self, tag):
        if tag in TITLE_TAGS:
            self.open_titles -= 1

    def handle_data(self, data):
        if self.open_titles > 0:
            self.titles.append(data)


def parse(path):
    page = Page()
    page.feed(path.read_text(encoding="utf-8"))
    return page


def where(help_dir, target):
    """The file a link inside the help reaches; the pictures are kept in docs/images."""
    if target.startswith("images/"):
        return help_dir.parent / "docs" / target
    return help_dir / target


def listed_files(help_dir):
    text = (help_dir / "perchlet.hhp").read_text(encoding="utf-8")
    files = text.split("[FILES]", 1)[1]
    return [line.strip() for line in files.splitlines() if line.strip() and not line.startswith("[")]


def menu_texts(rc_text):
    """(menu, text) for every item and submenu title that a menu shows."""
    texts, menu, depth = [], None, 0
    for line in rc_text.splitlines():
        words = line.split()
        if len(words) >= 2 and words[1] == "MENU":
            menu, depth = words[0], 0
        elif menu and words and words[0] == "BEGIN":
            depth += 1
        elif menu and words and words[0] == "END":
            depth -= 1
            if depth == 0:
                menu = None
        elif menu and words and words[0] in ("MENUITEM", "POPUP"):
            quoted = re.search(r'"([^"]*)"', line)
            top_title = words[0] == "POPUP" and depth == 1 and menu in POPUP_MENUS
            if quoted and not top_title:
                texts.append((menu, quoted.group(1)))
    return texts


def shown_parts(menu_text):
    """The label and the key hint as the help writes them: no (&X), no '...', no '&'."""
    label, _, keys = menu_text.partition("\\t")
    label = re.sub(r"\(&.\)", "", label).replace("...", "").replace("&", "")
    return [part for part in (label, keys) if part]


def check(root):
    help_dir = root / "help"
    faults = []
    listed = listed_files(help_dir)
    for name in listed:
        if not where(help_dir, name).is_file():
            faults.append(f"perchlet.hhp lists {name}, which does not exist")
    for page in sorted(help_dir.glob("*.html")):
        if page.name not in listed:
            faults.append(f"{page.name} is not listed in perchlet.hhp")

    sources = sorted(help_dir.glob("*.html")) + [help_dir / "toc.hhc"]
    pages = {path.name: parse(path) for path in sources}
    for name, page in pages.items():
        for link in page.links:
            if re.match(r"^[a-z]+:", link):
                continue
            target, _, anchor = link.partition("#")
            target = target or name
            if not where(help_dir, target).is_file():
                faults.append(f"{name}: link to missing {target}")
            elif anchor and anchor not in pages.get(target, Page()).ids:
                faults.append(f"{name}: link to {target}#{anchor}, which has no such id")
        if name.endswith(".html"):
            for needed in ("index.html", "start.html"):
                if needed != name and needed not in page.links:
                    faults.append(f"{name} does not link to {needed}")

    titles = html.unescape(" ".join(" ".join(p.titles) for p in pages.values()))
    rc_text = (root / "resources" / "perchlet.rc").read_text(encoding="utf-8")
    for menu, text in dict.fromkeys(menu_texts(rc_text)):
        for part in shown_parts(text):
            if part not in titles:
                faults.append(f'menu text "{part}" of {menu} is in no heading or table of the help')
    return faults


def main():
    faults = check(Path(sys.argv[1]))
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
