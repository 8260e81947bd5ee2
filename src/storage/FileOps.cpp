#include "storage/FileOps.h"
#include "storage/SystemFile.h"

namespace {
FileOps g_real;
FileOps* g_current = &g_real;
} // namespace

int FileOps::Open(const char* path, int flags, mode_t mode) {
    return SystemFile::Open(path, flags, int(mode));
}
ssize_t FileOps::Pwrite(int fd, const void* data, size_t size, off_t offset) {
    return ssize_t(SystemFile::WriteAt(fd, data, qint64(size), qint64(offset)));
}
int FileOps::Fsync(int fd) {
    return SystemFile::Flush(fd);
}
int FileOps::Close(int fd) {
    return SystemFile::Close(fd);
}
int FileOps::Rename(const char* from, const char* to) {
    return SystemFile::Replace(from, to);
}

int FileOps::Ftruncate(int fd, off_t length) {
    return SystemFile::Truncate(fd, qint64(length));
}

FileOps& FileOps::Current() {
    return *g_current;
}

FileOps* FileOps::Install(FileOps* ops) {
    FileOps* previous = g_current == &g_real ? nullptr : g_current;
    g_current = ops ? ops : &g_real;
    return previous;
}
