#pragma once
// "Movimenti bancari": from "Rette del mese", reads the bank statement (camt.053 or the home-banking
// CSV/spreadsheet), proposes for every credit the child and months it pays, lets the office change any
// match, and issues the receipts of the accepted ones in one batch. Returned direct debits are listed
// with their reason; their months stay due.
#include "payments/PaymentMatch.h"
#include <QDialog>

class Carvenna;
class MovementsModel;
class QComboBox;
class QLabel;
class QListView;
class QPushButton;
class QStringListModel;
class QTableView;

class TfrmMovimentiBancari : public QDialog {
    Q_OBJECT
public:
    TfrmMovimentiBancari(Carvenna& app, int year, const fees::FeeMonth& month, QWidget* parent = nullptr);
    ~TfrmMovimentiBancari() override;

    QLabel* titMovimenti;
    QPushButton* btnApri;
    QLabel* lblFile;
    QComboBox* cmbColonna; // a column of a CSV statement
    QComboBox* cmbRuolo;   // what it holds
    QPushButton* btnColonna;
    QTableView* grdMovimenti;
    QComboBox* cmbScheda;
    QPushButton* btnAbbina;
    QListView* lstResi;
    QLabel* lblConteggio;
    QPushButton* btnEmetti;
    QPushButton* btnChiudi;

    /// Reads `path` as the statement (what "Apri estratto conto" does with the chosen file).
    bool LoadStatement(const QString& path);
    const QVector<payments::Proposal>& Proposals() const;
    const payments::StatementData& Data() const { return m_data; }

private slots:
    void grdMovimentiRowChanged();
    void btnApriClick();
    void btnColonnaClick();
    void btnAbbinaClick();
    void btnEmettiClick();

private:
    void Show(const payments::StatementData& data);
    void UpdateCount();
    Carvenna& m_app;
    int m_year;
    fees::FeeMonth m_month;
    QString m_path;
    CsvSheet m_sheet;
    QVector<payments::CsvRole> m_roles;
    payments::StatementData m_data;
    QVector<payments::DueCard> m_cards;
    MovementsModel* m_model;
    QStringListModel* m_returns;
};
