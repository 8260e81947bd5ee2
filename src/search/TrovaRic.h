#pragma once
// Receipt search: finds receipts of the year open in the receipt editor by up to ten criteria and
// hands the chosen one's position back to the editor, which loads it.
#include "search/FindWindow.h"

class TfrmTrovaRic : public FindWindow {
    Q_OBJECT
public:
    explicit TfrmTrovaRic(Carvenna& app, QWidget* parent = nullptr);

protected:
    bool Search(const QVector<QString>& criteria, RecordList& found) override;
    QString FoundText(int count) const override;
};
