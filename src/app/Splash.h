#pragma once
// The splash window of the start menu: the large Carvenna picture and the maker's web site.
#include "ui_Splash.h"
#include <QDialog>

class Carvenna;
class Link;

class TfrmSplash : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSplash(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmSplash ui;

private slots:
    void lnkWebClick();
    void btnChiudiClick();

private:
    Carvenna& m_app;
    Link* m_link;
};
