#pragma once
// Cards typed elsewhere (a spreadsheet saved as CSV) brought into the registry: reading the file,
// guessing which column holds which card field, checking every row as the editor's Save checks a
// card, and appending the good rows in one locked, all-or-nothing batch.
#include "storage/RegistryFile.h"
#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

/// The rows of a CSV file as text, before any mapping.
struct CsvSheet {
    QVector<QStringList> rows; ///< every non-blank row, the header included
    QVector<int> rowNumbers;   ///< the spreadsheet row (1-based) of each entry of `rows`
    QChar delimiter;           ///< ',', ';' or tab
    QString encoding;          ///< "UTF-8" or "Windows-1252"
    QString error;             ///< why the file cannot be read; empty when it was read
    int unterminatedRow = 0;   ///< row number of a quoted field still open at the end of the file
};

/// Decodes the bytes of a text file as spreadsheets save it: UTF-8 with or without BOM, else
/// Windows-1252. `encoding` gets the name of the one used.
QString DecodeSheetText(const QByteArray& bytes, QString* encoding = nullptr);
/// The separator the first rows use most consistently, outside quotes: ';', ',' or tab.
QChar GuessDelimiter(const QString& text);
/// Splits CSV text into rows of fields: quoted fields may hold separators, doubled quotes and line
/// breaks; CRLF, LF and CR all end a row. Rows made only of empty fields are left out.
CsvSheet ParseCsv(const QByteArray& bytes);

/// Reads the file the user chose. A .csv or .txt is parsed directly; an .ods, .xlsx or .xls is first
/// converted to CSV by LibreOffice at `office` (empty: not installed, and a message says to save the
/// sheet as CSV). Anything else that is not text is refused with the reason.
CsvSheet ReadSheetFile(const QString& path, const QString& office);
/// The LibreOffice program on this machine (soffice or libreoffice on the search path), or empty.
QString FindOffice();
/// Converts a spreadsheet to a UTF-8, comma-separated CSV in `outFolder` with LibreOffice, in a
/// private profile (so a LibreOffice the user has open does not swallow the request). `csvPath` gets
/// the file written.
bool ConvertSheetToCsv(const QString& office, const QString& path, const QString& outFolder, QString* csvPath,
                       QString* error);

/// The card fields a column can fill: the 26 fields of the editor (the attachments are not imported).
constexpr int kImportFieldCount = RegistryField::File01;
constexpr int kNoField = -1;
/// For each header cell, the card field it most likely holds (kNoField when none). The editor's own
/// labels and common variants are recognised, without regard to case, accents and punctuation; an
/// unqualified "Data di nascita" or "Luogo di nascita" goes to the parent first and to the child the
/// second time. Several columns may fill one field ("Cognome" and "Nome"): their texts are joined.
QVector<int> GuessMapping(const QStringList& header);

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
/// Appends the good rows to the registry of `programFolder` in one locked batch: all of them or,
/// on any failure, none. With `skipExisting`, rows whose card is already in the registry (looked up
/// under the lock) or earlier in the file are left out.
ImportOutcome AppendImportedCards(const QString& programFolder, const QVector<ImportRow>& rows, bool skipExisting);
