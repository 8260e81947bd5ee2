#pragma once
// The print journal of receipts (<yyyy>.stampe.log in Storico/ beside the year's archive): one line for
// every print, so that a second print of the same bytes is known to be a copy.
#include "storage/JournalLines.h"
#include <QByteArray>
#include <QString>
#include <QVector>

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
