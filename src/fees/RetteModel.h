#pragma once
// The month's list as a table: a tick, parent, tax code, child, fee (editable), payment method and
// state. Lines that cannot be issued show in red with the reason; a tax code that fails its check
// carries a warning sign.
#include "fees/MonthFees.h"
#include <QAbstractTableModel>

class RetteModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColTick, ColParent, ColCode, ColChild, ColFee, ColMethod, ColState, ColumnCount };
    using QAbstractTableModel::QAbstractTableModel;

    void SetLines(QVector<fees::FeeLine> lines);
    const QVector<fees::FeeLine>& Lines() const { return m_lines; }
    QVector<fees::FeeLine>& MutableLines() { return m_lines; }
    /// Tells the views that every line may have changed (after issuing).
    void Refresh();
    /// Ticks or unticks `row`; a line that cannot be issued stays unticked.
    void Toggle(int row);
    /// Indexes of the ticked lines in `state`.
    QVector<int> Ticked(fees::LineState state) const;
    /// The ticked lines that can be issued: to issue, or paid in part.
    QVector<int> TickedIssuable() const;
    /// The state column's text of a line.
    static QString StateText(const fees::FeeLine& line);
    /// The text of `column` for `line` as the table shows it (what "Trova" searches in).
    static QString Cell(const fees::FeeLine& line, int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    /// The ticks or the fees changed: the window's totals need counting again.
    void linesChanged();

private:
    void RowChanged(int row);
    QVector<fees::FeeLine> m_lines;
};
