#!/usr/bin/env python3
"""perchlet-tool.exe check under Wine (WinHTTP) prints what the Linux tool (libcurl) prints,
byte for byte, in every format, on the same file against the same loopback servers: every
answer check_test.py gives, a connection reset at once and a TLS handshake with a server
that speaks plain HTTP.
Usage: check_windows_test.py LINUX_TOOL WINDOWS_TOOL"""
import os
import socket
import struct
import subprocess
import sys
import tempfile
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_test as answers  # noqa: E402

LINUX_TOOL, WINDOWS_TOOL = sys.argv[1], sys.argv[2]
HERE = os.path.dirname(os.path.abspath(__file__))
FORMATS = ("text", "csv", "json")


def resetting_server():
    """Accepts and resets every connection before a byte is read."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)

    def serve():
        while True:
            client, _ = listener.accept()
            client.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            client.close()
    threading.Thread(target=serve, daemon=True).start()
    return listener.getsockname()[1]


def outputs_of(command, path, work, name):
    """Runs the tool once per format in one shell (one Wine prefix for the Windows tool)."""
    script = "".join(f'{command} check "{path}" --format {f} --timeout 1 --jobs 4 > "{work}/{name}.{f}" '
                     f'2> "{work}/{name}.{f}.err"; echo $? > "{work}/{name}.{f}.rc"\n' for f in FORMATS)
    env = {k: v for k, v in os.environ.items() if "proxy" not in k.lower()}
    env["no_proxy"] = "*"
    subprocess.run(["bash", "-c", script], env=env, timeout=600, check=True)
    read = lambda suffix: {f: open(f"{work}/{name}.{f}{suffix}", "rb").read() for f in FORMATS}
    return read(""), read(".rc"), read(".err")


def main():
    server = answers.start_server()
    base = f"http://127.0.0.1:{server.server_address[1]}"
    links = [(title, base + path) for title, path in [
        ("ページ", "/ok"), ("HEAD refused", "/head-refused"), ("HEAD forbidden", "/head-forbidden"),
        ("forbidden", "/forbidden"), ("login", "/login"), ("missing", "/missing"), ("gone", "/gone"),
        ("broken", "/broken"), ("moved twice", "/old"), ("temporary", "/temporary"), ("loop", "/loop"),
        ("circle", "/circle"), ("busy", "/busy"), ("unavailable", "/unavailable"), ("slow", "/slow")]]
    links += [("closed", f"http://127.0.0.1:{answers.closed_port()}/"), ("nowhere", "http://nowhere.invalid/"),
              ("reset", f"http://127.0.0.1:{resetting_server()}/"),
              ("bad handshake", f"https://127.0.0.1:{server.server_address[1]}/ok"),
              ("mail", "mailto:someone@example.com")]
    work = tempfile.mkdtemp()
    path = answers.bookmark_file(work, "links.html", links)

    linux = outputs_of(f'"{LINUX_TOOL}"', path, work, "linux")
    windows = outputs_of(f'. "{HERE}/../wine_env.sh"; wine "{WINDOWS_TOOL}"', path, work, "windows")
    failures = 0
    for f in FORMATS:
        for what, index in (("output", 0), ("exit code", 1)):
            if linux[index][f] != windows[index][f]:
                failures += 1
                a, b = linux[index][f], windows[index][f]
                at = next((i for i in range(min(len(a), len(b))) if a[i] != b[i]), min(len(a), len(b)))
                print(f"FAIL: --format {f}: the {what} differs from byte {at}: {a[at:at + 40]!r} against "
                      f"{b[at:at + 40]!r}", file=sys.stderr)
                print(f"Linux:\n{linux[index][f].decode('utf-8', 'replace')}"
                      f"\nWindows:\n{windows[index][f].decode('utf-8', 'replace')}\n"
                      f"Windows stderr: {windows[2][f].decode('utf-8', 'replace')}", file=sys.stderr)
    summary = linux[0]["text"].decode("utf-8").splitlines()[-1]
    if summary != ("19 links: 5 ok, 1 moved, 2 not found, 1 server error, 2 refused, 1 DNS failure, "
                   "3 connection failure, 1 time-out, 3 inconclusive"):
        failures += 1
        print(f"FAIL: summary {summary}", file=sys.stderr)
    server.shutdown()
    if failures:
        sys.exit(1)
    print("the Windows tool's check prints what the Linux tool prints")


main()
