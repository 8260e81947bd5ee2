#pragma once
// A month's fees: which registry cards are enrolled in a month, which of them have already paid it
// (a receipt of the year for the same child whose period overlaps the month), and the issuing of the
// rest as receipts in one all-or-nothing append, numbered under the archive's lock.
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace fees {

/// 1 to 12 for a month name in any letter case, blanks around ignored; 0 for anything else.
int MonthNumber(const QString& name);

/// One calendar month of one year.
struct FeeMonth {
    int year = 0;
    int month = 0; // 1 to 12
    QDate First() const { return QDate(year, month, 1); }
    QDate Last() const { return First().addMonths(1).addDays(-1); }
    /// The month's name in lower case ("marzo"), as causes and messages write it.
    QString Name() const;
    /// The month as two digits, for file names ("03").
    QString TwoDigits() const { return QString::number(month).rightJustified(2, u'0'); }
};

/// "Retta <month> <year>": the cause of a card that has none of its own.
QString DefaultCause(const FeeMonth& m);

enum class Coverage { Covered, Outside, UnreadableStart, UnreadableEnd };
/// Whether an enrolment from `start` to `end` (dd/mm/yyyy) covers some day of `m`: start on or before
/// its last day and end on or after its first. A blank date leaves that side open; any other text that
/// is not a valid date cannot be judged and says which one.
Coverage EnrolmentCoverage(const QString& start, const QString& end, const FeeMonth& m);
/// Whether the period `from`-`to` of a receipt shares a day with `m`. A period with a date that is not
/// valid overlaps nothing.
bool PeriodOverlaps(const QString& from, const QString& to, const FeeMonth& m);
/// A child's name as the searches compare it: trimmed, A-Z folded to lower case.
QString ChildKey(const QString& name);

/// The euro and cents of a fee typed as the registry keeps it ("125,50", "80", "12,5"), rounded half up
/// to the cent; nothing for text that is not an amount, for zero or less, and for more than eight
/// digits of euro (the most the receipt's amount box takes).
std::optional<std::pair<QString, QString>> FeeEuroCents(const QString& fee);

/// A fee to the cent in ten-thousandths of a euro, as a receipt can carry it (FeeEuroCents); 0 when it
/// cannot be issued.
qint64 FeeAmount(const QString& fee);

// InDebit: a direct-debit file still pending asks the month; it is neither issued nor debited again.
enum class LineState { ToIssue, Partial, Paid, Blocked, InDebit };

/// One card of the month's list.
struct FeeLine {
    qint64 card = 0; // 1-based card number in the registry
    RegistryRecord record; // the card as read: its payer goes into the receipt as the payer import puts it
    QString parent, taxCode, child, fee, method, cause, birthPlace, birthDate, phone;
    LineState state = LineState::ToIssue;
    QString reason;              // why a blocked line cannot be issued
    QString dateProblem;         // the card's enrolment date that cannot be read: the line is blocked
    bool taxCodeWarning = false; // the tax code fails its check (it may still be issued)
    bool ticked = false;
    QString paidNumber;      // the first receipt that pays the month
    qint64 paidPosition = 0; // its 1-based position in the month's year file (0: stored in another year)
    qint64 due = 0;          // the month's fee in ten-thousandths, to the cent (0: not readable)
    qint64 paid = 0;         // what fee receipts pay of the month
    QStringList paidNumbers;       // every receipt that pays the month, in the order they pay it
    QVector<qint64> paidPositions; // the paying receipts stored in the month's year file, 1-based
    QStringList creditNumbers;     // the receipts whose credit pays part of the month
    qint64 held = 0;               // what a pending direct debit asks of the month
    QString heldBy;                // its file ("SDD_2026_11_1.xml")
    QString stateText;       // "Da emettere", "Pagata in parte: ...", "Già pagata: ricevuta n. ..."
};

/// Whether a line can be issued: not paid at all, or paid in part (its receipt is for the rest).
bool Issuable(const FeeLine& line);
/// What a line still owes for the month, in ten-thousandths: the fee less what is paid, never below 0.
qint64 Owed(const FeeLine& line);

/// Sets the state of a line from its data and what is paid of the month: paid when the receipts cover
/// the fee; in debit when a pending direct-debit file asks the rest; otherwise blocked, with the reason, when an enrolment date cannot be read, the parent, the
/// tax code or the child is blank or the fee cannot be issued; paid in part or to issue otherwise. Also
/// sets the tax code warning and the state's text. A blocked or paid line loses its tick.
void Assess(FeeLine& line);

class DebitHolds;

/// Sets again what pending direct debits hold of month `m` in each line (HoldMonth) and its state: after
/// a direct-debit file was written or withdrawn, the list shows it without being read again.
void HoldLines(QVector<FeeLine>& lines, const DebitHolds& holds, const FeeMonth& m);

enum class ListOutcome { Listed, RegistryMissing, RegistryUnreadable, YearUnreadable, DebitsUnreadable };

/// The month's list.
struct MonthList {
    QVector<FeeLine> lines; // ordered by parent and child, letter case ignored
    qint64 cards = 0;       // cards in the registry
    qint64 receipts = 0;    // receipts in the year's file when it was read
    ListOutcome outcome = ListOutcome::Listed;
    QString error; // DebitsUnreadable: the register's problem, naming its line
};

/// Reads the registry of `programFolder` and lists every card whose enrolment covers `m` or cannot be
/// read, each with what fee receipts pay of the month (the month rule of FeeLedger, over the receipts of
/// `yearPath`, of the year before and of the year after, stored beside it) and its state: paid (with the
/// receipts' numbers), in debit (a pending file of the direct-debit register asks it), paid in part,
/// blocked or to issue; lines to issue and paid in part come ticked.
/// Nothing is written: a missing year file counts as no receipt and is not created.
MonthList BuildMonthList(const QString& programFolder, const QString& yearPath, const FeeMonth& m);

/// What a batch of receipts is issued with.
struct IssueRequest {
    FeeMonth month;
    QDate issueDate;
    QString cause;        // one cause for every receipt; blank: each card's own, else DefaultCause
    QStringList receiver; // the four receiver lines
    qint64 numberingStart = 1;
    qint64 listedCount = 0; // receipts in the file when the list was read
    QStringList feeWords; // what begins a fee cause (FeeLedger), for receipts stored meanwhile; empty: default
};

/// The receipt of `line` with number `number`, filled as the editor fills it from the card and saves it;
/// its amount is what the line still owes (the fee, or the rest of a month paid in part).
ReceiptRecord FeeReceipt(const FeeLine& line, const IssueRequest& req, qint64 number);

struct IssueResult {
    bool ok = false;
    QVector<int> issued;        // indexes into the lines, in the order written
    QVector<int> paidMeanwhile; // lines another workstation issued since the list was read: skipped
    QVector<int> heldMeanwhile; // lines another workstation put in a direct-debit file since: skipped
    QStringList heldBy;         // the file of each of heldMeanwhile
    qint64 firstNumber = 0, firstPosition = 0;
    QString error;
};

/// Appends the receipts of `which` (indexes of issuable lines) to `yearPath` in one locked action:
/// numbers are the numbering start plus the record count under the lock, consecutive. A fee receipt
/// stored meanwhile by another workstation for the same child and month drops its line from the batch, and
/// so does a direct-debit file that asks the month (a register that cannot be read stops the batch).
/// On any failure the file is as it was before and nothing counts as issued.
IssueResult IssueFees(const QString& yearPath, const QVector<FeeLine>& lines, const QVector<int>& which,
                      const IssueRequest& req);

/// The lines after a batch: issued lines are paid by their new receipt (number and position appended)
/// and stay ticked, ready to print; lines another workstation paid meanwhile are paid and unticked, those
/// it put in a direct-debit file are in debit; lines paid before the batch are unticked.
void ApplyIssued(QVector<FeeLine>& lines, const IssueResult& r);

/// The lines not fully paid and not in a pending direct debit (to issue, paid in part or blocked), in
/// list order.
QVector<int> UnpaidLines(const QVector<FeeLine>& lines);
/// What a line still owes, as the lists show it: the fee as typed when nothing is paid, else the rest.
QString OwedText(const FeeLine& line);
/// The printed line of an unpaid card: parent, child, tax code and telephone in fixed-width columns,
/// then "€ " and what is owed (the fee as typed when nothing is paid).
QString UnpaidListLine(const FeeLine& line);
/// Header line over UnpaidListLine's columns.
QString UnpaidListHeader();
/// What the lines of `which` owe, in ten-thousandths of a euro (unreadable fees count 0).
qint64 OwedTotal(const QVector<FeeLine>& lines, const QVector<int>& which);

} // namespace fees
