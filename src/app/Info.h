#pragma once
// The information window of the start menu: logo and the maker's e-mail address.
#include "ui_Info.h"
#include <QDialog>

class Carvenna;
class Link;

class TfrmInfo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInfo(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmInfo ui;

private slots:
    void lnkWebClick();
    void btnChiudiClick();

private:
    Carvenna& m_app;
    Link* m_link;
};
