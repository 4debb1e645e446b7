/* Yardstick for compiling an author's sources: reads the two source files
 * and replaces the three compiled files durably, nothing else.
 *
 *   bare_longest_route LINE_SOURCE TRAIN_SOURCE OUT_DIR PROFILE TABLE CELLS
 *
 * PROFILE, TABLE and CELLS are the byte counts of the line profile, the
 * scenario table and the cell file. The three are written to temporary
 * files (writeback started as they are written), then all flushed, then
 * renamed into place, then OUT_DIR is flushed once. */
#include <stdio.h>

#include "bare_io.h"

#define LINE_NAME "VELDRA PALV"
#define TRAIN_NUMBER "2638"

int main(int argc, char **argv) {
    if (argc != 7) {
        fprintf(stderr, "usage: %s LINE_SOURCE TRAIN_SOURCE OUT_DIR PROFILE TABLE CELLS\n", argv[0]);
        return 2;
    }
    long long size[3];
    for (int i = 0; i < 3; ++i) size[i] = bare_size(argv[4 + i]);

    bare_read(argv[1]);
    bare_read(argv[2]);

    static struct bare_group compiled;
    compiled.folder = argv[3];
    bare_stage(&compiled, LINE_NAME "_linea.dat", size[0]);
    bare_stage(&compiled, LINE_NAME "_" TRAIN_NUMBER ".sim", size[1]);
    bare_stage(&compiled, LINE_NAME "_" TRAIN_NUMBER ".dat", size[2]);
    bare_commit(&compiled);
    return 0;
}
