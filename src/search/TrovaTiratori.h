#pragma once
// Registry search: finds cards by up to ten criteria, lists them alphabetically, and on a double-click
// hands the card's position back to the editor that opened it: the registry editor ("tiratori") shows
// the card, the receipt editor ("ricevuta") copies its payer and child.
#include "search/ListWindow.h"

class TfrmTrovaTiratori : public ListWindow {
    Q_OBJECT
public:
    explicit TfrmTrovaTiratori(Carvenna& app, QWidget* parent = nullptr);
    CriteriaPanel* panAvvio;
    QLabel* lblTrovate;

protected:
    void showEvent(QShowEvent* e) override;

private slots:
    void FormShow();
    void btnCercaClick();
};
