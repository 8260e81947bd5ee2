#pragma once
// Exports every card of the registry to Archivio_Anagrafico.xls.
#include "export/ExportWindow.h"
#include "ui_ExpTiratori.h"

class TfrmExpTiratori : public ExportWindow {
    Q_OBJECT
public:
    explicit TfrmExpTiratori(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmExpTiratori ui;

    static QString GuideText();

protected:
    GridLoad LoadGrid(const GridLoadProgress& progress) override;
};
