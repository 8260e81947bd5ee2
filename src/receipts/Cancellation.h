#pragma once
// Whether a receipt is cancelled, and the cancelled form of a receipt: the one rule that the editor,
// the invoices, the month's fees, the summary, the statements and the export ask.
#include "storage/ReceiptFile.h"
#include <QString>

/// The mark a cancelled receipt's cause begins with.
inline constexpr char kCancelMark[] = "ANNULLATA:";

/// True for a receipt the office cancelled: its cause, blanks around ignored, begins with "ANNULLATA:"
/// in any letter case (a cause typed by hand in lower case is as cancelled as one the editor wrote).
bool IsCancelled(const ReceiptRecord& r);
/// The same test on the cause text alone.
bool IsCancelledCause(const QString& cause);

/// `stored` cancelled for `reason`: amount 0 as the editor stores it (so totals, statements and exports
/// need no change), cause "ANNULLATA: <reason>" cut to the cause's width.
ReceiptRecord CancelledReceipt(ReceiptRecord stored, const QString& reason);

/// The receipt as the cancel window names it: "ricevuta n. 12 del 05/12/2026, intestata a ROSSI MARIO,
/// di € 250,00" (the parts the record leaves blank are left out).
QString ReceiptIdentity(const ReceiptRecord& r);
