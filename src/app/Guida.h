#pragma once
// The guide window: every work area opens it with a title and a text of its own.
#include "ui_Guida.h"
#include <QDialog>

class Carvenna;
class Link;

class TfrmGuida : public QDialog {
    Q_OBJECT
public:
    explicit TfrmGuida(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmGuida ui;

    /// Puts the title into lblTitolo and the text into txtGuida, its "\r\n" pairs as line breaks.
    void SetGuide(const QString& title, const QString& text);

private slots:
    void lnkWebClick();
    void btnChiudiClick();

private:
    Carvenna& m_app;
    Link* m_link;
};
