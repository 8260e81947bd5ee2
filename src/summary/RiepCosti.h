#pragma once
// The takings summary: the receipts of the chosen interval that pass the filters, one fixed-width
// row each, with the total of their amounts; find in the list, print and guide. Created by the
// criteria window for one use, shown modally and destroyed when it closes.
#include "report/ReportTemplate.h"
#include "summary/Takings.h"
#include "ui_RiepCosti.h"
#include <QDialog>
#include <optional>

class Carvenna;
class SummaryRowsModel;
class TfrmMenuRiepCosti;

class TfrmRiepCosti : public QDialog {
    Q_OBJECT
public:
    /// `criteria` supplies the filters and the interval when the window is shown.
    TfrmRiepCosti(Carvenna& app, TfrmMenuRiepCosti& criteria);
    ~TfrmRiepCosti() override;
    Ui::TfrmRiepCosti ui;

    /// The rows shown, in list order.
    SummaryRows Rows() const;
    /// The template of the last print, as filled (tests read it back).
    const report::ReportTemplate* Template() const { return m_report ? &*m_report : nullptr; }

    /// The guide's title and text.
    static QString GuideTitle();
    static QString GuideText();

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private slots:
    void FormShow();
    void btnTrovaClick();
    void btnStampaClick();
    void imgGuidaClick();
    void btnEsportaComeClick();

private:
    void FormClose();
    /// The warning of a listing that stopped on an unreadable receipt.
    QString IncompleteWarning() const;
    Carvenna& m_app;
    TfrmMenuRiepCosti& m_criteria;
    SummaryRowsModel* m_rows;
    TakingsSummary m_summary;
    bool m_listed = false; // the listing ran to the end of the file
    std::optional<report::ReportTemplate> m_report;
};
