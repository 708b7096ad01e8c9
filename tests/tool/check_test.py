#!/usr/bin/env python3
"""Runs perchlet-tool check against web servers on 127.0.0.1 that give every answer the
check tells apart: a page, a HEAD-refusing server, redirect chains, 404 and 410, 401 and 403,
500, a 429 with Retry-After, a 503 that stays, a server that answers too late, a closed port
and a name that does not resolve.
Usage: check_test.py PATH_TO_PERCHLET_TOOL"""
import csv
import http.server
import io
import json
import os
import socket
import subprocess
import sys
import tempfile
import threading
import time

TOOL = sys.argv[1] if __name__ == "__main__" else None


class Answers(http.server.BaseHTTPRequestHandler):
    """path -> how to answer; every request is recorded with its method and time, and the
    most requests for /hold* answered at once are counted, by host and in all."""
    protocol_version = "HTTP/1.1"
    log = []
    active = {}        # host -> requests for /hold* being answered
    most_active = {}   # host -> the most at once; "all" for every host together
    lock = threading.Lock()

    def log_message(self, *args):
        pass

    def answer(self, status, headers=(), delay=0.0):
        if delay:
            time.sleep(delay)
        body = b"<html><title>page</title></html>\n" if self.command == "GET" else b""
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body) if self.command == "GET" else 33))
        self.end_headers()
        if body:
            self.wfile.write(body)

    def route(self):
        path, method = self.path, self.command
        with Answers.lock:
            earlier = [entry for entry in Answers.log if entry[1] == path]
            Answers.log.append((method, path, time.monotonic()))
            held = path.startswith("/hold")
            host = self.server.server_address[0]
            if held:
                Answers.count(host, 1)
        try:
            if path in ("/ok", "/landing"):
                return self.answer(200)
            if path == "/head-refused":
                return self.answer(405 if method == "HEAD" else 200)
            if path == "/head-forbidden":
                return self.answer(403 if method == "HEAD" else 200)
            if path == "/forbidden":
                return self.answer(403)
            if path == "/login":
                return self.answer(401)
            if path == "/missing":
                return self.answer(404)
            if path == "/gone":
                return self.answer(410)
            if path == "/broken":
                return self.answer(500)
            if path == "/old":          # permanent, permanent, then the page
                return self.answer(301, [("Location", "/older")])
            if path == "/older":
                return self.answer(308, [("Location", "/new/place")])
            if path == "/new/place":
                return self.answer(200)
            if path == "/temporary":    # a temporary redirect leaves the link where it is
                return self.answer(302, [("Location", "/landing")])
            if path == "/loop":
                return self.answer(302, [("Location", "/loop")])
            if path == "/controls":     # codes that would drive a terminal, and a tab
                return self.answer(301, [("Location", "/x\x1b[31mred\x07\tb")])
            if path == "/not-utf8":     # latin-1 bytes that are no UTF-8
                return self.answer(301, [("Location", "ftp://h/\xff\xfe")])
            if path == "/circle":       # permanent redirects round and round
                return self.answer(301, [("Location", "/circle")])
            if path == "/ping":
                return self.answer(308, [("Location", "/pong")])
            if path == "/pong":
                return self.answer(301, [("Location", "/ping")])
            if path == "/busy":         # asks for a second, then answers
                return self.answer(200 if earlier else 429, [] if earlier else [("Retry-After", "1")])
            if path == "/unavailable":
                return self.answer(503, [("Retry-After", "1")])
            if path == "/slow":
                return self.answer(200, delay=3)
            if path.startswith("/hold"):
                return self.answer(200, delay=0.3)
            return self.answer(404)
        except (BrokenPipeError, ConnectionResetError):
            pass
        finally:
            if held:
                with Answers.lock:
                    Answers.count(host, -1)

    @staticmethod
    def count(host, step):
        for key in (host, "all"):
            Answers.active[key] = Answers.active.get(key, 0) + step
            Answers.most_active[key] = max(Answers.most_active.get(key, 0), Answers.active[key])

    do_GET = route
    do_HEAD = route


def start_server(address="127.0.0.1"):
    server = http.server.ThreadingHTTPServer((address, 0), Answers)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def closed_port():
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    return port


def bookmark_file(folder, name, links):
    """A Netscape file of (title, address) links in one folder; Shift-JIS, as the program writes."""
    rows = "".join(f'        <DT><A HREF="{address}">{title}</A>\n' for title, address in links)
    text = ("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n"
            f"    <DT><H3 ADD_DATE=1>リンク集</H3>\n    <DL><p>\n{rows}    </DL><p>\n</DL><p>\n")
    path = os.path.join(folder, name)
    with open(path, "wb") as out:
        out.write(text.encode("cp932"))
    return path


def run(*args):
    env = {k: v for k, v in os.environ.items() if "proxy" not in k.lower()}
    env["no_proxy"] = "*"
    return subprocess.run([TOOL, "check", *args], capture_output=True, env=env, timeout=120)


failures = []


def expect(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message, file=sys.stderr)


def check_hostile_answers(work, base):
    """What a server sends or a file holds reaches the output only in a form that cannot
    drive a terminal, break JSON or run in a spreadsheet; a redirect loop moves nowhere."""
    links = [("controls", base + "/controls"), ("not utf-8", base + "/not-utf8"), ("circle", base + "/circle"),
             ("ping", base + "/ping")] + [(title, base + "/ok") for title in ("=SUM(1+1)", "+1", "-1", "@cmd", "a=b")]
    path = bookmark_file(work, "hostile.html", links)
    loops = {"circle", "ping"}

    text = run(path).stdout
    for code in (b"\x1b", b"\x07", b"\r"):
        expect(code not in text, f"text output holds control code {code!r}: {text!r}")
    expect(b"\\x1b[31mred\\x07\\tb" in text, f"text output shows the codes escaped: {text!r}")
    lines = text.decode("utf-8", "replace").splitlines()
    for line in lines[:-1]:
        fields = line.split("\t")
        expect(len(fields) == 5, f"text line of {len(fields)} columns: {line!r}")
        if fields[-1].split("/")[-1] in loops:
            expect(fields[3] == "too many redirects", f"loop in text: {line!r}")

    result = run(path, "--format", "json")
    try:
        got = {link["title"]: link for link in json.loads(result.stdout.decode("utf-8"))["links"]}
    except ValueError as error:
        expect(False, f"json output does not parse ({error}): {result.stdout!r}")
        got = {}
    if got:
        expect(got["controls"]["note"] == "redirected to /x\x1b[31mred\x07\tb", f"json controls: {got['controls']}")
        expect(got["not utf-8"]["note"] == "redirected to ftp://h/\ufffd\ufffd", f"json not utf-8: {got['not utf-8']}")
        for title in loops:
            expect((got[title]["class"], got[title]["new_address"], got[title]["note"]) ==
                   ("inconclusive", "", "too many redirects"), f"json {title}: {got[title]}")

    rows = list(csv.reader(io.StringIO(run(path, "--format", "csv").stdout.decode("utf-8", "replace"))))
    titles = [row[5] for row in rows[1:]]
    expect(titles[-5:] == ["'=SUM(1+1)", "'+1", "'-1", "'@cmd", "a=b"], f"csv titles {titles}")
    for row in rows[1:]:
        if row[5] in loops:
            expect(row[3] == "" and row[6] == "too many redirects", f"csv loop row {row}")


def main():
    server = start_server()
    base = f"http://127.0.0.1:{server.server_address[1]}"
    work = tempfile.mkdtemp()

    # title -> (address, class, new address)
    table = {
        "ページ": (base + "/ok", "ok", ""),
        "HEAD refused": (base + "/head-refused", "ok", ""),
        "HEAD forbidden": (base + "/head-forbidden", "ok", ""),
        "forbidden": (base + "/forbidden", "refused", ""),
        "login": (base + "/login", "refused", ""),
        "missing": (base + "/missing", "not found", ""),
        "gone": (base + "/gone", "not found", ""),
        "broken": (base + "/broken", "server error", ""),
        "moved twice": (base + "/old", "moved", base + "/new/place"),
        "temporary": (base + "/temporary", "ok", ""),
        "loop": (base + "/loop", "inconclusive", ""),
        "busy": (base + "/busy", "ok", ""),
        "unavailable": (base + "/unavailable", "inconclusive", ""),
        "slow": (base + "/slow", "time-out", ""),
        "closed": (f"http://127.0.0.1:{closed_port()}/", "connection failure", ""),
        "nowhere": ("http://nowhere.invalid/", "DNS failure", ""),
    }
    path = bookmark_file(work, "links.html", [(title, row[0]) for title, row in table.items()])
    result = run(path, "--format", "json", "--timeout", "1", "--jobs", "4")
    expect(result.returncode == 1, f"exit {result.returncode} with dead links, expected 1: {result.stderr!r}")
    report = json.loads(result.stdout.decode("utf-8"))
    got = {link["title"]: link for link in report["links"]}
    for title, (address, link_class, new_address) in table.items():
        link = got.get(title)
        if link is None:
            expect(False, f"{title}: not reported")
            continue
        expect(link["class"] == link_class, f"{title}: {link['class']}, expected {link_class} ({link})")
        expect(link["address"] == address, f"{title}: address {link['address']}")
        expect(link["folder"] == "Perchlet/リンク集", f"{title}: folder {link['folder']}")
        if new_address:
            expect(link["new_address"] == new_address, f"{title}: new address {link['new_address']}")
    expect(report["summary"] == {"links": 16, "ok": 5, "moved": 1, "not found": 2, "server error": 1,
                                 "refused": 2, "DNS failure": 1, "connection failure": 1, "time-out": 1,
                                 "inconclusive": 2}, f"summary {report['summary']}")
    # HEAD first, GET only where HEAD was refused.
    methods = lambda p: [m for m, q, _ in Answers.log if q == p]
    expect(methods("/ok") == ["HEAD"], f"/ok asked with {methods('/ok')}")
    expect(methods("/head-refused") == ["HEAD", "GET"], f"/head-refused asked with {methods('/head-refused')}")
    expect(methods("/forbidden") == ["HEAD", "GET"], f"/forbidden asked with {methods('/forbidden')}")
    expect(methods("/missing") == ["HEAD"], f"/missing asked with {methods('/missing')}")
    busy = [t for m, q, t in Answers.log if q == "/busy"]
    expect(len(busy) == 2 and busy[1] - busy[0] >= 0.9, f"/busy retried too early or not once: {busy}")
    expect(len(methods("/unavailable")) == 2, "a lasting 503 is asked twice")

    # Two hosts are asked at once, but never more than 2 requests at once to either, however
    # many jobs; all fine gives exit 0 and the summary as the last line.
    other = start_server("127.0.0.2")
    other_base = f"http://127.0.0.2:{other.server_address[1]}"
    path = bookmark_file(work, "hold.html", [(f"hold {i}", f"{(base, other_base)[i % 2]}/hold{i}") for i in range(12)])
    result = run(path, "--jobs", "8")
    expect(result.returncode == 0, f"exit {result.returncode} with every link fine")
    most = Answers.most_active
    expect(most["127.0.0.1"] == 2 and most["127.0.0.2"] == 2 and most["all"] > 2,
           f"most requests at once: {most}, expected 2 a host and more in all")
    last = result.stdout.decode("utf-8").splitlines()[-1]
    expect(last == "12 links: 12 ok, 0 moved, 0 not found, 0 server error, 0 refused, 0 DNS failure, "
                   "0 connection failure, 0 time-out, 0 inconclusive", f"summary line: {last}")

    # CSV: a header and one row per link; the summary goes to stderr.
    path = bookmark_file(work, "two.html", [("一", base + "/ok"), ("二, with a comma", base + "/gone")])
    result = run(path, "--format", "csv")
    rows = list(csv.reader(io.StringIO(result.stdout.decode("utf-8"))))
    expect(result.returncode == 1, f"csv run: exit {result.returncode}")
    expect(rows[0] == ["class", "status", "address", "new address", "folder", "title", "note"], f"csv header {rows[0]}")
    expect([r[:3] + r[5:6] for r in rows[1:]] == [["ok", "200", base + "/ok", "一"],
                                                  ["not found", "410", base + "/gone", "二, with a comma"]],
           f"csv rows {rows[1:]}")
    expect(b"2 links: 1 ok" in result.stderr, f"csv summary on stderr: {result.stderr!r}")

    check_hostile_answers(work, base)

    for args, message in [(["--jobs", "0", path], "--jobs takes"), (["--format", "xml", path], "unknown format"),
                          ([path, "--timeout"], "--timeout needs a value"), ([], "check takes one file")]:
        result = run(*args)
        expect(result.returncode == 2 and message.encode() in result.stderr,
               f"check {args}: exit {result.returncode}, {result.stderr!r}")
    result = run(os.path.join(work, "missing.html"))
    expect(result.returncode == 1 and b"cannot read" in result.stderr, f"missing file: {result.stderr!r}")

    server.shutdown()
    other.shutdown()
    if failures:
        print(f"{len(failures)} check(s) failed", file=sys.stderr)
        sys.exit(1)
    print("check command checks passed")


if __name__ == "__main__":
    main()
