#pragma once
// The registry card preview window: confirms, then shows the card of the registry editor as it will print.
#include "printing/CardPrintDialog.h"
#include "ui_AnteprimaTiratori.h"

class TfrmAnteprimaTiratori : public CardPrintDialog {
    Q_OBJECT
public:
    /// `editor` is the registry editor whose card is printed.
    explicit TfrmAnteprimaTiratori(Carvenna& app, QWidget* editor);
    Ui::TfrmAnteprimaTiratori ui;
};
