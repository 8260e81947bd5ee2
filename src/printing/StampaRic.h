#pragma once
// The receipt print window: confirms, then prints the receipt shown in the editor, both copies on one sheet.
#include "report/ReportTemplate.h"
#include "ui_StampaRic.h"
#include <QDialog>
#include <optional>

class Carvenna;

class TfrmStampaRic : public QDialog {
    Q_OBJECT
public:
    explicit TfrmStampaRic(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmStampaRic ui;
    /// The receipt template this window fills (repDocumento).
    report::ReportTemplate* repDocumento() { return m_rep ? &*m_rep : nullptr; }

protected:
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private slots:
    void FormShow();
    void btnStampaClick();

private:
    Carvenna& m_app;
    std::optional<report::ReportTemplate> m_rep;
};
