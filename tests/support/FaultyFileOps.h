#pragma once
// A FileOps that counts every open, write, flush, close, rename and truncate and makes the n-th one fail
// with the chosen error, as a full disk (ENOSPC) or a failing network folder (EIO) would.
// Writes go through in pieces of at most `piece` bytes, so a failure can stop a write half way.
// Installed for the life of the object. Header only, so headless tests can use it too.
// CableCut below cuts one file's writes after a given number of bytes.
#include "storage/FileOps.h"
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <unistd.h>

class FaultyFileOps : public FileOps {
public:
    int failAt = 0; // 1-based number of the call that fails; 0: none
    int error = ENOSPC;
    int calls = 0;
    size_t piece = 400;
    bool sticky = false;          // every call from the n-th on fails, as on a folder whose cable was pulled
    const char* failed = nullptr; // the (first) call that was made to fail

    FaultyFileOps() : m_previous(FileOps::Install(this)) {}
    ~FaultyFileOps() override { FileOps::Install(m_previous); }
    FaultyFileOps(const FaultyFileOps&) = delete;
    FaultyFileOps& operator=(const FaultyFileOps&) = delete;

    void Arm(int n, int err) {
        failAt = n;
        error = err;
        calls = 0;
        failed = nullptr;
    }

    int Open(const char* path, int flags, mode_t mode) override {
        return Hit("open") ? -1 : FileOps::Open(path, flags, mode);
    }
    ssize_t Pwrite(int fd, const void* data, size_t size, off_t offset) override {
        return Hit("write") ? -1 : FileOps::Pwrite(fd, data, std::min(size, piece), offset);
    }
    int Fsync(int) override { return Hit("flush") ? -1 : 0; } // the data is not needed on the disk
    int Close(int fd) override {
        // The descriptor is released even when close reports an error.
        const bool fail = Hit("close");
        const int r = FileOps::Close(fd);
        if (!fail)
            return r;
        errno = error;
        return -1;
    }
    int Rename(const char* from, const char* to) override { return Hit("rename") ? -1 : FileOps::Rename(from, to); }
    int Ftruncate(int fd, off_t length) override { return Hit("truncate") ? -1 : FileOps::Ftruncate(fd, length); }

private:
    bool Hit(const char* what) {
        ++calls;
        if (failAt == 0 || (sticky ? calls < failAt : calls != failAt))
            return false;
        failed = failed ? failed : what;
        errno = error;
        return true;
    }
    FileOps* m_previous;
};

// The cable of a shared folder pulled while a record is written: the first `keep` bytes written
// to the archive reach it, then every write and flush of the archive fails, so the overwrite
// cannot put the old record back itself. Other files (the overwrite's intent file) are written.
class CableCut : public FileOps {
public:
    CableCut(const QString& archive, size_t keep)
        : m_archive(QFile::encodeName(archive)), m_keep(keep), m_previous(FileOps::Install(this)) {}
    ~CableCut() override { FileOps::Install(m_previous); }
    CableCut(const CableCut&) = delete;
    CableCut& operator=(const CableCut&) = delete;

    int Open(const char* path, int flags, mode_t mode) override {
        const int fd = FileOps::Open(path, flags, mode);
        if (fd >= 0 && m_archive == path)
            m_fd = fd;
        return fd;
    }
    ssize_t Pwrite(int fd, const void* data, size_t size, off_t offset) override {
        if (fd != m_fd)
            return FileOps::Pwrite(fd, data, size, offset);
        if (m_keep == 0) {
            errno = EIO;
            return -1;
        }
        const size_t n = std::min(size, m_keep);
        m_keep -= n;
        return FileOps::Pwrite(fd, data, n, offset);
    }
    int Fsync(int fd) override {
        if (fd == m_fd && m_keep == 0) {
            errno = EIO;
            return -1;
        }
        return FileOps::Fsync(fd);
    }

private:
    QByteArray m_archive;
    size_t m_keep;
    int m_fd = -1;
    FileOps* m_previous;
};
