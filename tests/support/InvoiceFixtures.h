#pragma once
// Receipts written as the invoice tests need them: a number, an amount in whole euro, the payer and
// their code, and the cause, all dated in March 2026 for one child.
#include "storage/ReceiptFile.h"
#include <QString>

struct InvoiceReceiptRow {
    const char* number;
    const char* euro;
    const char* payer;
    const char* code;
    const char* cause;
};

inline ReceiptRecord InvoiceReceipt(const InvoiceReceiptRow& r) {
    ReceiptRecord rec;
    rec.NumRic = r.number;
    rec.Data = QStringLiteral("05/03/2026");
    rec.Importo = r.euro;
    rec.Cents = QStringLiteral("00");
    rec.Intero = QString::fromLatin1(r.euro) + QStringLiteral(",00");
    rec.Pagatore = r.payer;
    rec.CodFisc = r.code;
    rec.Sport = r.cause;
    rec.Dal = QStringLiteral("01/03/2026");
    rec.Al = QStringLiteral("31/03/2026");
    rec.Praticante = QStringLiteral("ROSSI LUCA");
    rec.Indirizzo = QStringLiteral("Bonifico");
    return rec;
}
