#!/usr/bin/env python3
"""find's filters and formats as a script sees them: every filter against
Python's own reading of the same records, through the index and without it,
plain and compressed; every format read back by Python's csv and json to the
catalog's exact bytes; and wrong values refused as wrong usage."""
import base64
import csv
import fnmatch
import io
import json
import os
import re
import subprocess
import sys
import tempfile

cli = sys.argv[1]
work = tempfile.mkdtemp()
os.environ.update(XDG_CONFIG_HOME=work + "/config", XDG_CACHE_HOME=work + "/cache")
failed = passed = 0


def check(name, expected, actual):
    global failed, passed
    if expected == actual:
        passed += 1
    else:
        failed += 1
        print(f"FAIL {name}\n--- expected\n{expected!r}\n--- actual\n{actual!r}")


def q(*args):
    run = subprocess.run([cli, "--root", work + "/root", *args], capture_output=True)
    return run.returncode, run.stdout, run.stderr


# Records as (kind, name, directory, size): ASCII names for the patterns, and
# names no writer of commas, quotes, tabs and 8-bit text may lose.
words = ["zebra42.jpg", "Zebra.JPG", "IMG_1234.png", "img_12.png", "readme", "trail.",
         ".bashrc", "a.b.tar.gz", "mp3 songs", "song.mp3", "aaaa", "abcabc.txt", "x.iso"]
awkward = [b"a, b.txt", b'say "hi".doc', b"tab\there.txt", b"back\\slash", b"caf\xc3\xa9.txt",
           b"latin\xe9.txt", b"bad\xff\xfe.bin", b"\xe2\x82\xac.eur", b"lone\x9b.c1"]
records = []
for i, word in enumerate(words):
    for j, directory in enumerate(["\\", "\\mp3\\", "\\Zebra\\IMG_9999\\"]):
        size = [0, 1023, 1024, 1025, 700 * 1024**2, 5 * 1024**3][(i + j) % 6]
        records.append((b"D" if (i + j) % 5 == 0 else b"F", word.encode(), directory.encode(), size))
records += [(b"F", name, b"\\odd, dir\\", 7) for name in awkward]
records.append((b"X", b"other kind", b"\\", 3))
text = b"".join(b"%s\r\n%s\r\n%s\r\n5/3/2003\r\n10:04:00\r\n%d\r\n-----\r\n" % (k, n, d, s)
                for k, n, d, s in records)
# Dates and times not in the scanner's form, which a format gives as they stand.
odd = {b"odd date": (b"2003-03-05", b"10:04"), b"zero led": (b"05/03/2003", b"10:04:00")}
for name, (date, time) in odd.items():
    text += b"F\r\n%s\r\n\\\r\n%s\r\n%s\r\n12\r\n-----\r\n" % (name, date, time)
    records.append((b"F", name, b"\\", 12))
os.makedirs(work + "/root")
for name, compressed in [("Plain", False), ("Zip", True)]:
    q("create", name, *(["--compressed"] if compressed else []))
    with open(f"{work}/root/{name}/Disk, one!7.txt", "wb") as catalog:
        catalog.write(text)
    if compressed:
        q("decompress", name)
        q("compress", name)


def fields(run):
    """The (name, directory, size) of every row of --format json."""
    def text(value):
        return base64.b64decode(value["bytes"]) if isinstance(value, dict) else value.encode()
    return sorted((text(row["name"]), text(row["directory"]), str(row["size"]).encode())
                  for row in json.loads(run[1]))


def expected(test):
    return sorted((n, d, str(s).encode()) for k, n, d, s in records if test(k, n, d, s))


def ext(name):
    return name.rsplit(b".", 1)[1].lower() if b"." in name else None


def ascii_search(pattern, flags, *texts):
    return any(t.isascii() and re.search(pattern, t.decode(), flags) for t in texts)


cases = []
for pattern in ["zebra[0-9]+", "^img_\\d{4}", "\\.(jpg|png)$", "a+b?c", "(a+)+$", "^[a-c]{4}",
                "mp3", "s\\b", "^$", "e.*a"]:
    for flags, sensitive in [(re.I, []), (0, ["--case-sensitive"])]:
        cases.append(([*sensitive, "--regex", pattern],
                      lambda k, n, d, s, p=pattern, f=flags: ascii_search(p, f, n)))
        cases.append(([*sensitive, "--regex", pattern, "--in", "both"],
                      lambda k, n, d, s, p=pattern, f=flags: ascii_search(p, f, n, d)))
    cases.append((["--regex", pattern, "--in", "dir"],
                  lambda k, n, d, s, p=pattern: ascii_search(p, re.I, d)))
for glob in ["*.JPG", "img_????.png", "[!z]*", "*[0-9]", "*.*.*", "?"]:
    cases.append((["--glob", glob], lambda k, n, d, s, g=glob: fnmatch.fnmatchcase(
        n.decode("utf-8", "surrogateescape").lower(), g.lower())))
for extensions in ["jpg", "JPG,png", "gz", ".iso", "mp3"]:
    wanted = {e.lstrip(".").lower().encode() for e in extensions.split(",")}
    cases.append((["--ext", extensions], lambda k, n, d, s, w=wanted: ext(n) in w))
for size, test in [(">1024", lambda s: s > 1024), (">=1024", lambda s: s >= 1024),
                   ("<1K", lambda s: s < 1024), ("<=1k", lambda s: s <= 1024),
                   ("=1025", lambda s: s == 1025), ("1023..1025", lambda s: 1023 <= s <= 1025),
                   (">700M", lambda s: s > 700 * 1024**2), (">=5G", lambda s: s >= 5 * 1024**3),
                   ("<1T", lambda s: s < 1024**4)]:
    cases.append((["--size", size], lambda k, n, d, s, t=test: t(s)))
cases += [(["--type", "f"], lambda k, n, d, s: k == b"F"),
          (["--type", "d"], lambda k, n, d, s: k == b"D"),
          (["--text", "zebra", "--in", "both", "--ext", "jpg", "--size", "<1M", "--type", "f"],
           lambda k, n, d, s: b"zebra" in n.lower() and b"zebra" in d.lower() and ext(n) == b"jpg"
           and s < 1024**2 and k == b"F")]

for database in ["Plain", "Zip"]:
    check(f"index {database}", 0, q("index", "--db", database)[0])
    for read in [["--no-index"], []]:
        for args, test in cases:
            name = f"{database} {read} {args}"
            run = q("find", "--db", database, "--format", "json", *read, *args)
            check(name, (0, b""), (run[0], run[2]))
            check(name, expected(test), fields(run))
            check(name + " --count", b"%d\n" % len(expected(test)),
                  q("find", "--db", database, "--count", *read, *args)[1])

# Every format reads back to the catalog's exact bytes; ndjson as found
# holds what json holds.
def as_bytes(text):
    return text.encode("utf-8", "surrogateescape")


def tsv_field(text):
    return re.sub(rb"\\(.)", lambda m: {b"t": b"\t", b"n": b"\n", b"r": b"\r"}.get(
        m.group(1), m.group(1)), as_bytes(text))


def json_field(value):
    return base64.b64decode(value["bytes"]) if isinstance(value, dict) else value.encode()


def json_rows(lines):
    return sorted(tuple(json_field(v) if k in ("name", "directory", "disk_name") else
                        str(v).encode() for k, v in row.items()) for row in lines)


readers = {
    "csv": lambda out: [tuple(as_bytes(f) for f in row) for row in csv.reader(
        io.StringIO(out.decode("utf-8", "surrogateescape"), newline=""))],
    "tsv": lambda out: [tuple(tsv_field(f) for f in line.split("\t")) for line in
                        out.decode("utf-8", "surrogateescape").split("\n")[:-1]],
}
header = (b"name", b"directory", b"disk_name", b"disk_number", b"size", b"modified", b"type")
want = sorted((n, d, b"Disk, one", b"7", str(s).encode(),
               b" ".join(odd[n]) if n in odd else b"2003-03-05 10:04:00",
               {b"F": b"file", b"D": b"directory"}.get(k, k)) for k, n, d, s in records)
for database in ["Plain", "Zip"]:
    for fmt, read in readers.items():
        run = q("find", "--db", database, "--format", fmt)
        rows = read(run[1])
        check(f"{database} {fmt} header", header, rows[0])
        check(f"{database} {fmt} rows", want, sorted(rows[1:]))
    json_out = json_rows(json.loads(q("find", "--db", database, "--format", "json")[1]))
    check(f"{database} json rows", want, json_out)
    ndjson = q("list", "--db", database, "--number", "7", "--format", "ndjson")[1]
    check(f"{database} ndjson rows", want,
          json_rows(json.loads(line) for line in ndjson.decode().splitlines()))
    code, _, _ = q("find", "--db", database, "--format", "csv", "--bom", "--output", work + "/o.csv")
    with open(work + "/o.csv", "rb") as exported:
        check(f"{database} --bom --output", (0, b"\xef\xbb\xbfname,"), (code, exported.read(8)))

# A wrong value is wrong usage: one line naming it, the usage, exit 2.
for args, line in [
        (["--size", "10x"], "invalid --size value 10x"),
        (["--size", "5..3"], "invalid --size value 5..3"),
        (["--ext", "iso,,img"], "invalid --ext value iso,,img"),
        (["--regex", "a("], "invalid --regex value a(: missing ): a("),
        (["--type", "x"], "--type must be f or d"),
        (["--format", "xml"], "--format must be export, csv, tsv, json or ndjson"),
        (["--format", "json", "--bom"], "--bom needs --format csv or tsv"),
        (["--case-sensitive"], "--case-sensitive needs --regex"),
        (["--count", "--format", "csv"], "--count and --format cannot be given together"),
        (["--count", "--bom"], "--count and --bom cannot be given together")]:
    code, out, err = q("find", "--db", "Plain", *args)
    check(f"usage {args}", (2, b"", "quillory-cli: find: " + line),
          (code, out, err.decode().splitlines()[0]))
    check(f"usage {args} shows the usage", True, "Usage:" in err.decode())

print(f"{passed} passed, {failed} failed")
subprocess.run(["rm", "-rf", work])
sys.exit(1 if failed else 0)
