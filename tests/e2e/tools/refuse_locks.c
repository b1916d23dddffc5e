/* Loaded with LD_PRELOAD: a file system that refuses file locks, as NFS
 * does. flock() fails with the errno in DORV_TEST_FLOCK_ERRNO (ENOLCK when
 * unset); with DORV_TEST_NO_RANGE_LOCKS set, byte-range locks (fcntl's
 * F_OFD_SETLK, F_SETLK) fail with ENOLCK too. Everything else goes to the
 * C library. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <sys/file.h>

/* Only this process: the engine's sandboxed processes, which it starts,
 * could not load this library and would say so. */
__attribute__((constructor)) static void leave_children_alone(void) { unsetenv("LD_PRELOAD"); }

int flock(int fd, int operation) {
    (void)fd;
    (void)operation;
    const char* chosen = getenv("DORV_TEST_FLOCK_ERRNO");
    errno = chosen ? atoi(chosen) : ENOLCK;
    return -1;
}

int fcntl(int fd, int cmd, ...) {
    static int (*real)(int, int, ...) = NULL;
    if (!real) real = (int (*)(int, int, ...))dlsym(RTLD_NEXT, "fcntl");
    va_list args;
    va_start(args, cmd);
    void* argument = va_arg(args, void*);
    va_end(args);
    if ((cmd == F_OFD_SETLK || cmd == F_SETLK) && getenv("DORV_TEST_NO_RANGE_LOCKS")) {
        errno = ENOLCK;
        return -1;
    }
    return real(fd, cmd, argument);
}
