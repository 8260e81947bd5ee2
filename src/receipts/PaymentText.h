#pragma once
// The payment method text of a receipt for money that came through the bank: how it was paid, the day
// it was paid and the bank's reference, so that the payment can be traced from the document
// ("Bonifico bancario del 07/12/2026, rif. 2026120700123"). Written by the batches, read back by the
// documents that need the payment's day.
#include <QDate>
#include <QString>
#include <optional>

struct PaymentDetails {
    QString method;    // "Bonifico bancario", "Addebito SDD"
    QDate paid;        // the day the bank booked the money to the school
    QString mandate;   // a direct debit's mandate id; empty for a transfer
    QString reference; // the bank's reference or the debit's end-to-end id; may be empty
};

/// "<method> del dd/mm/yyyy", then ", mandato <id>" and ", rif. <reference>" when they are known. An
/// invalid date is left out. Blanks around each part are removed.
QString PaymentText(const PaymentDetails& d);

/// The parts of a text PaymentText made; nothing for a text it did not make (a method typed by hand).
std::optional<PaymentDetails> ParsePaymentText(const QString& text);
