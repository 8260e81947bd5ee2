#pragma once
// The password change window: old password, new password twice.
#include "ui_CambiaPassword.h"
#include <QWidget>

class Carvenna;

class TfrmCambiaPassword : public QWidget {
    Q_OBJECT
public:
    explicit TfrmCambiaPassword(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmCambiaPassword ui;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void FormShow();
    void FieldChange();
    void cmdOKClick();
    void cmdEsciClick();

private:
    Carvenna& m_app;
};
