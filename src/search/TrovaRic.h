#pragma once
// Receipt search: finds receipts of the year open in the receipt editor by up to ten criteria and
// hands the chosen one's position back to the editor, which loads it.
#include "search/ListWindow.h"

class TfrmTrovaRic : public ListWindow {
    Q_OBJECT
public:
    explicit TfrmTrovaRic(Carvenna& app, QWidget* parent = nullptr);
    CriteriaPanel* panAvvio;
    QLabel* lblTrovate;

protected:
    void showEvent(QShowEvent* e) override;

private slots:
    void FormShow();
    void btnCercaClick();
};
