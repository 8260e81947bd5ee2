#include "summary/SummaryExport.h"
#include "app/Carvenna.h"
#include "export/ExportWindow.h"
#include "export/XlsxDocument.h"
#include "storage/FixedField.h"
#include "storage/ReceiptFile.h"
#include "storage/Text.h"
#include "summary/AttestazioniModel.h"
#include "summary/Takings.h"
#include <QApplication>

namespace {
// Both formats from one table of texts: the .xls document takes the headers and widths, the workbook
// also each column's kind.
bool WriteEither(const QString& path, bool xls, const QString& sheet, const QVector<XlsxColumn>& columns, qint64 rows,
                 const ExportCellText& cell, QString* error) {
    if (!xls)
        return WriteXlsxDocument(path, sheet, columns, rows, cell, error);
    QVector<ExportColumn> plain;
    for (const XlsxColumn& c : columns)
        plain.push_back({c.header, c.width});
    return WriteExportDocument(path, sheet, plain, rows, cell, error);
}
} // namespace

void SaveExportAs(Carvenna& app, QWidget* window, const QString& proposedName, const QString& what,
                  const ExportWriter& write) {
    const QString path = app.fileDialogs().Save(window, QStringLiteral("Esporta in Excel"), ExportSaveFilter(),
                                                app.Path(proposedName), QStringLiteral("xlsx"));
    if (path.isEmpty())
        return;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = write(path, IsXlsDocumentPath(path), &error);
    QApplication::restoreOverrideCursor();
    ExportWindow::ReportExport(app, window, ok, path, what);
}

bool WriteStatementsExport(const QString& path, bool xls, int year, const QVector<StatementGroup>& groups,
                           QString* error) {
    QVector<XlsxColumn> columns;
    const QVector<ExportColumn>& shown = AttestazioniModel::Columns();
    for (int c = 0; c < shown.size(); ++c) {
        const CellKind kind = c == AttestazioniModel::ColCount  ? CellKind::Count
                              : c > AttestazioniModel::ColCount ? CellKind::Amount
                                                                : CellKind::Text;
        columns.push_back({shown[c].header, shown[c].width, kind});
    }
    return WriteEither(
        path, xls, QStringLiteral("Attestazioni %1").arg(year), columns, groups.size(),
        [&groups](qint64 row, int column) { return AttestazioniModel::Cell(groups[int(row)], column); }, error);
}

bool WriteTakingsExport(const QString& path, bool xls, const QString& yearFile, const TakingsSummary& summary,
                        QString* error) {
    using namespace ReceiptField;
    static const int fields[] = {NumRic, Data, Pagatore, Sport, Dal, Al, Intero};
    const QVector<XlsxColumn> columns = {{QStringLiteral("Ricevuta n."), 200, CellKind::Text},
                                         {QStringLiteral("Data emissione"), 200, CellKind::Date},
                                         {QStringLiteral("Pagatore"), 300, CellKind::Text},
                                         {QStringLiteral("Causale"), 400, CellKind::Text},
                                         {QStringLiteral("Inizio periodo"), 200, CellKind::Date},
                                         {QStringLiteral("Fine periodo"), 200, CellKind::Date},
                                         {QStringLiteral("Totale: €"), 200, CellKind::Amount}};
    // The listed receipts, in list order: one pass over the file picks them at their positions.
    QVector<QStringList> rows;
    rows.reserve(summary.positions.size());
    ReceiptFile file;
    if (!file.OpenOrCreate(yearFile)) {
        if (error)
            *error = QStringLiteral("archivio non accessibile");
        return false;
    }
    const auto& layout = ReceiptRecord::Layout();
    int next = 0;
    file.Raw().Scan([&](qint64 index, const char* rec) {
        if (next >= summary.positions.size())
            return false;
        if (index != summary.positions[next])
            return true;
        QStringList row;
        for (int f : fields)
            row << DecodeField(rec + layout[f].offset, layout[f].width);
        rows << row;
        ++next;
        return true;
    });
    file.Close();
    if (rows.size() != summary.positions.size()) {
        if (error)
            *error = QStringLiteral("archivio cambiato durante l'esportazione");
        return false;
    }
    // A blank row, then the total under the amounts.
    rows << QStringList(columns.size(), QString());
    QStringList total(columns.size(), QString());
    total[0] = QStringLiteral("Totale importi incassati");
    total[columns.size() - 1] = FormatTotal(summary.total);
    rows << total;
    return WriteEither(
        path, xls, QStringLiteral("Riepilogo incassi"), columns, rows.size(),
        [&rows](qint64 row, int column) { return rows[int(row)][column]; }, error);
}
