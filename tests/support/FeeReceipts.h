#pragma once
// Fee receipts as the office types them, for the tests of what pays a month: only the texts the
// month rule reads are filled.
#include "storage/ReceiptFile.h"
#include <QString>
#include <QtGlobal>

/// A receipt numbered `number`, dated `date`, for `cause` over `from`-`to`, of `amount` (as typed,
/// "250,00"), naming `child`.
inline ReceiptRecord TypedFeeReceipt(const QString& number, const QString& date, const QString& cause,
                                     const QString& from, const QString& to, const QString& amount,
                                     const QString& child) {
    ReceiptRecord r;
    r.NumRic = number;
    r.Data = date;
    r.Sport = cause;
    r.Dal = from;
    r.Al = to;
    r.Intero = amount;
    r.Praticante = child;
    return r;
}

/// Euro in the ledger's ten-thousandths.
inline qint64 Euro(double e) {
    return qRound64(e * 10000);
}
