#pragma once
// The printed family account and the reminder letters, laid out in code on A4 pages.
#include "fees/FamilyAccount.h"
#include "fees/Reminders.h"
#include "report/PreparedReport.h"
#include <QDate>
#include <QStringList>

class PageWriter;

namespace fees {

/// What every printed account and letter shares.
struct DocumentHeading {
    QStringList school; // the receiver lines of the receipts: name, address, ...
    QString place;      // where the letter is written; blank: left out
    QDate date;
};

/// The school's lines at the top of a page, the first larger and in bold, then a rule.
void SchoolHeading(PageWriter& w, const DocumentHeading& h);
/// "<place>, dd/mm/yyyy", or the date alone without a place.
QString DateLine(const DocumentHeading& h);

/// "Estratto_conto_<payer>_<year>.pdf".
QString AccountPdfName(const FamilyAccount& account);
/// The account as one document: heading, the table of AccountRows, the date.
report::PreparedReport PrepareAccount(const FamilyAccount& account, const DocumentHeading& h);

/// "Solleciti_<year>_<mm>.pdf" for a print of every letter.
QString RemindersPdfName(const FeeMonth& upTo);
/// "Sollecito_<year>_<mm>_<payer>.pdf" for one letter sent by e-mail.
QString ReminderPdfName(const FeeMonth& upTo, const ReminderLetter& letter);

/// Appends one letter to `out` on pages of its own: the school, the payer, the months owed per child,
/// the total, and how to pay: by transfer to `account` with ReminderCause and the EPC QR code when the
/// account is fit for it; when not, no IBAN and no QR code, and the reason.
void AppendLetter(report::PreparedReport& out, const ReminderLetter& letter, const FeeMonth& upTo,
                  const PaymentSettings& account, const DocumentHeading& h);
/// Why the letters carry no payment QR code: empty when they do.
QString QrProblem(const PaymentSettings& account);

} // namespace fees
