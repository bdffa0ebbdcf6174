#!/usr/bin/env python3
"""The device's archiver library against Python's zipfile and Info-ZIP's zip and unzip.

  interop.py prepare WORK   a tree, the peers' archives of it and a hostile archive; prints the
                            library's steps ("Entry|command", WORK being "\\ai" on the tool's drive)
  interop.py verify WORK    what the library wrote passes the peers' tests and reads back as the
                            tree; what it unpacked equals the tree; hostile names stayed inside
"""
import os, subprocess, sys, zipfile

TREE = {
    "Src/": None,
    "Src/a.txt": b"".join(b"line %d\r\n" % i for i in range(3000)),
    "Src/bin.dat": bytes((i * 7919) & 0xFF for i in range(100000)),
    "Src/empty/": None,
    "Src/sub/": None,
    "Src/sub/b c.txt": b"bee\n" * 500,
    "Src/\u00fcber.txt": "Gr\u00fc\u00dfe".encode(),
    "top.txt": b"top",
}
HOSTILE = ["../evil1.txt", "/evil2.txt", "C:/evil3.txt", "ok/../../evil4.txt", "x" * 300 + ".txt", "fine.txt"]


def tree_of(root):
    found = {}
    for folder, dirs, files in os.walk(root):
        rel = os.path.relpath(folder, root)
        for d in dirs:
            found[os.path.normpath(os.path.join(rel, d)).replace(os.sep, "/") + "/"] = None
        for f in files:
            with open(os.path.join(folder, f), "rb") as h:
                found[os.path.normpath(os.path.join(rel, f)).replace(os.sep, "/")] = h.read()
    return found


def prepare(work):
    tree = os.path.join(work, "tree")
    for rel, data in TREE.items():
        path = os.path.join(tree, rel)
        if data is None:
            os.makedirs(path, exist_ok=True)
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as h:
                h.write(data)
    with zipfile.ZipFile(os.path.join(work, "py.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        for rel in TREE:
            z.write(os.path.join(tree, rel), rel)
    subprocess.run(["zip", "-qr", os.path.join(work, "infozip.zip"), "Src", "top.txt"], cwd=tree, check=True)
    with zipfile.ZipFile(os.path.join(work, "hostile.zip"), "w") as z:
        for name in HOSTILE:
            z.writestr(zipfile.ZipInfo(name), b"payload")
    with open(os.path.join(work, "notzip.zip"), "wb") as h:
        h.write(b"PK\x03\x04 but nothing more")
    for out in ("out-py", "out-iz", "out-hostile"):
        os.makedirs(os.path.join(work, out), exist_ok=True)
    steps = [
        'UnZip|a "\\ai\\dll.zip" "\\ai\\tree\\" "\\ai\\tree\\Src\\*" "\\ai\\tree\\top.txt" ',
        'UnZip|e "\\ai\\py.zip" "\\ai\\out-py\\"',
        'UnZip|e "\\ai\\infozip.zip" "\\ai\\out-iz\\"',
        'UnZip|e "\\ai\\hostile.zip" "\\ai\\out-hostile\\"',
        'UnZip|a "\\ai\\dll.zip" "\\ai\\tree\\" "\\ai\\tree\\top.txt" ',
        'UnZip|e "C:\\ai\\py.zip" "\\ai\\out-py\\"',
        'UnZip|e "\\ai\\notzip.zip" "\\ai\\out-py\\"',
        'UnZip|e "\\ai\\py.zip" "\\ai\\no such\\"',
        'Unlha|e "\\ai\\x.lzh" "\\ai\\out-py\\"',
    ]
    print("\n".join(steps))


def verify(work):
    failures = []
    def check(ok, what):
        if not ok:
            failures.append(what)
    with open(os.path.join(work, "results.txt"), encoding="utf-8") as h:
        results = [line.rstrip("\n").split("|", 1) for line in h]
    check(len(results) == 9, "nine results: %r" % results)
    codes = [r[0] for r in results]
    texts = [r[1] if len(r) > 1 else "" for r in results]
    check(all("UNTERMINATED" not in t for t in texts), "every answer ends inside the buffer")
    check(codes[:3] == ["0", "0", "0"], "add and the peers' extractions succeed: %r" % results[:3])
    check(all(t == "" for t in texts[:3]), "success says nothing")
    source = tree_of(os.path.join(work, "tree"))
    # What the library wrote: the peers test it and read the tree back.
    dll = os.path.join(work, "dll.zip")
    with zipfile.ZipFile(dll) as z:
        check(z.testzip() is None, "zipfile tests dll.zip")
        names = {i.filename: (None if i.is_dir() else z.read(i)) for i in z.infolist()}
    check(names == source, "dll.zip holds the tree below the base: %r" % sorted(names))
    check(subprocess.run(["unzip", "-tq", dll], capture_output=True).returncode == 0, "unzip -t passes dll.zip")
    for out in ("out-py", "out-iz"):
        check(tree_of(os.path.join(work, out)) == source, out + " equals the tree")
    # Hostile names are refused and nothing lands outside the target.
    check(codes[3] == "3" and "left out" in texts[3], "hostile entries reported: %r" % results[3])
    check(tree_of(os.path.join(work, "out-hostile")) == {"fine.txt": b"payload"}, "only the plain entry is written")
    stray = [os.path.join(f, n) for f, _, names in os.walk(os.path.dirname(work)) for n in names if n.startswith("evil")]
    check(not stray, "nothing escaped: %r" % stray)
    check(codes[4] == "2" and "already exists" in texts[4], "an existing archive is not merged into: %r" % results[4])
    check(codes[5] == "1" and "C:" in texts[5], "a drive path is refused: %r" % results[5])
    check(codes[6] == "2" and "Not a ZIP archive" in texts[6], "a damaged archive says so: %r" % results[6])
    check(codes[7] == "2" and "does not exist" in texts[7], "a missing target says so: %r" % results[7])
    check(codes[8] == "4" and "LZH" in texts[8], "LZH is refused honestly: %r" % results[8])
    for f in failures:
        print("FAIL:", f)
    print("archiver interop: %d checks failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    if sys.argv[1] == "prepare":
        prepare(sys.argv[2])
    else:
        sys.exit(verify(sys.argv[2]))
