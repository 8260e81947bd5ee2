#pragma once
// "Addebiti SDD": from "Rette del mese", the ticked lines still due whose payer has a mandate, as one
// direct-debit file for the bank on a chosen due date; the lines without a mandate are listed as left
// out. Writes SDD/SDD_<anno>_<mm>_<n>.xml and prints the list of the debits.
#include "fees/MonthFees.h"
#include "payments/SddFile.h"
#include "report/ReportTemplate.h"
#include <QDialog>
#include <optional>

class Carvenna;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QStringListModel;
class QTableView;
class SddPlanModel;

class TfrmAddebitiSdd : public QDialog {
    Q_OBJECT
public:
    TfrmAddebitiSdd(Carvenna& app, const QVector<fees::FeeLine>& lines, const QVector<int>& ticked,
                    const fees::FeeMonth& month, QWidget* parent = nullptr);
    ~TfrmAddebitiSdd() override;

    QLabel* titAddebiti;
    QLineEdit* txtScadenza;
    QLabel* lblFormato;
    QTableView* grdAddebiti;
    QListView* lstEscluse;
    QLabel* lblTotale;
    QPushButton* btnScadenza; ///< the date picker for the due date
    QListView* lstFile;       ///< the month's files in the register, with their state
    QPushButton* btnRitira;   ///< withdraws the selected file, not yet given to the bank
    QPushButton* btnCrea;
    QPushButton* btnStampa;
    QPushButton* btnChiudi;

    const payments::SddPlan& Plan() const { return m_plan; }
    /// The file written by the last "Crea file SDD" (empty before).
    QString WrittenFile() const { return m_written; }

private slots:
    void btnScadenzaClick();
    void btnCreaClick();
    void btnStampaClick();
    void btnRitiraClick();

private:
    void Replan();
    void ShowFiles();
    Carvenna& m_app;
    QVector<fees::FeeLine> m_lines;
    QVector<int> m_ticked;
    fees::FeeMonth m_month;
    payments::SddPlan m_plan;
    SddPlanModel* m_model;
    QStringListModel* m_leftOut;
    QStringListModel* m_files;
    QStringList m_fileNames; // the register's names, one per line of lstFile
    QString m_written;
    std::optional<report::ReportTemplate> frxReport;
};
