#pragma once
// Reminders ("Solleciti"): one letter per payer naming every child and month still owed up to a chosen
// month, the total, and how to pay by transfer (the school's IBAN and holder, the cause to write, and
// the EPC "SEPA credit transfer" QR payload that banking apps read); the journal of reminders sent,
// Storico/<year>.solleciti.log beside the year's receipts.
#include "fees/FamilyAccount.h"
#include "payments/PaymentSettings.h"
#include "storage/JournalLines.h"
#include <QString>
#include <QVector>

namespace fees {

/// One month a child still owes.
struct OwedMonth {
    FeeMonth month;
    qint64 due = 0, owed = 0; // ten-thousandths
};

struct ReminderChild {
    qint64 card = 0;
    QString child;
    QVector<OwedMonth> months;
    qint64 Owed() const;
};

/// One letter: a payer and what its children owe.
struct ReminderLetter {
    QString payer, taxCode;
    QStringList address; // the payer's street and town as the card has them
    QVector<ReminderChild> children;
    QVector<ChildReceipt> unreadable; // fee receipts that pay nothing, named in the letter
    qint64 Total() const;
    /// "Rossi Luca: settembre 2026, ottobre 2026; Rossi Anna: ottobre 2026", as the journal keeps it.
    QString MonthsText() const;
};

/// A chosen card that gets no letter, and why.
struct ReminderSkip {
    qint64 card = 0;
    QString parent, child, reason;
};

struct ReminderSet {
    FeeMonth upTo;
    QVector<ReminderLetter> letters; // in the order of the first chosen card of each payer
    QVector<ReminderSkip> skipped;
};

/// Groups the chosen cards (1-based numbers) by payer and builds one letter per payer from its family
/// account up to `upTo`. Cards with a fee of 0, no tax code or no child, and payers who owe nothing,
/// are listed in `skipped` with the reason.
/// Months held by a pending direct debit (`holds`) are not reminded: the bank has been asked for them.
ReminderSet BuildReminders(const QVector<RegistryRecord>& cards, const QVector<qint64>& chosen,
                           const ChildReceipts& receipts, const FeeMonth& upTo, const QStringList& feeWords,
                           const DebitHolds& holds = DebitHolds());

/// BuildReminders over the registry and the receipts of `programFolder`. False with an Italian `error`
/// when a file cannot be read.
bool LoadReminders(const QString& programFolder, const QVector<qint64>& chosen, const FeeMonth& upTo,
                   ReminderSet& out, QString* error);

/// The cause to write on the transfer: "Rette fino a <month> <year> - <children> - <tax code>", at most
/// 140 characters (what the QR's remittance text takes).
QString ReminderCause(const ReminderLetter& letter, const FeeMonth& upTo);

/// The EPC "SEPA credit transfer" QR payload, or why there is none.
struct EpcTransfer {
    QString payload; // empty when `problem` is set
    QString problem;
};
/// BCD / 002 / 1 (UTF-8) / SCT / no BIC / holder / IBAN / "EUR<amount>" / no purpose / no reference /
/// remittance text, lines separated by line feeds. A problem, and no payload, when the account is not
/// fit for a transfer (CheckTransferAccount), the amount is not between 0,01 and 999999999,99 or the
/// text is longer than 140 characters.
EpcTransfer EpcPayload(const PaymentSettings& account, qint64 amount, const QString& remittance);

/// Storico/<year>.solleciti.log in `programFolder`.
QString ReminderLogPath(const QString& programFolder, int year);
/// Notes `notes` in the journal of `year` in one locked, flushed append (under the lock of <year>.ric).
/// False with `error` when a file call fails; the journal is then as it was.
bool NoteReminders(const QString& programFolder, int year, const QVector<ReminderNote>& notes,
                   const JournalStamp& stamp, QString* error);
/// The reminders noted in the journals of `years` for `taxCode` (PayerKey; empty: every payer), oldest
/// first. Torn or damaged lines are skipped and counted in `damaged`.
QVector<ReminderNote> ReadReminderNotes(const QString& programFolder, const QVector<int>& years,
                                        const QString& taxCode, int* damaged = nullptr);

} // namespace fees
