#pragma once
// The date of receipts written in a batch (the month's fees, the bank statement). Receipt numbers follow
// the order of the file, and an invoice register must follow the order of the dates: a batch never
// writes a receipt dated before the last receipt already stored in its year's file, nor one dated in
// another year than the file's. One rule for every batch, checked again under the batch's lock.
#include <QDate>
#include <QString>
#include <optional>

class RecordFile;

/// The last receipt stored in a year's file that carries a readable date.
struct LastReceipt {
    QString number;
    QDate date;
    qint64 position = 0; // 1-based
};

/// Looks among the first `count` records of `raw` (a receipt file) from the last one back for the first
/// with a readable date; `out` stays empty when none has one. False when a read fails.
bool FindLastDatedReceipt(RecordFile& raw, qint64 count, std::optional<LastReceipt>* out);

/// Why a batch cannot write receipts dated `date` into the file of `year` whose last dated receipt is
/// `last` (a message for the office); empty when it can. `year` 0 leaves the year unchecked.
QString BatchDateProblem(const QDate& date, int year, const std::optional<LastReceipt>& last);

/// The year a receipt file's name gives ("/x/2026.ric" is 2026); 0 when its name is not a year.
int ArchiveYear(const QString& yearPath);

/// The same check on the file at `yearPath`, for a window before it asks for confirmation (the batch
/// checks again under its lock). `readable` is set false, with an empty answer, when the file cannot be read.
QString ArchiveDateProblem(const QString& yearPath, const QDate& date, bool* readable = nullptr);
