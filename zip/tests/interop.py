#!/usr/bin/env python3
"""The ZIP engine against real peers: Python's zipfile and Info-ZIP's zip and unzip.

  interop.py prepare WORK   a source tree, and archives of it written by the peers; prints the
                            engine's steps (for interop_tool.exe, WORK being its drive T:)
  interop.py verify WORK    the engine's archive passes the peers' tests and reads back as the
                            source; every peer archive unpacked by the engine equals the source
"""
import os, shutil, subprocess, sys, time, zipfile

NAMES = {  # relative path -> content (None: a folder)
    "Src/": None,
    "Src/a.txt": b"".join(b"line %d of a text file\r\n" % i for i in range(4000)),
    "Src/bin.dat": bytes((i * 7919 + (i >> 7)) & 0xFF for i in range(300000)),
    "Src/empty.txt": b"",
    "Src/emptydir/": None,
    "Src/sub/": None,
    "Src/sub/b.txt": b"bee\n" * 1000,
    "Src/sub/deeper/": None,
    "Src/sub/deeper/c.log": b"c",
    "Src/\u00fcber caf\u00e9.txt": "Gr\u00fc\u00dfe".encode(),
    "Src/\u65e5\u672c/": None,
    "Src/\u65e5\u672c/\u540d\u524d.txt": b"namae",
}
ATTRIBUTES = {"Src/a.txt": 0x21, "Src/sub/b.txt": 0x02}  # read-only+archive, hidden
WHEN = time.mktime((2006, 7, 15, 13, 45, 31, 0, 0, -1))


def tree_of(root):
    """relative path -> bytes, or None for a folder"""
    found = {}
    for folder, dirs, files in os.walk(root):
        rel = os.path.relpath(folder, root)
        for d in dirs:
            found[os.path.normpath(os.path.join(rel, d)).replace(os.sep, "/") + "/"] = None
        for f in files:
            with open(os.path.join(folder, f), "rb") as h:
                found[os.path.normpath(os.path.join(rel, f)).replace(os.sep, "/")] = h.read()
    return found


class Unseekable:
    """A stream zipfile cannot seek in, so it writes data descriptors."""
    def __init__(self, f): self.f = f
    def write(self, b): return self.f.write(b)
    def flush(self): self.f.flush()
    def tell(self): raise OSError("no tell")


def python_archives(work):
    src = os.path.join(work, "tree")
    made = {}
    for name, method in (("py-deflated", zipfile.ZIP_DEFLATED), ("py-stored", zipfile.ZIP_STORED)):
        with zipfile.ZipFile(os.path.join(work, name + ".zip"), "w", method) as z:
            for rel in NAMES:
                z.write(os.path.join(src, rel), rel)
        made[name] = True
    with zipfile.ZipFile(os.path.join(work, "py-zip64.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        for rel, data in NAMES.items():
            if data is None:
                z.writestr(rel, b"")
            else:
                with z.open(zipfile.ZipInfo(rel, time.localtime(WHEN)[:6]), "w", force_zip64=True) as f:
                    f.write(data)
    made["py-zip64"] = True
    with open(os.path.join(work, "py-streamed.zip"), "wb") as raw:
        with zipfile.ZipFile(Unseekable(raw), "w", zipfile.ZIP_DEFLATED) as z:
            for rel, data in NAMES.items():
                info = zipfile.ZipInfo(rel, time.localtime(WHEN)[:6])
                info.compress_type = zipfile.ZIP_DEFLATED
                with z.open(info, "w") as f:
                    if data:
                        f.write(data)
    made["py-streamed"] = True
    return made


def infozip_archives(work):
    made = {}
    src = os.path.join(work, "tree")
    for name, flags, folders in (("iz-r", ["-r"], True), ("iz-0", ["-r", "-0"], True),
                                 ("iz-D", ["-r", "-D"], False), ("iz-fz", ["-r", "-fz"], True)):
        out = os.path.join(work, name + ".zip")
        subprocess.run(["zip", "-q", *flags, out, "Src"], cwd=src, check=True)
        made[name] = folders
    with open(os.path.join(src, "Src/a.txt"), "rb") as data:
        subprocess.run(["zip", "-q", os.path.join(work, "iz-pipe.zip"), "-"], stdin=data, check=True)
    return made


def prepare(work):
    shutil.rmtree(work, ignore_errors=True)
    src = os.path.join(work, "tree")
    for rel, data in NAMES.items():
        path = os.path.join(src, rel)
        if data is None:
            os.makedirs(path, exist_ok=True)
        else:
            with open(path, "wb") as f:
                f.write(data)
            os.utime(path, (WHEN, WHEN))
    archives = {**python_archives(work), **infozip_archives(work)}
    os.makedirs(os.path.join(work, "out"))
    steps = []
    for rel, attributes in ATTRIBUTES.items():
        steps += ["attrib", "T:\\zip-interop\\tree\\" + rel.replace("/", "\\"), "%x" % attributes]
    steps += ["pack", "T:\\zip-interop\\tree\\Src", "T:\\zip-interop\\ours.zip"]
    for name in sorted(archives) + ["iz-pipe"]:
        steps += ["unpack", "T:\\zip-interop\\%s.zip" % name, "T:\\zip-interop\\out\\" + name]
    with open(os.path.join(work, "folders.txt"), "w") as f:
        f.write("\n".join(n for n, folders in archives.items() if not folders))
    print("\n".join(steps))


def local_dos_time(path):
    t = time.localtime(os.stat(path).st_mtime)
    return (t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec - t.tm_sec % 2)


def verify(work):
    failures = []
    def check(ok, what):
        print(("ok      " if ok else "FAILED  ") + what)
        if not ok:
            failures.append(what)
    src = os.path.join(work, "tree")
    ours = os.path.join(work, "ours.zip")
    with zipfile.ZipFile(ours) as z:
        check(z.testzip() is None, "ours.zip: Python zipfile testzip()")
        infos = {i.filename: i for i in z.infolist()}
        check(set(infos) == set(NAMES), "ours.zip: names as the source (%s)" % sorted(set(infos) ^ set(NAMES)))
        for rel, data in NAMES.items():
            if rel not in infos:
                continue
            i = infos[rel]
            if data is not None:
                check(z.read(i) == data, "ours.zip: bytes of " + rel)
                check(i.date_time == local_dos_time(os.path.join(src, rel)), "ours.zip: time of %s %s" % (rel, i.date_time))
            check(bool(i.flag_bits & 0x800) == (not rel.isascii()), "ours.zip: UTF-8 flag of " + rel)
            if rel in ATTRIBUTES:  # Wine adds the archive bit when other bits are set
                check(i.external_attr & 0x1F == ATTRIBUTES[rel] & 0x1F, "ours.zip: attributes of %s %#x" % (rel, i.external_attr))
            if data is None:
                check(i.external_attr & 0x10 == 0x10, "ours.zip: folder bit of " + rel)
    tested = subprocess.run(["unzip", "-t", ours], capture_output=True, text=True)
    check(tested.returncode == 0 and "No errors detected" in tested.stdout, "ours.zip: Info-ZIP unzip -t")
    unzipped = os.path.join(work, "unzipped")
    subprocess.run(["unzip", "-q", "-o", ours, "-d", unzipped], check=True)
    check(tree_of(unzipped) == tree_of(src), "ours.zip: Info-ZIP unzip makes the source tree, names included")

    expected = tree_of(src)
    without_folders = {k: v for k, v in expected.items() if v is not None or any(
        n.startswith(k) and NAMES.get(n) is not None for n in NAMES)}
    flat = open(os.path.join(work, "folders.txt")).read().split()
    for name in sorted(os.listdir(os.path.join(work, "out"))):
        got = tree_of(os.path.join(work, "out", name))
        if name == "iz-pipe":
            check(got == {"-": NAMES["Src/a.txt"]}, name + ": the piped entry")
            continue
        want = without_folders if name in flat else expected
        check(got == want, "%s: unpacked by the engine as the source (%s)" % (name, sorted(set(got) ^ set(want))))
        for rel, data in NAMES.items():
            path = os.path.join(work, "out", name, rel)
            if data is not None and os.path.exists(path):
                # DOS times have two-second steps; Info-ZIP rounds odd seconds up, Python down.
                near = abs(os.stat(path).st_mtime - os.stat(os.path.join(src, rel)).st_mtime) <= 2
                check(near, "%s: time of %s" % (name, rel))
    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    verb, work = sys.argv[1], sys.argv[2]
    sys.exit(prepare(work) if verb == "prepare" else verify(work))
