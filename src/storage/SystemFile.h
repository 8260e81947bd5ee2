#pragma once
// The file calls whose form differs between the systems the program runs on: positioned reads and
// writes, flushing, replacing by rename, cutting, the sentinel-byte lock and the folder flush. Each
// system has its own file, chosen by the build (SystemFilePosix.cpp, SystemFileWin.cpp); callers
// see one form. Descriptors are the C library's int descriptors on both systems, paths are what
// QFile::encodeName gives, and a failure returns -1 (or false) with errno set as the C library
// would, so one message text serves both systems.
#include <QString>
#include <QtGlobal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace SystemFile {
/// Added to the flags of every open: the descriptor is not inherited by programs started meanwhile,
/// and the bytes are written as they are (no text-mode translation).
extern const int kOpenFlags;

/// Opens or creates `path` (open(2) flags and mode). On Windows the file stays renamable and
/// deletable by others while it is open, as on POSIX.
int Open(const char* path, int flags, int mode);
int Close(int fd);
/// Reads up to `size` bytes at `offset` without using a shared file position; 0 at the end.
qint64 ReadAt(int fd, void* data, qint64 size, qint64 offset);
/// Writes up to `size` bytes at `offset`; may write fewer, as the system call may.
qint64 WriteAt(int fd, const void* data, qint64 size, qint64 offset);
/// Puts the file's written bytes on the disk.
int Flush(int fd);
/// Cuts the file to `length` bytes.
int Truncate(int fd, qint64 length);
/// Puts `from` under the name `to` in one step, replacing what is there, and makes the rename durable.
int Replace(const char* from, const char* to);
int Remove(const char* path);
/// Size of the open file in bytes, -1 on failure.
qint64 Size(int fd);
/// Whether the open file is an ordinary file (not a folder or a device).
bool IsRegular(int fd);
/// Takes (`on`) or gives back the exclusive lock on the one byte at `offset`. With `wait` it blocks
/// until the byte is free; without, it fails at once with errno EAGAIN (or EACCES) when another holder has it.
/// The lock holds across workstations on a shared folder and goes with the descriptor's close.
int LockByte(int fd, qint64 offset, bool on, bool wait);
/// False only when `path` now names a different file than the open `fd` (it was replaced);
/// true when it is the same file or when either cannot be examined.
bool StillNamed(int fd, const char* path);
/// Makes the names created in `folder` durable, where the system allows it; failures are ignored.
void FlushFolder(const QString& folder);
/// Gives a file that replaces an existing one that file's permissions, undoing the creator's mask.
void KeepMode(int fd, int mode);
/// Hint that `length` bytes written at `offset` may start for the disk now; failures are ignored.
void StartWriteBack(int fd, qint64 offset, qint64 length);
/// The name of the user running the program, "?" when it cannot be told.
QString UserName();
} // namespace SystemFile
