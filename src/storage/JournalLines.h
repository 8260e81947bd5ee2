#pragma once
// The line format every journal beside the archives shares (the history of changes, the print
// journal, the reminders' journal): one entry a line, tab-separated escaped texts, closed by a check
// code, so a torn or damaged line is skipped on reading; and the append that closes a torn last line
// before its own. Every write goes through FileOps. Callers hold the archive's lock (RecordFile::Locked).
#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>

/// This workstation's name, as the journals record it.
QString WorkstationName();
/// The name of the user logged on to this workstation.
QString CurrentUserName();

/// The folder of the journals that belong to the archive `archivePath`.
QString JournalFolder(const QString& archivePath);

/// Who, when, and where: what every journal line starts with.
struct JournalStamp {
    QDateTime when;
    QString workstation, user;
};

/// Why a journal append failed.
enum class JournalFailure {
    None,
    Unavailable, // the folder or the file cannot be made or opened: history is off, the save goes on
    WriteFailed, // a write or flush failed: the partial line was cut back
};

namespace JournalLines {
/// One sealed line: the escaped columns joined by tabs, the check code, a line feed.
QByteArray Seal(const QStringList& columns);
/// The columns of one line without its line feed; false for a torn or damaged line.
bool Unseal(const QByteArray& line, QStringList& columns);
/// Appends `lines` (sealed) to `path` and flushes them, closing a torn last line first; a failed write
/// or flush cuts the file back. The caller holds the archive's lock. `lineOffset` gets the offset at
/// which the first of `lines` starts.
JournalFailure Append(const QString& path, const QByteArray& lines, QString* error = nullptr,
                      qint64* lineOffset = nullptr);

/// Appends `lines` (sealed) to the journal `path` of the year archive `yearArchive`, under that
/// archive's lock, as every journal of a year is written. False, with `error`, when the archive cannot
/// be opened or the append failed.
bool AppendUnderYearLock(const QString& yearArchive, const QString& path, const QByteArray& lines,
                         QString* error = nullptr);
/// True for a line torn by a crash and closed by the next writer's mark: readers pass it over, since
/// its entry was never written whole; it is not damage.
inline bool IsClosedTornLine(const QByteArray& line) {
    return line.endsWith('!');
}

/// The stamp as the three columns a line holds: time, workstation, user.
QStringList StampColumns(const JournalStamp& stamp);
/// The stamp read back from `columns`, starting at column `at`.
JournalStamp StampFrom(const QStringList& columns, int at);

/// Calls `line(offset, bytes)` for every line ended by a line feed in [from, end of file), reading the
/// file in large blocks; a torn last line is passed over. False when `from` cannot be reached.
template <class F> bool Scan(QFile& f, qint64 from, F line) {
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
} // namespace JournalLines
