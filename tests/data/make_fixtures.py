#!/usr/bin/env python3
# Writes the capture-file fixtures of this folder byte by byte, independently
# of the program's own record code. Run once; the .raw files are committed.
import struct


def line(name, *numbers):
    text = name.encode("cp1252")
    for n in numbers:
        text += b"," + (b" " if n >= 0 else b"") + str(n).encode("ascii")
    text = (text + b" " * 77)[:76]
    return text + b"\r\n"


def record(name, index, seconds, card, aux1, justification, presence, or_value=0, code=0,
           tag=8, length=78):
    body = line(name, index, seconds, card, aux1, justification, presence, or_value, code)
    assert len(body) == 78
    return struct.pack("<HH", tag, length) + body


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


A = "PONTO_00 "
B = "PONTO_01 "

write("three-records.raw",
      record(A, 0, 976190400, 1053, 0, 0, 1, 0, 1)
      + record(A, 1, 976190460, 1007, 65, 2, 0, 0, 2)
      + record(A, 2, 976190520, -7, 0, 0, 1, 0, 3))
write("zero-slot.raw",
      record(A, 0, 976190400, 1053, 0, 0, 1)
      + bytes(82)
      + record(A, 2, 976190520, 1054, 0, 0, 1))
write("two-terminals.raw",
      record(A, 0, 976190400, 1001, 0, 0, 1)
      + record(B, 0, 976190401, 1002, 0, 0, 1)
      + record(A, 1, 976190402, 1003, 0, 0, 0))
write("gaps.raw",
      record(A, 0, 976190400, 1001, 0, 0, 1)
      + record(A, 1, 976190460, 1002, 0, 0, 1)
      + record(A, 4, 976190520, 1003, 0, 0, 1))
write("bad-length.raw",
      record(A, 0, 976190400, 1001, 0, 0, 1)
      + record(A, 1, 976190460, 1002, 0, 0, 1, length=77)
      + record(A, 2, 976190520, 1003, 0, 0, 1))
write("short-last.raw",
      record(A, 0, 976190400, 1001, 0, 0, 1)
      + record(A, 1, 976190460, 1002, 0, 0, 1)
      + record(A, 2, 976190520, 1003, 0, 0, 1)[:40])

# Hand-made seeds for the restore fuzz target (fuzz-corpus/, next to copies
# of the fixtures above): each reaches one decision of a restore.
def raw_record(text, tag=8, length=78):
    body = (text + b" " * 78)[:76] + b"\r\n"
    return struct.pack("<HH", tag, length) + body


write("fuzz-corpus/seed-far-gap.raw",
      record(A, 0, 976190400, 1001, 0, 0, 1) + record(A, 2000000000, 976190401, 1002, 0, 0, 1))
write("fuzz-corpus/seed-smallest-stamp.raw",
      record(A, 3, -2147483648, 1001, 0, 0, 1))
write("fuzz-corpus/seed-byte-field-256.raw",
      raw_record(b"PONTO_00 , 0, 976190400, 1001, 256, 0, 1, 0, 0"))
write("fuzz-corpus/seed-six-commas.raw",
      raw_record(b"PONTO_00 , 0, 976190400, 1001, 0, 0, 1"))
write("fuzz-corpus/seed-number-forms.raw",
      raw_record(b"P\x80\x81\xff,  +2.5, -1e3, 0x10, 1 2, 7.5e-1, 2147483647.4, 0, 0"))
write("fuzz-corpus/seed-control-name.raw",
      raw_record(b"\x00\t\n\r\x1b,1,2,3,4,5,6,7,8") + bytes(82))
write("fuzz-corpus/seed-tag9-length0.raw",
      raw_record(b"x", tag=9) + raw_record(b"", length=0))
