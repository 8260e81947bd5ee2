#pragma once
// The takings summary and the yearly statements saved as a spreadsheet where the user chooses: a
// workbook (.xlsx) with typed cells, or the .xls document of the archive exports.
#include <QString>
#include <QVector>
#include <functional>

class Carvenna;
class QWidget;
struct StatementGroup;
struct TakingsSummary;

/// Writes the export to `path`: the .xls document when `xls`, otherwise the workbook.
using ExportWriter = std::function<bool(const QString& path, bool xls, QString* error)>;

/// Asks for the file in a save dialog (proposing `proposedName` in the program folder, .xlsx or .xls),
/// writes it with `write` and offers to open it, with the archive exports' messages. Cancelling the
/// dialog does nothing.
/// `what` names what was written in the question after it ("Le ricevute del riepilogo").
void SaveExportAs(Carvenna& app, QWidget* window, const QString& proposedName, const QString& what,
                  const ExportWriter& write);

/// The statements table, one row per payer and child, as the window shows it.
bool WriteStatementsExport(const QString& path, bool xls, int year, const QVector<StatementGroup>& groups,
                           QString* error);

/// The receipts the summary lists, read again from `yearFile` at their positions, with number, date, payer,
/// reason, period and amount; a blank row and the total close the table. Fails when a listed receipt can
/// no longer be read.
bool WriteTakingsExport(const QString& path, bool xls, const QString& yearFile, const TakingsSummary& summary,
                        QString* error);
