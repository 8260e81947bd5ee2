#pragma once
// The receipt preview window: confirms, then shows the receipt of the editor as it will be printed.
#include "report/ReportTemplate.h"
#include "ui_AnteprimaRic.h"
#include <QDialog>
#include <optional>

class Carvenna;

class TfrmAnteprimaRic : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAnteprimaRic(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmAnteprimaRic ui;
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
