#pragma once
// The export windows' grid: the record texts as loaded, with the cells the user edited kept
// apart. Column 0 is the row number; the other columns are exported. A grid that loaded no
// record shows a few empty rows, and exports them as they are.
#include "export/ExportDocument.h"
#include "export/XlsxDocument.h"
#include "storage/FixedField.h"
#include <QAbstractTableModel>
#include <QHash>
#include <QVector>

/// One grid column: on-screen header and width, whether the user may edit it, and how it is
/// headed and sized in the exported document (the row number column is never exported).
struct GridColumn {
    QString header;
    int width;
    bool editable;
    QString exportHeader;
    int exportWidth;
    CellKind kind = CellKind::Text; // what the .xlsx export makes of the column's cells
};

class ExportGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int EmptyRows = 10;

    /// `columns[0]` is the row number column.
    explicit ExportGridModel(QVector<GridColumn> columns, QObject* parent = nullptr);

    const QVector<GridColumn>& Columns() const { return m_columns; }
    /// Header texts and widths of the exported columns (1 to the last).
    QVector<ExportColumn> ExportColumns() const;
    /// The same with each column's kind, for the .xlsx export.
    QVector<XlsxColumn> XlsxColumns() const;

    /// Starts a load: forgets records and edits. Call AppendRecord for each record, then EndLoad.
    void BeginLoad(qint64 expectedRows);
    /// Appends one stored record laid out by `layout`: `fields[i]` is the field shown in column i + 1,
    /// one for each data column. The stored bytes are kept as they are, trimmed.
    void AppendStored(const char* record, const QVector<FieldSpec>& layout, const int* fields);
    void EndLoad();
    qint64 LoadedRecords() const { return m_loaded; }

    /// The text of a cell as shown and exported: the edit, if any, otherwise the loaded text.
    QString Cell(qint64 row, int column) const;
    /// Appends exported cell (row, column) to the document as AppendExportCellText would append Cell().
    void AppendExportCell(ByteWriter& out, qint64 row, int column) const;
    /// The text of exported cell (row, column), column counted from the first exported column.
    QString ExportCell(qint64 row, int column) const { return Cell(row, column + 1); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    static quint64 Key(qint64 row, int column) { return (quint64(row) << 8) | quint64(column); }
    const QString* Edit(qint64 row, int column) const;
    QByteArrayView Stored(qint64 row, int column) const;

    QVector<GridColumn> m_columns;
    int m_dataColumns;
    // The loaded texts of columns 1.., row after row, as the archive stores them (Windows-1252, one
    // byte a character) one after the other, and where each ends: a year of receipts is two blocks
    // instead of a million small strings, and is exported without being converted twice.
    QByteArray m_bytes;
    QVector<qsizetype> m_ends;
    qint64 m_loaded = 0;
    QHash<quint64, QString> m_edits;
};
