#pragma once
// The nursery-bonus documents laid out on A4 pages: one page per child and month paid, headed by the
// school as "Dati fiscali" name it, signed by the school.
#include "fees/FeeDocuments.h"
#include "fees/NurseryBonus.h"
#include "report/PreparedReport.h"

namespace fees {

/// The school as the documents name it: the lines of "Dati fiscali" (name, address, town, C.F. / P. IVA),
/// or, without a name there, the receivers lines of the receipts; the town it signs from.
DocumentHeading BonusHeading(const QString& settingsPath, const QDate& today);
/// Why the heading cannot stand on a document INPS accepts (no name, or neither tax code nor VAT
/// number); empty when it can.
QString BonusHeadingProblem(const DocumentHeading& h);

/// "Bonus_nido_<year>_<payer>_<payer's tax code>.pdf"; without a tax code "..._scheda_<first card>.pdf".
QString BonusPdfName(const BonusFamily& family, int year);
/// PDF/Bonus_nido/<year>/ in the program folder, with a trailing '/'.
QString BonusFolder(const QString& programFolder, int year);

/// Appends the pages of every child and month of `family` to `out`.
void AppendBonusFamily(report::PreparedReport& out, const BonusFamily& family, int year, const DocumentHeading& h);
/// The documents of `family` as one report.
report::PreparedReport PrepareBonusFamily(const BonusFamily& family, int year, const DocumentHeading& h);

} // namespace fees
