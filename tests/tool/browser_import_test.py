#!/usr/bin/env python3
"""Browsers' own bookmark files through perchlet-tool, checked against an independent reading.

Each fixture (Chromium Bookmarks files, Firefox places.sqlite made here with the sqlite3
program, and the real files of the corpus) is converted to a data file; its records must be
what Python's json and sqlite3 modules read from the same file: the same folders in the same
order and depth, titles and addresses as Shift-JIS, and the same dates. Also: a database held
open by another process with its newest bookmark still in the WAL, the profile listing, and
files that are damaged or of another kind.

Usage: browser_import_test.py PATH_TO_PERCHLET_TOOL
"""
import gzip
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile

TOOL = os.path.abspath(sys.argv[1])
HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "data")
FIXTURES = os.path.join(DATA, "browsers")
CORPUS = os.path.join(DATA, "corpus")
FIELD_MAX = 1023
CHROMIUM_EPOCH_OFFSET = 11644473600

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message, file=sys.stderr)


# ---- the texts the program should make ----

def fit(data):
    """Cut Shift-JIS bytes to the field without leaving half a character."""
    out = b""
    i = 0
    while i < len(data):
        width = 2 if (0x81 <= data[i] <= 0x9F or 0xE0 <= data[i] <= 0xFC) else 1
        if len(out) + width > FIELD_MAX:
            break
        out += data[i:i + width]
        i += width
    return out


def sjis_title(text):
    """One line; each run of characters cp932 cannot hold becomes one 〓."""
    out = b""
    in_run = False
    for ch in text or "":
        try:
            out += ch.encode("cp932")
            in_run = False
        except UnicodeEncodeError:
            out += b"" if in_run else "〓".encode("cp932")
            in_run = True
    return fit(out.replace(b"\r", b"").replace(b"\n", b""))


def is_marked(text):
    return any(not is_cp932(ch) for ch in text or "")


def is_cp932(ch):
    try:
        ch.encode("cp932")
        return True
    except UnicodeEncodeError:
        return False


def sjis_address(text):
    out = b""
    for ch in text or "":
        try:
            out += ch.encode("cp932")
        except UnicodeEncodeError:
            out += "".join("%%%02X" % b for b in ch.encode("utf-8")).encode()
    return out


def date_text(seconds):
    return str(seconds).encode() if seconds > 0 else b""


class Expected:
    def __init__(self):
        self.items = []  # (kind, depth, title, address, add date, last visit)
        self.separators = 0
        self.queries = 0
        self.marked = 0

    def folder(self, depth, title, added):
        self.marked += is_marked(title)
        self.items.append(("folder", depth, sjis_title(title), b"", date_text(added), b""))

    def root(self, title, added):
        self.items.append(("folder", 0, title.encode("cp932"), b"", date_text(added), b""))

    def link(self, depth, title, url, added, visited):
        if (url or "").lower().startswith("place:"):
            self.queries += 1
            return
        self.marked += is_marked(title)
        address = sjis_address(url)
        title_bytes = sjis_title(title) or sjis_title(fit(address).decode("cp932"))
        self.items.append(("link", depth, title_bytes, fit(address), date_text(added), date_text(visited)))


# ---- independent readers ----

CHROMIUM_ROOTS = [("bookmark_bar", "ブックマーク バー"), ("other", "その他のブックマーク"), ("synced", "モバイルのブックマーク")]
FIREFOX_ROOTS = [("menu________", "ブックマークメニュー"), ("toolbar_____", "ブックマークツールバー"),
                 ("unfiled_____", "他のブックマーク"), ("mobile______", "モバイルのブックマーク")]


def chromium_seconds(text):
    value = int(text or "0")
    return value // 1000000 - CHROMIUM_EPOCH_OFFSET if value > 0 else 0


def expected_from_chromium(path):
    with open(path, encoding="utf-8-sig") as f:
        roots = json.load(f)["roots"]
    expected = Expected()

    def walk(children, depth):
        for node in children:
            if node.get("type") == "url":
                visited = chromium_seconds(node.get("date_last_used"))
                if visited <= 0:
                    visited = chromium_seconds(node.get("meta_info", {}).get("last_visited_desktop"))
                expected.link(depth, node.get("name"), node.get("url"), chromium_seconds(node.get("date_added")), visited)
            elif node.get("type") == "folder":
                expected.folder(depth, node.get("name"), chromium_seconds(node.get("date_added")))
                walk(node.get("children", []), depth + 1)

    for key, title in CHROMIUM_ROOTS:
        root = roots.get(key)
        if root and root.get("children"):
            expected.root(title, chromium_seconds(root.get("date_added")))
            walk(root["children"], 1)
    return expected


def expected_from_firefox(path):
    db = sqlite3.connect("file:%s?mode=ro" % path, uri=True)
    rows = db.execute("SELECT b.id, b.type, b.parent, b.title, b.dateAdded, b.guid, p.url, p.last_visit_date "
                      "FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk "
                      "ORDER BY b.parent, b.position, b.id").fetchall()
    db.close()
    children = {}
    for row in rows:
        children.setdefault(row[2], []).append(row)
    expected = Expected()

    def walk(parent, depth):
        for _id, kind, _parent, title, added, _guid, url, visited in children.get(parent, []):
            if kind == 1:
                expected.link(depth, title, url, (added or 0) // 1000000, (visited or 0) // 1000000)
            elif kind == 2:
                expected.folder(depth, title, (added or 0) // 1000000)
                walk(_id, depth + 1)
            elif kind == 3:
                expected.separators += 1

    for guid, title in FIREFOX_ROOTS:
        for row in rows:
            if row[5] == guid and children.get(row[0]):
                expected.root(title, (row[4] or 0) // 1000000)
                walk(row[0], 1)
    return expected


# ---- what the tool made ----

def records_of_data_file(path):
    with open(path, "rb") as f:
        data = f.read()
    records = []
    for chunk in data.split(b"[List]\r\n")[1:]:
        fields = {}
        for line in chunk.split(b"\r\n"):
            key, _, value = line.partition(b"=")
            fields.setdefault(key.decode("ascii", "replace"), value)
        number = int(fields["ItemNum"]) & 0xFFFFFFFF
        kind = "folder" if number >> 28 == 1 else "link"
        depth = (number >> 16) & 0xFFF
        records.append((kind, depth - 2, fields["TitleName"], fields["Locator"], fields["AddDate"], fields["LastVisit"]))
    return records[1:]  # the new root the tool reads into


def run(*args, env=None):
    return subprocess.run([TOOL, *args], capture_output=True, env=env)


def check_conversion(name, source, expected, work):
    out = os.path.join(work, name + ".dat")
    result = run("convert", source, out)
    if result.returncode != 0:
        fail("%s: convert exits %d: %s" % (name, result.returncode, result.stderr.decode(errors="replace")))
        return
    got = records_of_data_file(out)
    if got != expected.items:
        fail("%s: the data file differs from the independent reading" % name)
        for want, have in zip(expected.items, got):
            if want != have:
                print("  first difference:\n    want %r\n    have %r" % (want, have), file=sys.stderr)
                break
        print("  want %d items, have %d" % (len(expected.items), len(got)), file=sys.stderr)
    stderr = result.stderr.decode(errors="replace")
    if expected.separators or expected.queries:
        note = "%d separator(s) and %d place: query(ies) left out" % (expected.separators, expected.queries)
        if note not in stderr:
            fail("%s: the note of what was left out is missing (want %r, have %r)" % (name, note, stderr))
    marked = "%d item(s) held characters that Shift-JIS cannot hold" % expected.marked
    if expected.marked and marked not in stderr:
        fail("%s: the note of marked titles is missing (want %r, have %r)" % (name, marked, stderr))


def make_places(sql_path, target):
    with open(sql_path, "rb") as sql:
        subprocess.run(["sqlite3", target], stdin=sql, check=True)


def unpack(gz_path, target):
    with gzip.open(gz_path, "rb") as packed, open(target, "wb") as out:
        shutil.copyfileobj(packed, out)


def check_fixtures(work):
    places = os.path.join(work, "fixture", "places.sqlite")
    os.makedirs(os.path.dirname(places))
    make_places(os.path.join(FIXTURES, "places.sql"), places)

    real = os.path.join(work, "real")
    os.makedirs(real)
    real_places = os.path.join(real, "places.sqlite")
    unpack(os.path.join(CORPUS, "sqlite", "firefox-esr-153_places.sqlite.gz"), real_places)
    unpack(os.path.join(CORPUS, "sqlite", "firefox-esr-153_places.sqlite-wal.gz"), real_places + "-wal")
    # The independent reading goes through a copy of its own: opening a WAL database makes files.
    independent = os.path.join(work, "independent")
    os.makedirs(independent)
    shutil.copy(real_places, independent)
    shutil.copy(real_places + "-wal", independent)
    real_before = open(real_places, "rb").read(), open(real_places + "-wal", "rb").read()

    cases = [
        ("chromium-fixture", os.path.join(FIXTURES, "Bookmarks"), expected_from_chromium),
        ("chromium-real", os.path.join(CORPUS, "chromium", "chrome_radam9_Bookmarks"), expected_from_chromium),
        ("firefox-fixture", places, expected_from_firefox),
    ]
    for name, source, reader in cases:
        check_conversion(name, source, reader(source), work)
    check_conversion("firefox-real", real_places,
                     expected_from_firefox(os.path.join(independent, "places.sqlite")), work)

    # The reader works on a copy: the browser's files stay as they were, and no -shm appears.
    if (open(real_places, "rb").read(), open(real_places + "-wal", "rb").read()) != real_before:
        fail("reading places.sqlite changed it or its WAL")
    if os.path.exists(real_places + "-shm"):
        fail("reading places.sqlite left a -shm file beside it")

    # What the fixtures are made to hold, so a fixture that lost them fails here.
    fixture = expected_from_firefox(places)
    if (fixture.separators, fixture.queries) != (2, 2):
        fail("the Firefox fixture should hold 2 separators and 2 queries, has %d and %d" %
             (fixture.separators, fixture.queries))
    chromium = expected_from_chromium(os.path.join(FIXTURES, "Bookmarks"))
    if not any(len(item[3]) == FIELD_MAX for item in chromium.items):
        fail("the Chromium fixture should hold an address longer than a record")


def check_held_open(work):
    """Another process holds the database open with its newest bookmark in the WAL."""
    folder = os.path.join(work, "held")
    os.makedirs(folder)
    places = os.path.join(folder, "places.sqlite")
    make_places(os.path.join(FIXTURES, "places.sql"), places)
    holder = subprocess.Popen([sys.executable, "-c", HOLDER, places], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    try:
        if holder.stdout.readline().strip() != b"ready":
            fail("the holding process did not start")
            return
        if not os.path.getsize(places + "-wal"):
            fail("the holding process left nothing in the WAL")
        out = os.path.join(work, "held.dat")
        result = run("convert", places, out)
        if result.returncode != 0:
            fail("a database held open does not convert: " + result.stderr.decode(errors="replace"))
            return
        titles = [record[2] for record in records_of_data_file(out)]
        if "WAL だけにある".encode("cp932") not in titles:
            fail("the bookmark still in the WAL did not come along")
    finally:
        holder.stdin.close()
        holder.wait()


HOLDER = r"""
import sqlite3, sys
db = sqlite3.connect(sys.argv[1], isolation_level=None)
db.execute("PRAGMA journal_mode=WAL")
db.execute("PRAGMA wal_autocheckpoint=0")
db.execute("INSERT INTO moz_places (id, url, guid) VALUES (100, 'https://wal.example/', 'plwal0000001')")
db.execute("INSERT INTO moz_bookmarks (type, fk, parent, position, title, dateAdded, lastModified, guid) "
           "VALUES (1, 100, 3, 4, 'WAL だけにある', 1700000000000000, 1700000000000000, 'bmwal0000001')")
db.execute("BEGIN")
db.execute("SELECT count(*) FROM moz_bookmarks").fetchall()
print("ready", flush=True)
sys.stdin.read()
"""


def check_profile_listing(work):
    local = os.path.join(work, "home", "AppData", "Local")
    roaming = os.path.join(work, "home", "AppData", "Roaming")
    home = os.path.join(work, "linux-home")
    chrome = os.path.join(local, "Google", "Chrome", "User Data")
    edge = os.path.join(local, "Microsoft", "Edge", "User Data")
    linux_chromium = os.path.join(home, ".config", "chromium")
    os.makedirs(os.path.join(chrome, "Default"))
    shutil.copy(os.path.join(FIXTURES, "Bookmarks"), os.path.join(chrome, "Default"))
    shutil.copy(os.path.join(FIXTURES, "Local State"), chrome)
    os.makedirs(os.path.join(edge, "Default"))
    with open(os.path.join(edge, "Default", "Bookmarks"), "w") as damaged:
        damaged.write('{"roots": {"bookmark_bar": ')
    os.makedirs(os.path.join(linux_chromium, "Default"))
    shutil.copy(os.path.join(CORPUS, "chromium", "chrome_radam9_Bookmarks"),
                os.path.join(linux_chromium, "Default", "Bookmarks"))
    firefox = os.path.join(roaming, "Mozilla", "Firefox")
    profile = os.path.join(firefox, "Profiles", "abcd1234.default-release")
    os.makedirs(profile)
    shutil.copy(os.path.join(FIXTURES, "profiles.ini"), firefox)
    make_places(os.path.join(FIXTURES, "places.sql"), os.path.join(profile, "places.sqlite"))

    env = dict(os.environ, LOCALAPPDATA=local, APPDATA=roaming, HOME=home)
    result = run("browsers", env=env)
    fixture_links = len([i for i in expected_from_chromium(os.path.join(FIXTURES, "Bookmarks")).items if i[0] == "link"])
    real_links = len([i for i in expected_from_chromium(
        os.path.join(CORPUS, "chromium", "chrome_radam9_Bookmarks")).items if i[0] == "link"])
    firefox_links = len([i for i in expected_from_firefox(os.path.join(profile, "places.sqlite")).items
                         if i[0] == "link"])
    want = [
        ["Google Chrome", "仕事用", str(fixture_links), os.path.join(chrome, "Default", "Bookmarks")],
        ["Microsoft Edge", "Default", "unreadable: not JSON", os.path.join(edge, "Default", "Bookmarks")],
        ["Chromium", "Default", str(real_links), os.path.join(linux_chromium, "Default", "Bookmarks")],
        ["Firefox", "default-release", str(firefox_links), os.path.join(profile, "places.sqlite")],
    ]
    have = [line.split("\t") for line in result.stdout.decode().splitlines()]
    if have != want:
        fail("browsers lists\n%s\nwant\n%s" % ("\n".join(map(str, have)), "\n".join(map(str, want))))
    if result.returncode != 1:
        fail("browsers with an unreadable profile exits %d, want 1" % result.returncode)
    empty = run("browsers", env=dict(os.environ, LOCALAPPDATA=work, APPDATA=work, HOME=work))
    if empty.returncode != 1 or b"no browser profiles found" not in empty.stderr:
        fail("browsers without profiles should say so and exit 1")


def check_profile_name_escaped(work):
    """A profile's name and folder reach the terminal with their control characters escaped."""
    roaming = os.path.join(work, "escape", "Roaming")
    firefox = os.path.join(roaming, "Mozilla", "Firefox")
    profile = os.path.join(firefox, "Profiles", "red\x1b[0m")
    os.makedirs(profile)
    with open(os.path.join(firefox, "profiles.ini"), "wb") as ini:
        ini.write(b"[Profile0]\r\nName=\x1b[31mRED\x07\r\nIsRelative=1\r\nPath=Profiles/red\x1b[0m\r\n")
    make_places(os.path.join(FIXTURES, "places.sql"), os.path.join(profile, "places.sqlite"))
    result = run("browsers", env=dict(os.environ, LOCALAPPDATA=work, APPDATA=roaming, HOME=work))
    fields = result.stdout.decode().rstrip("\n").split("\t")
    if len(fields) != 4 or fields[1] != "\\x1b[31mRED\\x07" or not fields[3].endswith("red\\x1b[0m/places.sqlite") \
            or b"\x1b" in result.stdout or b"\x07" in result.stdout:
        fail("browsers prints a profile's control characters: %r" % result.stdout)


def check_damaged(work):
    """A damaged file is refused with exit 1, told from its content or named by --from."""
    broken = os.path.join(work, "Bookmarks-broken")
    with open(broken, "wb") as f:
        f.write(b'{"roots": {"bookmark_bar": {"children": [')
    cut = os.path.join(work, "cut.sqlite")
    with open(os.path.join(work, "fixture", "places.sqlite"), "rb") as f, open(cut, "wb") as out:
        out.write(f.read()[:4096 + 100])
    for args in ([broken], [broken, "--from", "chromium"], [cut], [cut, "--from", "firefox"]):
        result = run("convert", args[0], os.path.join(work, "out.dat"), *args[1:])
        if result.returncode != 1:
            fail("%s: exit %d, want 1" % (" ".join(args), result.returncode))

    # A damaged root beside a sound one: what can be read comes in, and the rest is counted.
    damaged_root = os.path.join(work, "Bookmarks-damaged-root")
    with open(damaged_root, "w") as f:
        json.dump({"roots": {"bookmark_bar": {"children": "x"},
                             "other": {"children": [{"type": "url", "name": "ok", "url": "http://ok.example/"}]}}}, f)
    result = run("convert", damaged_root, os.path.join(work, "out.dat"))
    if result.returncode != 0 or b"warning: 1 damaged root(s)" not in result.stderr:
        fail("a damaged root: exit %d, stderr %r" % (result.returncode, result.stderr))

    # A sparse places.sqlite far over the bound is refused before any copy is made.
    sparse = os.path.join(work, "sparse", "places.sqlite")
    os.makedirs(os.path.dirname(sparse))
    shutil.copy(os.path.join(work, "fixture", "places.sqlite"), sparse)
    os.truncate(sparse, 6 << 30)
    result = run("convert", sparse, os.path.join(work, "out.dat"))
    if result.returncode != 1 or b"larger than 1 GiB" not in result.stderr:
        fail("a 6 GiB sparse places.sqlite: exit %d, stderr %r" % (result.returncode, result.stderr))


def main():
    work = tempfile.mkdtemp(prefix="perchlet-browsers-")
    try:
        check_fixtures(work)
        check_held_open(work)
        check_profile_listing(work)
        check_profile_name_escaped(work)
        check_damaged(work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("%d failure(s)" % len(failures), file=sys.stderr)
        return 1
    print("browser import: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
