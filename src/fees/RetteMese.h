#pragma once
// "Rette del mese": the registry cards enrolled in a month of the year chosen in the receipts' year
// window, with who has paid it; issues the month's receipts in one go, prints them in one job, and
// prints or exports the cards not paid yet. Opened modally by the year window for one year.
#include "fees/MonthFees.h"
#include "report/ReportTemplate.h"
#include "storage/Lists.h"
#include <QDialog>
#include <optional>

class Carvenna;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class RetteModel;

class TfrmRetteMese : public QDialog {
    Q_OBJECT
public:
    /// `year`: the four digits typed in the year window.
    TfrmRetteMese(Carvenna& app, const QString& year, QWidget* parent);
    ~TfrmRetteMese() override;

    QLabel* titRette;
    QComboBox* txtMese;
    QLineEdit* txtData;
    QPushButton* btnData;
    QLineEdit* txtCausale;
    QLineEdit* txtCausaliRette; // the words that make a receipt's cause a fee cause
    QTableView* grdRette;
    QLineEdit* txtTrova;
    QPushButton* btnTrova;
    QLabel* lblConteggio;
    QPushButton* btnEmetti;
    QPushButton* btnStampa;
    QPushButton* btnNonPagate;
    QPushButton* btnEsporta;
    QPushButton* btnFatture;
    QPushButton* btnAddebitiSdd;
    QPushButton* btnMovimenti;
    QPushButton* btnChiudi;
    QLabel* lblFile;   // hidden: the yearly receipt file
    QLabel* lblMemory; // hidden: who opened the window

    RetteModel& Model() const { return *m_model; }
    fees::FeeMonth Month() const;
    /// Rette_non_pagate_<year>_<mm>.xls in the program folder.
    QString ExportPath() const;
    /// The 1-based positions of the receipts of the ticked paid lines, in list order.
    QVector<qint64> TickedReceipts() const;


protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void FormShow();
    void txtMeseChange();
    void txtCausaliRetteExit();
    void btnDataClick();
    void btnTrovaClick();
    void btnEmettiClick();
    void btnStampaClick();
    void btnNonPagateClick();
    void btnEsportaClick();
    void btnFattureClick();
    void btnAddebitiSddClick();
    void btnMovimentiClick();
    void UpdateCount();

private:
    void LoadList();
    QStringList FindLines() const;
    int CurrentRow() const;
    Carvenna& m_app;
    int m_year;
    RetteModel* m_model;
    fees::MonthList m_list; // outcome and counts of the last reading
    qint64 m_listedCount = 0;
    ListFinder m_finder;
    std::optional<report::ReportTemplate> frxReport;
};
