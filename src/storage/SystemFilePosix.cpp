#include "storage/SystemFile.h"
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <pwd.h>
#include <unistd.h>

namespace SystemFile {
const int kOpenFlags = O_CLOEXEC;

int Open(const char* path, int flags, int mode) {
    return ::open(path, flags, mode_t(mode));
}

int Close(int fd) {
    return ::close(fd);
}

qint64 ReadAt(int fd, void* data, qint64 size, qint64 offset) {
    return ::pread(fd, data, size_t(size), off_t(offset));
}

qint64 WriteAt(int fd, const void* data, qint64 size, qint64 offset) {
    return ::pwrite(fd, data, size_t(size), off_t(offset));
}

int Flush(int fd) {
    return ::fsync(fd);
}

int Truncate(int fd, qint64 length) {
    return ::ftruncate(fd, off_t(length));
}

int Replace(const char* from, const char* to) {
    return ::rename(from, to);
}

int Remove(const char* path) {
    return ::unlink(path);
}

qint64 Size(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return -1;
    return qint64(st.st_size);
}

bool IsRegular(int fd) {
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

int LockByte(int fd, qint64 offset, bool on, bool wait) {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = on ? F_WRLCK : F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(offset);
    fl.l_len = 1;
    int r;
    while ((r = ::fcntl(fd, wait ? F_SETLKW : F_SETLK, &fl)) != 0 && errno == EINTR) {
    }
    return r;
}

bool StillNamed(int fd, const char* path) {
    struct stat mine, named;
    return ::fstat(fd, &mine) != 0 || ::stat(path, &named) != 0 ||
           (mine.st_dev == named.st_dev && mine.st_ino == named.st_ino);
}

void FlushFolder(const QString& folder) {
    // Some shared folders cannot flush a folder; the caller goes on all the same.
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void KeepMode(int fd, int mode) {
    ::fchmod(fd, mode_t(mode));
}

void StartWriteBack(int fd, qint64 offset, qint64 length) {
#if defined(__linux__)
    ::sync_file_range(fd, off_t(offset), off_t(length), SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(fd);
    Q_UNUSED(offset);
    Q_UNUSED(length);
#endif
}

QString UserName() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return QStringLiteral("?");
}
} // namespace SystemFile
