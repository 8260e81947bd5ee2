#pragma once
// A receipt's payment text ("Modalità pagamento") with the payment's own date and reference in it:
// "Bonifico bancario del 07/12/2026, rif. 0012345", "Addebito SDD del 05/11/2026, mandato NIDO-0001".
// The receipts written from a bank statement or a direct debit write it, and the documents that show
// how a month was paid read it back, through this one pair.
#include <QDate>
#include <QString>

struct PaymentFacts {
    QString method;    ///< "Bonifico bancario", "Contanti", ...: the text before the date and the references
    QDate date;        ///< the payment's own date; invalid when the text does not say it
    QString reference; ///< the bank's reference ("rif."); empty when not said
    QString mandate;   ///< the direct-debit mandate ("mandato"); empty when not said
};

/// The text of `facts`: the method, then " del <dd/mm/yyyy>" when the date is known, then ", rif. <reference>"
/// and ", mandato <id>" when known.
QString PaymentText(const PaymentFacts& facts);

/// Reads a payment text as PaymentText writes it, letter case and extra blanks ignored. A text in any
/// other form is all method, with no date and no reference.
PaymentFacts ReadPaymentText(const QString& text);
