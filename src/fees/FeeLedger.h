#pragma once
// Which months a child's fee receipts pay, by amount: the one rule that the month's list, the unpaid
// list, the family account, the reminders and the direct debits ask.
//
// A receipt pays a child's fees when it names the child (ChildKey), is not cancelled and its cause is a
// fee cause. Its amount fills the fees of the months its period covers, in order from its first month,
// each up to the card's fee; what is left after the period's last month is a credit, which pays the
// next months still owed, in order. A receipt without a period pays the month of its date. Receipts are
// taken in the order they were stored: by year file, then by position in it. A month whose fee is in a
// direct-debit file still pending is held by it: not paid, and not asked again.
#include "fees/MonthFees.h"
#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

namespace fees {

/// "Retta", "Rette": the words a fee cause begins with when it is not the card's own cause.
QStringList DefaultFeeWords();
/// The words from their text ("Retta, Rette"): split at commas, blanks trimmed, empty words dropped.
QStringList ParseFeeWords(const QString& text);
/// The words as the window shows them: joined with ", ".
QString FeeWordsText(const QStringList& words);
/// The fee words kept in the program folder's settings (section "Rette", key "Causali"); the default
/// words when the file, the key or every word is missing.
QStringList ReadFeeWords(const QString& programFolder);
/// Keeps `words` in the settings; false with `error` when the file cannot be written.
bool WriteFeeWords(const QString& programFolder, const QStringList& words, QString* error);

/// Whether `cause` pays fees: it is the card's own cause (trimmed, letter case ignored) or begins with one
/// of `feeWords` as a whole word, letter case ignored ("Retta ottobre", not "Rettangolo").
bool IsFeeCause(const QString& cause, const QString& cardCause, const QStringList& feeWords);

/// One stored, not cancelled receipt that names a child.
struct ChildReceipt {
    int fileYear = 0;      // the year file it is stored in
    qint64 position = 0;   // its 1-based position there
    QString number;        // NumRic, trimmed
    QDate date;            // invalid when the date cannot be read
    QString cause, child;
    QString payer, taxCode; // filled by ReceiptTerms; a scan of whole years leaves them blank
    QDate from, to;        // the period; both invalid when the receipt has none
    qint64 amount = 0;     // ten-thousandths of a euro
    QString problem;       // not empty: the amount or the period cannot be read, and it pays nothing
};

/// The not cancelled receipts of some years, grouped by the child they name.
class ChildReceipts {
public:
    /// Reads <year>.ric of `programFolder` for each of `years` (a missing file holds no receipt). With
    /// `children` (ChildKey values), keeps only the receipts of those children: a scan that decodes the
    /// child's field alone for the rest. False, with the file's error, when a file cannot be read.
    bool Load(const QString& programFolder, const QVector<int>& years, const QSet<QString>* children = nullptr,
              QString* error = nullptr);
    /// Adds one receipt (tests, or a receipt just written).
    void Add(const ChildReceipt& r);
    /// The receipts naming `child` (any spelling ChildKey folds together), in load order.
    QVector<ChildReceipt> Of(const QString& child) const;
    /// How many receipts the files held in all, read or skipped.
    qint64 Scanned() const { return m_scanned; }
    /// How many receipts the file of `year` held when it was read (0 when missing or not asked).
    qint64 ScannedIn(int year) const;

private:
    QHash<QString, QVector<ChildReceipt>> m_byChild;
    QHash<int, qint64> m_counts;
    qint64 m_scanned = 0;
};

/// The terms of a stored receipt (its period, amount and what cannot be read), as Load reads them.
ChildReceipt ReceiptTerms(const ReceiptRecord& rec, int fileYear, qint64 position);

/// What a receipt pays of one month.
struct MonthPart {
    int fileYear = 0;
    qint64 position = 0;
    QString number;
    QDate date;
    qint64 amount = 0; // ten-thousandths
    bool credit = false; // what was left over from the receipt's own period
};

/// A month's fee asked by a direct-debit file that is still pending (not withdrawn, returned or lapsed).
struct DebitHold {
    QString child;   // as the card names it (ChildKey folds it)
    FeeMonth month;
    qint64 amount = 0; // ten-thousandths, as the file asks it
    QString file;      // "SDD_2026_11_1.xml"
};

/// The pending debits by child.
class DebitHolds {
public:
    void Add(const DebitHold& h);
    QVector<DebitHold> Of(const QString& child) const;
    bool IsEmpty() const { return m_byChild.isEmpty(); }

private:
    QHash<QString, QVector<DebitHold>> m_byChild;
};

/// One month of a child's account.
struct MonthDue {
    FeeMonth month;
    qint64 due = 0;  // the card's fee
    qint64 paid = 0; // never more than due
    QVector<MonthPart> parts;
    qint64 held = 0;   // asked by a pending direct debit, never more than due - paid
    QString heldBy;    // the files that ask it
    /// What has not been paid yet, asked or not.
    qint64 Owed() const { return due - paid; }
    /// What may still be asked: neither paid nor in a pending direct debit.
    qint64 ToAsk() const { return qMax<qint64>(0, due - paid - held); }
    bool FullyPaid() const { return due > 0 && paid >= due; }
};

/// What is left of a receipt after the last month of its period.
struct Credit {
    ChildReceipt receipt;
    qint64 amount = 0;
};

/// The card's terms that the rule needs.
struct CardTerms {
    QString child;
    qint64 fee = 0; // the monthly fee in ten-thousandths; 0 or less: nothing is due
    QString cause;  // the card's own payment cause
};

/// A child's account over a range of months.
struct ChildAccount {
    QVector<MonthDue> months;           // from the first to the last month asked, in order
    QVector<Credit> credits;            // money left over after the last month asked, in receipt order
    QVector<ChildReceipt> unreadable;   // fee receipts that pay nothing: amount or period not readable
    qint64 TotalDue() const;
    qint64 TotalPaid() const;
    qint64 TotalOwed() const;
    qint64 TotalHeld() const;
    /// What may still be asked: owed less what pending direct debits ask.
    qint64 TotalToAsk() const;
    qint64 TotalCredit() const;
    /// The month, or nullptr when it is outside the range.
    const MonthDue* Month(const FeeMonth& m) const;
};

/// Applies the rule to `receipts` (one child's; others and non-fee receipts are left out here) for the
/// months `from` to `to` (inclusive; empty when `to` is before `from`). Receipts are allocated over every
/// month their periods cover, so a month outside the range still takes its share before the next. What
/// a receipt leaves over pays the months after its period still owed, in order, up to `to`; the rest
/// is a credit. Then each month's `holds` (the child's pending direct debits) hold what is still owed.
ChildAccount Allocate(const QVector<ChildReceipt>& receipts, const CardTerms& card, const FeeMonth& from,
                      const FeeMonth& to, const QStringList& feeWords, const QVector<DebitHold>& holds = {});

/// Sets what `holds` (pending direct debits) hold of month `m` of `child`: each, up to what receipts
/// have not paid yet. Allocate applies it to every month it returns.
void HoldMonth(MonthDue& m, const QString& child, const QVector<DebitHold>& holds);

/// The months of a card's account up to `upTo`: from the enrolment start's month (blank or unreadable:
/// September of `upTo`'s school year) to `upTo` or the enrolment end's month, whichever is first.
std::pair<FeeMonth, FeeMonth> AccountRange(const QString& enrolmentStart, const QString& enrolmentEnd,
                                           const FeeMonth& upTo);

/// The month's state text for the list: "Da emettere", "In addebito SDD: SDD_2026_11_1.xml", "Pagata in
/// parte: 100,00 di 250,00", "Pagata in parte: 50,00 di 250,00 (credito ricevuta n. 31)", "Già pagata:
/// ricevuta n. 12" or "Già pagata: ricevute n. 12, 15".
QString MonthStateText(const MonthDue& m);

/// An amount in ten-thousandths rounded to the cent as lists and letters show it: "1250,00", "0,50".
QString AmountText(qint64 tenThousandths);

} // namespace fees
