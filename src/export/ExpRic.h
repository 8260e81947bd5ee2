#pragma once
// Exports the receipts of the year open in the receipt editor to Ricevute.xls.
#include "export/ExportWindow.h"
#include "ui_ExpRic.h"

class TfrmExpRic : public ExportWindow {
    Q_OBJECT
public:
    explicit TfrmExpRic(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmExpRic ui;

    static QString GuideText();

protected:
    GridLoad LoadGrid(const GridLoadProgress& progress) override;
};
