#!/usr/bin/env python3
"""An HTTP server of faults for the tests: every answer is chosen by the path.

  /size/N              N bytes (a pattern with zero bytes) with Content-Length
  /close/N             N bytes, HTTP/1.0, no Content-Length, ended by closing
  /chunked/N           N bytes in chunks of 700
  /status/CODE         that status with a small HTML page
  /short/N/M           promises N bytes, sends M, closes
  /reset/N/M           promises N bytes, sends M, resets the connection
  /drip/N/MS           N bytes in pieces of 100, MS milliseconds apart
  /stall/N/M           promises N bytes, sends M, then waits for the client
  /slowhead/MS         the status line, then one byte of a header every MS
                       milliseconds, for up to two minutes: a head that
                       never ends
  /proxyauth/MS        407 asking for proxy credentials, then a page that
                       never ends: a byte every MS milliseconds, for up to
                       two minutes
  /redirect/N          302 to /size/N
  /insecure/REST       302 to http:// + the Host header + /REST (a redirect
                       that leaves TLS)
  /length/TEXT         an empty body with "Content-Length: TEXT"
  /file/NAME           a file from --files (404 when missing)
  /delay/MS/NAME       /file/NAME after MS milliseconds
  /cutonce/NAME        /file/NAME, but the first request of this path has
                       its body cut halfway by closing the connection
  /flaky/N/NAME        503 for the first N requests of this path, then /file/NAME
  /range/N/NAME        /file/NAME with a strong ETag and a Last-Modified; a
                       "Range: bytes=F-" is answered 206 with the rest (416
                       from the end on), unless its If-Range names neither
                       validator: then 200 with the whole file. Every body is
                       cut after N bytes by closing the connection (0: never)
  /norange/K/N/NAME    /file/NAME with the same validators, Range ignored:
                       always 200 and the whole file, the first K requests of
                       this path cut after N bytes
  /changing/N/OLD/NEW  /range/N/OLD to the first request of this path,
                       /range/N/NEW to every later one (other validators)
  /overlong/N/M/MS/NAME
                       a body without Content-Length, ended by closing: N
                       bytes at once, then M more in pieces of 64 KiB, MS
                       milliseconds apart, until the client goes away (NAME
                       only names the file)
  .../ClientResourcesManager.asp
                       the file --manifest (404 when none is given), after
                       --manifest-delay seconds
  /players_downloads.asp
                       a small page, after --report-delay seconds (a list
                       such as 3,6 delays the first answer 3 s, every later
                       one 6 s); prints when it has answered

With --tls-cert and --tls-key it speaks HTTPS (use --port 443).
  /_log                the raw heads of every earlier request, oldest first
  /_sent               a line for every earlier request, oldest first: its
                       request target and the bytes of body handed to the
                       connection (the client may have read fewer)
  /_inflight           a line for every Host header seen: the host and the
                       most requests of it that were in flight at once (from
                       the end of a request's head to the end of its answer)

A query string is ignored, so tests make their requests unique with one.
Requests that name a whole http:// address, as clients of a proxy send
them, are answered by their path: the server can stand in for a proxy.
Writes "ready" to --ready once it listens.
"""
import argparse
import email.utils
import hashlib
import os
import socket
import socketserver
import ssl
import struct
import threading
import time

PATTERN = bytes(range(251))
log_lock = threading.Lock()
request_log = []
# [request target, body bytes sent] for every request but /_log and /_sent.
sent_log = []
request_counts = {}
# Host header -> [requests in flight now, most at once].
in_flight = {}


def body_of(size):
    return (PATTERN * (size // len(PATTERN) + 1))[:size]


class Handler(socketserver.BaseRequestHandler):
    def setup(self):
        self.request.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def handle(self):
        while self.handle_one():
            pass

    def read_head(self):
        data = b""
        while b"\r\n\r\n" not in data:
            chunk = self.request.recv(4096)
            if not chunk:
                return None
            data += chunk
        return data.split(b"\r\n\r\n", 1)[0].decode("latin-1")

    def send(self, status, body=b"", headers=(), version="HTTP/1.1"):
        head = f"{version} {status}\r\n" + "".join(f"{h}\r\n" for h in headers)
        self.request.sendall((head + "\r\n").encode("latin-1") + body)
        self.count_sent(len(body))

    def send_more(self, body):
        """Body bytes after the head; False once the client has gone."""
        try:
            self.request.sendall(body)
        except OSError:
            return False
        self.count_sent(len(body))
        return True

    def count_sent(self, size):
        if self.record is not None:
            with log_lock:
                self.record[1] += size

    def header(self, name):
        prefix = name.lower() + ":"
        return next((line.split(":", 1)[1].strip() for line in self.head.split("\r\n")[1:]
                     if line.lower().startswith(prefix)), None)

    def count_request(self, p):
        """How many requests this path has had, this one included."""
        key = "/".join(p)
        with log_lock:
            request_counts[key] = request_counts.get(key, 0) + 1
            return request_counts[key]

    def handle_one(self):
        head = self.read_head()
        if head is None:
            return False
        target = head.split("\r\n", 1)[0].split(" ")
        path = target[1].split("?", 1)[0] if len(target) > 1 else "/"
        if path.startswith("http://"):
            # A request to a proxy names the whole address.
            path = "/" + path[len("http://"):].partition("/")[2]
        self.record = None
        if path not in ("/_log", "/_sent", "/_inflight"):
            self.record = [target[1] if len(target) > 1 else "/", 0]
            with log_lock:
                request_log.append(head)
                sent_log.append(self.record)
        parts = path.strip("/").split("/")
        if path.endswith("/ClientResourcesManager.asp"):
            parts = ["manifest"]
        elif path == "/players_downloads.asp":
            parts = ["report"]
        self.head = head
        route = getattr(self, "route_" + parts[0].lstrip("_"), None)
        if route is None:
            self.route_status(["status", "404"])
            return True
        host = (self.header("host") or "").lower() if self.record is not None else None
        self.count_in_flight(host, 1)
        try:
            return route(parts) is not False
        finally:
            self.count_in_flight(host, -1)

    def count_in_flight(self, host, change):
        if host is None:
            return
        with log_lock:
            counts = in_flight.setdefault(host, [0, 0])
            counts[0] += change
            counts[1] = max(counts[1], counts[0])

    def sized(self, size, extra=()):
        return [f"Content-Length: {size}", "Content-Type: application/octet-stream", *extra]

    def route_size(self, p):
        self.send("200 OK", body_of(int(p[1])), self.sized(int(p[1])))

    def route_close(self, p):
        self.send("200 OK", body_of(int(p[1])), ["Connection: close"], version="HTTP/1.0")
        return False

    def route_chunked(self, p):
        body = body_of(int(p[1]))
        self.send("200 OK", headers=["Transfer-Encoding: chunked"])
        for i in range(0, len(body), 700):
            piece = body[i:i + 700]
            self.request.sendall(b"%x\r\n" % len(piece) + piece + b"\r\n")
        self.request.sendall(b"0\r\n\r\n")

    def route_status(self, p):
        page = f"<html><body><h1>Error {p[1]}</h1></body></html>".encode()
        self.send(f"{p[1]} Fixture", page, [f"Content-Length: {len(page)}", "Content-Type: text/html"])

    def route_short(self, p):
        self.send("200 OK", body_of(int(p[2])), self.sized(int(p[1]), ["Connection: close"]))
        return False

    def route_reset(self, p):
        self.send("200 OK", body_of(int(p[2])), self.sized(int(p[1])))
        self.request.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        return False

    def route_drip(self, p):
        body = body_of(int(p[1]))
        self.send("200 OK", headers=self.sized(len(body)))
        for i in range(0, len(body), 100):
            time.sleep(int(p[2]) / 1000)
            self.request.sendall(body[i:i + 100])

    def route_stall(self, p):
        self.send("200 OK", body_of(int(p[2])), self.sized(int(p[1])))
        self.request.settimeout(60)
        try:
            self.request.recv(1)
        except OSError:
            pass
        return False

    def route_slowhead(self, p):
        self.request.sendall(b"HTTP/1.1 200 OK\r\nX-Trickle: ")
        deadline = time.time() + 120
        try:
            while time.time() < deadline:
                time.sleep(int(p[1]) / 1000)
                self.request.sendall(b"x")
        except OSError:
            pass
        return False

    def route_proxyauth(self, p):
        self.send("407 Proxy Authentication Required",
                  headers=['Proxy-Authenticate: Basic realm="fixture"', "Content-Type: text/html"])
        deadline = time.time() + 120
        while time.time() < deadline and self.send_more(b"x"):
            time.sleep(int(p[1]) / 1000)
        return False

    def route_redirect(self, p):
        self.send("302 Found", headers=[f"Location: /size/{p[1]}", "Content-Length: 0"])

    def route_insecure(self, p):
        host = self.header("host") or ""
        self.send("302 Found", headers=[f"Location: http://{host}/{'/'.join(p[1:])}", "Content-Length: 0"])

    def route_length(self, p):
        self.send("200 OK", headers=[f"Content-Length: {p[1]}", "Connection: close"])
        return False

    def read_file(self, names):
        """The bytes and the modification time of a file of --files, or None
        after a 404."""
        path = os.path.join(self.server.files, *names)
        if not self.server.files or not os.path.isfile(path):
            self.route_status(["status", "404"])
            return None
        with open(path, "rb") as f:
            return f.read(), os.path.getmtime(path)

    def route_file(self, p):
        found = self.read_file(p[1:])
        if found:
            self.send("200 OK", found[0], self.sized(len(found[0])))

    def send_cut(self, status, body, headers, cut):
        """The answer, its body cut after CUT bytes (0: whole); False when cut."""
        if 0 < cut < len(body):
            self.send(status, body[:cut], headers)
            return False
        self.send(status, body, headers)
        return True

    def range_start(self, validators):
        """The F of a "Range: bytes=F-" whose If-Range, if any, is one of
        VALIDATORS; None for any other request."""
        asked, if_range = self.header("range") or "", self.header("if-range")
        if not (asked.startswith("bytes=") and asked.endswith("-") and asked[6:-1].isdigit()):
            return None
        return int(asked[6:-1]) if if_range is None or if_range in validators else None

    def send_validated(self, names, cut, honour_range):
        found = self.read_file(names)
        if not found:
            return True
        body, mtime = found
        etag = '"' + hashlib.sha256(body).hexdigest()[:16] + '"'
        last_modified = email.utils.formatdate(mtime, usegmt=True)
        validators = [f"ETag: {etag}", f"Last-Modified: {last_modified}"]
        first = self.range_start((etag, last_modified)) if honour_range else None
        if first is None:
            return self.send_cut("200 OK", body, self.sized(len(body), validators), cut)
        if first >= len(body):
            self.send("416 Range Not Satisfiable", b"",
                      [f"Content-Range: bytes */{len(body)}", "Content-Length: 0", *validators])
            return True
        rest = body[first:]
        return self.send_cut("206 Partial Content", rest, self.sized(len(rest), [
            f"Content-Range: bytes {first}-{len(body) - 1}/{len(body)}", *validators]), cut)

    def route_manifest(self, p):
        time.sleep(self.server.manifest_delay)
        if not self.server.manifest or not os.path.isfile(self.server.manifest):
            self.route_status(["status", "404"])
            return
        with open(self.server.manifest, "rb") as f:
            body = f.read()
        self.send("200 OK", body, [f"Content-Length: {len(body)}", "Content-Type: text/plain"])

    def route_report(self, p):
        with log_lock:
            count = request_counts.get("report", 0)
            request_counts["report"] = count + 1
        delays = self.server.report_delays
        time.sleep(delays[min(count, len(delays) - 1)])
        page = b"<html><body>counted</body></html>"
        self.send("200 OK", page, [f"Content-Length: {len(page)}", "Content-Type: text/html"])
        print(f"answered report {count + 1} at {time.time():.3f}", flush=True)

    def route_flaky(self, p):
        if self.count_request(p) <= int(p[1]):
            self.route_status(["status", "503"])
        else:
            self.route_file(["file", *p[2:]])

    def route_range(self, p):
        return self.send_validated(p[2:], int(p[1]), True)

    def route_norange(self, p):
        cut = int(p[2]) if self.count_request(p) <= int(p[1]) else 0
        return self.send_validated(p[3:], cut, False)

    def route_changing(self, p):
        name = p[2] if self.count_request(p) == 1 else p[3]
        return self.send_validated([name], int(p[1]), True)

    def route_overlong(self, p):
        self.send("200 OK", body_of(int(p[1])), ["Connection: close"], version="HTTP/1.0")
        piece = body_of(64 * 1024)
        for offset in range(0, int(p[2]), len(piece)):
            time.sleep(int(p[3]) / 1000)
            if not self.send_more(piece[:int(p[2]) - offset]):
                break
        return False

    def route_delay(self, p):
        time.sleep(int(p[1]) / 1000)
        self.route_file(["file", *p[2:]])

    def route_cutonce(self, p):
        found = self.read_file(p[1:])
        if not found:
            return True
        cut = len(found[0]) // 2 if self.count_request(p) == 1 else 0
        return self.send_cut("200 OK", found[0], self.sized(len(found[0])), cut)

    def route_inflight(self, p):
        with log_lock:
            text = "".join(f"{host} {most}\n" for host, (_, most) in sorted(in_flight.items())).encode("latin-1")
        self.send("200 OK", text, self.sized(len(text)))

    def route_sent(self, p):
        with log_lock:
            text = "".join(f"{target} {sent}\n" for target, sent in sent_log).encode("latin-1")
        self.send("200 OK", text, self.sized(len(text)))

    def route_log(self, p):
        with log_lock:
            text = "\r\n\r\n".join(request_log).encode("latin-1")
        self.send("200 OK", text, self.sized(len(text)))


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--address", required=True)
    parser.add_argument("--port", type=int, default=80)
    parser.add_argument("--files", default="")
    parser.add_argument("--manifest", default="")
    parser.add_argument("--report-delay", default="0")
    parser.add_argument("--manifest-delay", type=float, default=0)
    parser.add_argument("--tls-cert", default="")
    parser.add_argument("--tls-key", default="")
    parser.add_argument("--ready", required=True)
    args = parser.parse_args()
    server = Server((args.address, args.port), Handler)
    server.files = args.files
    server.manifest = args.manifest
    server.manifest_delay = args.manifest_delay
    server.report_delays = [float(d) for d in args.report_delay.split(",")]
    if args.tls_cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.tls_cert, args.tls_key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    with open(args.ready, "w") as f:
        f.write("ready\n")
    server.serve_forever()


if __name__ == "__main__":
    main()
