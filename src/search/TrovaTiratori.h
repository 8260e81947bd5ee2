#pragma once
// Registry search: finds cards by up to ten criteria, lists them alphabetically, and on a double-click
// shows the card in the registry editor ("tiratori") or copies payer and child into the receipt
// being edited ("ricevuta").
#include "search/ListWindow.h"

class TfrmTrovaTiratori : public ListWindow {
    Q_OBJECT
public:
    explicit TfrmTrovaTiratori(Carvenna& app, QWidget* parent = nullptr);
    CriteriaPanel* panAvvio;
    QLabel* lblTrovate;

protected:
    void showEvent(QShowEvent* e) override;
    void LoadRecord(qint64 position) override;

private slots:
    void FormShow();
    void btnCercaClick();
};

/// Reads card `position` (1-based) of the registry and shows it in the registry editor with its number
/// and photo. False when the card cannot be read (the editor is then left as it was).
bool ShowCardInRegistry(Carvenna& app, qint64 position);
