#pragma once
// Registry search: finds cards by up to ten criteria, lists them alphabetically, and on a double-click
// hands the card's position back to the editor that opened it: the registry editor ("tiratori") shows
// the card, the receipt editor ("ricevuta") copies its payer and child.
#include "search/FindWindow.h"

class TfrmTrovaTiratori : public FindWindow {
    Q_OBJECT
public:
    explicit TfrmTrovaTiratori(Carvenna& app, QWidget* parent = nullptr);

protected:
    bool Search(const QVector<QString>& criteria, RecordList& found) override;
    QString FoundText(int count) const override;
};
