#!/usr/bin/env python3
"""Times perchlet-tool check on 1,000 links spread over 50 loopback hosts (127.0.0.1 to
127.0.0.50), each server answering after 100 ms.
Run: check_bench.py PATH_TO_PERCHLET_TOOL [jobs]"""
import http.server
import os
import subprocess
import sys
import tempfile
import threading
import time

HOSTS, LINKS, DELAY = 50, 1000, 0.1


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


def main():
    tool = sys.argv[1]
    jobs = sys.argv[2] if len(sys.argv) > 2 else "16"
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
    started = time.monotonic()
    result = subprocess.run([tool, "check", path, "--jobs", jobs], capture_output=True, env=env)
    elapsed = time.monotonic() - started
    print(result.stdout.decode().splitlines()[-1])
    print(f"{LINKS} links over {HOSTS} hosts, {DELAY * 1000:.0f} ms answers, --jobs {jobs}: {elapsed:.2f} s "
          f"(at best {LINKS * DELAY / int(jobs):.2f} s)")


main()
