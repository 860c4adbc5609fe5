#!/usr/bin/python3
"""Makes the sample payment lists a newcomer can try the whole job with.

Two lists of the standard layout (one in code page 1251, one in DOS 866, as
they come from the offices), two of the benefit layout, and an ARJ archive
holding the benefit lists. Written with python3-dbf, an independent dBASE
writer, and Debian's arj. Run from anywhere: the files land beside this script.
"""
import os
import subprocess
import sys

import dbf

HERE = os.path.dirname(os.path.abspath(__file__))

STANDARD = "lchet N(6,0); family C(20); name C(20); father C(20); ot_kod C(10); ncheta C(40); summa N(11,2)"
BENEFIT = "lchet C(6); family C(20); name C(20); father C(20); ot_kod C(9); ncheta C(25); summa N(11,2); b3 C(2)"

PEOPLE = [
    ("ИВАНОВ", "ИВАН", "ИВАНОВИЧ", "7493/0086", "40817810000000000001", 1520.50),
    ("ПЕТРОВА", "МАРИЯ", "СЕРГЕЕВНА", "7493/0164", "40817810000000000002", 0.05),
    ("СИДОРОВ", "ПЁТР", "АЛЕКСЕЕВИЧ", "7493/7493", "40817810000000000003", 12),
    ("КУЗНЕЦОВА", "АННА", "ПАВЛОВНА", "7493/0200", "40817810000000000004", 1234),
    ("O'НИЛ", "ЕЛЕНА", "", "7493/0011", "40817810000000000005", 2750.75),
]


def write(name, columns, codepage, rows):
    path = os.path.join(HERE, name)
    if os.path.exists(path):
        os.remove(path)
    table = dbf.Table(path, columns, dbf_type="db3", codepage=codepage)
    table.open(dbf.READ_WRITE)
    for row in rows:
        table.append(row)
    table.close()
    return path


def main():
    std1 = [(0,) + p for p in PEOPLE[:3]]
    std2 = [(0,) + p for p in PEOPLE[3:]]
    ben1 = [("0",) + p + ("01",) for p in PEOPLE[:2]]
    ben2 = [("0",) + p + ("02",) for p in PEOPLE[2:]]
    write("PENS1.DBF", STANDARD, "cp1251", std1)
    write("PENS2.DBF", STANDARD, "cp866", std2)
    os.makedirs(os.path.join(HERE, "benefit"), exist_ok=True)
    b1 = write(os.path.join("benefit", "POSOB1.DBF"), BENEFIT, "cp1251", ben1)
    b2 = write(os.path.join("benefit", "POSOB2.DBF"), BENEFIT, "cp866", ben2)
    archive = os.path.join(HERE, "POSOB.ARJ")
    if os.path.exists(archive):
        os.remove(archive)
    subprocess.run(["arj", "a", "-i", "-y", "-e", archive, b1, b2], check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    return 0


if __name__ == "__main__":
    sys.exit(main())
