"""A generated web site, a loopback HTTP server that records what it sent, and headless Firefox.

Shared by scripts/compare-firefox (the comparison with the real browser) and
scripts/make-firefox-sample. The server binds 127.0.0.1 only and its loop ends by itself.
"""
import gzip
import http.server
import os
import random
import shutil
import signal
import struct
import subprocess
import threading
import time
import zlib

CACHEABLE = "public, max-age=86400"


class Resource:
    """One response: status, headers, the bytes sent, and the original bytes before encoding."""

    def __init__(self, status, content_type, original, encoding=None, extra=None):
        self.status = status
        self.original = original
        self.encoding = encoding
        self.sent = encode(original, encoding)
        self.headers = [("Content-Type", content_type), ("Cache-Control", CACHEABLE)]
        if encoding:
            self.headers.append(("Content-Encoding", encoding))
        for name, value in (extra or []):
            self.headers = [h for h in self.headers if h[0] != name] + [(name, value)]

    @property
    def cacheable(self):
        """True when the browser may keep it and murel must export it."""
        return 200 <= self.status < 300 and self.status != 206 and \
            all(v != "no-store" for n, v in self.headers if n == "Cache-Control")


def encode(data, encoding):
    if encoding is None:
        return data
    if encoding == "gzip":
        return gzip.compress(data, mtime=0)
    if encoding == "deflate":
        return zlib.compress(data)
    tool = {"br": ["brotli", "-c"], "zstd": ["zstd", "-q", "-c"]}[encoding]
    return subprocess.run(tool, input=data, stdout=subprocess.PIPE, check=True).stdout


def png(width, height, seed):
    """A valid PNG of noise (it does not compress): about 3 * width * height bytes."""
    rng = random.Random(seed)
    rows = b"".join(b"\0" + rng.randbytes(width * 3) for _ in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + \
        chunk(b"IDAT", zlib.compress(rows, 0)) + chunk(b"IEND", b"")


def text(seed, size, line):
    rng = random.Random(seed)
    out = []
    while sum(len(x) for x in out) < size:
        out.append(line % rng.randrange(10 ** 9))
    return "".join(out).encode()


def comparison_site(port):
    """The site for the browser comparison: path -> Resource. "/" is the page to visit."""
    other = "http://localhost:%d" % port
    long_name = "/long/" + "a-very-long-name-" * 14 + "end.css"
    css = lambda seed: text(seed, 3000, ".c%d { color: #123456; }\n")
    js = lambda seed: text(seed, 6000, "var v%d = [1, 2, 3].map(function (x) { return x * 2; });\n")
    site = {
        "/style.css": Resource(200, "text/css", css(1)),
        "/app.js": Resource(200, "text/javascript", js(2)),
        "/logo.png": Resource(200, "image/png", png(16, 16, 3)),
        "/big.png": Resource(200, "image/png", png(700, 720, 4)),
        "/gzip.css": Resource(200, "text/css", css(5), "gzip"),
        "/deflate.js": Resource(200, "text/javascript", js(6), "deflate"),
        "/br.css": Resource(200, "text/css", css(7), "br"),
        "/zstd.js": Resource(200, "text/javascript", js(8), "zstd"),
        "/frame-gzip.html": Resource(200, "text/html", b"<p>framed, gzip</p>" * 50, "gzip"),
        "/query.png?v=2&x=y": Resource(200, "image/png", png(8, 8, 9)),
        "/cors.png?cors=1": Resource(200, "image/png", png(9, 9, 10),
                                     extra=[("Access-Control-Allow-Origin", "*")]),
        "/empty.css": Resource(200, "text/css", b""),
        "/docs": Resource(200, "text/css", css(11)),
        "/docs/guide.css": Resource(200, "text/css", css(12)),
        "/caf%C3%A9.css": Resource(200, "text/css", css(13)),
        long_name: Resource(200, "text/css", css(14)),
        "/frame.html": Resource(200, "text/html", b"<p>another site</p><img src=/logo.png>"),
        "/redirect.png": Resource(302, "text/html", b"moved", extra=[
            ("Location", "/logo.png?redirected=1"), ("Cache-Control", "max-age=86400")]),
        "/logo.png?redirected=1": Resource(200, "image/png", png(16, 16, 3)),
        "/missing.js": Resource(404, "text/javascript", b"// not found\n"),
        "/nostore.png": Resource(200, "image/png", png(12, 12, 15),
                                 extra=[("Cache-Control", "no-store")]),
    }
    page = ["<!doctype html><html><head><meta charset=utf-8><title>murel</title>"]
    for path in site:
        if path.endswith(".css") or path == "/docs":
            page.append('<link rel=stylesheet href="%s">' % path)
        elif path.endswith(".js"):
            page.append('<script src="%s"></script>' % path)
    page.append("</head><body><h1>murel comparison</h1>")
    for path in site:
        if path.split("?")[0].endswith(".png") and "redirected" not in path:
            cors = " crossorigin=anonymous" if "cors" in path else ""
            page.append('<img src="%s"%s>' % (path, cors))
    page.append('<iframe src="/frame-gzip.html"></iframe>')
    page.append('<iframe src="%s/frame.html"></iframe></body></html>' % other)
    site["/"] = Resource(200, "text/html", "\n".join(page).encode())
    return site


def many_site(count):
    """A page that loads `count` distinct images of about 4 KB each, for the benchmarks."""
    site = {"/i/%d.png" % i: Resource(200, "image/png", png(36, 36, 1000 + i)) for i in range(count)}
    tags = "".join('<img src="/i/%d.png" width=1 height=1>' % i for i in range(count))
    site["/"] = Resource(200, "text/html", ("<!doctype html><title>many</title>" + tags).encode())
    return site


def folder_site(folder):
    """The files of `folder` as a site, and an index page at "/" that loads every one."""
    site = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as f:
            data = f.read()
        kind = "image/png" if name.endswith(".png") else "text/plain; charset=utf-8"
        site["/" + name] = Resource(200, kind, data)
    tags = ['<img src="/%s">' % n if n.endswith(".png") else '<iframe src="/%s"></iframe>' % n
            for n in sorted(os.listdir(folder))]
    site["/"] = Resource(200, "text/html", ("<!doctype html><title>pages</title>" +
                                            "".join(tags)).encode())
    return site


class LoopbackServer:
    """Serves a site on 127.0.0.1 (`port`, or one the system picks) in a thread until stop() or `seconds` have passed. `sent` maps
    each URL requested ("http://host:port/path") to the list of (Resource, Date header) sent
    for it."""

    def __init__(self, seconds=180, port=0):
        self.site = {}
        self.sent = {}
        self.deadline = time.monotonic() + seconds
        self.stopping = False
        handler = self._handler()
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
        self.httpd.timeout = 0.25
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self._loop, daemon=True)

    def start(self, site):
        self.site = site
        self.thread.start()

    def _loop(self):
        while not self.stopping and time.monotonic() < self.deadline:
            self.httpd.handle_request()
        self.httpd.server_close()

    def stop(self):
        self.stopping = True
        self.thread.join()

    def _handler(self):
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def do_GET(self):
                resource = server.site.get(self.path)
                if resource is None:
                    resource = Resource(404, "text/plain", b"no such resource")
                url = "http://%s%s" % (self.headers.get("Host", ""), self.path)
                self.send_response(resource.status)
                server.sent.setdefault(url, []).append((resource, self.date))
                for name, value in resource.headers:
                    self.send_header(name, value)
                self.send_header("Content-Length", str(len(resource.sent)))
                self.end_headers()
                self.wfile.write(resource.sent)

            def date_time_string(self, timestamp=None):
                self.date = super().date_time_string(timestamp)
                return self.date

            def log_message(self, *args):
                pass
        return Handler


USER_JS = """\
user_pref("browser.cache.disk.enable", true);
user_pref("browser.cache.disk.smart_size.enabled", false);
user_pref("browser.cache.disk.capacity", 1048576);
user_pref("browser.cache.memory.enable", true);
user_pref("dom.script_loader.bytecode_cache.strategy", -1);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("toolkit.telemetry.enabled", false);
user_pref("app.update.enabled", false);
user_pref("extensions.update.enabled", false);
user_pref("browser.safebrowsing.malware.enabled", false);
user_pref("browser.safebrowsing.phishing.enabled", false);
user_pref("network.captive-portal-service.enabled", false);
user_pref("network.connectivity-service.enabled", false);
user_pref("network.proxy.type", 0);
user_pref("services.settings.server", "http://127.0.0.1:1/");
"""


def run_firefox(profile, url, home, seconds=90):
    """Visits `url` with headless Firefox on the profile folder `profile` (made with a user.js
    that keeps the disk cache on, if new) and waits for it to end; the screenshot mode loads
    the page and its resources and quits. Killed after `seconds`. The cache is profile/cache2."""
    os.makedirs(profile, exist_ok=True)
    os.makedirs(home, exist_ok=True)
    with open(os.path.join(profile, "user.js"), "w") as f:
        f.write(USER_JS)
    env = dict(os.environ, HOME=home, MOZ_CRASHREPORTER_DISABLE="1", MOZ_HEADLESS="1")
    env.pop("DISPLAY", None)
    command = [shutil.which("firefox-esr") or "firefox-esr", "--headless", "--no-remote",
               "--profile", profile, "--screenshot", os.path.join(home, "shot.png"), url]
    proc = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        proc.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGTERM)
        proc.wait(timeout=30)
    # The profile is locked while Firefox runs; wait for the lock to go.
    for _ in range(100):
        if not os.path.lexists(os.path.join(profile, "lock")):
            break
        time.sleep(0.1)
