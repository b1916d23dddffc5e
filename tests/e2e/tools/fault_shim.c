/* Loaded with LD_PRELOAD: file systems that misbehave, for the tests.
 *   DORV_TEST_FLOCK_ERRNO=N     flock() fails with errno N (NFS refuses it)
 *   DORV_TEST_NO_RANGE_LOCKS=1  byte-range locks (F_OFD_SETLK, F_SETLK) fail
 *                               with ENOLCK (no lock manager)
 *   DORV_TEST_HANG_PATH=TEXT    open(), statvfs() and access() of a path
 *                               holding TEXT never return (a hung server)
 * Everything else goes to the C library. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/statvfs.h>
#include <unistd.h>

/* Only this process: the engine's sandboxed processes, which it starts,
 * could not load this library and would say so. */
__attribute__((constructor)) static void leave_children_alone(void) { unsetenv("LD_PRELOAD"); }

static void hang_on(const char* path) {
    const char* text = getenv("DORV_TEST_HANG_PATH");
    if (!text || !*text || !path || !strstr(path, text)) return;
    for (;;) pause();
}

int flock(int fd, int operation) {
    static int (*real)(int, int) = NULL;
    if (!real) real = (int (*)(int, int))dlsym(RTLD_NEXT, "flock");
    const char* chosen = getenv("DORV_TEST_FLOCK_ERRNO");
    if (!chosen) return real(fd, operation);
    errno = atoi(chosen);
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

#define OPEN_LIKE(name)                                                      \
    int name(const char* path, int flags, ...) {                            \
        static int (*real)(const char*, int, ...) = NULL;                   \
        if (!real) real = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, #name); \
        va_list args;                                                        \
        va_start(args, flags);                                               \
        mode_t mode = (mode_t)va_arg(args, int);                             \
        va_end(args);                                                        \
        hang_on(path);                                                       \
        return real(path, flags, mode);                                      \
    }
OPEN_LIKE(open)
OPEN_LIKE(open64)

int statvfs(const char* path, struct statvfs* buf) {
    static int (*real)(const char*, struct statvfs*) = NULL;
    if (!real) real = (int (*)(const char*, struct statvfs*))dlsym(RTLD_NEXT, "statvfs");
    hang_on(path);
    return real(path, buf);
}

int access(const char* path, int mode) {
    static int (*real)(const char*, int) = NULL;
    if (!real) real = (int (*)(const char*, int))dlsym(RTLD_NEXT, "access");
    hang_on(path);
    return real(path, mode);
}
