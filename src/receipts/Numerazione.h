#pragma once
// The numbering start of the receipts ("Numerazione Ricevute" / "Inizio" in the settings file).
// Opened by the receipt editor with lblMemory "ricevute".
#include "ui_Numerazione.h"
#include <QDialog>

class Carvenna;
class QKeyEvent;

class TfrmNumerazione : public QDialog {
    Q_OBJECT
public:
    explicit TfrmNumerazione(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmNumerazione ui;

    /// The value the start field keeps when it is left: empty, unreadable, or a lone, leading or
    /// trailing "," give "1"; a number is rounded to a whole number in plain decimal ("007" is "7").
    static QString NormalizeStart(const QString& text);

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void FormShow();
    void txtInizioExit();
    void btnApplicaClick();

private:
    bool txtInizioKeyDown(QKeyEvent* key);
    bool IsReceipts() const;
    Carvenna& m_app;
};
