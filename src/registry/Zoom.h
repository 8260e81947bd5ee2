#pragma once
// The photo of a registry card on the whole screen; a click on it closes the window.
#include "ui_Zoom.h"
#include <QDialog>

class TfrmZoom : public QDialog {
    Q_OBJECT
public:
    explicit TfrmZoom(QWidget* parent = nullptr);
    Ui::TfrmZoom ui;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FormShow();
};
