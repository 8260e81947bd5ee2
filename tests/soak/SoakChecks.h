#pragma once
// What must hold in a program folder shared by several workstations, checked from the files alone (and
// from the workstations' notes of what they finished): every check names what it found wrong.
#include "SoakWorld.h"
#include <QString>
#include <QStringList>

namespace soak {

struct CheckReport {
    QStringList violations;
    int tornLines = 0;   // journal lines a kill tore (closed by the next writer, or still last)
    int receipts = 0;    // receipts in all the year files
    int cards = 0;
    int restores = 0;    // files put back from a copy
};

/// Receipts: whole, readable and with numbers unique in their year; no overwrite left half done.
void CheckReceipts(const QString& programFolder, CheckReport& report);
/// Journals: every line whole or torn by a kill (at most `kills` of them); every change of a record in
/// its history, unless the record was put back from a copy since.
void CheckJournals(const QString& programFolder, int kills, CheckReport& report);
/// Invoices: the register in step with FatturaPA/, every credit note over a cancelled receipt and every
/// cancelled invoiced receipt with its credit note.
void CheckInvoices(const QString& programFolder, CheckReport& report);
/// Direct debits: no month of a child in two direct-debit files.
void CheckDirectDebits(const QString& programFolder, CheckReport& report);
/// Bank statements: no movement behind two receipts, nor counted as used without a receipt of its own.
void CheckMovements(const QString& programFolder, CheckReport& report);
/// The month rule: what the fee receipts pay, month by month plus credits, equals their sum, and the
/// month's list says the same as the child's account.
void CheckMonthRule(const QString& programFolder, const QDate& today, CheckReport& report);
/// Nothing a workstation finished is lost: each receipt, card and mandate it noted is in the files, or
/// in the copy a restore kept of the file it replaced.
void CheckNothingLost(const RunFolders& run, CheckReport& report);

/// Every check above.
CheckReport CheckAll(const RunFolders& run, int kills, const QDate& today);

} // namespace soak
