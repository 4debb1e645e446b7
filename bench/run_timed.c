/* Runs one command and appends its wall time and peak memory to a file:
 *
 *   run_timed RESULT_FILE COMMAND [ARG...]
 *
 * appends one line "WALL_NS MAXRSS_KIB STATUS CPU_NS MINOR_FAULTS" to
 * RESULT_FILE, where WALL_NS is the monotonic time from just before the
 * process is spawned to just after it has been reaped, STATUS its exit status
 * (128 + signal number when killed), and the rest come from wait4: the
 * child's peak resident set, its user plus system time and its minor page
 * faults. The command
 * inherits standard input, output and error. Exits with the command's status,
 * or 127 when it could not be started. */
#define _GNU_SOURCE
#include <errno.h>
#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char **environ;

static long long nowNs(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s RESULT_FILE COMMAND [ARG...]\n", argv[0]);
        return 127;
    }
    FILE *result = fopen(argv[1], "a");
    if (result == NULL) {
        fprintf(stderr, "cannot open \"%s\": %s\n", argv[1], strerror(errno));
        return 127;
    }

    pid_t child;
    const long long start = nowNs();
    const int spawnError = posix_spawnp(&child, argv[2], NULL, NULL, argv + 2, environ);
    if (spawnError != 0) {
        fprintf(stderr, "cannot start \"%s\": %s\n", argv[2], strerror(spawnError));
        return 127;
    }
    int status = 0;
    struct rusage usage;
    while (wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            fprintf(stderr, "cannot wait for \"%s\": %s\n", argv[2], strerror(errno));
            return 127;
        }
    }
    const long long wall = nowNs() - start;

    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    const long long cpu = ((long long)usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000000LL +
                          ((long long)usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1000LL;
    fprintf(result, "%lld %ld %d %lld %ld\n", wall, usage.ru_maxrss, code, cpu, usage.ru_minflt);
    if (fclose(result) != 0) {
        fprintf(stderr, "cannot write \"%s\": %s\n", argv[1], strerror(errno));
        return 127;
    }
    return code;
}
