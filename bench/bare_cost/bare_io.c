#define _GNU_SOURCE
#include "bare_io.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static void bare_fail(const char *what, const char *path) {
    fprintf(stderr, "%s \"%s\": %s\n", what, path, strerror(errno));
    exit(2);
}

long long bare_size(const char *text) {
    char *end = NULL;
    errno = 0;
    const long long value = strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 0) {
        fprintf(stderr, "not a byte count: \"%s\"\n", text);
        exit(2);
    }
    return value;
}

void bare_join(char *out, const char *folder, const char *name) {
    if (snprintf(out, BARE_PATH_MAX, "%s/%s", folder, name) >= BARE_PATH_MAX) {
        errno = ENAMETOOLONG;
        bare_fail("path too long", name);
    }
}

/* Bytes written come from one buffer; what they are does not matter, only how many. */
static char bare_chunk[1 << 16];

/* With writeback, the pages written are sent to the disk every mebibyte. */
static void bare_write_bytes(int fd, long long size, const char *path, int writeback) {
    static int filled = 0;
    if (!filled) {
        memset(bare_chunk, 'x', sizeof bare_chunk);
        filled = 1;
    }
    long long unsent = 0;
    while (size > 0) {
        const size_t want = size < (long long)sizeof bare_chunk ? (size_t)size : sizeof bare_chunk;
        const ssize_t done = write(fd, bare_chunk, want);
        if (done < 0) {
            if (errno == EINTR) continue;
            bare_fail("cannot write", path);
        }
        size -= done;
        unsent += done;
        if (writeback && (unsent >= (1 << 20) || size == 0)) {
            (void)sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
            unsent = 0;
        }
    }
}

void bare_write_plain(const char *path, long long size) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) bare_fail("cannot create", path);
    bare_write_bytes(fd, size, path, 0);
    if (close(fd) != 0) bare_fail("cannot close", path);
}

long long bare_read(const char *path) {
    static char buffer[1 << 16];
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) bare_fail("cannot open", path);
    long long total = 0;
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            bare_fail("cannot read", path);
        }
        if (got == 0) break;
        total += got;
    }
    close(fd);
    return total;
}

void bare_delete(const char *path) {
    if (unlink(path) != 0) bare_fail("cannot delete", path);
}

void bare_flush_folder(const char *folder) {
    const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) bare_fail("cannot open folder", folder);
    if (fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP) bare_fail("cannot flush folder", folder);
    close(fd);
}

void bare_stage(struct bare_group *group, const char *name, long long size) {
    if (group->count == BARE_GROUP_MAX) {
        errno = E2BIG;
        bare_fail("too many files in one group at", name);
    }
    char *target = group->target[group->count];
    char *temporary = group->temporary[group->count];
    bare_join(target, group->folder, name);
    char temporaryName[BARE_PATH_MAX];
    if (snprintf(temporaryName, sizeof temporaryName, ".%s.tmp-XXXXXX", name) >= (int)sizeof temporaryName) {
        errno = ENAMETOOLONG;
        bare_fail("path too long", name);
    }
    bare_join(temporary, group->folder, temporaryName);
    const int fd = mkstemp(temporary);
    if (fd < 0) bare_fail("cannot create a temporary file for", target);
    if (fchmod(fd, 0644) != 0) bare_fail("cannot set permissions of", temporary);
    bare_write_bytes(fd, size, temporary, 1);
    group->fd[group->count] = fd;
    ++group->count;
}

void bare_commit(struct bare_group *group) {
    for (int i = 0; i < group->count; ++i) {
        if (fsync(group->fd[i]) != 0) bare_fail("cannot flush", group->temporary[i]);
        if (close(group->fd[i]) != 0) bare_fail("cannot close", group->temporary[i]);
    }
    for (int i = 0; i < group->count; ++i) {
        if (rename(group->temporary[i], group->target[i]) != 0) bare_fail("cannot replace", group->target[i]);
    }
    bare_flush_folder(group->folder);
    group->count = 0;
}
