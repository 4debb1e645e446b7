/* Yardstick for the whole built-in run: the disk work of one run and nothing
 * else, with the program's file names and sizes.
 *
 *   bare_builtin_run DIR LINE_TXT TRAIN_TXT NOTES ORDERS SHEET PROFILE TABLE CELLS
 *
 * DIR is the folder to write into; the rest are byte counts, in this order:
 * the two source files, the three crew documents, the three compiled files.
 *
 * 1. writes the two source files (transient: not flushed);
 * 2. replaces the three documents (temporary file, flush, rename each; one folder flush);
 * 3. reads each source file back and deletes it;
 * 4. replaces the three compiled files the same way.
 * Six file flushes and two folder flushes in all. */
#include <stdio.h>

#include "bare_io.h"

#define LINE_NAME "VELDRA PALV"
#define TRAIN_NUMBER "2638"

int main(int argc, char **argv) {
    if (argc != 10) {
        fprintf(stderr,
                "usage: %s DIR LINE_TXT TRAIN_TXT NOTES ORDERS SHEET PROFILE TABLE CELLS\n"
                "(byte counts of the two sources, three documents and three compiled files)\n",
                argv[0]);
        return 2;
    }
    const char *folder = argv[1];
    long long size[8];
    for (int i = 0; i < 8; ++i) size[i] = bare_size(argv[2 + i]);

    char lineSource[BARE_PATH_MAX];
    char trainSource[BARE_PATH_MAX];
    bare_join(lineSource, folder, LINE_NAME "_linea.txt");
    bare_join(trainSource, folder, LINE_NAME "_" TRAIN_NUMBER "-.txt");
    bare_write_plain(lineSource, size[0]);
    bare_write_plain(trainSource, size[1]);

    static struct bare_group documents;
    documents.folder = folder;
    bare_stage(&documents, LINE_NAME "_" TRAIN_NUMBER "_note.txt", size[2]);
    bare_stage(&documents, LINE_NAME "_" TRAIN_NUMBER "_rallentamenti.txt", size[3]);
    bare_stage(&documents, LINE_NAME "_" TRAIN_NUMBER "_scheda_treno.txt", size[4]);
    bare_commit(&documents);

    const long long lineRead = bare_read(lineSource);
    bare_delete(lineSource);
    const long long trainRead = bare_read(trainSource);
    bare_delete(trainSource);
    if (lineRead != size[0] || trainRead != size[1]) {
        fprintf(stderr, "a source file changed size\n");
        return 2;
    }

    static struct bare_group compiled;
    compiled.folder = folder;
    bare_stage(&compiled, LINE_NAME "_linea.dat", size[5]);
    bare_stage(&compiled, LINE_NAME "_" TRAIN_NUMBER ".sim", size[6]);
    bare_stage(&compiled, LINE_NAME "_" TRAIN_NUMBER ".dat", size[7]);
    bare_commit(&compiled);
    return 0;
}
