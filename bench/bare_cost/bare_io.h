/* Disk operations of the bare-cost yardsticks: the least a run must do with
 * the disk, and nothing else. No C++ runtime and no heap, so a yardstick's
 * time is start-up, system calls and the disk.
 *
 * Any failure ends the process with status 2 and one line on stderr. */
#ifndef SB_BARE_IO_H
#define SB_BARE_IO_H

#define BARE_PATH_MAX 4096
#define BARE_GROUP_MAX 8

/* A non-negative byte count from the command line. */
long long bare_size(const char *text);

/* FOLDER/NAME into out, which holds BARE_PATH_MAX bytes. */
void bare_join(char *out, const char *folder, const char *name);

/* A plain write of SIZE bytes: created or truncated, never flushed. */
void bare_write_plain(const char *path, long long size);

/* Reads a whole file; returns its length. */
long long bare_read(const char *path);

void bare_delete(const char *path);

void bare_flush_folder(const char *folder);

/* Files replaced together, the fastest durable way known: each written to
 * a temporary file beside its target, its writeback started a mebibyte at a
 * time as it is written (bare_stage); once all are written, each flushed,
 * then all renamed into place and the folder flushed once (bare_commit). */
struct bare_group {
    const char *folder;
    int count;
    int fd[BARE_GROUP_MAX];
    char target[BARE_GROUP_MAX][BARE_PATH_MAX];
    char temporary[BARE_GROUP_MAX][BARE_PATH_MAX];
};

void bare_stage(struct bare_group *group, const char *name, long long size);
void bare_commit(struct bare_group *group);

#endif
