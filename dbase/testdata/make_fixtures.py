#!/usr/bin/python3
"""Writes the small dBASE fixtures of the engine's tests.

Lists made by an independent writer (python3-dbf) in the layouts and code
pages the operator receives, and a few odd but legal files built byte by
byte. Run with Debian's python3 (it has the dbf module) from this folder:
    /usr/bin/python3 make_fixtures.py
"""
import datetime
import os
import struct

import dbf

HERE = os.path.dirname(os.path.abspath(__file__))

STANDARD = ("LCHET N(6,0); FAMILY C(20); NAME C(20); FATHER C(20); "
            "OT_KOD C(10); NCHETA C(40); SUMMA N(11,2)")
BENEFIT = ("LCHET C(6); FAMILY C(20); NAME C(20); FATHER C(20); "
           "OT_KOD C(9); NCHETA C(25); SUMMA N(11,2); B3 C(2)")

STANDARD_ROWS = [
    dict(lchet=1, family="Иванов", name="Иван", father="Иванович",
         ot_kod="7493/0086", ncheta="40817810000000000001", summa=1520.50),
    dict(lchet=2, family="Пётр-Ёлкин", name="Семён", father="Ильич",
         ot_kod="7493/00861", ncheta="1234567890123456789012345678901234567890",
         summa=1500.00),
    dict(lchet=3, family="Smith №5", name="", father="", ot_kod="7493/0164",
         ncheta="", summa=0.05),
    dict(lchet=4, family="Щукина", name="Эльза", father="Юрьевна",
         ot_kod="7493/7493", ncheta="42307810", summa=-3.50),
    dict(family="Без суммы", ot_kod="7493/0000"),
]


def write(name, fields, rows, **kw):
    path = os.path.join(HERE, name)
    if os.path.exists(path):
        os.remove(path)
    table = dbf.Table(path, fields, **kw)
    table.open(dbf.READ_WRITE)
    for row in rows:
        table.append(row)
    table.close()
    return path


def standard_lists():
    write("std_1251.dbf", STANDARD, STANDARD_ROWS, dbf_type="db3", codepage="cp1251")
    write("std_866.dbf", STANDARD, STANDARD_ROWS, dbf_type="db3", codepage="cp866")
    benefit = [dict(lchet="000123", family="Иванов", name="Иван", father="Иванович",
                    ot_kod="7493/0086", ncheta="40817810", summa=181000.0, b3="01"),
               dict(lchet="", family="Ёжиков", ot_kod="7493/0087", b3="")]
    write("benefit_65.dbf", BENEFIT, benefit, dbf_type="db3", codepage=0x65)
    # Columns in another order, and only some of them.
    write("reordered.dbf", "SUMMA N(11,2); FAMILY C(20); LCHET N(6,0)",
          [dict(summa=12, family="Петров", lchet=7), dict(family="Пусто")],
          dbf_type="db3", codepage="cp1251")


def deleted_rows():
    path = write("deleted.dbf", "OT_KOD C(9); SUMMA N(11,2)",
                 [dict(ot_kod="7493/%04d" % i, summa=i) for i in range(1, 6)],
                 dbf_type="db3", codepage="cp1251")
    table = dbf.Table(path)
    table.open(dbf.READ_WRITE)
    for record in table:
        if record.summa in (2, 5):
            dbf.delete(record)
    table.close()


def visual_foxpro():
    write("vfp_866.dbf", "FAMILY C(20); SUMMA N(11,2); KOL I; DATA D; FLAG L",
          [dict(family="Иванов", summa=1520.5, kol=-42, data=datetime.date(2024, 3, 9), flag=True),
           dict(family="Пусто", kol=0, flag=False),
           dict(family="Ёлкин", summa=0.5, kol=2147483646, data=datetime.date(1999, 12, 31))],
          dbf_type="vfp", codepage="cp866")


def raw_table(version, language, fields, records, backlink=False, deleted=()):
    """fields: (name, type, length, decimals[, flags]); records: tuples of raw bytes."""
    record_length = 1 + sum(f[2] for f in fields)
    header_length = 32 + 32 * len(fields) + 1 + (263 if backlink else 0)
    out = bytearray(struct.pack("<BBBBIHH", version, 124, 5, 17, len(records),
                                header_length, record_length))
    out += bytes(17) + bytes([language]) + bytes(2)
    offset = 1
    for name, kind, length, decimals, *flags in fields:
        out += name.encode("ascii").ljust(11, b"\0") + kind.encode("ascii")
        out += struct.pack("<I", offset) + bytes([length, decimals] + (flags or [0])) + bytes(13)
        offset += length
    out += b"\r" + (bytes(263) if backlink else b"")
    for i, values in enumerate(records):
        out += b"*" if i in deleted else b" "
        for (name, kind, length, *_), value in zip(fields, values):
            assert len(value) == length, (name, value)
            out += value
    out += b"\x1a"
    return bytes(out)


def odd_files():
    fields = [("OT_KOD", "C", 10, 0), ("SUMMA", "N", 11, 2), ("LCHET", "N", 7, 0),
              ("DATA", "D", 8, 0), ("FLAG", "L", 1, 0)]
    rows = [
        ("7493/0086 ".encode("cp1251"), b"    1520.50", b" 181000", b"20240309", b"T"),
        ("Ёлка".ljust(10).encode("cp1251"), b"        .5 ", b"       ", b"        ", b"?"),
        ("7493/0001 ".encode("cp1251"), b"       0.05", b"     -7", b"00000000", b" "),
        ("deleted   ".encode("cp1251"), b"       9.99", b"      9", b"20000101", b"F"),
    ]
    # Visual FoxPro's hidden _NullFlags system field is in the record only.
    fox_fields = fields + [("_NullFlags", "0", 1, 0, 0x01)]
    fox_rows = [row + (b"\0",) for row in rows]
    with open(os.path.join(HERE, "fox_30.dbf"), "wb") as f:
        f.write(raw_table(0x30, 0xC9, fox_fields, fox_rows, backlink=True, deleted={3}))
    # No language driver byte: taken as code page 1251, bytes unchanged.
    with open(os.path.join(HERE, "unmarked.dbf"), "wb") as f:
        f.write(raw_table(0x03, 0x00, fields, rows[:3]))
    with open(os.path.join(HERE, "not_a_table.dbf"), "wb") as f:
        f.write(b"LCHET;FAMILY;SUMMA\r\n181000;Ivanov;1520.50\r\n")


if __name__ == "__main__":
    standard_lists()
    deleted_rows()
    visual_foxpro()
    odd_files()
