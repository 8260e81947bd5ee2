#pragma once
// Cards typed elsewhere brought into the registry: every row of a read sheet (registry/SheetRead),
// through the columns chosen for it (registry/ColumnGuess), checked as the editor's Save checks a card,
// and the good rows appended in one locked, all-or-nothing batch.
#include "registry/ColumnGuess.h"
#include "registry/SheetRead.h"
#include "storage/RegistryFile.h"
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

/// A date field's text as dd/mm/yyyy. Accepted: d/m/yyyy with '/', '.' or '-', and yyyy-mm-dd, each
/// with an optional midnight time after it. Refused, with the reason in `why`: two-digit years, days
/// that do not exist, anything else.
bool NormaliseImportDate(const QString& text, QString* out, QString* why);
/// A fee as the registry stores it (1234,50). Accepted: "1234,5", "1234.5", "1.234,50", "1,234.50",
/// with blanks and a euro sign around. Refused, with the reason: negative amounts, letters, a lone
/// "1.234" (thousands or decimals cannot be told apart), misplaced thousands separators.
bool NormaliseImportFee(const QString& text, QString* out, QString* why);

/// One data row, checked.
struct ImportRow {
    int row = 0;           ///< spreadsheet row number
    RegistryRecord card;   ///< the card as it would be stored (texts cut to the field widths)
    QStringList errors;    ///< reasons that keep the row out
    QStringList warnings;  ///< imported all the same
    bool existing = false; ///< a card with the same tax code and child is already in the registry
    bool repeated = false; ///< an earlier row of the same file has the same tax code and child
    bool wrongCode = false; ///< the tax code or VAT number fails its check: imported after a question
    QString childTaxCode;   ///< the child's tax code, kept beside the registry (a wrong one is left out)
    bool Good() const { return errors.isEmpty(); }
};

/// Checks one row as the editor's Save checks a card: required fields, date fields, the fee,
/// texts cut to their widths (warned), the tax code or VAT number (warned when wrong).
ImportRow CheckImportRow(const QStringList& values, const QVector<int>& mapping, int rowNumber);

/// Every data row of `sheet` checked (the first row is skipped when `hasHeader`).
QVector<ImportRow> CheckImportRows(const CsvSheet& sheet, const QVector<int>& mapping, bool hasHeader);

/// The key that makes two cards the same child of the same payer: tax code and child's name.
QString CardKey(const RegistryRecord& card);
/// The keys of the cards of an open registry.
bool ExistingCardKeys(RecordFile& registry, QSet<QString>* keys);
/// Sets `existing` and `repeated` on the rows (and their warnings) against `keys`.
void MarkExistingCards(QVector<ImportRow>& rows, const QSet<QString>& keys);

struct ImportOutcome {
    bool ok = false;
    qint64 first = 0; ///< card number of the first card appended
    int appended = 0;
    int skipped = 0; ///< good rows left out because the card was already there
    QString error;
};
/// Appends the good rows to the registry of `programFolder` in one locked batch, with their children's
/// tax codes saved beside it under the same lock: all of them or, on any failure, none (the codes'
/// file is put back as it was). With `skipExisting`, rows whose card is already in the registry (looked up
/// under the lock) or earlier in the file are left out.
ImportOutcome AppendImportedCards(const QString& programFolder, const QVector<ImportRow>& rows, bool skipExisting);
