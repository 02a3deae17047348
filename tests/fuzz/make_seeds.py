#!/usr/bin/env python3
"""Writes the seed inputs of the csv, answer, request and store fuzz targets
into tests/data/fuzz-*/ (the store target's good memory file is made by the
terminal program's own code at run time; its seeds here are statements). Run
from the repository's root; velmora-capture must be built in build/bin."""
import pathlib
import struct
import subprocess

root = pathlib.Path(__file__).resolve().parents[2]
data = root / "tests" / "data"


def put(folder, name, payload):
    d = data / folder
    d.mkdir(exist_ok=True)
    (d / name).write_bytes(payload if isinstance(payload, bytes) else payload.encode())


# --- csv: what csv writes for the fixtures, and hand-made oddities ---
tool = root / "build" / "bin" / "velmora-capture"
for fixture in ("three-records", "two-terminals", "bad-length", "short-last", "zero-slot"):
    for extra in ([], ["--seconds-only"]):
        out = subprocess.run([str(tool), "csv", str(data / f"{fixture}.raw")] + extra,
                             capture_output=True, check=False).stdout
        put("fuzz-csv", f"{fixture}{'-seconds' if extra else ''}.csv", out)
header = "terminal,index,seconds,cardCode,aux1,justification,presence,orValue,code\n"
put("fuzz-csv", "reordered-lf.csv",
    "\ufeffcode,orValue,presence,justification,aux1,cardCode,seconds,index,terminal\n"
    '0,0,1,0,0,1001,976190400,0,"PONTO_00 "\n')
put("fuzz-csv", "quoted-break.csv", header + '"PON""T\r\nO",0,1,2,255,255,255,-1,2147483647\n')
put("fuzz-csv", "zero-stand-in.csv", header + "P\u2400\u00e9,-2147483648,0,0,0,0,0,0,0\n")
put("fuzz-csv", "long-orvalue.csv", header + "PONTO_00,0,1,1," + "1," * 3 + "1234567890,-1234567890\n")

# --- answer: sequence byte, then frames as a terminal sends them ---
def answer(seq, status, result, rest=b""):
    body = bytes([seq, status]) + struct.pack("<i", result) + rest
    return struct.pack("<H", len(body)) + body


entry = b"PONTO_00\0" + struct.pack("<iii", 3, 976190400, 1001) + bytes([0, 0, 1]) + struct.pack("<ii", 0, 0)
put("fuzz-answer", "entry", bytes([7]) + answer(7, 0, 1, entry))
put("fuzz-answer", "late-then-pointers", bytes([9]) + answer(8, 0, 1) + answer(9, 0, 1, struct.pack("<iii", 5, 0, 3)))
put("fuzz-answer", "refused", bytes([1]) + answer(1, 3, 0))
put("fuzz-answer", "short-frames", bytes([2]) + b"\x00\x00" + b"\x01\x00\x02" + answer(2, 0, 1)[:5])

# --- request: frames as the library sends them ---
def request(seq, op, *args):
    body = bytes([seq, op])
    for a in args:
        body += a if isinstance(a, bytes) else struct.pack("<i", a)
    return struct.pack("<H", len(body)) + body


name = b"PONTO_00\0"
OPEN, CLOSE, INSERT, DELETE, POINTERS, READER, ALL, EMPLOYEE, RECEIVE, MESSAGE, JUST, CONFIG = (
    7, 6, 17, 18, 19, 20, 21, 22, 25, 14, 16, 12)
opened = request(1, OPEN, 1, 9600)
put("fuzz-request", "open-receive", opened + request(2, RECEIVE) + request(3, CLOSE, 1))
put("fuzz-request", "entries", opened + request(2, INSERT, name, 1, 976190400, 1005, 0, 0, 1)
    + request(3, DELETE, name, 0) + request(4, POINTERS, name) + request(5, READER, name, -1)
    + request(6, ALL, name, 0, 2147483647, -5))
put("fuzz-request", "texts", opened + request(2, EMPLOYEE, name, 53, b"ANA\0", 1053, 1)
    + request(3, MESSAGE, name, 53, b"Bom dia\0", 1) + request(4, JUST, name, b"A|B|C\0")
    + request(5, CONFIG, name, 1, 2, 3, 4, 5, 6, 7, 8, 9))
put("fuzz-request", "busy-and-test", bytes([0x02, 0x00, 0x01, 0x40])  # Sim_Reset
    + request(2, 73, name, 1053) + request(3, 77, name, 0) + request(4, 86, name, 1, 64)
    + request(5, 75, 3) + request(6, 68, struct.pack("<q", -1)))
put("fuzz-request", "malformed", b"\x01\x00\x05" + request(6, 200) + request(7, OPEN, 1) + b"\xff\xff\x08")

# --- store: statements run on a good memory file before it is opened ---
put("fuzz-store", "good", "SQL\n")
put("fuzz-store", "newer", "SQL\nPRAGMA user_version=5\n")
# A file of the first schema, as the program of then wrote it, for the steps up.
put("fuzz-store", "older",
    "SQL\nDROP TABLE line\nDROP TABLE terminals\nDROP TABLE entries\nDROP TABLE entry_blocks\n"
    "CREATE TABLE line(id INTEGER PRIMARY KEY, pc_name BLOB, conf_a INTEGER, conf_b INTEGER, "
    "capacity INTEGER, zero_names INTEGER, pace INTEGER)\n"
    "CREATE TABLE terminals(id INTEGER PRIMARY KEY, ord INTEGER, name BLOB UNIQUE, answering INTEGER, "
    "second_ptr INTEGER, reader_ptr INTEGER, next_serial INTEGER, clock_offset INTEGER, adj_count INTEGER, "
    "adj_ref INTEGER, adj_drift INTEGER, config BLOB, just_count INTEGER, justifications BLOB, "
    "shown INTEGER, shown_number INTEGER, shown_text BLOB)\n"
    "CREATE TABLE entries(t INTEGER, k INTEGER, seconds INTEGER, card INTEGER, aux1 INTEGER, "
    "just INTEGER, presence INTEGER, origin INTEGER, serial INTEGER, PRIMARY KEY (t, k)) WITHOUT ROWID\n"
    "ALTER TABLE messages RENAME COLUMN terminal_id TO t\nALTER TABLE events RENAME COLUMN terminal_id TO t\n"
    "ALTER TABLE employees RENAME COLUMN terminal_id TO t\nALTER TABLE employees RENAME COLUMN card_code TO card\n"
    "INSERT INTO line VALUES (1, 'PC', 3, 4, 500, 1, 1)\n"
    "INSERT INTO terminals VALUES (1, 0, 'PONTO_00', 1, 2, 3, 9, -60, 0, 0, 0, "
    "x'010000000300000000000000000000000000000000000000010000000000000000000000', 2, "
    "'ATESTADO~FERIAS', 1, 7, 'BOM DIA')\n"
    "INSERT INTO entries VALUES (1, -65536, 10, 700, 0, 0, 1, 0, 1), (1, 0, 11, 701, 0, 0, 1, 0, 2)\n"
    "PRAGMA user_version=1\n")
put("fuzz-store", "hostile-values",
    "SQL\nUPDATE terminals SET justification_count=-5, second_pointer=-1, reader_pointer=2147483647\n"
    "UPDATE entries SET aux1=300, presence=-1 WHERE slot_key=0\n"
    "UPDATE line SET entry_capacity=-1\n")
put("fuzz-store", "huge-text", "SQL\nUPDATE terminals SET shown_text=zeroblob(1000000), justifications=randomblob(70000)\n")
put("fuzz-store", "duplicate-keys",
    "SQL\nCREATE TABLE t2 AS SELECT * FROM terminals\nDROP TABLE terminals\n"
    "CREATE TABLE terminals AS SELECT * FROM t2 UNION ALL SELECT * FROM t2\n"
    "INSERT INTO entries SELECT terminal_id, block_key, slot_key + 1, seconds, card_code, aux1, "
    "justification, presence, origin, serial FROM entries\n")
put("fuzz-store", "block-counts",
    "SQL\nUPDATE entry_blocks SET entry_count=2147483647 WHERE terminal_id=1\n"
    "DELETE FROM entry_blocks WHERE terminal_id=2\n")
put("fuzz-store", "crash-justifications-beyond-text",
    "SQL\nUPDATE terminals SET justification_count=3, justifications='A'\n")
put("fuzz-store", "missing-table", "SQL\nDROP TABLE events\n")
put("fuzz-store", "blobs", "SQL\nUPDATE terminals SET configuration=x'0102', spent_clock_changes=x'ff'\nDELETE FROM line\n")
put("fuzz-store", "patch-header", b"PATCH\n" + bytes([16, 0, 2, 28, 0, 0xff, 100, 0, 0x0d]))  # page size, page count, a page's type
put("fuzz-store", "not-sqlite", "SQLite format 3\0" + "\x10\x00\x01\x01" + "\0" * 80)
