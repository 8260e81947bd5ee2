#include "storage/SaveFile.h"
#include "storage/FileOps.h"
#include "storage/SystemFile.h"
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {
// Writes of at least this many bytes are handed to the disk at once (see Write).
constexpr qint64 kEarlyWriteback = 256 * 1024;
} // namespace

SaveFile::SaveFile(const QString& path) : m_path(path) {
    // A link is followed: the file it names is replaced, the link stays.
    const QFileInfo info(path);
    if (info.isSymLink() && !info.symLinkTarget().isEmpty())
        m_path = info.symLinkTarget();
}

SaveFile::~SaveFile() {
    Cancel();
}

bool SaveFile::Fail(const char* what) {
    const int err = errno;
    // The path as the system writes it (backslashes on Windows), since the text may reach the user.
    m_error = QStringLiteral("%1 %2: %3")
                  .arg(QLatin1String(what), QDir::toNativeSeparators(m_path), QString::fromLocal8Bit(strerror(err)));
    Cancel();
    return false;
}

namespace {
// New files that a save killed half way left beside the file; another workstation's save in
// progress is never that old. `now` is the file system's own time (the mtime of a file just
// created), so a shared folder is judged by its server's clock, not by this workstation's.
void RemoveStaleNewFiles(const QString& path, const QDateTime& now) {
    const QFileInfo info(path);
    const QDateTime limit = now.toUTC().addSecs(-3600);
    const QDir dir = info.absoluteDir();
    for (const QFileInfo& stale :
         dir.entryInfoList({info.fileName() + QStringLiteral(".new*")}, QDir::Files | QDir::Hidden))
        if (stale.lastModified().toUTC() < limit)
            QFile::remove(stale.absoluteFilePath());
}
} // namespace

bool SaveFile::Open() {
    Cancel();
    m_error.clear();
    const QByteArray target = QFile::encodeName(m_path);
    mode_t mode = 0666; // new files: what the umask allows, as for any other file of the folder
    struct stat st;
    const bool exists = ::stat(target.constData(), &st) == 0;
    if (exists) {
        // A folder of that name, or a file the user may not change, stays as it is.
        if (S_ISDIR(st.st_mode)) {
            errno = EISDIR;
            return Fail("cannot replace");
        }
        if (::access(target.constData(), W_OK) != 0)
            return Fail("cannot replace");
        mode = st.st_mode & 07777;
    }
    for (int attempt = 0; attempt < 8 && m_fd < 0; ++attempt) {
        m_temp = target + ".new" + QByteArray::number(QRandomGenerator::global()->generate() % 1000000);
        m_fd = FileOps::Current().Open(m_temp.constData(), O_WRONLY | O_CREAT | O_EXCL | SystemFile::kOpenFlags, mode);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        m_temp.clear();
        return Fail("cannot create a new file for");
    }
    if (exists)
        SystemFile::KeepMode(m_fd, mode); // the umask must not narrow a shared file's permissions
    struct stat created;
    if (::fstat(m_fd, &created) == 0)
        RemoveStaleNewFiles(m_path, QDateTime::fromSecsSinceEpoch(created.st_mtime, Qt::UTC));
    m_written = 0;
    return true;
}

bool SaveFile::Write(const QByteArray& bytes) {
    if (m_fd < 0) {
        m_error = QStringLiteral("%1 is not open for writing").arg(m_path);
        return false;
    }
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = FileOps::Current().Pwrite(m_fd, bytes.constData() + done, size_t(bytes.size() - done),
                                                    off_t(m_written + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return Fail("cannot write");
        }
        done += n;
    }
    // A large file is flushed at Commit: its blocks start for the disk now, while the caller builds
    // the next ones, so that the flush waits only for the last. A hint: its failure changes nothing.
    if (done >= kEarlyWriteback)
        SystemFile::StartWriteBack(m_fd, m_written, done);
    m_written += done;
    return true;
}

bool SaveFile::Commit() {
    if (m_fd < 0) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("%1 is not open for writing").arg(m_path);
        return false;
    }
    if (FileOps::Current().Fsync(m_fd) != 0)
        return Fail("cannot flush");
    const int fd = m_fd;
    m_fd = -1;
    if (FileOps::Current().Close(fd) != 0)
        return Fail("cannot close");
    if (FileOps::Current().Rename(m_temp.constData(), QFile::encodeName(m_path).constData()) != 0)
        return Fail("cannot replace");
    m_temp.clear();
    return true;
}

void SaveFile::Cancel() {
    if (m_fd >= 0) {
        SystemFile::Close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.isEmpty()) {
        SystemFile::Remove(m_temp.constData());
        m_temp.clear();
    }
}

bool SaveWholeFile(const QString& path, const QByteArray& bytes, QString* error) {
    SaveFile file(path);
    const bool ok = file.Open() && file.Write(bytes) && file.Commit();
    if (!ok && error)
        *error = file.ErrorString();
    return ok;
}

bool CopyWholeFile(const QString& from, const QString& to, QString* error) {
    const int fd = SystemFile::Open(QFile::encodeName(from).constData(), O_RDONLY | SystemFile::kOpenFlags, 0);
    if (fd < 0) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(from, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    const bool ok = CopyWholeFile(fd, from, to, error);
    SystemFile::Close(fd);
    return ok;
}

bool CopyWholeFile(int from, const QString& fromName, const QString& to, QString* error) {
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    SaveFile out(to);
    if (!out.Open())
        return fail(out.ErrorString());
    QByteArray block;
    for (qint64 offset = 0;;) {
        block.resize(1 << 20);
        const qint64 n = SystemFile::ReadAt(from, block.data(), block.size(), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(QStringLiteral("%1: %2").arg(fromName, QString::fromLocal8Bit(strerror(errno))));
        if (n == 0)
            break;
        block.resize(int(n));
        if (!out.Write(block))
            return fail(out.ErrorString());
        offset += n;
    }
    return out.Commit() || fail(out.ErrorString());
}
