#pragma once
// The look and the behaviour shared by the small print and preview windows of the receipt and of the
// registry card: fixed size without title-bar buttons, steel-blue gradient, a white panel holding the
// explanatory picture, Annulla and the one action, centred on the editor that opened them.
#include <QDialog>

class Carvenna;
class QLabel;
class QPushButton;

class PrintWindow : public QDialog {
protected:
    PrintWindow(Carvenna& app, QWidget* parent);
    /// Wires the form's controls once setupUi has run.
    void Setup(QWidget* shpSfondo, QLabel* imgLogo01, const QString& picture, QPushButton* btnAnnulla,
               QPushButton* btnStampa);

    /// The editor the window is centred on (the screen when it is not visible).
    virtual QWidget* Editor() const = 0;
    /// Runs when the window is shown, after it is placed.
    virtual void FormShow() = 0;
    /// The action of btnStampa; the window closes afterwards.
    virtual void Run() = 0;

    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

    Carvenna& m_app;
};
