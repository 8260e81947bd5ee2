#pragma once
// The statement's credits matched to what is due, and the receipts of the accepted matches issued in
// one all-or-nothing batch. A collected direct debit is found by its end-to-end id; a transfer by the
// payer's tax code or the child's name in the remittance text, then by the payer's name, with the amount.
// A transfer pays the months its remittance text names first; only a text naming none goes to the oldest
// month owed. A month a pending direct debit asks is not owed to a transfer: one that names it is to check.
// A movement turned into a receipt is noted in Storico/<anno>.movimenti.log and never used again.
#include "fees/FeeLedger.h"
#include "fees/MonthFees.h"
#include "payments/Statement.h"
#include <QSet>

namespace payments {

/// One child's card with what it still owes, oldest month first.
struct DueCard {
    fees::FeeLine line;              // the card's texts (parent, tax code, child, fee, cause...)
    QVector<fees::MonthDue> owed;    // the months not fully paid, in order (those held by a pending debit too)
};

enum class MatchState { Matched, ToCheck, Unmatched, AlreadyRecorded };
/// "abbinato", "da verificare", "non abbinato", "già registrato".
QString MatchStateText(MatchState s);

struct Proposal {
    MatchState state = MatchState::Unmatched;
    int card = -1;                    // index into the cards
    QVector<fees::FeeMonth> months;   // the months the amount pays, in order
    QString how;                      // what it was found by
    QString monthsBy;                 // which rule chose the months ("mesi nella causale", ...)
    QString note;                     // why it needs a look
    bool accepted = false;            // issued by "Emetti ricevute": matched ones start accepted
};

/// The months a remittance text names, in calendar order: Italian month names or their abbreviations
/// as whole words ("RETTA NOVEMBRE", "ott 2026", "settembre e ottobre") and month/year in figures
/// ("10/2026", "10-2026"; not inside a full date). A month without its year is the one nearest to
/// `paid` (the earlier on a tie).
QVector<fees::FeeMonth> MonthsNamed(const QString& text, const QDate& paid);

/// The key that says a movement was used: its bank reference, else date, amount and remittance text.
QString MovementKey(const Movement& m);

/// The owed months of every card up to `upTo`, from the receipts of `programFolder` (the year of `upTo`
/// and the one before) and its direct-debit register, by the month rule. Cards without a child, tax code
/// or readable fee owe nothing.
QVector<DueCard> LoadDueCards(const QString& programFolder, const fees::FeeMonth& upTo, QString* error = nullptr);

/// Matches every credit; `used` holds the keys of movements already turned into receipts. Movements
/// are taken in order and each takes the months it pays, so two payments never take the same month.
QVector<Proposal> MatchMovements(const QVector<Movement>& credits, const QVector<DueCard>& cards,
                                 const QSet<QString>& used);

/// Sets a proposal to `card` by hand: the months its amount reaches, oldest owed first; "abbinato".
void AssignCard(Proposal& p, const Movement& m, const QVector<DueCard>& cards, int card);

/// The keys of the movements already used, from the journal of `year` and the year before, each counted
/// only while its receipt is still stored, not cancelled and its own (the receipt the journal names by
/// position and number, with the payer's tax code and date the journal keeps).
QSet<QString> UsedMovements(const QString& programFolder, int year);

/// The receipt of a payment: as the month batch fills it for the card (FeeReceipt), with the movement's
/// amount, its value date, the period of the months paid and the payment method.
ReceiptRecord PaymentReceipt(const DueCard& card, const Movement& m, const QVector<fees::FeeMonth>& months,
                             const QStringList& receiver, qint64 number);

struct PaymentIssue {
    bool ok = false;
    QVector<int> issued; // movement indexes, in the order written
    qint64 firstNumber = 0, firstPosition = 0;
    QString error;
};

/// Appends the receipts of the accepted proposals (value date in `year`) to <year>.ric of `programFolder`
/// in one locked batch numbered from `numberingStart` plus the count under the lock, then notes the
/// movements in the journal. When the journal cannot be written the batch is cut back: all or nothing.
PaymentIssue IssuePayments(const QString& programFolder, int year, const QVector<Movement>& credits,
                           const QVector<Proposal>& proposals, const QVector<DueCard>& cards,
                           const QStringList& receiver, qint64 numberingStart);

} // namespace payments
