#include "export/ExportGrid.h"
#include "storage/Text.h"

ExportGridModel::ExportGridModel(QVector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns)), m_dataColumns(int(m_columns.size()) - 1) {}

QVector<ExportColumn> ExportGridModel::ExportColumns() const {
    QVector<ExportColumn> out;
    for (int c = 1; c < m_columns.size(); ++c)
        out.push_back({m_columns[c].exportHeader, m_columns[c].exportWidth});
    return out;
}

void ExportGridModel::BeginLoad(qint64 expectedRows) {
    beginResetModel();
    m_text.clear();
    m_ends.clear();
    m_edits.clear();
    m_loaded = 0;
    const qint64 cells = qMax<qint64>(0, expectedRows) * m_dataColumns;
    m_ends.reserve(cells);
    // Room for an average of 24 characters a cell, more than the archives' texts take: pages never
    // written to cost no memory, while growing past the room would copy the whole text.
    m_text.reserve(cells * 24);
}

void ExportGridModel::AppendRecord(const QString* texts) {
    for (int c = 0; c < m_dataColumns; ++c) {
        QStringView t(texts[c]);
        while (!t.isEmpty() && t.front().unicode() <= 0x20)
            t = t.mid(1);
        while (!t.isEmpty() && t.back().unicode() <= 0x20)
            t.chop(1);
        m_text.append(t);
        m_ends.push_back(m_text.size());
    }
    ++m_loaded;
}

void ExportGridModel::EndLoad() {
    // No squeeze: it would copy the whole text for room that holds no memory.
    endResetModel();
}

QStringView ExportGridModel::CellView(qint64 row, int column, QString& scratch) const {
    if (row < 0 || row >= rowCount() || column < 0 || column > m_dataColumns)
        return {};
    if (!m_edits.isEmpty()) {
        const auto it = m_edits.constFind(Key(row, column));
        if (it != m_edits.constEnd())
            return *it;
    }
    if (row >= m_loaded)
        return {}; // the empty rows of a grid that loaded nothing
    if (column == 0) {
        scratch = QString::number(row + 1);
        return scratch;
    }
    const qsizetype cell = row * m_dataColumns + column - 1;
    const qsizetype begin = cell == 0 ? 0 : m_ends.at(cell - 1);
    return QStringView(m_text).mid(begin, m_ends.at(cell) - begin);
}

QString ExportGridModel::Cell(qint64 row, int column) const {
    QString scratch;
    const QStringView v = CellView(row, column, scratch);
    return scratch.isEmpty() ? v.toString() : scratch; // scratch: the row number made for the call
}

int ExportGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return m_loaded > 0 ? int(m_loaded) : EmptyRows;
}

int ExportGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant ExportGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return Cell(index.row(), index.column());
}

bool ExportGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const QString text = value.toString();
    if (text == Cell(index.row(), index.column()))
        return true;
    m_edits.insert(Key(index.row(), index.column()), text);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags ExportGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_columns.at(index.column()).editable)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant ExportGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_columns.at(section).header;
    return {};
}
