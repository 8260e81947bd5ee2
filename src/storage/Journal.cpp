#include "storage/Journal.h"
#include "storage/FileOps.h"
#include "storage/FixedField.h"
#include "storage/ReceiptFile.h"
#include "storage/RecordFile.h"
#include "storage/SaveFile.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QSysInfo>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char kTimeFormat[] = "yyyy-MM-dd HH:mm:ss";
constexpr int kIndexEntry = 16; // position and line offset, 8 bytes each, little endian

QString Escape(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString Unescape(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (int i = 0; i < s.size(); ++i) {
        if (s.at(i) != u'\\' || i + 1 >= s.size()) {
            out += s.at(i);
            continue;
        }
        const QChar n = s.at(++i);
        out += n == u't' ? QChar(u'\t') : n == u'n' ? QChar(u'\n') : n == u'r' ? QChar(u'\r') : n;
    }
    return out;
}

QByteArray CheckCode(const QByteArray& body) {
    return QCryptographicHash::hash(body, QCryptographicHash::Sha1).toHex().left(12);
}

// One journal line: the escaped columns, a tab, the check code of what precedes it, a line feed.
QByteArray Seal(const QStringList& columns) {
    QStringList escaped;
    for (const QString& c : columns)
        escaped << Escape(c);
    const QByteArray body = escaped.join(u'\t').toUtf8();
    return body + '\t' + CheckCode(body) + '\n';
}

// The columns of a line (without its line feed); false when the check code does not match.
bool Unseal(const QByteArray& line, QStringList& columns) {
    const int tab = line.lastIndexOf('\t');
    if (tab <= 0 || line.mid(tab + 1) != CheckCode(line.left(tab)))
        return false;
    columns.clear();
    for (const QString& c : QString::fromUtf8(line.left(tab)).split(u'\t'))
        columns << Unescape(c);
    return true;
}

QString Errno(const char* what, const QString& path) {
    return QStringLiteral("%1 %2: %3").arg(QLatin1String(what), path, QString::fromLocal8Bit(strerror(errno)));
}

// Appends one line and flushes it. A last line torn by a crash is closed first with a mark that the
// reader passes over ("!"), so the new line never runs on from it. A failed write or flush cuts the
// file back to its size before, so no half line stays behind.
JournalFailure AppendLine(const QString& path, const QByteArray& line, qint64* lineOffset, QString* error) {
    auto fail = [&](JournalFailure why, const QString& text) {
        if (error)
            *error = text;
        return why;
    };
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return fail(JournalFailure::Unavailable, QStringLiteral("cannot create %1").arg(folder));
    FileOps& ops = FileOps::Current();
    const QByteArray native = QFile::encodeName(path);
    const int fd = ops.Open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(JournalFailure::Unavailable, Errno("open", path));
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ops.Close(fd);
        return fail(JournalFailure::Unavailable, QStringLiteral("%1 is not a file").arg(path));
    }
    const off_t size = st.st_size;
    QByteArray bytes = line;
    char last = '\n';
    if (size > 0 && ::pread(fd, &last, 1, size - 1) != 1)
        last = '\0';
    if (last != '\n')
        bytes.prepend("!\n");
    qint64 done = 0;
    bool ok = true;
    while (done < bytes.size()) {
        const ssize_t n = ops.Pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(size + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += n;
    }
    QString why = ok ? QString() : Errno("write", path);
    if (ok && ops.Fsync(fd) != 0) {
        ok = false;
        why = Errno("flush", path);
    }
    if (!ok) {
        ops.Ftruncate(fd, size);
        ops.Close(fd);
        return fail(JournalFailure::WriteFailed, why);
    }
    // The line is on the disk: a failing close cannot take it back.
    ops.Close(fd);
    if (lineOffset)
        *lineOffset = qint64(size) + (last != '\n' ? 2 : 0);
    return JournalFailure::None;
}

// The index beside a history journal: where each position's lines start, so that the history of one
// record is read without the whole journal. Only a help for reading: a missing, short or wrong index
// sends the reader through the journal itself.
QString IndexPath(const QString& journal) {
    return journal + QStringLiteral(".idx");
}

// Written with the system calls directly: a failure here changes nothing but the reader's speed. The
// index is whole from the journal's first line or absent: it is started only with a new journal, and
// one that misses an entry is removed, so the reader then goes through the journal itself.
void AppendIndex(const QString& journal, qint64 position, qint64 offset) {
    const QByteArray path = QFile::encodeName(IndexPath(journal));
    int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && offset == 0)
        fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0;
    if (ok) {
        char entry[kIndexEntry];
        qToLittleEndian<qint64>(position, entry);
        qToLittleEndian<qint64>(offset, entry + 8);
        // Whole entries only: one cut short before is written over.
        const off_t at = st.st_size / kIndexEntry * kIndexEntry;
        ok = ::pwrite(fd, entry, kIndexEntry, at) == kIndexEntry;
    }
    ::close(fd);
    if (!ok)
        ::unlink(path.constData());
}

QString NewId() {
    return QString::number(QDateTime::currentMSecsSinceEpoch(), 36) + u'-' +
           QString::number(QRandomGenerator::global()->generate64(), 36);
}

QStringList StampColumns(const JournalStamp& s) {
    return {s.when.toString(QLatin1String(kTimeFormat)), s.workstation, s.user};
}

JournalStamp StampFrom(const QStringList& c, int at) {
    return {QDateTime::fromString(c.value(at), QLatin1String(kTimeFormat)), c.value(at + 1), c.value(at + 2)};
}

// A parsed history line: an entry ("E") or a not-applied mark ("X").
struct Parsed {
    enum { Damaged, Skip, Entry, Mark } what = Damaged;
    HistoryEntry entry;
    QString markId;
    qint64 position = 0;
};

Parsed ParseHistoryLine(const QByteArray& line) {
    Parsed p;
    if (line.endsWith('!')) { // a torn line closed by the next writer
        p.what = Parsed::Skip;
        return p;
    }
    QStringList c;
    if (!Unseal(line, c))
        return p;
    bool ok = false;
    if (c.value(0) == QLatin1String("X") && c.size() == 3) {
        p.position = c[2].toLongLong(&ok);
        p.markId = c[1];
        p.what = ok ? Parsed::Mark : Parsed::Damaged;
        return p;
    }
    if (c.value(0) != QLatin1String("E") || c.size() < 10 || (c.size() - 10) % 3 != 0)
        return p;
    HistoryEntry& e = p.entry;
    e.id = c[1];
    e.stamp = StampFrom(c, 2);
    e.position = c[5].toLongLong(&ok);
    e.kind = c[6];
    e.newHash = c[7].toLatin1();
    e.oldRecord = QByteArray::fromBase64(c[8].toLatin1());
    if (!ok || c[9].toInt() != (c.size() - 10) / 3)
        return p;
    for (int i = 10; i + 2 < c.size(); i += 3)
        e.changes.append({c[i], c[i + 1], c[i + 2]});
    p.position = e.position;
    p.what = Parsed::Entry;
    return p;
}

// Calls `line(offset, bytes)` for every line ended by a line feed in [from, end of file).
template <class F> bool ScanLines(QFile& f, qint64 from, F line) {
    if (!f.seek(from))
        return false;
    QByteArray carry;
    qint64 carryStart = from;
    while (!f.atEnd()) {
        const QByteArray block = f.read(1 << 20);
        if (block.isEmpty())
            break;
        carry += block;
        int start = 0;
        for (int nl = carry.indexOf('\n'); nl >= 0; nl = carry.indexOf('\n', start)) {
            line(carryStart + start, carry.mid(start, nl - start));
            start = nl + 1;
        }
        carry.remove(0, start);
        carryStart += start;
    }
    return true; // what is left in `carry` is a torn last line: passed over
}

// The line that starts at `offset`, without its line feed; empty when there is no whole line there.
QByteArray LineAt(QFile& f, qint64 offset, qint64* next = nullptr) {
    if (!f.seek(offset))
        return {};
    QByteArray out;
    while (!f.atEnd()) {
        const QByteArray block = f.read(8192);
        const int nl = block.indexOf('\n');
        if (nl >= 0) {
            out += block.left(nl);
            if (next)
                *next = offset + out.size() + 1;
            return out;
        }
        out += block;
    }
    return {};
}
} // namespace

QString WorkstationName() {
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? QStringLiteral("?") : host;
}

QString CurrentUserName() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return QStringLiteral("?");
}

QString JournalFolder(const QString& archivePath) {
    return QFileInfo(archivePath).absolutePath() + QStringLiteral("/Storico");
}

QString HistoryPath(const QString& archivePath) {
    return JournalFolder(archivePath) + u'/' + QFileInfo(archivePath).fileName() + QStringLiteral(".log");
}

QVector<FieldChange> DiffRecords(const QVector<FieldSpec>& layout, const QByteArray& before, const QByteArray& after) {
    QVector<FieldChange> out;
    for (const FieldSpec& f : layout) {
        const QString a =
            before.size() > f.offset + f.width ? DecodeField(before.constData() + f.offset, f.width) : QString();
        const QString b =
            after.size() > f.offset + f.width ? DecodeField(after.constData() + f.offset, f.width) : QString();
        if (a != b)
            out.append({QLatin1String(f.name), a, b});
    }
    return out;
}

QByteArray CanonicalRecord(const QVector<FieldSpec>& layout, const QByteArray& record) {
    if (layout.isEmpty())
        return record;
    const FieldSpec& lastField = layout.constLast();
    QByteArray out(lastField.offset + lastField.width + 1, '\0');
    if (record.size() != out.size())
        return record;
    for (const FieldSpec& f : layout) {
        const auto [b, e] = StoredTextRange(record.constData() + f.offset, f.width);
        out[f.offset] = char(e - b);
        std::memcpy(out.data() + f.offset + 1, record.constData() + f.offset + 1 + b, size_t(e - b));
    }
    return out;
}

QByteArray RecordHash(const QVector<FieldSpec>& layout, const QByteArray& record) {
    return QCryptographicHash::hash(CanonicalRecord(layout, record), QCryptographicHash::Sha1).toHex();
}

// ---- History journal ---------------------------------------------------------------------------

HistoryJournal::HistoryJournal(QString archivePath, const QVector<FieldSpec>& layout)
    : m_archive(archivePath), m_path(HistoryPath(archivePath)), m_layout(layout) {}

JournalFailure HistoryJournal::Append(HistoryEntry& e, QString* error) {
    if (e.id.isEmpty())
        e.id = NewId();
    QStringList c = {QStringLiteral("E"), e.id};
    c << StampColumns(e.stamp);
    c << QString::number(e.position) << e.kind << QString::fromLatin1(e.newHash)
      << QString::fromLatin1(e.oldRecord.toBase64()) << QString::number(e.changes.size());
    for (const FieldChange& ch : e.changes)
        c << ch.field << ch.before << ch.after;
    qint64 offset = 0;
    const JournalFailure r = AppendLine(m_path, Seal(c), &offset, error);
    if (r == JournalFailure::None)
        AppendIndex(m_path, e.position, offset);
    return r;
}

bool HistoryJournal::MarkNotApplied(const QString& id, qint64 position, QString* error) {
    qint64 offset = 0;
    if (AppendLine(m_path, Seal({QStringLiteral("X"), id, QString::number(position)}), &offset, error) !=
        JournalFailure::None)
        return false;
    AppendIndex(m_path, position, offset);
    return true;
}

bool HistoryJournal::Read(qint64 position, QVector<HistoryEntry>& out, const QByteArray& current, int* damaged,
                          QString* error) const {
    out.clear();
    int bad = 0;
    QFile f(m_path);
    if (!f.exists()) {
        if (damaged)
            *damaged = 0;
        return true;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    const qint64 size = f.size();
    QVector<HistoryEntry> entries; // file order
    QSet<QString> notApplied;
    QVector<QPair<qint64, qint64>> lines; // of every position, for an index rebuilt after a whole scan
    bool collect = false;
    auto take = [&](const QByteArray& line, qint64 offset) {
        Parsed p = ParseHistoryLine(line);
        if (p.what == Parsed::Damaged)
            ++bad;
        if (collect && (p.what == Parsed::Entry || p.what == Parsed::Mark))
            lines.append({p.position, offset});
        if (p.position != position)
            return;
        if (p.what == Parsed::Entry)
            entries.append(std::move(p.entry));
        else if (p.what == Parsed::Mark)
            notApplied.insert(p.markId);
    };

    // Through the index when it is sound: its offsets rise, lie inside the journal and name lines of
    // the position they say. Lines after its last entry are read from the journal itself.
    bool indexed = false;
    QFile idx(IndexPath(m_path));
    if (idx.open(QIODevice::ReadOnly)) {
        const QByteArray all = idx.readAll();
        const qint64 n = all.size() / kIndexEntry;
        indexed = true;
        qint64 previous = -1, tailFrom = 0;
        QVector<qint64> mine;
        for (qint64 i = 0; i < n && indexed; ++i) {
            const qint64 pos = qFromLittleEndian<qint64>(all.constData() + i * kIndexEntry);
            const qint64 off = qFromLittleEndian<qint64>(all.constData() + i * kIndexEntry + 8);
            indexed = off > previous && off < size;
            previous = off;
            if (pos == position)
                mine.append(off);
        }
        if (indexed && n > 0) {
            tailFrom = -1;
            LineAt(f, previous, &tailFrom);
            indexed = tailFrom > 0;
        }
        for (qint64 off : mine) {
            if (!indexed)
                break;
            const Parsed p = ParseHistoryLine(LineAt(f, off));
            indexed = (p.what == Parsed::Entry || p.what == Parsed::Mark) && p.position == position;
        }
        if (indexed) {
            for (qint64 off : mine)
                take(LineAt(f, off), off);
            ScanLines(f, tailFrom, [&](qint64 off, const QByteArray& line) { take(line, off); });
        }
    }
    if (!indexed) {
        entries.clear();
        notApplied.clear();
        bad = 0;
        collect = true;
        const bool whole = ScanLines(f, 0, [&](qint64 off, const QByteArray& line) { take(line, off); });
        if (whole && !lines.isEmpty())
            RebuildIndex(lines, size);
    }

    for (HistoryEntry& e : entries)
        e.applied = !notApplied.contains(e.id);
    // The newest entry whose record write failed and whose mark could not be written either: the
    // record still holds the old bytes, not the new ones.
    if (!entries.isEmpty() && !current.isEmpty() && entries.constLast().applied) {
        HistoryEntry& last = entries.last();
        const QByteArray now = RecordHash(m_layout, current);
        const QByteArray old = RecordHash(m_layout, last.oldRecord);
        if (last.newHash != now && old == now)
            last.applied = false;
    }
    std::reverse(entries.begin(), entries.end());
    out = std::move(entries);
    if (damaged)
        *damaged = bad;
    return true;
}

void HistoryJournal::RebuildIndex(const QVector<QPair<qint64, qint64>>& entries, qint64 size) const {
    // Under the archive's lock no writer appends to the journal or its index; a workstation that holds
    // the lock now is not waited for: the next reading rebuilds instead.
    RecordFile archive(1); // only its lock is used: no record is read or written here
    if (!QFileInfo::exists(m_archive) || !archive.OpenOrCreate(m_archive))
        return;
    bool busy = false;
    archive.TryLocked(
        [&] {
            if (QFileInfo(m_path).size() != size)
                return false; // lines were added since they were read: not all of them are in `entries`
            QByteArray bytes(entries.size() * kIndexEntry, Qt::Uninitialized);
            char* at = bytes.data();
            for (const auto& [position, offset] : entries) {
                qToLittleEndian<qint64>(position, at);
                qToLittleEndian<qint64>(offset, at + 8);
                at += kIndexEntry;
            }
            return SaveWholeFile(IndexPath(m_path), bytes);
        },
        &busy);
    archive.Close();
}

// ---- Print journal -----------------------------------------------------------------------------

QString PrintJournal::PathFor(const QString& folder, const QString& year) {
    QString base = folder;
    if (!base.endsWith(u'/'))
        base += u'/';
    return base + QStringLiteral("Storico/") + year + QStringLiteral(".stampe.log");
}

bool PrintJournal::WasPrinted(const QString& folder, const QString& year, qint64 position,
                              const QByteArray& recordBytes) {
    return WerePrinted(folder, year, {position}, {recordBytes}).value(0);
}

QVector<bool> PrintJournal::WerePrinted(const QString& folder, const QString& year, const QVector<qint64>& positions,
                                        const QVector<QByteArray>& records) {
    QVector<bool> printed(positions.size(), false);
    QFile f(PathFor(folder, year));
    if (!f.open(QIODevice::ReadOnly))
        return printed;
    // Position and hash of every receipt asked about, to the indexes that asked.
    QHash<QString, QVector<int>> wanted;
    for (int i = 0; i < positions.size() && i < records.size(); ++i)
        wanted[QString::number(positions[i]) + u'\t' +
               QString::fromLatin1(RecordHash(ReceiptRecord::Layout(), records[i]))] << i;
    int left = wanted.size();
    ScanLines(f, 0, [&](qint64, const QByteArray& line) {
        QStringList c;
        if (left == 0 || !Unseal(line, c) || c.size() != 6 || c[0] != QLatin1String("P"))
            return;
        const auto it = wanted.find(c[1] + u'\t' + c[2]);
        if (it == wanted.end() || printed[it->first()])
            return;
        for (int i : *it)
            printed[i] = true;
        --left;
    });
    return printed;
}

bool PrintJournal::Note(const QString& folder, const QString& year, qint64 position, const QByteArray& recordBytes,
                        const JournalStamp& stamp, QString* error) {
    return NoteAll(folder, year, {position}, {recordBytes}, stamp, error);
}

bool PrintJournal::NoteAll(const QString& folder, const QString& year, const QVector<qint64>& positions,
                           const QVector<QByteArray>& records, const JournalStamp& stamp, QString* error) {
    QString base = folder;
    if (!base.endsWith(u'/'))
        base += u'/';
    // Under the year archive's lock, as every other journal of that year.
    RecordFile archive(ReceiptRecord::Size);
    if (!archive.OpenOrCreate(base + year + QStringLiteral(".ric"))) {
        if (error)
            *error = archive.ErrorString();
        return false;
    }
    QByteArray lines;
    for (int i = 0; i < positions.size() && i < records.size(); ++i) {
        QStringList c = {QStringLiteral("P"), QString::number(positions[i]),
                         QString::fromLatin1(RecordHash(ReceiptRecord::Layout(), records[i]))};
        c << StampColumns(stamp);
        lines += Seal(c);
    }
    JournalFailure r = JournalFailure::None;
    archive.Locked([&] {
        r = AppendLine(PathFor(folder, year), lines, nullptr, error);
        return true;
    });
    archive.Close();
    return r == JournalFailure::None;
}
