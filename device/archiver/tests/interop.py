#!/usr/bin/env python3
"""The device's archiver library against Python's zipfile, Info-ZIP's zip and unzip, and lhasa.

  interop.py prepare WORK LHASA  a tree, the peers' archives of it, a hostile archive and lhasa's
                                 test archives with their contents as lhasa's own tool (built here
                                 from the same source package) extracts them; prints the library's
                                 steps ("Entry|command", WORK being "\\ai" on the tool's drive)
  interop.py verify WORK         what the library wrote passes the peers' tests and reads back as
                                 the tree; what it unpacked equals the tree and lhasa's output byte
                                 for byte; hostile names stayed inside
"""
import glob, os, subprocess, sys, zipfile

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
            if os.path.islink(os.path.join(folder, f)):
                continue  # links are not made on the device
            with open(os.path.join(folder, f), "rb") as h:
                found[os.path.normpath(os.path.join(rel, f)).replace(os.sep, "/")] = h.read()
    return found


def prepare(work, lhasa):
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
        'Unlha|a "\\ai\\new.lzh" "\\ai\\tree\\" "\\ai\\tree\\top.txt" ',
    ]
    for name in lzh_archives(work, lhasa):
        os.makedirs(os.path.join(work, "lzh-out", name))
        steps.append('Unlha|e "\\ai\\lzh\\%s" "\\ai\\lzh-out\\%s\\"' % (name, name))
    print("\n".join(steps))


# Archives the library treats more strictly than lhasa's tool, and why.
STRICTER = {
    "lhmelt_16536_h0_subdir.lzh": "absolute names",
    "lhmelt_16536_h1_subdir.lzh": "absolute names",
    "lhmelt_16536_h2_subdir.lzh": "absolute names",
    "maclha_224_l1_full_subdir.lzh": "an absolute name",
    "maclha_224_l2_full_subdir.lzh": "an absolute name",
    "regression_abspath.lzh": "an absolute name",
    "regression_badterm.lzh": "an absolute name",
    "regression_truncated.lzh": "a short file fails its length and CRC check",
    "regression_symlink2.lzh": "a link is not made",
    "regression_symlink3.lzh": "a link is not made",
}
# Where lhasa's tool refuses to write through a link it made, the library (making no link) writes
# the file into a real folder inside the target.
LINKS = {"regression_symlink2.lzh", "regression_symlink3.lzh"}

UNITS = ("crc16 ext_header lha_arch_unix lha_arch_win32 lha_decoder lha_endian lha_file_header lha_input_stream "
         "lha_basic_reader lha_reader macbinary null_decoder lh1_decoder lh5_decoder lh6_decoder lh7_decoder "
         "lhx_decoder lz5_decoder lzs_decoder pm1_decoder pm2_decoder").split()


def lzh_archives(work, lhasa):
    """lhasa's test archives copied under WORK/lzh, each extracted by lhasa's tool into WORK/lzh-ref"""
    tool = os.path.join(work, "host-lha")
    os.makedirs(os.path.join(work, "host-include"), exist_ok=True)
    open(os.path.join(work, "host-include", "config.h"), "w").close()
    lib = os.path.join(lhasa, "lib")
    subprocess.run(["gcc", "-O1", "-w", "-DPACKAGE_NAME=\"lhasa\"", "-DPACKAGE_VERSION=\"0\"", "-I" + lhasa, "-I" + lib,
                    "-I" + os.path.join(lib, "public"), "-I" + os.path.join(work, "host-include"), "-o", tool]
                   + glob.glob(os.path.join(lhasa, "src", "*.c")) + [os.path.join(lib, u + ".c") for u in UNITS],
                   check=True)
    names = []
    for path in sorted(glob.glob(os.path.join(lhasa, "test", "archives", "*", "*"))):
        if not path.lower().endswith((".lzh", ".lha", ".lzs", ".pma")):
            continue
        name = os.path.basename(os.path.dirname(path)) + "_" + os.path.basename(path)
        os.makedirs(os.path.join(work, "lzh"), exist_ok=True)
        with open(path, "rb") as src, open(os.path.join(work, "lzh", name), "wb") as dst:
            dst.write(src.read())
        ref = os.path.join(work, "lzh-ref", name)
        os.makedirs(ref)
        subprocess.run([tool, "-xq", os.path.abspath(path)], cwd=ref, capture_output=True)
        names.append(name)
    return names


def verify(work):
    failures = []
    def check(ok, what):
        if not ok:
            failures.append(what)
    with open(os.path.join(work, "results.txt"), encoding="utf-8") as h:
        results = [line.rstrip("\n").split("|", 1) for line in h]
    lzh = sorted(os.listdir(os.path.join(work, "lzh")))
    check(len(results) == 10 + len(lzh), "a result per step: %r" % results)
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
    inside = tuple(os.path.join(work, d) + os.sep for d in ("out-hostile", "lzh-out", "lzh-ref"))
    stray = [os.path.join(f, n) for f, _, names in os.walk(os.path.dirname(work)) for n in names
             if n.startswith("evil") and not (f + os.sep).startswith(inside)]
    check(not stray, "nothing escaped: %r" % stray)
    check(codes[4] == "2" and "already exists" in texts[4], "an existing archive is not merged into: %r" % results[4])
    check(codes[5] == "1" and "C:" in texts[5], "a drive path is refused: %r" % results[5])
    check(codes[6] == "2" and "Not a ZIP archive" in texts[6], "a damaged archive says so: %r" % results[6])
    check(codes[7] == "2" and "does not exist" in texts[7], "a missing target says so: %r" % results[7])
    check(codes[8] == "2" and "Cannot open" in texts[8], "a missing LZH archive says so: %r" % results[8])
    check(codes[9] == "4" and "LZH" in texts[9], "making LZH archives is refused honestly: %r" % results[9])
    # lhasa's archives: byte for byte what lhasa's own tool extracts. Names that are not UTF-8
    # (Shift-JIS, say) are decoded as code page 437 by the library: compared by content only.
    # Where the library is stricter than lhasa's tool, it leaves the entry out and says so.
    same = 0
    for i, name in enumerate(lzh):
        got, want = tree_of(os.path.join(work, "lzh-out", name)), tree_of(os.path.join(work, "lzh-ref", name))
        code, text = results[10 + i][0], results[10 + i][1] if len(results[10 + i]) > 1 else ""
        if name in STRICTER:
            check(code == "3" and "left out" in text, "%s (%s): %r" % (name, STRICTER[name], results[10 + i]))
            check(all(k in want and v == want[k] for k, v in got.items() if v is not None) or name in LINKS,
                  "%s: what is written is what lhasa writes" % name)
        elif got == want:
            same += 1
            check(code in ("0", "3") or not want, "%s: %r" % (name, results[10 + i]))
        elif sorted(v for v in got.values() if v is not None) == sorted(v for v in want.values() if v is not None):
            same += 1
        else:
            check(False, "%s differs from lhasa's extraction (%s|%s): ours %r, lhasa's %r" % (
                name, code, text, sorted(got)[:8], sorted(want)[:8]))
    print("lzh: %d of %d archives extracted as lhasa's tool does, %d more strictly" % (same, len(lzh), len(STRICTER)))
    check(same + len(STRICTER) == len(lzh), "every archive accounted for")
    for f in failures:
        print("FAIL:", f)
    print("archiver interop: %d checks failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    if sys.argv[1] == "prepare":
        prepare(sys.argv[2], sys.argv[3])
    else:
        sys.exit(verify(sys.argv[2]))
