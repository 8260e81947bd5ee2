#include "storage/RecordFile.h"
#include "storage/FileOps.h"
#include "storage/SaveFile.h"
#include "storage/SystemFile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cerrno>
#include <cstring>

namespace {
// The lock covers one byte far beyond any real data, so readers are never blocked and the
// file never grows because of it.
constexpr qint64 kSentinel = qint64(1) << 40;
qint64 g_shortWrite = -1;

QString Errno(const char* what) {
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(strerror(errno)));
}

// The intent file: a mark, the record's byte offset (8 bytes) and size (4 bytes), both little
// endian, then the old record and the new one.
constexpr char kIntentMark[8] = {'C', 'V', 'N', 'S', 'O', 'V', 'R', '1'};
constexpr int kIntentHead = 8 + 8 + 4;

// A write stopped half way leaves every byte of the record as either the old one's or the new
// one's. A record that differs from both anywhere was written since (a restored copy): not ours.
bool IsMixOf(const QByteArray& current, const QByteArray& old, const QByteArray& fresh) {
    for (int i = 0; i < current.size(); ++i)
        if (current[i] != old[i] && current[i] != fresh[i])
            return false;
    return true;
}
} // namespace

QString RecordFile::IntentPath(const QString& path) {
    return path + QStringLiteral(".ripristino");
}

RecordFile::RecordFile(int recordSize) : m_size(recordSize) {}

RecordFile::~RecordFile() {
    if (m_fd >= 0)
        FileOps::Current().Close(m_fd);
}

void RecordFile::InjectShortWrite(qint64 bytes) {
    g_shortWrite = bytes;
}

bool RecordFile::Fail(const QString& what) {
    m_error = what;
    return false;
}

bool RecordFile::OpenOrCreate(const QString& path) {
    Close();
    m_path = path;
    m_error.clear();
    const QByteArray native = QFile::encodeName(path);
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_fd = FileOps::Current().Open(native.constData(), O_RDWR | SystemFile::kOpenFlags, 0);
        if (m_fd >= 0)
            break;
        // Something is there but cannot be opened (read-only, a folder...): never replace it.
        if (errno != ENOENT)
            return Fail(Errno("open"));
        struct stat st;
        if (::stat(native.constData(), &st) == 0)
            continue; // another workstation created it since the open: open that one
        if (errno != ENOENT)
            return Fail(Errno("open"));
        m_fd = FileOps::Current().Open(native.constData(), O_RDWR | O_CREAT | O_EXCL | SystemFile::kOpenFlags, 0666);
        if (m_fd >= 0)
            break;
        if (errno != EEXIST) // another workstation created it a moment ago: open that one
            return Fail(Errno("create"));
    }
    if (m_fd < 0)
        return Fail(Errno("open"));
    if (!SystemFile::IsRegular(m_fd)) {
        FileOps::Current().Close(m_fd);
        m_fd = -1;
        return Fail(QStringLiteral("not a regular file"));
    }
    // Settled under the lock, so that an overwrite still in progress on another workstation is
    // waited for rather than taken for an interrupted one. Reading goes on if it cannot be settled.
    if (QFileInfo::exists(IntentPath(m_path))) {
        if (Lock(true)) {
            SettleInterruptedOverwrite();
            Lock(false);
        }
        m_error.clear();
    }
    return true;
}

qint64 RecordFile::RecordCount() {
    if (m_fd < 0) {
        Fail(QStringLiteral("file not open"));
        return -1;
    }
    const qint64 size = SystemFile::Size(m_fd);
    if (size < 0) {
        Fail(Errno("stat"));
        return -1;
    }
    return size / m_size;
}

bool RecordFile::ReadRaw(qint64 index, QByteArray& out) {
    if (m_fd < 0)
        return Fail(QStringLiteral("file not open"));
    if (index < 0)
        return Fail(QStringLiteral("negative record index"));
    out.resize(m_size);
    qint64 done = 0;
    while (done < m_size) {
        const qint64 n = SystemFile::ReadAt(m_fd, out.data() + done, m_size - done, index * m_size + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Fail(Errno("read"));
        if (n == 0)
            return Fail(QStringLiteral("record %1 is beyond the end of the file").arg(index + 1));
        done += n;
    }
    return true;
}

bool RecordFile::WriteAt(qint64 offset, const QByteArray& data) {
    qint64 limit = data.size();
    if (g_shortWrite >= 0) {
        limit = qMin(limit, g_shortWrite);
        g_shortWrite = -1;
    }
    qint64 done = 0;
    while (done < limit) {
        const ssize_t n =
            FileOps::Current().Pwrite(m_fd, data.constData() + done, size_t(limit - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Fail(Errno("write"));
        if (n == 0)
            return Fail(QStringLiteral("write: no byte written"));
        done += n;
    }
    if (done != data.size())
        return Fail(QStringLiteral("short write: %1 of %2 bytes").arg(done).arg(data.size()));
    return true;
}

bool RecordFile::Lock(bool on, bool wait, bool* busy) {
    // Byte locks do not nest: only the outermost holder takes and releases the byte.
    if (on && m_lockDepth++ > 0)
        return true;
    if (!on && --m_lockDepth > 0)
        return true;
    if (SystemFile::LockByte(m_fd, kSentinel, on, wait) != 0) {
        if (busy && (errno == EAGAIN || errno == EACCES))
            *busy = true;
        if (on)
            m_lockDepth = 0;
        return Fail(Errno("lock"));
    }
    return !on || FollowReplacedFile(wait, busy);
}

// A restore puts a new file under the archive's name while it holds the old file's lock. A writer
// that was waiting on the old file gets its lock only when that file has left the name: it opens
// the file now under the name and takes that one's lock, so its write is not lost with the old file.
bool RecordFile::FollowReplacedFile(bool wait, bool* busy) {
    const QByteArray native = QFile::encodeName(m_path);
    for (int tries = 0; !native.isEmpty() && tries < 5; ++tries) {
        if (SystemFile::StillNamed(m_fd, native.constData()))
            return true; // still the archive (or the name is gone: nothing better to follow)
        const int fd = FileOps::Current().Open(native.constData(), O_RDWR | SystemFile::kOpenFlags, 0);
        if (fd < 0)
            break;
        FileOps::Current().Close(m_fd); // lets the old file's lock go
        m_fd = fd;
        if (SystemFile::LockByte(m_fd, kSentinel, true, wait) != 0) {
            if (busy && (errno == EAGAIN || errno == EACCES))
                *busy = true;
            m_lockDepth = 0;
            return Fail(Errno("lock"));
        }
    }
    // The name cannot be followed: give up the lock rather than write into a file no longer read.
    SystemFile::LockByte(m_fd, kSentinel, false, false);
    m_lockDepth = 0;
    return Fail(QStringLiteral("the archive was replaced while waiting for it"));
}

bool RecordFile::Locked(const std::function<bool()>& action) {
    if (m_fd < 0)
        return Fail(QStringLiteral("file not open"));
    if (!Lock(true))
        return false;
    bool ok = m_lockDepth > 1 || SettleInterruptedOverwrite();
    ok = ok && action();
    const QString err = m_error;
    Lock(false);
    return ok ? true : Fail(err);
}

bool RecordFile::TryLocked(const std::function<bool()>& action, bool* busy) {
    *busy = false;
    if (m_fd < 0)
        return Fail(QStringLiteral("file not open"));
    if (m_lockDepth > 0) // already ours
        return Locked(action);
    if (!Lock(true, false, busy))
        return false;
    bool ok = SettleInterruptedOverwrite() && action();
    const QString err = m_error;
    Lock(false);
    return ok ? true : Fail(err);
}

bool RecordFile::AppendBatchRaw(const std::function<bool(qint64, QByteArray&)>& build, qint64* firstPosition) {
    if (m_fd < 0)
        return Fail(QStringLiteral("file not open"));
    return Locked([&] {
        const qint64 size = SystemFile::Size(m_fd);
        if (size < 0)
            return Fail(Errno("stat"));
        const qint64 count = size / m_size;
        QByteArray recs;
        if (!build(count, recs))
            return false;
        if (recs.size() % m_size != 0)
            return Fail(QStringLiteral("batch of partial records"));
        if (recs.isEmpty()) {
            if (firstPosition)
                *firstPosition = count + 1;
            return true;
        }
        // A trailing partial record is written over, as a single append does; its bytes are kept
        // so that a failed batch leaves the file exactly as it was.
        QByteArray tail;
        const qint64 start = count * m_size;
        if (size > start) {
            tail.resize(int(size - start));
            if (SystemFile::ReadAt(m_fd, tail.data(), tail.size(), start) != tail.size())
                return Fail(Errno("read"));
        }
        if (WriteAt(start, recs) && (FileOps::Current().Fsync(m_fd) == 0 || Fail(Errno("flush")))) {
            if (firstPosition)
                *firstPosition = count + 1;
            return true;
        }
        const QString err = m_error;
        // Cut back to the size before the batch; the bytes it replaced go back where they were.
        if (FileOps::Current().Ftruncate(m_fd, off_t(size)) != 0 || (!tail.isEmpty() && !WriteAt(start, tail)))
            return Fail(err + QStringLiteral("; ") + Errno("cut back"));
        FileOps::Current().Fsync(m_fd);
        return Fail(err);
    });
}

bool RecordFile::AppendRaw(const QByteArray& rec, qint64* position) {
    if (m_fd < 0)
        return Fail(QStringLiteral("file not open"));
    if (rec.size() != m_size)
        return Fail(QStringLiteral("record of wrong size"));
    if (!Lock(true))
        return false;
    // The count is taken under the lock: another workstation's append cannot slip in between.
    const qint64 count = RecordCount();
    bool ok = count >= 0 && WriteAt(count * m_size, rec);
    const QString err = m_error;
    Lock(false);
    if (!ok)
        return Fail(err);
    if (position)
        *position = count + 1;
    return true;
}

bool RecordFile::WriteIntent(qint64 offset, const QByteArray& old, const QByteArray& rec) {
    QByteArray intent(kIntentHead, '\0');
    std::memcpy(intent.data(), kIntentMark, sizeof kIntentMark);
    qToLittleEndian<qint64>(offset, intent.data() + 8);
    qToLittleEndian<qint32>(m_size, intent.data() + 16);
    intent += old;
    intent += rec;
    QString error;
    if (!SaveWholeFile(IntentPath(m_path), intent, &error))
        return Fail(error);
    // The intent file's name is made durable before the record changes.
    SystemFile::FlushFolder(QFileInfo(m_path).absolutePath());
    return true;
}

// Called with the lock held. Returns false, keeping the intent file for the next try, when it cannot
// be read, a torn record cannot be put back, or it cannot be removed.
bool RecordFile::SettleInterruptedOverwrite() {
    const QString intentPath = IntentPath(m_path);
    QFile f(intentPath);
    if (!f.open(QIODevice::ReadOnly))
        return !f.exists() ||
               Fail(QStringLiteral("cannot read %1: %2").arg(QDir::toNativeSeparators(intentPath), f.errorString()));
    const QByteArray intent = f.read(kIntentHead + 2 * qint64(m_size) + 1);
    f.close();
    // A damaged intent file cannot come from a save (it is written whole or not at all): it is
    // dropped and the archive left alone.
    if (intent.size() == kIntentHead + 2 * m_size && intent.startsWith(QByteArray(kIntentMark, 8)) &&
        qFromLittleEndian<qint32>(intent.constData() + 16) == m_size) {
        const qint64 offset = qFromLittleEndian<qint64>(intent.constData() + 8);
        const QByteArray old = intent.mid(kIntentHead, m_size), fresh = intent.mid(kIntentHead + m_size, m_size);
        const qint64 count = RecordCount();
        if (count < 0)
            return false;
        QByteArray current;
        if (offset >= 0 && offset % m_size == 0 && offset / m_size < count) {
            if (!ReadRaw(offset / m_size, current))
                return false;
            // The save never reported success: its record goes back to the old one.
            if (current != old && current != fresh && IsMixOf(current, old, fresh) &&
                (!WriteAt(offset, old) || FileOps::Current().Fsync(m_fd) != 0))
                return Fail(Errno("repair"));
        }
    }
    if (!QFile::remove(intentPath) && QFile::exists(intentPath))
        return Fail(QStringLiteral("cannot remove %1").arg(QDir::toNativeSeparators(intentPath)));
    return true;
}

bool RecordFile::OverwriteRaw(qint64 index, const QByteArray& rec) {
    if (m_fd < 0)
        return Fail(QStringLiteral("file not open"));
    if (rec.size() != m_size)
        return Fail(QStringLiteral("record of wrong size"));
    if (!Lock(true))
        return false;
    // Another workstation's interrupted overwrite is settled before this one's intent replaces it.
    bool ok = SettleInterruptedOverwrite();
    const qint64 count = ok ? RecordCount() : -1;
    ok = ok && count >= 0;
    if (ok && (index < 0 || index >= count))
        ok = Fail(QStringLiteral("record %1 does not exist").arg(index + 1));
    const qint64 offset = index * m_size;
    QByteArray old;
    ok = ok && ReadRaw(index, old) && WriteIntent(offset, old, rec);
    if (ok) {
        const bool written = WriteAt(offset, rec) && (FileOps::Current().Fsync(m_fd) == 0 || Fail(Errno("flush")));
        const QString err = m_error;
        // A failed write puts the old bytes back. The intent file goes only once the record is
        // whole on the disk; otherwise it stays, and the next open puts the old record back.
        const bool whole = written || (WriteAt(offset, old) && FileOps::Current().Fsync(m_fd) == 0);
        if (whole)
            QFile::remove(IntentPath(m_path)); // one left behind is harmless: the record matches it
        ok = written;
        m_error = err;
    }
    const QString err = m_error;
    Lock(false);
    return ok ? true : Fail(err);
}

bool RecordFile::Scan(const std::function<bool(qint64, const char*)>& visit) {
    const qint64 count = RecordCount();
    if (count < 0)
        return false;
    // Blocks of 256 KiB: large enough that the reads cost little, small enough that a block is still in
    // the processor's cache when its records are decoded right after the read.
    const qint64 perBlock = qMax<qint64>(1, (256 << 10) / m_size);
    QByteArray block;
    for (qint64 first = 0; first < count; first += perBlock) {
        const qint64 n = qMin(perBlock, count - first);
        block.resize(n * m_size);
        qint64 done = 0;
        while (done < block.size()) {
            const qint64 r = SystemFile::ReadAt(m_fd, block.data() + done, block.size() - done, first * m_size + done);
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0)
                return Fail(Errno("read"));
            if (r == 0)
                break; // the file shrank under us: keep the whole records read so far
            done += r;
        }
        const qint64 whole = done / m_size;
        for (qint64 i = 0; i < whole; ++i)
            if (!visit(first + i, block.constData() + i * m_size))
                return true;
        if (whole < n)
            break;
    }
    return true;
}

bool RecordFile::ReadAllRaw(QByteArray& out) {
    out.clear();
    const qint64 count = RecordCount();
    if (count < 0)
        return false;
    out.reserve(count * m_size);
    return Scan([&](qint64, const char* rec) {
        out.append(rec, m_size);
        return true;
    });
}

bool RecordFile::CopyTo(const QString& to) {
    if (m_fd < 0)
        return Fail(QStringLiteral("file not open"));
    if (!Lock(true))
        return false;
    // Read through this descriptor: closing another one of the same file would drop the lock.
    QString error;
    const bool ok = CopyWholeFile(m_fd, m_path, to, &error);
    Lock(false);
    return ok || Fail(error);
}

bool RecordFile::Close() {
    if (m_fd < 0)
        return true;
    const int fd = m_fd;
    m_fd = -1;
    m_lockDepth = 0; // closing the descriptor drops the lock
    if (FileOps::Current().Close(fd) != 0)
        return Fail(Errno("close"));
    return true;
}
