#pragma once
// The spreadsheet export as a real Excel workbook (.xlsx): one sheet, a bold header row that stays in
// view, set column widths, and typed cells: amounts as numbers shown in euro with two decimals, dates
// as dates, everything else as text, so a tax code or "007" is never turned into a number. Written
// with libxlsxwriter into a temporary file that replaces the old export only when it is complete.
#include "export/ExportDocument.h"
#include <QDate>
#include <QString>
#include <QVector>
#include <optional>

/// What a column's cells hold (Count: a whole number such as a number of receipts). A cell whose text does not read as
/// its column's kind stays text.
enum class CellKind { Text, Date, Amount, Count };

/// One column of the workbook: header text, width in pixels (as the .xls export gives it) and kind.
struct XlsxColumn {
    QString header;
    int width;
    CellKind kind = CellKind::Text;
};

/// An amount as the archives store it: digits, optionally a ',' and decimals, optionally a leading
/// '-' ("1250,05", "150", "-3,5"); no thousands separator. Anything else, or more than 15 digits, gives
/// nothing.
std::optional<double> ReadAmountCell(const QString& text);
/// A date written exactly dd/mm/yyyy naming a real day from 1900 on (what a spreadsheet can hold as
/// a date); anything else gives nothing.
std::optional<QDate> ReadDateCell(const QString& text);

/// Writes the workbook to `path`: sheet `sheetName`, the header row of `columns`, then `rows` data rows
/// whose cell texts come from `cell` (trimmed; empty cells are left blank). An existing file is replaced
/// only when the new one is complete; a read-only file or a folder of that name is a failure and stays
/// as it was. On failure returns false with `error` set.
bool WriteXlsxDocument(const QString& path, const QString& sheetName, const QVector<XlsxColumn>& columns, qint64 rows,
                       const ExportCellText& cell, QString* error = nullptr, const ExportProgress& progress = {});

/// The file types a save dialog offers for an export: the workbook first, then the .xls document.
QString ExportSaveFilter();
/// True when `path` names the .xls document (by its extension, in any letter case) rather than a workbook.
bool IsXlsDocumentPath(const QString& path);
