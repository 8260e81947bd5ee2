#pragma once
// One electronic invoice (FatturaPA 1.2, format FPR12 for private recipients) for one receipt: the
// model built from the receipt, the school's fiscal data and the payer's name and address, and its
// XML text. Building checks every field against the schema's rules, so that a model that builds is
// a file that validates.
#include "einvoice/FiscalData.h"
#include "storage/ReceiptFile.h"
#include "receipts/Cancellation.h"
#include "validators/PayerCode.h"
#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

/// The payer as the invoice names them: a person (surname and name) or, with a VAT number, a firm.
struct InvoicePayer {
    QString cognome, nome; // a person
    QString denominazione; // a firm (VAT number) or when the office chose one name
    QString indirizzo, cap, comune, provincia;
    QString nazione = QStringLiteral("IT");
};

struct InvoiceLine {
    QString descrizione;
    QDate dal, al; // period of the service, when known
    qint64 cents = 0;
    QString natura; // N4 exempt, N1 excluded (the stamp charged on)
};

struct InvoiceSummary {
    QString natura;
    qint64 cents = 0;
    QString riferimento;
};

struct Invoice {
    FiscalData school;
    QString progressivo; // the 5-character transmission number of the file name and ProgressivoInvio
    // payer
    QString payerCode; // as typed in the receipt: 16-character tax code or 11-digit VAT number
    bool payerIsVat = false;
    InvoicePayer payer;
    // document
    QDate data;
    QString numero;
    qint64 totalCents = 0; // the document total (the stamp included when charged)
    bool datiBollo = false;
    QVector<InvoiceLine> lines;
    QVector<InvoiceSummary> summaries;
    QString modalitaPagamento; // MP.. or empty
    /// Texts that were spelled in the schema's letters, one per field, for the message to the office.
    QStringList transliterated;

    /// IT<code>_<progressivo>.xml
    QString FileName() const;
};

/// Stamp duty: due on exempt amounts above 77,47 euro; 2,00 euro.
inline constexpr qint64 StampThresholdCents = 7747;
inline constexpr qint64 StampCents = 200;

/// The amount of a receipt in cents from its euro and cents fields; nothing when they are not digits.
std::optional<qint64> ReceiptCents(const ReceiptRecord& r);
/// The official payment method code for the receipt's method text (bonifico MP05, contanti MP01,
/// assegno MP02, carta or bancomat MP08), empty when none applies.
QString PaymentMethodCode(const QString& method);
/// The 5-character transmission number of `n` (1 to 99999) as used in file names.
QString ProgressivoText(int n);

/// Splits "COGNOME NOME" into surname and name when it has exactly two words; otherwise nothing
/// (a double surname or name cannot be told apart from the text alone).
std::optional<std::pair<QString, QString>> SplitSurnameName(const QString& fullName);

/// Why `receipt` cannot be invoiced, as the office is told: cancelled, an amount that cannot be read
/// or is zero, a payer code missing or wrong (in that order); empty when it can be. The invoice window
/// asks it before asking about the payer, and building an invoice refuses on the same answer.
QString InvoiceRefusal(const ReceiptRecord& receipt);

/// The fee line's description: the receipt's cause with the months and year of its period when the cause
/// does not name them ("Retta asilo nido ottobre 2026"), " - " and the child, then ", C.F. " and the
/// child's tax code when known. A period that is not two valid dates stays as typed (" dal ... al ...").
QString InvoiceLineText(const ReceiptRecord& receipt, const QString& childTaxCode);

/// Builds the invoice of `receipt`; `childTaxCode` (empty when not known) is named in the fee line. On
/// failure returns nothing and `error` gets a message for the office that names the receipt and the field.
std::optional<Invoice> BuildInvoice(const FiscalData& school, const ReceiptRecord& receipt, const InvoicePayer& payer,
                                    int progressivo, QString* error, const QString& childTaxCode = QString());

/// The invoice as a FatturaPA XML document, UTF-8.
QByteArray InvoiceXml(const Invoice& inv);
/// "1234.50" from cents.
QString DecimalAmount(qint64 cents);
