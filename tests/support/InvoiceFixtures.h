#pragma once
// What the invoice tests and benchmarks start from: the school's fiscal data, a payer with a full
// address, and receipts given by a number, an amount in whole euro, the payer and their code, and the
// cause, all dated in March 2026 for one child.
#include "einvoice/FiscalData.h"
#include "einvoice/Invoice.h"
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

/// The school as the office types it in "Dati fiscali": a VAT number and an address in Milan.
inline FiscalData InvoiceSchool() {
    FiscalData d;
    d.denominazione = QStringLiteral("Asilo Nido Il Girasole");
    d.partitaIva = QStringLiteral("01234567897");
    d.indirizzo = QStringLiteral("Via Roma 12");
    d.cap = QStringLiteral("20121");
    d.comune = QStringLiteral("Milano");
    d.provincia = QStringLiteral("MI");
    return d;
}

/// The same school as a company: "S.r.l." in its name, its tax code equal to its VAT number.
inline FiscalData InvoiceCompanySchool() {
    FiscalData d = InvoiceSchool();
    d.denominazione += QStringLiteral(" S.r.l.");
    d.codiceFiscale = d.partitaIva;
    return d;
}

/// ROSSI MARIO, a person with a full address in Milan.
inline InvoicePayer InvoiceRossi() {
    InvoicePayer p;
    p.cognome = QStringLiteral("ROSSI");
    p.nome = QStringLiteral("MARIO");
    p.indirizzo = QStringLiteral("Via Verdi 3");
    p.cap = QStringLiteral("20100");
    p.comune = QStringLiteral("Milano");
    p.provincia = QStringLiteral("MI");
    return p;
}
