#pragma once
// The parents' nursery-bonus documents ("Attestazione di pagamento per il bonus nido"): for a child and
// a calendar year, each month whose fee something paid, with what each receipt paid of it, who paid
// and how (the payment text with its date and reference, cash named as cash), and the child's other
// payments of the month apart. Which receipt pays which month is the month rule's (FeeLedger): nothing
// here decides it.
#include "fees/FamilyAccount.h"
#include "receipts/PaymentText.h"
#include "registry/ChildTaxCodes.h"
#include "summary/Statements.h"
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

namespace fees {

/// What a stored receipt says beyond what the month rule reads: who paid and how.
struct ReceiptDetail {
    QString payer, taxCode, method;
};

/// The details of some receipts, by year file and position.
class ReceiptDetails {
public:
    /// Reads, from <year>.ric of `programFolder`, the receipts at `positions` (1-based, by year). False,
    /// with the file's error, when a file cannot be read.
    bool Load(const QString& programFolder, const QHash<int, QSet<qint64>>& positions, QString* error = nullptr);
    void Put(int year, qint64 position, const ReceiptDetail& d) { m_details.insert(Key(year, position), d); }
    /// The receipt's details; blank when it was not read.
    ReceiptDetail Of(int year, qint64 position) const { return m_details.value(Key(year, position)); }

private:
    static qint64 Key(int year, qint64 position) { return qint64(year) << 40 | position; }
    QHash<qint64, ReceiptDetail> m_details;
};

/// One receipt's share of a month's fee.
struct BonusPayment {
    QString number;
    QDate date;        // the receipt's date
    qint64 amount = 0; // what it pays of the month, ten-thousandths
    QString payer, payerTaxCode;
    PaymentFacts payment;
    PaymentKind kind = PaymentKind::NotStated;
    bool credit = false; // money left over from a receipt for other months
};

/// Another payment for the child in the month (meals, pre- and after-school...), apart from the fee.
struct BonusExtra {
    QString number, cause;
    QDate date;
    qint64 amount = 0;
    PaymentFacts payment;
    PaymentKind kind = PaymentKind::NotStated;
};

struct BonusMonth {
    FeeMonth month;
    qint64 due = 0, paid = 0; // the fee, and what receipts pay of it
    QVector<BonusPayment> payments;
    QVector<BonusExtra> extras;
    /// Every payment of the fee in cash.
    bool CashOnly() const;
    /// Some payment of the fee in cash.
    bool AnyCash() const;
};

/// "codice fiscale del minore mancante": what the documents say instead of a code not known or wrong.
QString MissingChildCodeText();

struct BonusChild {
    qint64 card = 0; // 1-based
    QString child, birthPlace, birthDate;
    QString taxCode;             // the child's code when kept and right; empty otherwise
    QString codeProblem;         // not empty when taxCode is: MissingChildCodeText(), or why the kept one is wrong
    QString payer, payerTaxCode; // the card's
    QVector<BonusMonth> months;  // the months of the year with something paid of the fee, in order
    qint64 TotalPaid() const;
};

/// The documents of one payer: its children with payments in the year.
struct BonusFamily {
    QString payer, payerTaxCode;
    QVector<BonusChild> children; // in registry order
};

struct BonusSet {
    int year = 0;
    QVector<BonusFamily> families; // in the order of each payer's first card
    /// The children whose documents carry no code (missing or wrong), as "card: child - problem".
    QVector<const BonusChild*> MissingCodes() const;
    int Children() const;
};

/// The document data of card `card` for `year`, from the receipts naming its child (any years; the
/// month rule places them) and their details. `childCode` is the code kept for the card (may be empty
/// or wrong: the child is then marked).
BonusChild BuildBonusChild(const RegistryRecord& card, qint64 cardNumber, const QString& childCode,
                           const QVector<ChildReceipt>& receipts, const ReceiptDetails& details, int year,
                           const QStringList& feeWords);

/// The children of `which` (0-based card indexes; empty: every card) with something paid of their
/// fee in `year`, grouped by payer (PayerKey; a card without a tax code is a family of its own). A
/// child on two cards of the same payer is documented once, from the card that has its code (else the
/// later one).
BonusSet BuildBonusSet(const QVector<RegistryRecord>& cards, const QVector<int>& which, const ChildTaxCodes& codes,
                       const ChildReceipts& receipts, const ReceiptDetails& details, int year,
                       const QStringList& feeWords);

/// Reads the registry, the children's codes, the receipts of the year before, the year and the year
/// after, the fee words and the paying receipts' details of `programFolder`, and builds the set of
/// `year` for the cards `cardNumbers` (1-based; empty: every card). False, with an Italian `error`,
/// when a file cannot be read.
bool LoadBonusSet(const QString& programFolder, int year, const QVector<qint64>& cardNumbers, BonusSet& out,
                  QString* error);

/// The payment as the document says it: "Bonifico bancario del 07/12/2026, rif. 0012345",
/// "Contanti (non tracciabile)", "Modalità non indicata sulla ricevuta".
QString BonusPaymentText(const PaymentFacts& payment, PaymentKind kind);

/// The line of the batch's list: "Rossi Luca (C.F. RSSLCU...) - pagatore Rossi Marco - 10 mesi - € 2500,00",
/// with the missing code's text in place of the code.
QString BonusChildLine(const BonusChild& c);

} // namespace fees
