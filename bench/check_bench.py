#!/usr/bin/env python3
"""Times perchlet-tool check on 1,000 links spread over 50 loopback hosts (127.0.0.1 to
127.0.0.50), each server answering after 100 ms, for each tool given on the same servers,
and prints the floor: the least time the per-host rules (two connections, a start every
100 ms) and the --jobs bound allow.
A tool ending in .exe runs under Wine; source tests/wine_env.sh first so that the prefix is
made once, outside the timing (a Windows tool's time includes Wine starting the process,
shown apart as the time of --version).
Run: check_bench.py [--jobs N] TOOL [TOOL...]"""
import http.server
import os
import subprocess
import sys
import tempfile
import threading
import time

HOSTS, LINKS, DELAY = 50, 1000, 0.1
HOST_PAUSE, CONNECTIONS_PER_HOST = 0.1, 2


class Slow(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_HEAD(self):
        time.sleep(DELAY)
        self.send_response(200)
        self.send_header("Content-Length", "0")
        self.end_headers()

    do_GET = do_HEAD


def floor_seconds(jobs):
    per_host = LINKS // HOSTS
    # Starts are spaced by the pause; a request can start only when one of the host's two
    # connections is free.
    spacing = max(HOST_PAUSE, DELAY / CONNECTIONS_PER_HOST)
    host_floor = (per_host - 1) * spacing + DELAY
    jobs_floor = LINKS * DELAY / jobs
    return host_floor, jobs_floor


def timed(command, env):
    started = time.monotonic()
    result = subprocess.run(command, capture_output=True, env=env)
    return time.monotonic() - started, result


def main():
    args = sys.argv[1:]
    jobs = "16"
    if args[:1] == ["--jobs"]:
        jobs, args = args[1], args[2:]
    servers = []
    for host in range(1, HOSTS + 1):
        server = http.server.ThreadingHTTPServer((f"127.0.0.{host}", 0), Slow)
        server.daemon_threads = True
        threading.Thread(target=server.serve_forever, daemon=True).start()
        servers.append(server)
    rows = "".join(
        f'<DT><A HREF="http://127.0.0.{i % HOSTS + 1}:{servers[i % HOSTS].server_address[1]}/page/{i}">page {i}</A>\n'
        for i in range(LINKS))
    path = os.path.join(tempfile.mkdtemp(), "links.html")
    with open(path, "w") as out:
        out.write(f"<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n{rows}</DL><p>\n")
    env = {k: v for k, v in os.environ.items() if "proxy" not in k.lower()}
    host_floor, jobs_floor = floor_seconds(int(jobs))
    print(f"{LINKS} links over {HOSTS} hosts, {DELAY * 1000:.0f} ms answers, --jobs {jobs}: floor "
          f"{max(host_floor, jobs_floor):.2f} s (per-host rules {host_floor:.2f} s, --jobs {jobs_floor:.2f} s)")
    for tool in args:
        prefix = ["wine"] if tool.endswith(".exe") else []
        start_up = ""
        if prefix:
            seconds, _ = timed(prefix + [tool, "--version"], env)
            start_up = f" (of which starting the process: {seconds:.2f} s)"
        seconds, result = timed(prefix + [tool, "check", path, "--jobs", jobs], env)
        summary = result.stdout.decode("utf-8", "replace").splitlines()[-1:] or ["(no output)"]
        print(f"{tool}: {seconds:.2f} s{start_up}\n  {summary[0]}")


main()
