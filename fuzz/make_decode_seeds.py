#!/usr/bin/env python3
"""Writes the seed corpus of the decode fuzzer into fuzz/decode_corpus/.

Usage: make_decode_seeds.py SCENARIO_TOOL [CORPUS_DIR]

The seeds are compiled files of a short route (compiled with SCENARIO_TOOL)
and broken variants of them. Input layout (see decode_input.cpp): one byte
choosing the kind of file ('0' cell file, '1' scenario-table file, '2' line
profile file), then the file's bytes.
"""

import pathlib
import subprocess
import sys
import tempfile

CRLF = "\r\n"
LINE = CRLF.join([
    "[generale]", "lunghezza percorso, -6200", "ripetizione segnali 4 codici, 0, 0", "[curve]",
    "curvad6, 20, 10", "cartello_indicatore, 100, (Citt\xe0)", "[fine]", ""])
TRAIN = CRLF.join([
    "[generale]", "velocita, 0, 50", "aderenza, 0, 100",
    "stazione, 0, 27, 200, 0, 0, 0, 1,1,0, 2,4,1, 1, 13, 5, 0, PRIMA", "[fine]", ""])


def compiled(tool):
    with tempfile.TemporaryDirectory() as folder:
        work = pathlib.Path(folder)
        (work / "line.txt").write_bytes(LINE.encode("latin-1"))
        (work / "train.txt").write_bytes(TRAIN.encode("latin-1"))
        subprocess.run([tool, "compile", "--out", "out", "--line-name", "L", "--train-number", "1",
                        "line.txt", "train.txt"], cwd=work, check=True, stdout=subprocess.DEVNULL)
        out = work / "out"
        return (out / "L_1.dat").read_bytes(), (out / "L_1.sim").read_bytes(), (out / "L_linea.dat").read_bytes()


def build(cells, table, profile):
    s = {}
    for kind, name, data in (("0", "cells", cells), ("1", "table", table), ("2", "profile", profile)):
        s[f"{name}_whole"] = kind.encode() + data
        s[f"{name}_cut_short"] = kind.encode() + data[:-3]
        s[f"{name}_one_byte_more"] = kind.encode() + data + b"\x00"
        s[f"{name}_empty"] = kind.encode()
    s["table_text_length_past_end"] = b"1" + table[:14] + b"\xff\xff" + table[16:40]
    s["profile_unknown_type"] = b"2" + b"\x03\x00" + profile[2:]
    s["profile_odd_count"] = b"2" + profile + b"\x00\x00"
    s["profile_integer_cut"] = b"2\x02\x00\x01"
    return s


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    corpus = pathlib.Path(sys.argv[2]) if len(sys.argv) == 3 else pathlib.Path(__file__).resolve().parent / "decode_corpus"
    seeds = build(*compiled(sys.argv[1]))
    corpus.mkdir(parents=True, exist_ok=True)
    for name, data in seeds.items():
        (corpus / f"seed_{name}").write_bytes(data)
    print(f"wrote {len(seeds)} seeds into {corpus}")


if __name__ == "__main__":
    main()
