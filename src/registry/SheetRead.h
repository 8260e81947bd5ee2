#pragma once
// A sheet as the user saved it, read into rows of texts: CSV in UTF-8 or Windows-1252 with its
// separator guessed, or a spreadsheet made CSV by LibreOffice first.
#include "app/ProgramRunner.h"
#include <QByteArray>
#include <QChar>
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
/// converted to CSV by LibreOffice at `office`, run by `runner` (empty `office`: not installed, and a
/// message says to save the sheet as CSV). Anything else that is not text is refused with the reason.
CsvSheet ReadSheetFile(const QString& path, const QString& office, ProgramRunner& runner);
