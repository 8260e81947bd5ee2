#pragma once
// The receipt preview window: confirms, then shows the receipt of the editor as it will be printed.
#include "printing/ReceiptPrintDialog.h"
#include "ui_AnteprimaRic.h"

class TfrmAnteprimaRic : public ReceiptPrintDialog {
    Q_OBJECT
public:
    explicit TfrmAnteprimaRic(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmAnteprimaRic ui;
};
