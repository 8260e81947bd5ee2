#include "export/ExportGrid.h"
#include "storage/FixedField.h"
#include "storage/Text.h"
#include <QVarLengthArray>
#include <cstring>

ExportGridModel::ExportGridModel(QVector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns)), m_dataColumns(int(m_columns.size()) - 1) {}

QVector<ExportColumn> ExportGridModel::ExportColumns() const {
    QVector<ExportColumn> out;
    for (int c = 1; c < m_columns.size(); ++c)
        out.push_back({m_columns[c].exportHeader, m_columns[c].exportWidth});
    return out;
}

QVector<XlsxColumn> ExportGridModel::XlsxColumns() const {
    QVector<XlsxColumn> out;
    for (int c = 1; c < m_columns.size(); ++c)
        out.push_back({m_columns[c].exportHeader, m_columns[c].exportWidth, m_columns[c].kind});
    return out;
}

void ExportGridModel::BeginLoad(qint64 expectedRows) {
    beginResetModel();
    m_bytes.clear();
    m_ends.clear();
    m_edits.clear();
    m_loaded = 0;
    const qint64 cells = qMax<qint64>(0, expectedRows) * m_dataColumns;
    m_ends.reserve(cells);
    m_bytes.reserve(cells * 16); // a guess at the average text; it grows past it if need be
}

void ExportGridModel::AppendStored(const char* record, const QVector<FieldSpec>& layout, const int* fields) {
    // The row's texts are measured first, so that each array grows once a row and not once a cell.
    QVarLengthArray<std::pair<int, int>, 32> text(m_dataColumns);
    qsizetype length = 0;
    for (int c = 0; c < m_dataColumns; ++c) {
        const FieldSpec& f = layout[fields[c]];
        text[c] = StoredTextRange(record + f.offset, f.width);
        length += text[c].second - text[c].first;
    }
    qsizetype end = m_bytes.size();
    m_bytes.resize(end + length);
    const qsizetype firstCell = m_ends.size();
    m_ends.resize(firstCell + m_dataColumns);
    char* bytes = m_bytes.data();
    qsizetype* ends = m_ends.data() + firstCell;
    for (int c = 0; c < m_dataColumns; ++c) {
        const int n = text[c].second - text[c].first;
        std::memcpy(bytes + end, record + layout[fields[c]].offset + 1 + text[c].first, size_t(n));
        end += n;
        ends[c] = end;
    }
    ++m_loaded;
}

void ExportGridModel::EndLoad() {
    endResetModel();
}

const QString* ExportGridModel::Edit(qint64 row, int column) const {
    if (m_edits.isEmpty())
        return nullptr;
    const auto it = m_edits.constFind(Key(row, column));
    return it == m_edits.constEnd() ? nullptr : &*it;
}

QByteArrayView ExportGridModel::Stored(qint64 row, int column) const {
    const qsizetype cell = row * m_dataColumns + column - 1;
    const qsizetype begin = cell == 0 ? 0 : m_ends.at(cell - 1);
    return QByteArrayView(m_bytes).sliced(begin, m_ends.at(cell) - begin);
}

QString ExportGridModel::Cell(qint64 row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column > m_dataColumns)
        return {};
    if (const QString* edit = Edit(row, column))
        return *edit;
    if (row >= m_loaded)
        return {}; // the empty rows of a grid that loaded nothing
    if (column == 0)
        return QString::number(row + 1);
    const QByteArrayView b = Stored(row, column);
    return FromWin1252(b.data(), int(b.size()));
}

void ExportGridModel::AppendExportCell(ByteWriter& out, qint64 row, int column) const {
    ++column; // counted from the first exported column
    if (row < 0 || row >= rowCount() || column < 1 || column > m_dataColumns)
        return;
    if (const QString* edit = Edit(row, column))
        AppendExportCellText(out, *edit);
    else if (row < m_loaded)
        AppendExportCellBytes(out, Stored(row, column));
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
