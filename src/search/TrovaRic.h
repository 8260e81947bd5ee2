#pragma once
// Receipt search: finds receipts of the year open in the receipt editor by up to ten criteria and
// loads a chosen one into the editor.
#include "search/ListWindow.h"

class TfrmTrovaRic : public ListWindow {
    Q_OBJECT
public:
    explicit TfrmTrovaRic(Carvenna& app, QWidget* parent = nullptr);
    CriteriaPanel* panAvvio;
    QLabel* lblTrovate;

protected:
    void showEvent(QShowEvent* e) override;
    void LoadRecord(qint64 position) override;

private slots:
    void FormShow();
    void btnCercaClick();
};
