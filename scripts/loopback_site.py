"""Generated web sites, a loopback HTTP server that records what it sent, and headless browsers.

Shared by scripts/compare-chromium, scripts/compare-firefox and scripts/compare-cachestorage (the
comparisons with the real browsers), scripts/make-firefox-sample and the benchmarks. The server binds 127.0.0.1 only and
its loop ends by itself.
"""
import collections
import email.utils
import gzip
import json
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
# Stored, but asked for again on every visit: what the server changes between two visits.
REVALIDATED = "no-cache"


class Resource:
    """One response: status, headers, the bytes sent, and the original bytes before encoding.

    `encoding` is the Content-Encoding as sent, codings in the order applied ("gzip, br");
    "deflate-raw" is deflate without its zlib wrapper, sent as "deflate". A label that is no
    coding ("UTF-8", "none", "identity") is sent as it is with the body unchanged. An `extra`
    header replaces the one of the same name, or removes it when its value is None. `date`
    is the Date header to send instead of the server's clock; `close` sends the body HTTP/1.0
    style, ended by closing the connection (no Content-Length, not chunked)."""

    def __init__(self, status, content_type, original, encoding=None, extra=None, date=None,
                 close=False):
        self.status = status
        self.original = original
        self.encoding = encoding
        self.date = date
        self.close = close
        self.sent = original
        for coding in (encoding or "").split(","):
            self.sent = encode(self.sent, coding.strip())
        self.headers = [("Content-Type", content_type)] if content_type else []
        self.headers.append(("Cache-Control", CACHEABLE))
        if encoding:
            self.headers.append(("Content-Encoding", encoding.replace("deflate-raw", "deflate")))
        for name, value in (extra or []):
            self.headers = [h for h in self.headers if h[0] != name]
            if value is not None:
                self.headers.append((name, value))

    @property
    def cacheable(self):
        """True when the browser may keep it and murel must export it."""
        return 200 <= self.status < 300 and self.status != 206 and \
            all(v != "no-store" for n, v in self.headers if n == "Cache-Control")


def encode(data, coding):
    """`data` encoded with one coding; a label that names none leaves it as it is."""
    if coding == "gzip":
        return gzip.compress(data, mtime=0)
    if coding == "deflate":
        return zlib.compress(data)
    if coding == "deflate-raw":
        squeeze = zlib.compressobj(wbits=-15)
        return squeeze.compress(data) + squeeze.flush()
    # Quality 5: the default, 11, takes seconds a megabyte, and any quality decodes the same way.
    tool = {"br": ["brotli", "-q", "5", "-c"], "zstd": ["zstd", "-q", "-c"]}.get(coding)
    if tool is None:
        return data
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
    """At least `size` bytes of lines `line`, each with a random number in it."""
    rng = random.Random(seed)
    out, length = [], 0
    while length < size:
        out.append(line % rng.randrange(10 ** 9))
        length += len(out[-1])
    return "".join(out).encode()


def comparison_site(port, more=({}, "")):
    """The site for the Firefox comparison: path -> Resource. "/" is the page to visit; the
    resources and HTML of `more` (from revisit_site) join the site and the page."""
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
    page.append('<iframe src="%s/frame.html"></iframe>' % other)
    page.append(more[1] + "</body></html>")
    site.update(more[0])
    site["/"] = Resource(200, "text/html", "\n".join(page).encode(),
                         extra=[("Cache-Control", REVALIDATED)])
    return site


def fetched_site(more=({}, "")):
    """The site for the Chromium comparison: path -> Resource. "/" is the page to visit; it
    fetch()es most resources, so that redirects, errors and binaries are asked for as they are.
    The resources and HTML of `more` (from revisit_site) join the site and the page."""
    rng = random.Random(13)
    words = ("".join(rng.choice("abcdefghij klmnop\n") for _ in range(20000))).encode()
    site = {
        "/style.css": Resource(200, "text/css", b"body { color: #123; }\n" * 40),
        "/app.js": Resource(200, "text/javascript", b"var murel = 1;\n" * 50),
        "/img/logo.png": Resource(200, "image/png", png(48, 48, 16)),
        "/data/big.bin": Resource(200, None, rng.randbytes(1_500_000)),
        "/data/small.bin": Resource(200, None, rng.randbytes(919)),
        "/enc/gzip.txt": Resource(200, None, words, "gzip"),
        "/enc/deflate.txt": Resource(200, None, words, "deflate"),
        "/enc/deflate-raw.txt": Resource(200, None, words, "deflate-raw"),
        "/enc/br.txt": Resource(200, None, words, "br"),
        "/enc/zstd.txt": Resource(200, None, words, "zstd"),
        "/enc/gzip-br.txt": Resource(200, None, words, "gzip, br"),
        "/q?x=1&y=2": Resource(200, None, b"query one\n"),
        "/q?x=2": Resource(200, None, b"query two\n"),
        "/%C3%A9t%C3%A9/caf%C3%A9.txt": Resource(200, None, "été café\n".encode()),
        "/long/" + "x" * 300 + ".txt": Resource(200, None, b"a long URL\n"),
        "/docs": Resource(200, None, b"<p>docs page</p>"),
        "/docs/a.html": Resource(200, None, b"<p>docs a</p>"),
        "/validated.txt": Resource(200, None, b"no freshness, a validator\n", extra=[
            ("Cache-Control", None), ("Last-Modified", "Mon, 01 Jan 2024 00:00:00 GMT")]),
        "/redirect": Resource(301, None, b"", extra=[("Location", "/style.css")]),
        "/found": Resource(302, None, b"", extra=[("Location", "/app.js"), ("Cache-Control", None)]),
        "/missing": Resource(404, None, b"not here\n"),
        "/nostore.txt": Resource(200, None, b"do not keep\n", extra=[("Cache-Control", "no-store")]),
    }
    fetched = [p for p in site if p not in ("/style.css", "/app.js", "/img/logo.png")]
    script = "Promise.all([%s].map(u => fetch(u).then(r => r.arrayBuffer()).catch(e => 0)))" \
             ".then(() => { document.title = 'done'; });" % ",".join('"%s"' % p for p in fetched)
    page = ("<!doctype html><html><head><link rel=stylesheet href=/style.css>"
            "<script src=/app.js></script></head><body><img src=/img/logo.png>"
            "<script>%s</script>%s</body></html>" % (script, more[1])).encode()
    site.update(more[0])
    site["/"] = Resource(200, "text/html", page, extra=[("Cache-Control", REVALIDATED)])
    return site


# Bodies at the sizes where a decoder's buffers fill exactly (multiples of 64 KiB) and around them.
SIZES = (64 * 1024, 1024 * 1024, 5 * 1024 * 1024, 300 * 1024, 1024 * 1024 + 1)
CODINGS = (None, "gzip", "deflate", "br", "zstd")
LONG_URLS = 40


def sized_resources():
    """path -> Resource: a stylesheet of each size of SIZES in each coding of CODINGS. Made once
    (the encoding takes a few seconds) and served again unchanged."""
    if not _sized:
        base = text(77, SIZES[2] + 4096, "/* %09d: the quick brown fox jumps over the dog */\n")
        for size in SIZES:
            for k, coding in enumerate(CODINGS):
                path = "/size/%d.%s.css" % (size, coding or "identity")
                _sized[path] = Resource(200, "text/css", base[k * 701:k * 701 + size], coding)
    return _sized


_sized = {}


def long_url(number):
    """A URL path longer than any target path murel writes by its name (it gets a longurls name)."""
    return "/longurl/%02d/" % number + "path-segment-of-a-long-url/" * 9 + "file-%02d.css" % number


def revisit_site(visit, date):
    """The resources of two visits of one browser profile, and the HTML that loads them: (path ->
    Resource, html). `visit` is 1 or 2; between the two the server changes resources, and murel
    exports each time into the same folder. `date` is the Unix time of the forged Date headers.

    Visit 1 loads bodies of every size and coding, a connection-delimited body, bodies labelled
    with codings that are none, a stylesheet that a form then POSTs to (its answer differs from
    the GET's; visit 2 asks for it with GET again), LONG_URLS long URLs in order and the
    resources that visit 2 changes. Those are
    asked for again on visit 2 (no-cache) and answered anew: some with bodies of the same length,
    some with the same Date as before or a Date an hour behind. Visit 2 loads the long URLs in
    the reverse order, every fourth changed, with new ones among them, so that their walk order
    and numbering change."""
    def css(label, size=2000, version=visit):
        """`size` bytes of a stylesheet, the same for the same label and version."""
        seed = zlib.crc32(("%s %d" % (label, version)).encode())
        return text(seed, size, "/* %s, version %d: %%09d */\n" % (label, version))[:size]

    again = [("Cache-Control", REVALIDATED)]
    first, behind = email.utils.formatdate(date, usegmt=True), email.utils.formatdate(
        date - (0 if visit == 1 else 3600), usegmt=True)
    site = {
        "/changed/grown.css": Resource(200, "text/css", css("grown", 1000 * visit), extra=again),
        "/changed/same-length.css": Resource(200, "text/css", css("same-length"), extra=again),
        "/changed/same-date.css": Resource(200, "text/css", css("same-date", 1500 + 500 * visit),
                                           extra=again, date=first),
        "/changed/same-date-length.css": Resource(200, "text/css", css("same-date-length"),
                                                  extra=again, date=first),
        "/changed/same-date.gzip.css": Resource(200, "text/css", css("same-date-gzip"), "gzip",
                                                extra=again, date=first),
        "/changed/date-behind.css": Resource(200, "text/css", css("date-behind"), extra=again,
                                             date=behind),
    }
    numbers = range(LONG_URLS) if visit == 1 else reversed(range(LONG_URLS + 8))
    for n in numbers:
        changes = n % 4 == 0 and n < LONG_URLS
        body = css("long URL %d" % n, 300 + n * 37 % 400, visit if changes else 1)
        site[long_url(n)] = Resource(200, "text/css", body, extra=again if changes else None)
    # Asked for on both visits: Firefox drops a URL's entry when a POST to it succeeds, and
    # asks for it again on the second visit.
    site["/form.css"] = Resource(200, "text/css", css("the GET answer", version=1))
    form = ""
    if visit == 1:
        site.update(sized_resources())
        site["/close.css"] = Resource(200, "text/css", css("connection-delimited", 70000),
                                      close=True)
        for label in ("UTF-8", "none", "identity"):
            site["/label/%s.css" % label.lower()] = Resource(200, "text/css", css(label), label)
        site["POST /form.css"] = Resource(200, "text/css", css("the POST answer"))
        # The script runs after the stylesheets before it have loaded: the POST comes last.
        form = ("<iframe name=posted></iframe><form method=post action=/form.css target=posted>"
                "<input type=hidden name=q value=1></form><script>document.forms[0].submit()"
                "</script>")
    links = "".join('<link rel=stylesheet href="%s">' % p for p in site if p[0] == "/")
    return site, links + form


def revisit_page(visit, date):
    """The second visit's site: revisit_site's resources and a page "/" that loads them."""
    site, html = revisit_site(visit, date)
    site["/"] = Resource(200, "text/html", ("<!doctype html><html><body>%s</body></html>" %
                                            html).encode(), extra=[("Cache-Control", REVALIDATED)])
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


# One answer of the server: the Resource, the Date header sent with it and the Unix time it was sent.
Sent = collections.namedtuple("Sent", "resource date at")


class LoopbackServer:
    """Serves a site on 127.0.0.1 (`port`, or one the system picks) in a thread until stop() or
    `seconds` have passed. The site maps a path to the Resource a GET gets, "POST " + path to the
    one a POST gets; `site` may be replaced between two visits. `sent` maps each URL requested
    ("http://host:port/path", "POST http://..." for a POST) to the list of answers sent for it;
    `posted` maps the path of each POST to the body it carried last."""

    def __init__(self, seconds=180, port=0):
        self.site = {}
        self.sent = {}
        self.posted = {}
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
                self.answer("")

            def do_POST(self):
                server.posted[self.path] = self.rfile.read(
                    int(self.headers.get("Content-Length", "0")))
                self.answer("POST ")

            def answer(self, method):
                resource = server.site.get(method + self.path)
                if resource is None:
                    resource = Resource(404, "text/plain", b"no such resource")
                url = "http://%s%s" % (self.headers.get("Host", ""), self.path)
                self.forged_date = resource.date
                if resource.close:
                    # The status line says HTTP/1.0: the body ends where the connection does.
                    self.protocol_version = "HTTP/1.0"
                    self.close_connection = True
                self.send_response(resource.status)
                server.sent.setdefault(method + url, []).append(
                    Sent(resource, self.date, time.time()))
                for name, value in resource.headers:
                    self.send_header(name, value)
                if not resource.close:
                    self.send_header("Content-Length", str(len(resource.sent)))
                self.end_headers()
                self.wfile.write(resource.sent)

            def date_time_string(self, timestamp=None):
                self.date = self.forged_date or super().date_time_string(timestamp)
                return self.date

            def log_message(self, *args):
                pass
        return Handler


def run_chromium(profile, url, backend="simple", seconds=120):
    """Visits `url` with headless Chromium on the profile folder `profile` and waits for it to
    end; `backend` ("simple", "blockfile" or "sql") is the disk cache it writes, in
    profile/Default/Cache/Cache_Data. Virtual time stands still while loads are pending, so the
    page and everything it loads is in before the budget runs out. Killed after `seconds`."""
    command = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
               "--no-first-run", "--disable-background-networking", "--disable-component-update",
               "--disable-sync", "--user-data-dir=" + profile, "--virtual-time-budget=5000",
               "--dump-dom", url]
    if backend != "simple":
        command.insert(1, "--enable-features=DiskCacheBackendExperiment:backend/" + backend)
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=seconds, check=False)


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


def cachestorage_site(stored=None):
    """The site for the CacheStorage comparison: path -> Resource. Its service worker (/sw.js)
    stores `stored` (path -> Resource; by default the resources of /cs/enc/ and /cs/data/: every
    coding, a 1 MiB body, incompressible bytes, a query) in the cache "static-v1" with addAll. The page "/cs/?store" puts into "pages-v1"
    a fetched response, responses made by the page itself (one whose headers name a coding its
    body does not have, one with status 201), a response it deletes again and a 404, and the same
    URL in both caches, in "static-v1" last; then it POSTs "ok" (or the error) to /cs/done. The
    page "/cs/?read" reads every entry back with caches.match() and POSTs to /cs/report a JSON
    object {"caches": {name: [URL, ...]}, "entries": {URL: {"status": n, "body": base64}}};
    "/cs/?store&read" does both in one visit, "/cs/?store&read&hold" then reads on until the
    browser is killed. Each other page closes its window at the end."""
    if stored is None:
        rng = random.Random(29)
        words = ("".join(rng.choice("abcdefghij klmnop\n") for _ in range(20000))).encode()
        stored = {"/cs/enc/%s.txt" % (c or "identity"): Resource(200, "text/plain", words, c)
                  for c in (None, "gzip", "br", "zstd")}
        stored["/cs/enc/big.gzip.css"] = Resource(200, "text/css", text(
            31, 1024 * 1024 + 1, ".c%d { margin: 0; }\n")[:1024 * 1024 + 1], "gzip")
        stored["/cs/data/noise.bin"] = Resource(200, "application/octet-stream",
                                                rng.randbytes(300000))
        stored["/cs/data/q?x=1&y=2"] = Resource(200, "text/plain", b"a query\n")
    site = dict(stored)
    site["/cs/fetched.css"] = Resource(200, "text/css", b"body { color: #290; }\n" * 40)
    site["/cs/deleted.txt"] = Resource(200, "text/plain", b"put, then deleted\n")
    site["/cs/missing"] = Resource(404, "text/plain", b"not here\n")
    worker = ("self.addEventListener('install', e => e.waitUntil(caches.open('static-v1')"
              ".then(c => c.addAll(%s))));\n"
              "self.addEventListener('activate', e => e.waitUntil(clients.claim()));\n"
              % json.dumps(list(stored)))
    site["/sw.js"] = Resource(200, "text/javascript", worker.encode(),
                              extra=[("Cache-Control", "no-cache")])
    script = """
async function store() {
  await navigator.serviceWorker.register('/sw.js');
  await navigator.serviceWorker.ready;
  const pages = await caches.open('pages-v1');
  const statics = await caches.open('static-v1');
  await pages.put('/cs/fetched.css', await fetch('/cs/fetched.css'));
  await pages.put('/cs/made.txt', new Response('made by the page\\n',
                                               {headers: {'Content-Type': 'text/plain'}}));
  await pages.put('/cs/claims-gzip.txt', new Response('not gzip at all\\n',
                                                      {headers: {'Content-Encoding': 'gzip'}}));
  await pages.put('/cs/created.txt', new Response('created\\n', {status: 201}));
  await pages.put('/cs/deleted.txt', await fetch('/cs/deleted.txt'));
  await pages.delete('/cs/deleted.txt');
  await pages.put('/cs/missing', await fetch('/cs/missing'));
  await pages.put('/cs/twice.txt', new Response('the older answer\\n'));
  await statics.put('/cs/twice.txt', new Response('the newer answer\\n'));
  await fetch('/cs/done', {method: 'POST', body: 'ok'});
}
function base64(buffer) {
  const bytes = new Uint8Array(buffer);
  let text = '';
  for (let i = 0; i < bytes.length; i += 8192)
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
  return btoa(text);
}
async function read() {
  const out = {caches: {}, entries: {}};
  for (const name of await caches.keys())
    out.caches[name] = (await (await caches.open(name)).keys()).map(r => r.url);
  for (const url of new Set(Object.values(out.caches).flat())) {
    const answer = await caches.match(url);
    out.entries[url] = {status: answer.status, body: base64(await answer.arrayBuffer())};
  }
  await fetch('/cs/report', {method: 'POST', body: JSON.stringify(out)});
}
async function visit() {
  try {
    if (location.search.includes('store')) await store();
    if (location.search.includes('read')) await read();
  } catch (e) {
    await fetch('/cs/done', {method: 'POST', body: 'error: ' + e});
  }
  // Keeps the store busy until the browser is killed: its database stays open, unmerged.
  while (location.search.includes('hold')) await caches.match('/cs/made.txt');
  window.close();
}
visit();
"""
    page = Resource(200, "text/html", ("<!doctype html><title>CacheStorage</title>"
                                       "<script>%s</script>" % script).encode(),
                    extra=[("Cache-Control", "no-cache")])
    for mode in ("store", "read", "store&read&hold"):
        site["/cs/?" + mode] = page
    for path in ("/cs/done", "/cs/report"):
        site["POST " + path] = Resource(200, "text/plain", b"thanks\n")
    return site


# Firefox's service workers on a plain-HTTP loopback site, and a page allowed to close the
# browser's last window, which ends the browser cleanly.
CACHESTORAGE_PREFS = """\
user_pref("dom.serviceWorkers.enabled", true);
user_pref("dom.serviceWorkers.testing.enabled", true);
user_pref("devtools.serviceWorkers.testing.enabled", true);
user_pref("dom.allow_scripts_to_close_windows", true);
"""


def visit_until_posted(command, env, server, path, seconds, kill=signal.SIGTERM):
    """Runs a browser (`command`, in a session of its own) until the page has POSTed to `path`
    and the browser ended: it is given 10 seconds to end by itself after the POST, then sent
    `kill`; killed after `seconds` in all. Returns the body POSTed, or None."""
    server.posted.pop(path, None)
    proc = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    deadline = time.monotonic() + seconds
    while path not in server.posted and proc.poll() is None and time.monotonic() < deadline:
        time.sleep(0.1)
    try:
        proc.wait(timeout=10 if kill == signal.SIGTERM else 0.5)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, kill)
        proc.wait(timeout=30)
    return server.posted.get(path)


def visit_chromium(profile, url, server, path, seconds=90):
    """visit_until_posted with headless Chromium on the user data folder `profile`; it ends
    on SIGTERM, writing what it keeps as on a normal exit."""
    command = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
               "--no-first-run", "--disable-background-networking", "--disable-component-update",
               "--disable-sync", "--user-data-dir=" + profile, url]
    return visit_until_posted(command, None, server, path, seconds)


def visit_firefox(profile, url, home, server, path, seconds=90, kill=signal.SIGTERM):
    """visit_until_posted with headless Firefox on the profile folder `profile`, made with
    USER_JS and CACHESTORAGE_PREFS; the page's window.close() ends it. `kill` SIGKILL ends it
    as a crash does (the databases keep their write-ahead logs)."""
    os.makedirs(profile, exist_ok=True)
    os.makedirs(home, exist_ok=True)
    with open(os.path.join(profile, "user.js"), "w") as f:
        f.write(USER_JS + CACHESTORAGE_PREFS)
    env = dict(os.environ, HOME=home, MOZ_CRASHREPORTER_DISABLE="1", MOZ_HEADLESS="1")
    env.pop("DISPLAY", None)
    command = [shutil.which("firefox-esr") or "firefox-esr", "--headless", "--no-remote",
               "--profile", profile, url]
    posted = visit_until_posted(command, env, server, path, seconds, kill)
    if kill == signal.SIGTERM:
        for _ in range(100):
            if not os.path.lexists(os.path.join(profile, "lock")):
                break
            time.sleep(0.1)
    return posted
