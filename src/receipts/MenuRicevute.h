#pragma once
// The receipts work area's year window: chooses the yearly archive the receipt editor works on.
// Single instance, shown maximised from the start menu; lblMemory says where closing leads
// ("avvio": back to the start menu, "ricevute": on to the receipt editor).
#include "ui_MenuRicevute.h"
#include <QWidget>

class Carvenna;
class QKeyEvent;

class TfrmMenuRicevute : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMenuRicevute(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmMenuRicevute ui;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void FormShow();
    void btnApriPreventiviClick();
    void btnRetteMeseClick();
    void imgGuidaClick();
    void btnDatiFiscaliClick();
    void btnFattureElettronicheClick();
    void btnBonusNidoClick();

private:
    bool txtAnnoPreventiviKeyDown(QKeyEvent* key);
    Carvenna& m_app;
};
