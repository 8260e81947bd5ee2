#pragma once
// The history of changes of an archive (<yyyy>.ric.log, Archivio_Iscritti.pro.log in the folder Storico/
// of the archive's folder): one line for every overwrite or cancellation, written and flushed before the
// record changes, holding the whole old record. An index beside it (.idx) says where each record's lines
// start, so that one record's history is read without the whole journal.
#include "storage/JournalLines.h"
#include "storage/RecordChanges.h"
#include <QByteArray>
#include <QPair>
#include <QString>
#include <QVector>

struct FieldSpec;

/// The history journal of the archive `archivePath`: Storico/<archive file name>.log.
QString HistoryPath(const QString& archivePath);

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
