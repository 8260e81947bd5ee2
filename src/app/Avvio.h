#pragma once
// The start menu: three tiles open the work areas (registry, receipts, takings summary), the
// icons below open the information, guide and copyright windows, the web site, or end the program.
#include "ui_Avvio.h"
#include <QWidget>

class Carvenna;

class TfrmAvvio : public QWidget {
    Q_OBJECT
public:
    explicit TfrmAvvio(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmAvvio ui;

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private slots:
    void imgApp01Click();
    void imgApp02Click();
    void imgApp03Click();
    void imgInfoClick();
    void imgGuidaClick();
    void imgCopyrightClick();
    void imgSitoClick();
    void imgEsciClick();
    void imgCopieClick();

private:
    /// Shows a work area in place of the start menu; a work area not built yet leaves it as it is.
    void ShowWorkArea(QWidget* area);
    Carvenna& m_app;
};
