#pragma once
// Checks the check digit of an Italian VAT number and names the office that issued it. Opened by
// the editors' check button with the number already in txtPartitaIva; it never changes data.
#include "ui_PartitaIva.h"
#include <QDialog>

class Carvenna;
class QKeyEvent;

class TfrmPartitaIva : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPartitaIva(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmPartitaIva ui;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void FormShow();
    void btnControllaClick();

private:
    bool txtPartitaIvaKeyDown(QKeyEvent* key);
    Carvenna& m_app;
};
