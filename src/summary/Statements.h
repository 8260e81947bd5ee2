#pragma once
// Yearly payment statements: the receipts of one year grouped per payer and child, with the total
// paid and how much of it was paid by traceable means, in cash or by a method not stated.
#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

/// How a receipt was paid, read from its payment method text.
enum class PaymentKind { Traceable, Cash, NotStated };

/// Cash when the text contains "contant" (any letter case), not stated when it is blank,
/// traceable otherwise (bank transfer, card, cheque, ...).
PaymentKind ClassifyPayment(const QString& method);
/// "tracciabile", "contanti" or "non indicato".
QString PaymentKindText(PaymentKind kind);

/// The text shown instead of a tax code when the receipts of a group have none.
QString MissingTaxCodeText();

/// One receipt of a statement.
struct StatementReceipt {
    QString number, date, from, to, method; // trimmed texts as stored
    PaymentKind kind = PaymentKind::NotStated;
    qint64 amount = 0;   // ten-thousandths of a euro
    qint64 position = 0; // 1-based position in the file
};

/// The receipts of one payer and one child in the year, in file order, and their sums.
struct StatementGroup {
    QString payer, taxCode, child, birthPlace, birthDate; // as the latest receipt holds them
    bool missingTaxCode = false;                          // grouped by payer name instead
    QString childTaxCode; // the child's code kept beside the registry, when known (filled by the caller)
    QVector<StatementReceipt> receipts;
    qint64 total = 0, traceable = 0, cash = 0, notStated = 0; // ten-thousandths of a euro

    /// The tax code, or the missing tax code text.
    QString TaxCodeText() const { return missingTaxCode ? MissingTaxCodeText() : taxCode; }
};

/// A receipt left out of the statements, and why.
struct ExcludedReceipt {
    enum class Reason { InvalidDate, InvalidAmount };
    QString number;
    qint64 position = 0;
    Reason reason = Reason::InvalidDate;
};

/// The statements of one year.
struct YearStatements {
    QVector<StatementGroup> groups;    // ordered by payer, child and tax code (letter case ignored)
    QVector<ExcludedReceipt> excluded; // in file order
    bool fileOpened = true;            // false: the file could be neither opened nor created
    bool complete = true;              // false: the file could not be read to its end
};

/// Reads the receipt file `path` (created empty when missing) and groups every receipt whose issue
/// date lies in `year`. Key: the payer's tax code (trimmed, upper case) and the child's name (trimmed,
/// A-Z case ignored); receipts without a tax code are grouped by payer name (likewise) and flagged.
/// Amounts are summed exactly. Receipts whose issue date is not a valid date, or whose amount cannot
/// be read, are not counted and are listed in `excluded`.
YearStatements BuildYearStatements(const QString& path, int year);

/// The list line of a group, its columns separated by blanks (what "Trova" searches in).
QString StatementLine(const StatementGroup& g);

/// The statement's table of receipts: fixed-width columns of number, issue date, period, method and
/// amount, with a header line first. `methodWidth` cuts the method text.
QStringList StatementTable(const StatementGroup& g, int methodWidth = 28);
