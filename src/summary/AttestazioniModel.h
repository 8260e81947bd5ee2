#pragma once
// The statements window's table as a model: one row per payer and child group, its columns the
// texts the window shows and the export writes.
#include "export/ExportDocument.h"
#include "summary/Statements.h"
#include <QAbstractTableModel>

class AttestazioniModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColPayer, ColCode, ColChild, ColCount, ColTotal, ColTraceable, ColCash, ColNotStated, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    /// The headers and the export's column widths, in column order.
    static const QVector<ExportColumn>& Columns();
    /// The text of `column` for the group `g`: names, the tax code (or the missing tax code text),
    /// the number of receipts and the amounts.
    static QString Cell(const StatementGroup& g, int column);

    /// Shows `groups`, in their order.
    void SetGroups(const QVector<StatementGroup>& groups);
    const QVector<StatementGroup>& Groups() const { return m_groups; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVector<StatementGroup> m_groups;
};
