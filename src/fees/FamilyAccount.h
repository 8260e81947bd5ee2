#pragma once
// A family's account ("Estratto conto"): for a registry card's child and every other child whose card
// names the same payer tax code, month by month, the fee due, the receipts that pay it and what is
// still owed, with the totals and the reminders sent to the payer. The months follow the month rule
// of FeeLedger; nothing here decides what a receipt pays.
#include "fees/FeeLedger.h"
#include "storage/RegistryFile.h"
#include <QDate>
#include <QString>
#include <QVector>

namespace fees {

/// One reminder noted in the reminders' journal.
struct ReminderNote {
    QDate date;
    QString payer, taxCode;
    QString months;  // "Rossi Luca: settembre 2026, ottobre 2026; Rossi Anna: ottobre 2026"
    qint64 amount = 0; // ten-thousandths
    QString how;     // "stampa", "e-mail"
};

/// One child of the account.
struct AccountSection {
    qint64 card = 0; // 1-based card number
    QString payer, taxCode, child, fee, cause;
    FeeMonth from, to;   // the months shown; none when `to` is before `from`
    ChildAccount account;
    QString problem;     // not empty: the card cannot be accounted ("minore mancante", ...)
};

/// A payer's account over all its children.
struct FamilyAccount {
    QString payer, taxCode;
    FeeMonth upTo;
    QVector<AccountSection> sections; // the card asked for first, then its siblings in registry order
    QVector<ReminderNote> reminders;  // oldest first
    qint64 TotalDue() const;
    qint64 TotalPaid() const;
    qint64 TotalOwed() const;
    qint64 TotalHeld() const;
    qint64 TotalToAsk() const;
    qint64 TotalCredit() const;
};

/// One row of the account as the window and the print show it, in the columns "Mese", "Dovuto",
/// "Ricevute", "Pagato", "Da pagare".
struct AccountRow {
    enum Kind { Child, Month, Subtotal, Credit, Unreadable, Total, RemindersHeading, Reminder };
    Kind kind = Month;
    QStringList cells; // five texts
};
/// The column captions of AccountRows.
QStringList AccountColumns();
/// The account's rows: for each child its heading, its months, the credits and the receipts not
/// counted, its subtotal; then the family's totals and the reminders sent.
QVector<AccountRow> AccountRows(const FamilyAccount& account);

/// A payer's tax code as accounts compare it: trimmed, A-Z in upper case.
QString PayerKey(const QString& taxCode);

/// The 0-based indexes of the cards of `index`'s family: `index` first, then, in registry order, every
/// other card with the same payer tax code (PayerKey). A card without a tax code has no siblings.
QVector<int> FamilyCards(const QVector<RegistryRecord>& cards, int index);

/// Every card of the registry of `programFolder`, for the fee documents; false, with the office's
/// message in `error`, when the registry is missing or cannot be read.
bool ReadFeeCards(const QString& programFolder, QVector<RegistryRecord>& cards, QString* error);

/// The receipt years an account of `which` up to `upTo` reads: from the year before its first month to
/// the year of its last, over every card's AccountRange, in increasing order.
QVector<int> AccountYears(const QVector<RegistryRecord>& cards, const QVector<int>& which, const FeeMonth& upTo);

/// The fee of a card in ten-thousandths, to the cent, as receipts carry it; 0 when it is not a fee that
/// can be issued (blank, zero, not an amount).
qint64 CardFee(const RegistryRecord& card);

/// The account of card `index` (0-based) and its siblings up to `upTo`, from receipts already read and
/// the pending direct debits.
FamilyAccount BuildFamilyAccount(const QVector<RegistryRecord>& cards, int index, const ChildReceipts& receipts,
                                 const FeeMonth& upTo, const QStringList& feeWords,
                                 const DebitHolds& holds = DebitHolds());

/// Reads the registry, the receipts of the years needed, the fee words and the reminders' journals of
/// `programFolder` and builds the account of card `card` (1-based) up to `upTo`. False, with an Italian
/// `error`, when the registry, a year's file or the direct-debit register cannot be read or the card is
/// not there.
bool LoadFamilyAccount(const QString& programFolder, qint64 card, const FeeMonth& upTo, FamilyAccount& out,
                       QString* error);

} // namespace fees
