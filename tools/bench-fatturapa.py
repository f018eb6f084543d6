#!/usr/bin/env python3
"""The period's electronic invoices, `falmide fatturapa --dal --al`, over a year
of N invoices: wall time per file and peak memory, from /usr/bin/time -v. Each
size gets a demo data folder of its own in WORK, its year filled with copies of
the demo's latest invoice. Prints one JSON object per size.

    tools/bench-fatturapa.py FALMIDE WORK N [N...]
"""
import json
import os
import re
import sqlite3
import subprocess
import sys

YEAR = 2012  # a year the demo leaves empty


def fill(database, count):
    with sqlite3.connect(database) as db:
        columns = [row[1] for row in db.execute("PRAGMA table_info(Fatture)")]
        copied = ", ".join(c for c in columns
                           if c not in ("Chiave", "Data", "Numero", "XMLScritto"))
        db.execute(
            f"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < {count}) "
            f"INSERT INTO Fatture (Chiave, Data, Numero, {copied}) "
            f"SELECT printf('%04d%10d', {YEAR}, i), "
            f"date('{YEAR}-01-01', '+' || ((i - 1) * 365 / {count}) || ' days'), i, {copied} "
            "FROM n, (SELECT * FROM Fatture WHERE TipoDocumento = 'TD01' "
            "ORDER BY Chiave DESC LIMIT 1)")


def measure(falmide, work, count):
    home = os.path.join(work, f"fatturapa-{count}")
    subprocess.run([falmide, "demo", "--dir", home, "--fatture", "4"], check=True,
                   stdout=subprocess.DEVNULL)
    fill(os.path.join(home, "falmide.db"), count)
    run = subprocess.run(["/usr/bin/time", "-v", falmide, "fatturapa", "--dir", home,
                          "--dal", f"01/01/{YEAR}", "--al", f"31/12/{YEAR}"],
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    written = run.stdout.count("\n")
    if run.returncode != 0 or written != count:
        sys.exit(f"fatturapa over {count} invoices: status {run.returncode}, {written} files\n"
                 + run.stderr[-2000:])
    wall = re.search(r"Elapsed \(wall clock\) time.*: (?:(\d+):)?(\d+):([\d.]+)", run.stderr)
    seconds = int(wall.group(1) or 0) * 3600 + int(wall.group(2)) * 60 + float(wall.group(3))
    user = float(re.search(r"User time \(seconds\): ([\d.]+)", run.stderr).group(1))
    system = float(re.search(r"System time \(seconds\): ([\d.]+)", run.stderr).group(1))
    peak = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", run.stderr).group(1))
    return {"invoices": count, "ms": seconds * 1e3, "ms_per_file": seconds * 1e3 / count,
            "user_ms_per_file": user * 1e3 / count, "system_ms_per_file": system * 1e3 / count,
            "peak_mib": peak / 1024}


if __name__ == "__main__":
    falmide, work = sys.argv[1], sys.argv[2]
    for n in sys.argv[3:]:
        print(json.dumps(measure(falmide, work, int(n))), flush=True)
