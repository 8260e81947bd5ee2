#include "summary/AttestazioniModel.h"
#include "summary/Takings.h"
#include <QBrush>
#include <QColor>

const QVector<ExportColumn>& AttestazioniModel::Columns() {
    static const QVector<ExportColumn> columns = {
        {QStringLiteral("Pagatore"), 250},      {QStringLiteral("Codice fiscale"), 160},
        {QStringLiteral("Minore"), 250},        {QStringLiteral("Ricevute"), 80},
        {QStringLiteral("Totale pagato"), 110}, {QStringLiteral("Di cui tracciabile"), 130},
        {QStringLiteral("Contanti"), 110},      {QStringLiteral("Non indicato"), 110}};
    return columns;
}

QString AttestazioniModel::Cell(const StatementGroup& g, int column) {
    switch (column) {
    case ColPayer:
        return g.payer;
    case ColCode:
        return g.TaxCodeText();
    case ColChild:
        return g.child;
    case ColCount:
        return QString::number(g.receipts.size());
    case ColTotal:
        return FormatTotal(g.total);
    case ColTraceable:
        return FormatTotal(g.traceable);
    case ColCash:
        return FormatTotal(g.cash);
    default:
        return FormatTotal(g.notStated);
    }
}

void AttestazioniModel::SetGroups(const QVector<StatementGroup>& groups) {
    beginResetModel();
    m_groups = groups;
    endResetModel();
}

int AttestazioniModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_groups.size());
}

int AttestazioniModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant AttestazioniModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_groups.size() || index.column() >= ColumnCount)
        return {};
    const StatementGroup& g = m_groups[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: // a cut name can be read whole
        return Cell(g, index.column());
    case Qt::TextAlignmentRole:
        return index.column() >= ColCount ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    case Qt::ForegroundRole:
        // A group without a tax code stands out: its statement cannot serve the tax return as it is.
        return index.column() == ColCode && g.missingTaxCode ? QVariant(QBrush(QColor(0xb0, 0, 0))) : QVariant();
    default:
        return {};
    }
}

QVariant AttestazioniModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return Columns()[section].header;
    return QAbstractTableModel::headerData(section, orientation, role);
}
