#include "storage/SystemFile.h"
#include <QDir>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <io.h>
#include <string>
#include <windows.h>

// The C library's descriptors sit on Windows handles made here with CreateFileW, so that an open
// file can still be renamed over or removed by another program or workstation (as on POSIX: a
// save replaces the settings file while another workstation reads it), and so that positioned
// reads, writes and byte locks go straight to the handle.
namespace {
std::wstring Wide(const char* path) {
    return QDir::toNativeSeparators(QFile::decodeName(path)).toStdWString();
}

// The C library's error for the last Windows error, so that messages read as on POSIX.
int SetErrno(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        errno = ENOENT;
        break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        errno = EEXIST;
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT:
        errno = EACCES;
        break;
    case ERROR_LOCK_VIOLATION:
    case ERROR_IO_PENDING:
        errno = EAGAIN;
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        errno = ENOSPC;
        break;
    case ERROR_INVALID_HANDLE:
        errno = EBADF;
        break;
    case ERROR_DIRECTORY:
        errno = EISDIR;
        break;
    default:
        errno = EIO;
        break;
    }
    return -1;
}

HANDLE Handle(int fd) {
    const intptr_t h = _get_osfhandle(fd);
    if (h == -1 || h == -2) {
        errno = EBADF;
        return INVALID_HANDLE_VALUE;
    }
    return reinterpret_cast<HANDLE>(h);
}

OVERLAPPED At(qint64 offset) {
    OVERLAPPED ov{};
    ov.Offset = DWORD(quint64(offset) & 0xFFFFFFFFu);
    ov.OffsetHigh = DWORD(quint64(offset) >> 32);
    return ov;
}

// One call moves at most this much, so that the count fits a DWORD; callers loop.
constexpr qint64 kMaxChunk = qint64(1) << 30;
} // namespace

namespace SystemFile {
const int kOpenFlags = O_NOINHERIT | O_BINARY;

int Open(const char* path, int flags, int mode) {
    const int access = flags & (O_WRONLY | O_RDWR);
    const DWORD desired = access == O_RDWR     ? GENERIC_READ | GENERIC_WRITE
                          : access == O_WRONLY ? GENERIC_WRITE
                                               : GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    if ((flags & O_CREAT) && (flags & O_EXCL))
        disposition = CREATE_NEW;
    else if ((flags & O_CREAT) && (flags & O_TRUNC))
        disposition = CREATE_ALWAYS;
    else if (flags & O_CREAT)
        disposition = OPEN_ALWAYS;
    else if (flags & O_TRUNC)
        disposition = TRUNCATE_EXISTING;
    const DWORD attributes = (flags & O_CREAT) && !(mode & 0222) ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
    // No security attributes: the handle is not inherited by programs started meanwhile.
    const HANDLE h = CreateFileW(Wide(path).c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, disposition, attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A folder of that name cannot be opened as a file: say so as POSIX does.
        if (error == ERROR_ACCESS_DENIED && (GetFileAttributesW(Wide(path).c_str()) & FILE_ATTRIBUTE_DIRECTORY) &&
            GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
            errno = EISDIR;
            return -1;
        }
        return SetErrno(error);
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), access == O_RDWR     ? _O_RDWR
                                                                  : access == O_WRONLY ? _O_WRONLY
                                                                                       : _O_RDONLY);
    if (fd < 0) {
        CloseHandle(h);
        errno = EMFILE;
    }
    return fd;
}

int Close(int fd) {
    return ::_close(fd);
}

qint64 ReadAt(int fd, void* data, qint64 size, qint64 offset) {
    const HANDLE h = Handle(fd);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    OVERLAPPED ov = At(offset);
    DWORD got = 0;
    if (!ReadFile(h, data, DWORD(qMin(size, kMaxChunk)), &got, &ov)) {
        const DWORD error = GetLastError();
        if (error == ERROR_HANDLE_EOF)
            return 0;
        return SetErrno(error);
    }
    return qint64(got);
}

qint64 WriteAt(int fd, const void* data, qint64 size, qint64 offset) {
    const HANDLE h = Handle(fd);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    OVERLAPPED ov = At(offset);
    DWORD put = 0;
    if (!WriteFile(h, data, DWORD(qMin(size, kMaxChunk)), &put, &ov))
        return SetErrno(GetLastError());
    return qint64(put);
}

int Flush(int fd) {
    const HANDLE h = Handle(fd);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    return FlushFileBuffers(h) ? 0 : SetErrno(GetLastError());
}

int Truncate(int fd, qint64 length) {
    const HANDLE h = Handle(fd);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    FILE_END_OF_FILE_INFO info{};
    info.EndOfFile.QuadPart = length;
    return SetFileInformationByHandle(h, FileEndOfFileInfo, &info, sizeof info) ? 0 : SetErrno(GetLastError());
}

int Replace(const char* from, const char* to) {
    const std::wstring source = Wide(from), target = Wide(to);
    // A virus scanner or the search indexer may hold the old file for a moment: try again briefly
    // before reporting the save as failed.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 0;
        const DWORD error = GetLastError();
        if (attempt >= 20 || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION))
            return SetErrno(error);
        QThread::msleep(50);
    }
}

int Remove(const char* path) {
    return DeleteFileW(Wide(path).c_str()) ? 0 : SetErrno(GetLastError());
}

qint64 Size(int fd) {
    const HANDLE h = Handle(fd);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size))
        return SetErrno(GetLastError());
    return qint64(size.QuadPart);
}

bool IsRegular(int fd) {
    const HANDLE h = Handle(fd);
    BY_HANDLE_FILE_INFORMATION info;
    return h != INVALID_HANDLE_VALUE && GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

int LockByte(int fd, qint64 offset, bool on, bool wait) {
    const HANDLE h = Handle(fd);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    OVERLAPPED ov = At(offset);
    // Windows byte locks are honoured by the file server of a shared folder, so they hold between
    // workstations; locking beyond the end of the file is allowed and does not grow it.
    const BOOL ok = on ? LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY), 0, 1, 0, &ov)
                       : UnlockFileEx(h, 0, 1, 0, &ov);
    return ok ? 0 : SetErrno(GetLastError());
}

bool StillNamed(int fd, const char* path) {
    const HANDLE mine = Handle(fd);
    if (mine == INVALID_HANDLE_VALUE)
        return true;
    const HANDLE named = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (named == INVALID_HANDLE_VALUE)
        return true;
    BY_HANDLE_FILE_INFORMATION a, b;
    const bool known = GetFileInformationByHandle(mine, &a) && GetFileInformationByHandle(named, &b);
    CloseHandle(named);
    return !known || (a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
                      a.nFileIndexLow == b.nFileIndexLow);
}

void FlushFolder(const QString&) {
    // Windows cannot flush a folder for an ordinary user; the renames that create names are
    // written through instead (Replace).
}

void KeepMode(int, int) {
    // A new file takes the folder's permissions on Windows, as the file it replaces did.
}

void StartWriteBack(int, qint64, qint64) {}

QString UserName() {
    wchar_t name[257];
    DWORD size = 257;
    if (GetUserNameW(name, &size) && size > 1)
        return QString::fromWCharArray(name, int(size - 1));
    return QStringLiteral("?");
}
} // namespace SystemFile
