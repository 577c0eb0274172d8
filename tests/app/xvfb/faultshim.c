/* Preloaded into the program by the real-window fault tests: makes one
 * rename fail, or kills the process just before it, so that a save can be
 * cut at an exact step. Without its variables it changes nothing.
 *
 *   LUCKDIAL_FAULT        "fail" (the rename fails with ENOSPC) or "kill" (SIGKILL)
 *   LUCKDIAL_FAULT_AT     file name (last path part) of the rename's target
 *   LUCKDIAL_FAULT_AFTER  optional: only after a rename onto this name succeeded
 *
 * The fault happens once per process and is reported on standard error. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int armed;
static int fired;

static const char* lastPart(const char* path) {
    const char* slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

int rename(const char* from, const char* to) {
    static int (*real)(const char*, const char*);
    if (!real) real = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
    const char* what = getenv("LUCKDIAL_FAULT");
    const char* at = getenv("LUCKDIAL_FAULT_AT");
    const char* after = getenv("LUCKDIAL_FAULT_AFTER");
    const int waiting = after && *after && !armed;
    if (what && at && !fired && !waiting && strcmp(lastPart(to), at) == 0) {
        fired = 1;
        fprintf(stderr, "luckdial-fault: %s at the rename onto %s\n", what, to);
        fflush(stderr);
        if (strcmp(what, "kill") == 0) raise(SIGKILL);
        errno = ENOSPC;
        return -1;
    }
    const int result = real(from, to);
    if (result == 0 && after && strcmp(lastPart(to), after) == 0) armed = 1;
    return result;
}
