#include "storage/HistoryJournal.h"
#include "storage/SystemFile.h"
#include "storage/FixedField.h"
#include "storage/RecordFile.h"
#include "storage/SaveFile.h"
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <QtEndian>
#include <algorithm>
#include <cerrno>

namespace {
constexpr int kIndexEntry = 16; // position and line offset, 8 bytes each, little endian

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
    int fd = SystemFile::Open(path.constData(), O_RDWR | SystemFile::kOpenFlags, 0);
    if (fd < 0 && errno == ENOENT && offset == 0)
        fd = SystemFile::Open(path.constData(), O_RDWR | O_CREAT | SystemFile::kOpenFlags, 0666);
    if (fd < 0)
        return;
    const qint64 size = SystemFile::Size(fd);
    bool ok = size >= 0;
    if (ok) {
        char entry[kIndexEntry];
        qToLittleEndian<qint64>(position, entry);
        qToLittleEndian<qint64>(offset, entry + 8);
        // Whole entries only: one cut short before is written over.
        const qint64 at = size / kIndexEntry * kIndexEntry;
        ok = SystemFile::WriteAt(fd, entry, kIndexEntry, at) == kIndexEntry;
    }
    SystemFile::Close(fd);
    if (!ok)
        SystemFile::Remove(path.constData());
}

QString NewId() {
    return QString::number(QDateTime::currentMSecsSinceEpoch(), 36) + u'-' +
           QString::number(QRandomGenerator::global()->generate64(), 36);
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
    if (JournalLines::IsClosedTornLine(line)) {
        p.what = Parsed::Skip;
        return p;
    }
    QStringList c;
    if (!JournalLines::Unseal(line, c))
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
    e.stamp = JournalLines::StampFrom(c, 2);
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

QString HistoryPath(const QString& archivePath) {
    return JournalFolder(archivePath) + u'/' + QFileInfo(archivePath).fileName() + QStringLiteral(".log");
}

HistoryJournal::HistoryJournal(QString archivePath, const QVector<FieldSpec>& layout)
    : m_archive(archivePath), m_path(HistoryPath(archivePath)), m_layout(layout) {}

JournalFailure HistoryJournal::Append(HistoryEntry& e, QString* error) {
    if (e.id.isEmpty())
        e.id = NewId();
    QStringList c = {QStringLiteral("E"), e.id};
    c << JournalLines::StampColumns(e.stamp);
    c << QString::number(e.position) << e.kind << QString::fromLatin1(e.newHash)
      << QString::fromLatin1(e.oldRecord.toBase64()) << QString::number(e.changes.size());
    for (const FieldChange& ch : e.changes)
        c << ch.field << ch.before << ch.after;
    qint64 offset = 0;
    const JournalFailure r = JournalLines::Append(m_path, JournalLines::Seal(c), error, &offset);
    if (r == JournalFailure::None)
        AppendIndex(m_path, e.position, offset);
    return r;
}

bool HistoryJournal::MarkNotApplied(const QString& id, qint64 position, QString* error) {
    qint64 offset = 0;
    if (JournalLines::Append(m_path, JournalLines::Seal({QStringLiteral("X"), id, QString::number(position)}), error,
                             &offset) != JournalFailure::None)
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
            JournalLines::Scan(f, tailFrom, [&](qint64 off, const QByteArray& line) { take(line, off); });
        }
    }
    if (!indexed) {
        entries.clear();
        notApplied.clear();
        bad = 0;
        collect = true;
        const bool whole = JournalLines::Scan(f, 0, [&](qint64 off, const QByteArray& line) { take(line, off); });
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
