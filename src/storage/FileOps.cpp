#include "storage/FileOps.h"
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
FileOps g_real;
FileOps* g_current = &g_real;
} // namespace

int FileOps::Open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}
ssize_t FileOps::Pwrite(int fd, const void* data, size_t size, off_t offset) {
    return ::pwrite(fd, data, size, offset);
}
int FileOps::Fsync(int fd) {
    return ::fsync(fd);
}
int FileOps::Close(int fd) {
    return ::close(fd);
}
int FileOps::Rename(const char* from, const char* to) {
    return ::rename(from, to);
}

int FileOps::Ftruncate(int fd, off_t length) {
    return ::ftruncate(fd, length);
}

FileOps& FileOps::Current() {
    return *g_current;
}

FileOps* FileOps::Install(FileOps* ops) {
    FileOps* previous = g_current == &g_real ? nullptr : g_current;
    g_current = ops ? ops : &g_real;
    return previous;
}
