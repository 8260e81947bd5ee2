#include "fees/RetteModel.h"
#include "storage/Text.h"
#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QStyle>

using namespace fees;

void RetteModel::SetLines(QVector<FeeLine> lines) {
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
    emit linesChanged();
}

void RetteModel::Refresh() {
    if (!m_lines.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
    emit linesChanged();
}

void RetteModel::RowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    emit linesChanged();
}

void RetteModel::Toggle(int row) {
    if (row < 0 || row >= m_lines.size())
        return;
    FeeLine& l = m_lines[row];
    if (l.state == LineState::Blocked && !l.ticked)
        return;
    l.ticked = !l.ticked;
    RowChanged(row);
}

QVector<int> RetteModel::Ticked(LineState state) const {
    QVector<int> which;
    for (int i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].ticked && m_lines[i].state == state)
            which << i;
    return which;
}

QVector<int> RetteModel::TickedIssuable() const {
    QVector<int> which;
    for (int i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].ticked && Issuable(m_lines[i]))
            which << i;
    return which;
}

QString RetteModel::StateText(const FeeLine& l) {
    if (l.state == LineState::Blocked)
        return QStringLiteral("Non emettibile: ") + l.reason;
    return l.stateText; // the month rule's words: to issue, paid in part, paid by which receipts
}

QString RetteModel::Cell(const FeeLine& l, int column) {
    switch (column) {
    case ColParent:
        return l.parent;
    case ColCode:
        return l.taxCode;
    case ColChild:
        return l.child;
    case ColFee:
        return l.fee;
    case ColMethod:
        return l.method;
    case ColState:
        return StateText(l);
    default:
        return {};
    }
}

int RetteModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_lines.size());
}

int RetteModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RetteModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    const FeeLine& l = m_lines[index.row()];
    const int c = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return Cell(l, c);
    case Qt::CheckStateRole:
        if (c == ColTick)
            return l.ticked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::ForegroundRole:
        if (l.state == LineState::Blocked)
            return QBrush(QColor(Qt::red));
        if (l.state == LineState::Paid)
            return QBrush(QColor(Qt::darkGreen));
        if (l.state == LineState::Partial)
            return QBrush(QColor(0xB0, 0x60, 0x00));
        if (l.state == LineState::InDebit)
            return QBrush(QColor(0x1F, 0x4E, 0xA8)); // asked of the bank: blue, neither owed nor paid
        return {};
    case Qt::DecorationRole:
        if (c == ColCode && l.taxCodeWarning)
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        return {};
    case Qt::ToolTipRole:
        if (c == ColCode && l.taxCodeWarning)
            return QStringLiteral("Il codice fiscale non supera il controllo: verificarlo nella scheda.");
        if (c == ColState)
            return StateText(l);
        return {};
    case Qt::TextAlignmentRole:
        if (c == ColFee)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

bool RetteModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= m_lines.size())
        return false;
    FeeLine& l = m_lines[index.row()];
    if (index.column() == ColTick && role == Qt::CheckStateRole) {
        const bool on = value.toInt() == Qt::Checked;
        if (on == l.ticked || (on && l.state == LineState::Blocked))
            return false;
        l.ticked = on;
        RowChanged(index.row());
        return true;
    }
    if (index.column() == ColFee && role == Qt::EditRole && l.state != LineState::Paid) {
        const bool wasBlocked = l.state == LineState::Blocked;
        l.fee = TrimText(value.toString());
        Assess(l);
        if (wasBlocked && Issuable(l))
            l.ticked = true; // a fee put right makes the line one to issue
        RowChanged(index.row());
        return true;
    }
    return false;
}

Qt::ItemFlags RetteModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const FeeLine& l = m_lines[index.row()];
    if (index.column() == ColTick && l.state != LineState::Blocked)
        f |= Qt::ItemIsUserCheckable;
    if (index.column() == ColFee && l.state != LineState::Paid)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant RetteModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const headers[] = {"",        "Genitore",           "Codice fiscale", "Minore",
                                          "Quota €", "Modalità pagamento", "Stato"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(headers[section]) : QVariant();
}
