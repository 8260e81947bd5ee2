#pragma once
// The system calls through which every file the program writes goes: record files, settings,
// pictures and exports. Tests install their own FileOps to make any one call fail as a full
// disk or a failing network folder would.
#include <sys/types.h>

class FileOps {
public:
    virtual ~FileOps() = default;
    virtual int Open(const char* path, int flags, mode_t mode);
    /// May write fewer bytes than asked, as the system call may; callers loop.
    virtual ssize_t Pwrite(int fd, const void* data, size_t size, off_t offset);
    virtual int Fsync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
    /// Cuts the file back to `length` bytes (a batch that failed part way).
    virtual int Ftruncate(int fd, off_t length);

    /// The calls in use: the real ones unless a test installed others.
    static FileOps& Current();
    /// Installs `ops` (nullptr: the real calls again) and returns the previous one.
    static FileOps* Install(FileOps* ops);
};
