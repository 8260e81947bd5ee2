#pragma once
// Checks the check letter of an Italian tax code. Opened by the editors' check button with the
// code already in txtCodFisc; it only informs and never changes data.
#include "ui_CodFisc.h"
#include <QDialog>

class Carvenna;
class QKeyEvent;

class TfrmCodFisc : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCodFisc(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmCodFisc ui;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void FormShow();
    void txtCodFiscChange();
    void btnControllaClick();

private:
    bool txtCodFiscKeyDown(QKeyEvent* key);
    Carvenna& m_app;
};
