#pragma once
// The system calls through which the program writes files, in one table that a test may
// change, so that a failure the disk rarely gives (a folder that cannot be flushed, a refused
// change of mode) can be made to happen on purpose.
#include <sys/types.h>

struct SystemCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    int (*fsync)(int fd);
    int (*fchmod)(int fd, mode_t mode);
    int (*rename)(const char* from, const char* to);
    int (*renameat2)(int fromDir, const char* from, int toDir, const char* to, unsigned flags);
    int (*link)(const char* from, const char* to);
};

// The table in use; a test puts its own entries in and calls RestoreSystemCalls after.
SystemCalls& systemCalls();
void RestoreSystemCalls();
