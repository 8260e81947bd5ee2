#pragma once
// Append-only journals beside the archives, in the folder Storico/ of the archive's folder:
// - the history of changes (<yyyy>.ric.log, Archivio_Iscritti.pro.log): one line for every overwrite
//   or cancellation, written and flushed before the record changes, holding the whole old record;
// - the print journal of receipts (<yyyy>.stampe.log): one line for every print, so that a second
//   print of the same bytes is known to be a copy.
// One entry a line, tab-separated escaped texts, closed by a check code: a torn or damaged line is
// skipped on reading, and the next writer closes a torn last line before its own.
// Every write goes through FileOps. Callers hold the archive's lock (RecordFile::Locked).
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QPair>
#include <QVector>

struct FieldSpec;

/// This workstation's name, as the journals record it.
QString WorkstationName();
/// The name of the user logged on to this workstation.
QString CurrentUserName();

/// The folder of the journals that belong to the archive `archivePath`.
QString JournalFolder(const QString& archivePath);
/// The history journal of the archive `archivePath`: Storico/<archive file name>.log.
QString HistoryPath(const QString& archivePath);

/// One changed field of an entry, as text.
struct FieldChange {
    QString field, before, after;
};

/// Who, when, and where: what every journal line starts with.
struct JournalStamp {
    QDateTime when;
    QString workstation, user;
};

/// One overwrite or cancellation of a record.
struct HistoryEntry {
    QString id; // unique for the entry; a "not applied" mark names it
    JournalStamp stamp;
    qint64 position = 0;  // 1-based
    QString kind;         // "modifica", "annullamento"
    QByteArray newHash;   // hash of the record written (hex)
    QByteArray oldRecord; // the record's bytes before the change, whole
    QVector<FieldChange> changes;
    bool applied = true; // false: the record write failed after the entry, or it was marked so
};

/// The changes between two records of `layout`, field by field, as decoded texts.
QVector<FieldChange> DiffRecords(const QVector<FieldSpec>& layout, const QByteArray& before, const QByteArray& after);
/// A record's bytes with every byte after each field's text set to 0: records that show the same
/// texts compare equal whatever an earlier buffer left in them.
QByteArray CanonicalRecord(const QVector<FieldSpec>& layout, const QByteArray& record);
/// The hash the journals keep of a record's canonical bytes (hex).
QByteArray RecordHash(const QVector<FieldSpec>& layout, const QByteArray& record);

/// Why a journal append failed.
enum class JournalFailure {
    None,
    Unavailable, // the folder or the file cannot be made or opened: history is off, the save goes on
    WriteFailed, // a write or flush failed: the partial line was cut back
};

class HistoryJournal {
public:
    /// The journal of the archive `archivePath`, whose records have `layout`.
    HistoryJournal(QString archivePath, const QVector<FieldSpec>& layout);
    QString Path() const { return m_path; }

    /// Appends `entry` and flushes it. Fills its id when empty.
    JournalFailure Append(HistoryEntry& entry, QString* error = nullptr);
    /// Marks entry `id` of `position` as not applied (its record write failed).
    bool MarkNotApplied(const QString& id, qint64 position, QString* error = nullptr);

    /// The entries of `position`, newest first. `current` (the record as the file holds it now, may be
    /// empty) lets the newest entry be recognised as not applied when its mark could not be written.
    /// `damaged` gets the number of damaged lines skipped (a torn last line is not counted).
    /// A missing or unsound index is rebuilt from the lines read, under the archive's lock, so that only
    /// the first reading goes through the whole journal.
    bool Read(qint64 position, QVector<HistoryEntry>& out, const QByteArray& current = QByteArray(),
              int* damaged = nullptr, QString* error = nullptr) const;

private:
    /// Replaces the index with `entries` (position and line offset, in file order) when the journal
    /// is still `size` bytes and no other workstation is writing; otherwise leaves it to a later read.
    void RebuildIndex(const QVector<QPair<qint64, qint64>>& entries, qint64 size) const;

    QString m_archive;
    QString m_path;
    const QVector<FieldSpec>& m_layout;
};

/// Notes of every print of a receipt, by position and hash of the printed bytes.
namespace PrintJournal {
/// Storico/<year>.stampe.log beside the year's archive in `folder` (with or without trailing '/').
QString PathFor(const QString& folder, const QString& year);
/// Whether receipt `position` of `year` was printed before with exactly these texts (`recordBytes` is
/// the receipt as printed, a whole record; bytes after each text do not matter).
bool WasPrinted(const QString& folder, const QString& year, qint64 position, const QByteArray& recordBytes);
/// Notes a print of receipt `position`, under the lock of the year's archive, flushed.
bool Note(const QString& folder, const QString& year, qint64 position, const QByteArray& recordBytes,
          const JournalStamp& stamp, QString* error = nullptr);
/// WasPrinted for many receipts (`positions[i]` with `records[i]`) in one reading of the journal.
QVector<bool> WerePrinted(const QString& folder, const QString& year, const QVector<qint64>& positions,
                          const QVector<QByteArray>& records);
/// Notes the prints of many receipts of one job in one locked, flushed append.
bool NoteAll(const QString& folder, const QString& year, const QVector<qint64>& positions,
             const QVector<QByteArray>& records, const JournalStamp& stamp, QString* error = nullptr);
} // namespace PrintJournal
