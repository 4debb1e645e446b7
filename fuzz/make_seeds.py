#!/usr/bin/env python3
"""Writes the seed corpus of the compile fuzzer into fuzz/corpus/.

Usage: make_seeds.py SCENARIO_TOOL [CORPUS_DIR]

The built-in line and train sources come from `SCENARIO_TOOL export`; the
other seeds are small edits of them or short hand-written sources. Input
layout (see compile_input.h): one flag byte, the line text, a NUL byte, the
train text. The flag byte is written as a digit so the seeds stay readable.
"""

import pathlib
import subprocess
import sys
import tempfile

CRLF = "\r\n"


def rows(*lines):
    return CRLF.join(lines) + CRLF


def seed(line, train=None, flags="0"):
    data = flags.encode() + line.encode("latin-1")
    if train is not None:
        data += b"\0" + train.encode("latin-1")
    return data


def with_route_length(line, length):
    return line.replace("lunghezza percorso,    44000", f"lunghezza percorso,    {length}", 1)


def add_before_end(text, extra):
    # Extra rows go in front of the closing "[fine]" row, which is never interpreted.
    head, sep, tail = text.rpartition("[fine]")
    assert sep, "no [fine] row"
    return head + extra + sep + tail


SMALL_HEADER = rows("[generale]", "lunghezza percorso, 2000", "ripetizione segnali 4 codici, 0, 0")
SMALL_TRAIN = rows("[generale]", "velocita, 0, 50", "aderenza, 0, 100")


def build(line, train):
    s = {}
    s["builtin"] = seed(line, train)
    s["builtin_without_profile"] = seed(line, train, "1")
    s["line_source_missing"] = seed(line, train, "2")
    s["train_source_missing"] = seed(line, None, "4")
    s["empty"] = b""
    s["flags_only"] = b"0"
    s["no_generale"] = seed(line.replace("[generale]", "[general]"), train)
    s["route_length_too_long"] = seed(with_route_length(line, 1000001), train)
    s["route_length_max"] = seed(with_route_length(line, 1000000), train)
    s["route_length_zero"] = seed(with_route_length(line, 0), train)
    s["route_length_negative_small"] = seed(with_route_length(line, -6900), train)
    s["route_length_negative_large"] = seed(with_route_length(line, -2147483648), train)
    s["route_length_missing"] = seed(line.replace("lunghezza percorso,    44000" + CRLF, ""), train)
    s["route_length_1e400"] = seed(with_route_length(line, "1e400"), train)
    s["number_tiny_and_huge"] = seed(
        SMALL_HEADER + rows("[pendenze]", "pendenza, 1e-400, -1.5", "pendenza, 2.5e2, 1e400", "[fine]"), SMALL_TRAIN
    )
    s["boards_82"] = seed(
        SMALL_HEADER.replace("2000", "500000")
        + rows("[indicazioni]", *[f"cartello_indicatore, {1000 + 100 * i}, (B{i})" for i in range(82)], "[fine]"),
        SMALL_TRAIN,
    )
    s["mountains_81"] = seed(
        SMALL_HEADER.replace("2000", "100000")
        + rows("[montagne]", *[f"montagna, {1000 * i}, {1000 * i + 500}, {12 if i % 2 else 2}" for i in range(81)], "[fine]"),
        SMALL_TRAIN,
    )
    s["line_ends_inside_row"] = seed(SMALL_HEADER + rows("[pendenze]", "pendenza, 0, 2") + "pendenza, 100", SMALL_TRAIN)
    s["train_ends_inside_station"] = seed(
        SMALL_HEADER + rows("[fine]"), rows("[generale]", "stazione, 500, 12, 400, 0, 0, 0, 1,1,0") + "2,1,1"
    )
    s["curve_past_profile"] = seed(
        with_route_length(line, 1000000).replace("curvas4,  43350,  350", "curvas4,  43350,  2000000"), train
    )
    s["curve_past_short_profile"] = seed(SMALL_HEADER + rows("[curve]", "curvad6, 1500, 90000", "curva, 10, 10", "[fine]"), SMALL_TRAIN)
    s["stations_near_end"] = seed(
        SMALL_HEADER.replace("2000", "3000"),
        SMALL_TRAIN
        + rows(
            "stazione, 0, 1, 600, 0, 0, 0, 1,1,0, 2,4,1, 1, 0, 0, 0, FIRST",
            "stazione, 5000, 7, 800, 1, 1, 1, 1,1,0, 2,1,1, 30, 13,18, 0, LONG",
            "stazione, 9150, 22, 2000, 1, 1, 1, 1,1,0, 2,1,1, 30, 13,20, 0, STOP PAST THE END",
            "[fine]",
        ),
    )
    s["signals_near_origin"] = seed(
        SMALL_HEADER,
        SMALL_TRAIN
        + rows(
            "segnale, 0, 2, 3, 1, 0, 0, 2, 2, 1, 0, 50",
            "segnale, 100, 1, 3, 1, 0, 0, 1, 2, 1, 0, 0",
            "segnale, -50, 1, 3, 1, 0, 0, 1, 2, 1, 0, 0",
            "segnale, -75, 1, 3, 1, 0, 0, 1, 2, 1, 0, 0",
            "[fine]",
        ),
    )
    s["restriction_negative_length"] = seed(
        SMALL_HEADER.replace("2000", "1000000"),
        SMALL_TRAIN + rows("rallentamento, 40000, 30, -3000, 0, 1, 0", "[fine]"),
    )
    s["restriction_end_before_origin"] = seed(
        SMALL_HEADER.replace("2000", "1000000"),
        SMALL_TRAIN + rows("rallentamento, 900000, 30, -999999, 0, 1, 0", "[fine]"),
    )
    s["restriction_near_origin"] = seed(
        SMALL_HEADER,
        SMALL_TRAIN + rows("rallentamento, 300, 30, 1200, 1, 1, 7", "segnale, 1600, 1, 3, 1, 0, 0, 1, 2, 1, 0, 0", "[fine]"),
    )
    s["restriction_without_end"] = seed(
        SMALL_HEADER, SMALL_TRAIN + rows("rallentamento, 2000, 20, 7000, 0, 0, 0", "[fine]")
    )
    s["code_point_in_cell_one"] = seed(SMALL_HEADER, SMALL_TRAIN + rows("abbattimento, 50, 270", "[fine]"))
    s["code_points_negative"] = seed(
        SMALL_HEADER, SMALL_TRAIN + rows("abbattimento, -25, 0", "abbattimento, -26, 5", "abbattimento, 8950, 1", "[fine]")
    )
    s["line_speed_too_high"] = seed(SMALL_HEADER, rows("[generale]", "velocita, 0, 1280", "velocita, 500, 50", "[fine]"))
    s["profile_rows_out_of_order"] = seed(
        SMALL_HEADER,
        rows("[generale]", "velocita, 500, 50", "velocita, 25, 80", "velocita, -100, 90", "aderenza, 75, 300", "aderenza, 0, -1", "[fine]"),
    )
    s["header_dash_skipping"] = seed(
        rows("[generale]", *["-"] * 11, "lunghezza percorso, 2000", "- [x]", "[fine]"), SMALL_TRAIN
    )
    s["km_posts_not_multiple"] = seed(
        SMALL_HEADER + rows("progressiva chilometrica due, 75, -50, 0", "progressiva chilometrica tre, -50, 100, 7", "[fine]"),
        SMALL_TRAIN,
    )
    s["dense_features_last_cells"] = seed(
        SMALL_HEADER
        + rows(
            "[pendenze]",
            *[f"pendenza, {8800 + 10 * i}, {i}" for i in range(11)],
            "indicatori_vmax, 8900, 300, 0, 0, 32767, 0, 0, 0, 32767",
            "cartello_indicatore, 8900, (TAKEN)",
            "[fine]",
        ),
        SMALL_TRAIN,
    )
    return s


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    tool = sys.argv[1]
    corpus = pathlib.Path(sys.argv[2]) if len(sys.argv) == 3 else pathlib.Path(__file__).resolve().parent / "corpus"
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([tool, "export", folder], check=True, stdout=subprocess.DEVNULL)
        sources = pathlib.Path(folder)
        line = next(sources.glob("*_linea.txt")).read_bytes().decode("latin-1")
        train = next(sources.glob("*-.txt")).read_bytes().decode("latin-1")
    corpus.mkdir(parents=True, exist_ok=True)
    for name, data in build(line, train).items():
        (corpus / f"seed_{name}").write_bytes(data)
    print(f"wrote {len(build(line, train))} seeds into {corpus}")


if __name__ == "__main__":
    main()
