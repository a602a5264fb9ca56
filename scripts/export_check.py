"""Checks of murel's exports: against the answers a loopback server sent (loopback_site.py), of
murel.exe under Wine against the native program, and of web archives.

Shared by scripts/compare-chromium, scripts/compare-firefox and scripts/check-warc-sample; the
shell scripts (scripts/wine-end-to-end, scripts/wine-list-caches) run the comparison of two
exports as

  python3 scripts/export_check.py same-export <native export> <other export>

Each check returns a list of problems, one line each; an empty list is a pass.
"""
import email.utils
import hashlib
import json
import os
import shutil
import subprocess
import sys
import time

# Share of the cacheable URLs that must be exported: a browser may drop one now and then.
NEARLY_ALL = 0.9


def missing_tools(script, browser=None, wine=False):
    """Whether the machine lacks what a comparison needs: `browser` (a program name), and Wine
    when `wine`. None when all is there; else, after saying what is missing, the status to end
    with: 1, or 0 when only the browser is missing and MUREL_SKIP_MISSING_BROWSERS=1 says that
    this machine has no browsers. A missing Wine always fails: its checks were asked for."""
    if wine and shutil.which("wine") is None:
        print("%s: FAIL, wine is not installed (apt-get install wine)" % script)
        return 1
    if browser is None or shutil.which(browser) is not None:
        return None
    if os.environ.get("MUREL_SKIP_MISSING_BROWSERS") == "1":
        print("%s: SKIPPED, %s is not installed (MUREL_SKIP_MISSING_BROWSERS=1)" % (script,
                                                                                   browser))
        return 0
    print("%s: FAIL, %s is not installed (apt-get install %s)" % (script, browser, browser))
    return 1


def run(command, work, timeout=600):
    """Runs murel (or wine murel.exe) in `work`; returns (status, output). The memo of a run
    lives in the user's cache folder, here one of the work folder's own."""
    env = dict(os.environ, XDG_CACHE_HOME=os.path.join(work, "user-cache"), WINEDEBUG="-all")
    try:
        result = subprocess.run(command, cwd=work, env=env, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, timeout=timeout)
    except FileNotFoundError:
        return 127, "%s is not installed" % command[0]
    return result.returncode, result.stdout.decode(errors="replace")


def host_path(path):
    """A path of murel.exe's urls.txt ("Z:\\tmp\\x") as a path of this system."""
    return path[2:].replace("\\", "/") if path[1:3] == ":\\" else path


def read_listing(folder):
    """urls.txt of `folder` as a list of (URL, host path or None); a list (-l) has no paths."""
    with open(os.path.join(folder, "urls.txt"), "rb") as f:
        lines = f.read().decode("utf-8", "surrogateescape").split("\r\n")
    rows = []
    for line in lines:
        if line:
            url, _, target = line.partition("\t")
            rows.append((url, host_path(target) if target else None))
    return rows


def target_file(path):
    """The file a listed path names: a page whose name is also a folder is that folder's "__"."""
    return os.path.join(path, "__") if os.path.isdir(path) else path


def check_files(out, sent, bodies):
    """Every line of out/urls.txt against the last answer sent for its URL: a GET that was
    sent and may be kept, its file there with the expected bytes (`bodies` "decoded": the
    original before any coding, "raw": as sent) and a time that is the answer's Date or the
    time it was sent. Returns (problems, the URLs listed)."""
    problems, listed = [], set()
    for url, target in read_listing(out):
        listed.add(url)
        if url not in sent:
            problems.append("exported a URL that was never asked for with GET: " + url)
            continue
        answer = sent[url][-1]
        resource = answer.resource
        if not resource.cacheable:
            problems.append("exported %s (status %d, not to be kept)" % (url, resource.status))
            continue
        path = target_file(target or "")
        if not target or not os.path.isfile(path):
            problems.append("%s: listed at %s, but no file is there" % (url, target))
            continue
        with open(path, "rb") as f:
            data = f.read()
        want = resource.original if bodies == "decoded" else resource.sent
        if data != want:
            first = next((i for i, (a, b) in enumerate(zip(data, want)) if a != b),
                         min(len(data), len(want)))
            problems.append("%s (%s): %d bytes exported, %d expected, differing from byte %d%s" % (
                url, resource.encoding or "identity", len(data), len(want), first,
                whose_bytes(sent, url, data, bodies)))
            continue
        mtime = os.stat(path).st_mtime
        stamp = email.utils.parsedate_to_datetime(answer.date).timestamp()
        # Firefox's own time of an entry is when it last wrote the entry's file, which may be
        # after the answer (its metadata is written again until the browser ends), never before.
        if int(mtime) != int(stamp) and not answer.at - 2 <= mtime <= time.time() + 2:
            problems.append("%s: time %d, neither the answer's Date %d nor when it was sent %d" % (
                url, mtime, stamp, answer.at))
    return problems, listed


def whose_bytes(sent, url, data, bodies):
    """", an earlier answer's bytes" or ", a POST's answer" when `data` is one of those, for a
    message; else nothing."""
    def body(answer):
        return answer.resource.original if bodies == "decoded" else answer.resource.sent
    if any(data == body(a) for a in sent[url][:-1]):
        return ", an earlier answer's bytes"
    if any(data == body(a) for a in sent.get("POST " + url, [])):
        return ", a POST's answer"
    return ""


def check_coverage(listed, sent, must):
    """Nearly every URL whose last answer may be kept is listed, and every one of `must` (URL
    paths) that was asked for."""
    cacheable = {url for url, answers in sent.items()
                 if not url.startswith("POST ") and answers[-1].resource.cacheable}
    problems = []
    if len(cacheable & listed) < NEARLY_ALL * len(cacheable):
        problems.append("only %d of %d cacheable URLs exported" % (len(cacheable & listed),
                                                                   len(cacheable)))
    must = {p.lstrip("/") for p in must}
    for url in sorted(cacheable - listed):
        if url.split("/", 3)[-1] in must:
            problems.append("not exported: " + url)
    return problems


def files_below(folder):
    """Every file below `folder`, as paths relative to it."""
    return {os.path.relpath(os.path.join(base, name), folder)
            for base, _, names in os.walk(folder) for name in names}


def check_only_exported(out, named):
    """`out` holds urls.txt and the files that it or an earlier run's urls.txt names, nothing
    else (no memo, no temporary file). `named` (relative paths) gains this run's files."""
    named |= {os.path.relpath(target_file(t), out) for _, t in read_listing(out) if t}
    extra = sorted(files_below(out) - named - {"urls.txt"})
    return ["the export folder holds files that no urls.txt named: %s" % extra[:5]] \
        if extra else []


def check_list_run(folder, listed):
    """A list run (-l) wrote urls.txt alone, naming the URLs the export listed."""
    problems = []
    extra = sorted(files_below(folder) - {"urls.txt"})
    if extra:
        problems.append("-l wrote more than urls.txt: %s" % extra[:5])
    if {url for url, _ in read_listing(folder)} != listed:
        problems.append("-l lists other URLs than the export")
    return problems


def snapshot(folder):
    """Relative path -> (inode, size, time, sha256) of every file below `folder`; urls.txt, which
    every run writes anew, by its content alone."""
    state = {}
    for name in files_below(folder):
        path = os.path.join(folder, name)
        with open(path, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        st = os.stat(path)
        state[name] = digest if name == "urls.txt" else (st.st_ino, st.st_size, st.st_mtime_ns,
                                                         digest)
    return state


def changes(before, after):
    """The paths whose snapshot differs, for a message."""
    return sorted(k for k in before.keys() | after.keys() if before.get(k) != after.get(k))


def same_export(native, other):
    """Two exports of one cache (native and murel.exe under Wine) hold the same files with the
    same bytes and times (to the microsecond), and list the same URLs in the same order at the
    same paths below their roots."""
    def files(folder):
        return {k: (v[1], v[2] // 1000, v[3]) for k, v in snapshot(folder).items()
                if k != "urls.txt"}

    def listed(folder):
        return [(url, target and os.path.relpath(target, folder))
                for url, target in read_listing(folder)]
    a, b = files(native), files(other)
    problems = []
    if not a:
        problems.append("nothing exported into " + native)
    if a != b:
        problems.append("murel.exe left other files, bytes or times than the native program: %s"
                        % changes(a, b)[:5])
    if listed(native) != listed(other):
        problems.append("murel.exe listed other URLs or paths than the native program")
    return problems


def check_runs(murel, work, cache, out, sent, bodies, must, named):
    """Exports `cache` into `out` with the command `murel` (a list: the program and its options)
    and checks the export (check_files, check_coverage, check_only_exported with `named`, the
    files earlier runs into `out` named); then that a list
    run (-l) writes only urls.txt with the same URLs, and that an unchanged re-run changes
    nothing in `out`."""
    status, output = run(murel + ["-c", cache, out], work)
    problems = [] if status == 0 else ["murel exited with status %d: %s" % (status, output[:300])]
    if not os.path.isfile(os.path.join(out, "urls.txt")):
        return problems + ["no urls.txt in " + out]
    found, listed = check_files(out, sent, bodies)
    problems += found + check_coverage(listed, sent, must) + check_only_exported(out, named)
    listing = out + "-list"
    if os.path.isdir(listing):
        shutil.rmtree(listing)
    status, _ = run(murel + ["-l", "-c", cache, listing], work)
    problems += ["murel -l exited with status %d" % status] if status else \
        check_list_run(listing, listed)
    before = snapshot(out)
    run(murel + ["-c", cache, out], work)
    moved = changes(before, snapshot(out))
    if moved:
        problems.append("an unchanged re-run changed the export folder: %s" % moved[:5])
    # A URL listed twice (a POST's answer beside the GET's) would say the same twice.
    return list(dict.fromkeys(problems))


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def check_wine(exe, options, work, cache, out, native_out, named, refused=False):
    """murel.exe under Wine exports `cache` into `out` with `options`, and must leave what the
    native program left in `native_out` with the same options, and nothing but the files that
    its runs into `out` named (`named`, as for check_only_exported); with `refused`
    it must refuse the cache instead (status 1: a format its build cannot read)."""
    status, output = run(["wine", exe, "-nm", *options, "-c", windows_path(cache),
                          windows_path(out)], work)
    if refused:
        return [] if status == 1 else ["murel.exe exited with status %d on a cache it cannot "
                                       "read, 1 expected" % status]
    problems = [] if status == 0 else ["murel.exe exited with status %d: %s" % (status,
                                                                               output[:300])]
    if not os.path.isfile(os.path.join(out, "urls.txt")):
        return problems + ["murel.exe wrote no urls.txt"]
    return problems + same_export(native_out, out) + check_only_exported(out, named)


def read_warc(work, archive):
    """The records of `archive` as scripts/warc_check.mjs reads them with warcio (every record
    parsed, its digests verified, each body decoded per its head): (problems, the warcinfo
    fields, a list of dicts for the response and resource records)."""
    try:
        result = subprocess.run(["node", os.path.join(os.path.dirname(__file__), "warc_check.mjs"),
                                 archive], cwd=work, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, timeout=600)
    except FileNotFoundError:
        return ["node is not installed (scripts/install-deps)"], "", []
    if result.returncode != 0:
        return ["warcio check of %s: %s" % (archive, result.stderr.decode(errors="replace")
                                            .strip()[:500])], "", []
    lines = [json.loads(line) for line in result.stdout.decode().splitlines()]
    return [], lines[0]["fields"], lines[1:]


def check_warc(murel, work, cache, archive, sent, format_name, path=lambda p: p):
    """murel --warc `archive` -l on `cache`: the archive holds a warcinfo record naming the
    format, and one response record for each URL of the list run's urls.txt, dated, whose body
    decoded per its head is the original of the last answer the server sent for its URL.
    `path` gives the paths as `murel` takes them (windows_path for murel.exe under Wine)."""
    listing = archive + "-list"
    shutil.rmtree(listing, ignore_errors=True)
    status, output = run(murel + ["--warc", path(archive), "-l", "-c", path(cache),
                                  path(listing)], work)
    if status != 0:
        return ["murel --warc exited with status %d: %s" % (status, output[:300])]
    problems, fields, records = read_warc(work, archive)
    if problems:
        return problems
    if "cache-format: %s\r\n" % format_name not in fields:
        problems.append("the warcinfo record does not name the format %s: %r" % (format_name,
                                                                                   fields))
    listed = {url for url, _ in read_listing(listing)}
    archived = {}
    for record in records:
        url = record["uri"]
        if record["type"] != "response" or not record["date"]:
            problems.append("%s: a %s record without a date or head" % (url, record["type"]))
        if url in archived:
            problems.append("archived twice: " + url)
        archived[url] = record
        if url not in sent:
            problems.append("archived a URL that was never asked for with GET: " + url)
            continue
        want = sent[url][-1].resource.original
        if record["sha256"] != hashlib.sha256(want).hexdigest():
            problems.append("%s (%s): the archived body decodes to %d bytes that are not the "
                            "%d the server sent" % (url, record["coding"] or "identity",
                                                    record["length"], len(want)))
    for url in sorted(listed ^ set(archived))[:5]:
        problems.append("%s is in %s but not in %s" % (
            url, *(("urls.txt", "the archive") if url in listed else ("the archive", "urls.txt"))))
    return problems


def main(arguments):
    """The command line of the shell scripts: same-export <native export> <other export>."""
    if len(arguments) != 3 or arguments[0] != "same-export":
        print("usage: export_check.py same-export <native export> <other export>")
        return 2
    problems = same_export(os.path.abspath(arguments[1]), os.path.abspath(arguments[2]))
    for problem in problems:
        print("FAIL: " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
