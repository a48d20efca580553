#include "SystemCalls.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int Open(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

const SystemCalls Real{Open, ::fsync, ::fchmod, ::rename, ::renameat2, ::link};
SystemCalls Current = Real;

} // namespace

SystemCalls& systemCalls()
{
    return Current;
}

void RestoreSystemCalls()
{
    Current = Real;
}
