#pragma once
// The spreadsheet export document: an HTML table with worksheet markup that spreadsheet programs
// open as one sheet. Written in Windows-1252, without a single line break, through a temporary
// file that replaces the old export only when it is complete.
#include "export/ByteWriter.h"
#include <QByteArray>
#include <QString>
#include <QVector>
#include <functional>

/// One exported column: its header text and its width in the header row.
struct ExportColumn {
    QString header;
    int width;
};

/// Gives the text of one data cell; row and column are 0-based over the exported columns.
using ExportCellText = std::function<QString(qint64 row, int column)>;
/// Appends the document form of one data cell (as AppendExportCellText would) to `out`.
using ExportCellWriter = std::function<void(ByteWriter& out, qint64 row, int column)>;
/// Told how many data rows have been written so far, every few thousand rows.
using ExportProgress = std::function<void(qint64 rowsWritten)>;

/// Appends one cell's text as the document holds it: trimmed; control characters inside (pasted
/// line breaks, tabs) as blanks; "&", "<" and ">" as entities; characters outside Windows-1252
/// as decimal character references; the rest as Windows-1252 bytes.
void AppendExportCellText(ByteWriter& out, QStringView text);
void AppendExportCellText(QByteArray& out, QStringView text);
/// The same for a text stored as Windows-1252 bytes: appends what AppendExportCellText appends for
/// the text those bytes stand for.
void AppendExportCellBytes(ByteWriter& out, QByteArrayView stored);
void AppendExportCellBytes(QByteArray& out, QByteArrayView stored);

/// False, with `error`, when `path` is a folder or a read-only file: an export never replaces those.
bool CheckExportTarget(const QString& path, QString* error = nullptr);

/// Writes the whole document to `path`: the worksheet head naming `sheetName`, a bold header
/// row of `columns`, then `rows` data rows whose cells come from `cell`. Every cell carries the
/// text number format, so spreadsheet programs keep codes, dates and leading zeros as typed.
/// An existing file is replaced only when the new one is complete; a file that is read-only or
/// a folder of that name is a failure and stays as it was. On failure returns false with
/// `error` set.
bool WriteExportDocument(const QString& path, const QString& sheetName, const QVector<ExportColumn>& columns,
                         qint64 rows, const ExportCellText& cell, QString* error = nullptr,
                         const ExportProgress& progress = {});
/// The same with each cell appended by `cell`: a large grid is written without a copy of each cell.
bool WriteExportDocument(const QString& path, const QString& sheetName, const QVector<ExportColumn>& columns,
                         qint64 rows, const ExportCellWriter& cell, QString* error = nullptr,
                         const ExportProgress& progress = {});
