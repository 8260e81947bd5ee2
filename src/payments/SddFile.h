#pragma once
// The month's SEPA direct-debit collection file (SDD Core): which ticked lines go in it and with what
// sequence, the end-to-end id and remittance text that let the statement be matched back, the XML in the
// Italian banks' CBI envelope (CBIBdySDDReq.00.01.01 around CBISDDReqLogMsg.00.01.01) or as the bare
// ISO 20022 pain.008.001.08, and the all-or-nothing write that sets the mandates' first-collection flag
// only once the file is on the disk.
#include "fees/MonthFees.h"
#include "payments/Mandates.h"
#include "payments/PaymentSettings.h"
#include <QDateTime>
#include <QVector>

namespace payments {

enum class Sequence { First, Recurring };

/// One debit of the file.
struct SddCollection {
    int line = -1;   // index of the month's line it comes from
    qint64 card = 0;
    QString payer, taxCode, child;
    QString iban, mandateId;
    QDate signedOn;
    Sequence sequence = Sequence::Recurring;
    qint64 amount = 0; // ten-thousandths, to the cent
    QString endToEnd, remittance;
};

/// A ticked line that cannot be collected, and why.
struct SddLeftOut {
    int line = -1;
    QString payer, child, reason;
};

struct SddPlan {
    QVector<SddCollection> collections;
    QVector<SddLeftOut> leftOut;
    qint64 Total() const;
};

/// The collections of the lines `which` for month `m`: a line still due (Issuable) whose payer has a
/// mandate goes in for what the month rule says is still owed, FRST when the mandate's first collection
/// has not been made, RCUR after. Lines paid, blocked, without a readable amount or without a mandate
/// are left out with the reason. Two children of one payer are two debits on the one mandate, and
/// both FRST when the first is.
SddPlan PlanCollections(const QVector<fees::FeeLine>& lines, const QVector<int>& which, const Mandates& mandates,
                        const fees::FeeMonth& m);

/// "RT202610C42-ROSSIMARIO": R(etta), the year and month, C and the card, then the child's letters,
/// at most 35 characters, as the statement brings it back.
QString EndToEndId(const fees::FeeMonth& m, qint64 card, const QString& child);
struct EndToEndRef {
    fees::FeeMonth month;
    qint64 card = 0;
};
/// The month and card of an id made by EndToEndId; nothing for any other text.
std::optional<EndToEndRef> ParseEndToEndId(const QString& id);
/// "Retta ottobre 2026 ROSSI MARIO CF RSSMRA85T10A562S", at most 140 characters of the SEPA set.
QString RemittanceText(const fees::FeeMonth& m, const QString& child, const QString& taxCode);

/// A text in the SEPA character set (letters, digits, / - ? : ( ) . , ' + and blank): accents dropped,
/// anything else turned into a blank, cut to `max` characters.
QString SepaText(const QString& s, int max);

/// Whether `d` is a TARGET2 closing day: Saturday, Sunday, 1 January, Good Friday, Easter Monday,
/// 1 May, 25 and 26 December.
bool IsBankHoliday(const QDate& d);
/// The first bank working day after `today`: the earliest due date the window offers.
QDate EarliestDueDate(const QDate& today);

/// The last day the file can reach the bank for `due`: the bank working day before it.
QDate LatestDeliveryDate(const QDate& due);

/// What the file's group header and payment blocks need besides the collections.
struct SddHeader {
    PaymentSettings creditor;
    QString creditorName; // the account holder
    QDate dueDate;
    QDateTime created;
    QString messageId;    // unique per file, at most 35
};

/// The XML of the file: the bare pain.008.001.08 message or the CBI envelope around the logical message.
/// One payment block per sequence type present (FRST first).
QByteArray BuildSddXml(const SddHeader& header, const SddPlan& plan, PaymentSettings::SddFormat format);

/// The printed list of a plan: a header, one line per debit (payer, child, IBAN masked, FRST/RCUR, amount),
/// the total, then the lines left out with the reason.
QStringList SddListLines(const SddPlan& plan);

/// SDD/SDD_<anno>_<mm>_<n>.xml under `programFolder` (with a trailing '/'), n the first number not used.
QString NextSddPath(const QString& programFolder, const fees::FeeMonth& m);

struct SddWriteResult {
    bool ok = false;
    QString path;  // the file written
    QString error; // why nothing was written
};

/// Writes the file whole into the folder SDD under the next number free on the disk and in the register,
/// marks the first collection done in the mandates file for the payers collected FRST, and notes its
/// debits in the register (SddRegister), under the register's lock: all or nothing. Refuses, writing
/// nothing, when the register cannot be read or a month of the plan is already in a pending file.
SddWriteResult WriteSddFile(const QString& programFolder, const SddHeader& header, const SddPlan& plan,
                            PaymentSettings::SddFormat format);

} // namespace payments
