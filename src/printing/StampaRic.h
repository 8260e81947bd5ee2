#pragma once
// The receipt print window: confirms, then prints the receipt shown in the editor, both copies on one sheet.
#include "printing/ReceiptPrintDialog.h"
#include "ui_StampaRic.h"

class TfrmStampaRic : public ReceiptPrintDialog {
    Q_OBJECT
public:
    explicit TfrmStampaRic(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmStampaRic ui;
};
