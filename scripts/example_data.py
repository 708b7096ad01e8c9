#!/usr/bin/env python3
"""Writes a small example data file (Shift-JIS, CR LF), the way the program writes one, so
that a first run shows a tree: a few folders and links, a mail link and a marked item.
Usage: example_data.py OUT.dat [--check-port PORT]
With --check-port, a last folder holds links to the pages of tests/servers/web_pages.py on
127.0.0.1:PORT, visited in 2010: one changed since, one not, one gone (for screenshots).
The dates are now, or SOURCE_DATE_EPOCH where it is set (a release package is built from it)."""
import os
import sys
import time

HEADER = "これは自動生成されたファイルです。編集しないで下さい。\r\n[Version]\r\nDataVersion=1.01\r\n"

# (kind, depth, title, locator, mark, visited: True for now, or a date text)
ITEMS = [
    (1, 1, "Perchlet", "", 0, False),
    (1, 2, "ニュース", "", 0, False),
    (0, 3, "今日のニュース", "https://news.example.jp/", 0, True),
    (0, 3, "天気予報", "https://weather.example.jp/tokyo", 1, False),
    (1, 2, "調べもの", "", 0, False),
    (0, 3, "百科事典", "https://encyclopedia.example.jp/", 0, True),
    (0, 3, "国語辞典", "https://dictionary.example.jp/", 0, False),
    (5, 2, "お問い合わせ", "mailto:info@example.jp", 0, False),
    (0, 2, "Perchlet の使い方", "https://perchlet.example.com/guide", 1, False),
]


def number(kind, depth, serial):
    value = (kind << 28) | (depth << 16) | serial
    return value - (1 << 32) if value >= 1 << 31 else value


VISITED_2010 = "1262304000"


def check_items(port):
    base = f"http://127.0.0.1:{port}/page/"
    return [
        (1, 2, "更新チェックの例", "", 0, False),
        (0, 3, "更新されたページ", base + "1", 0, VISITED_2010),
        (0, 3, "変わらないページ", base + "2", 0, VISITED_2010),
        (0, 3, "なくなったページ", base + "3", 0, VISITED_2010),
    ]


def main(path, check_port=None):
    items = ITEMS + (check_items(check_port) if check_port else [])
    now = os.environ.get("SOURCE_DATE_EPOCH") or str(int(time.time()))
    out = HEADER
    parents = {}
    for serial, (kind, depth, title, locator, mark, visited) in enumerate(items, start=1):
        item = number(kind, depth, serial)
        parents[depth] = item
        lines = [
            "[List]",
            f"ItemNum={item}",
            f"TestNum={item & 0xFFFFFFFF:X}",
            f"ParentNum={parents.get(depth - 1, 0)}",
            f"TitleName={title}",
            f"Locator={locator}",
            "Comment=",
            "LastModified=0" if serial == 1 else "LastModified=000000",
            f"LastVisit={visited if isinstance(visited, str) else now if visited else ''}",
            f"AddDate={now}",
            "RcRight=0", "RcLeft=0", "RcTop=0", "RcBottom=0", "Browser=0",
            f"Mark={mark}",
            "",
        ]
        out += "\r\n".join(lines) + "\r\n"
    with open(path, "wb") as f:
        f.write(out.encode("cp932"))


if __name__ == "__main__":
    port = sys.argv[3] if len(sys.argv) == 4 and sys.argv[2] == "--check-port" else None
    main(sys.argv[1], port)
