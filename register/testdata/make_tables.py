#!/usr/bin/python3
"""Writes the combined-table fixtures of both layouts (dBASE III, code page
1251) used by the dump and register golden tests:
  mrg_standard.dbf  the standard layout's columns
  mrg_benefit.dbf   the benefit layout's columns
and small tables for the dump's other field types and limits:
  types.dbf         text, date, logical and numeric fields, one row all empty
  integer.dbf       an integer field (Visual FoxPro table)
  wide.dbf          two 200-character fields of Cyrillic text (a 402-character line)
  linebreak.dbf     a text value holding CR LF
Run with Debian's python3 (python3-dbf) from this directory."""
import datetime

import dbf

STANDARD = ("LCHET N(6,0); FAMILY C(20); NAME C(20); FATHER C(20); OT_KOD C(9); "
            "NCHETA C(30); SUMMA N(11,2)")
BENEFIT = ("LCHET C(6); FAMILY C(20); NAME C(20); FATHER C(20); OT_KOD C(9); "
           "NCHETA C(25); SUMMA N(11,2); B3 C(2)")

# family, name, father, ot_kod, ncheta, summa, b3; None stays empty (NULL)
ROWS = [
    ("ИВАНОВ", "ИВАН", "ИВАНОВИЧ", "7493/0165", "42307810000000000001", 1520.5, "01"),
    ("ЩЕРБАКОВА-ЮЖНАЯ", "АННА-МАРИЯ", "ЭДУАРДОВНА", "7493/0047",
     "40817810123456789012345", 0.05, "02"),          # account over 20 characters
    ("Ёлкин", "Пётр", None, "7493/0199", "123", None, None),  # NULL amount, short account
    ("ЦЫГАНКОВ", "ФЁДОР", "ХАРИТОНОВИЧ", "7493/0206", "40817810000000000004", 12, "03"),
    ("ЗАХАРЧЕНКО-ЖУКОВСКИЙ", "ЮЛИАН", "ШАМИЛЬЕВИЧ", "7493/0136",
     "40817810000000000005", 1234, "04"),            # surname of exactly 20
    ("ъыьэюя", "гджзйлпу", "фхцчшщ", "7493/0035", "40817810000000000006", 181000, "05"),
]


def write(name, columns, benefit):
    table = dbf.Table(name, columns, dbf_type="db3", codepage="cp1251")
    table.open(dbf.READ_WRITE)
    for family, first, father, ot_kod, ncheta, summa, b3 in ROWS:
        record = {"lchet": "181000" if benefit else 181000, "family": family, "name": first,
                  "ot_kod": ot_kod, "ncheta": ncheta}
        if father is not None:
            record["father"] = father
        if summa is not None:
            record["summa"] = summa
        if benefit and b3 is not None:
            record["b3"] = b3
        table.append(record)
    table.close()


write("mrg_standard.dbf", STANDARD, False)
write("mrg_benefit.dbf", BENEFIT, True)


def write_rows(name, columns, rows, dbf_type="db3"):
    table = dbf.Table(name, columns, dbf_type=dbf_type, codepage="cp1251")
    table.open(dbf.READ_WRITE)
    for row in rows:
        table.append(row)
    table.close()


write_rows("types.dbf", "NAME C(10); PAID D; OK L; SUMMA N(11,2)", [
    {"name": "Иванов", "paid": datetime.date(2024, 2, 1), "ok": True, "summa": 1520.5},
    {"name": "Петров", "paid": datetime.date(1999, 12, 31), "ok": False, "summa": 12},
    {},
])
write_rows("integer.dbf", "NAME C(5); COUNT I", [{"name": "AB", "count": 42},
                                                 {"name": "CD", "count": -7}], dbf_type="vfp")
write_rows("wide.dbf", "A C(200); B C(200)", [{"a": "Я" * 200, "b": "ё" * 200}])
write_rows("linebreak.dbf", "NAME C(10); SUMMA N(11,2)", [{"name": "ОК", "summa": 1},
                                                           {"name": "AB\r\nCD", "summa": 2}])
