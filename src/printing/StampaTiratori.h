#pragma once
// The registry card print window: confirms, then prints the card shown in the registry editor.
#include "printing/CardPrintDialog.h"
#include "ui_StampaTiratori.h"

class TfrmStampaTiratori : public CardPrintDialog {
    Q_OBJECT
public:
    /// `editor` is the registry editor whose card is printed.
    explicit TfrmStampaTiratori(Carvenna& app, QWidget* editor);
    Ui::TfrmStampaTiratori ui;
};
