#pragma once
// The receipt print window: confirms, then prints the receipt shown in the editor, both copies on one sheet.
#include "printing/ReceiptPrintDialog.h"
#include "ui_StampaRic.h"

class TfrmStampaRic : public ReceiptPrintDialog {
    Q_OBJECT
public:
    explicit TfrmStampaRic(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmStampaRic ui;

    /// The subject of the receipt's e-mail: "Ricevuta n. <number> del <date>".
    static QString MailSubject(const QString& number, const QString& date);

private:
    /// "Invia per e-mail": the receipt's PDF to the payer, through the desktop's mail program.
    void btnEmailClick();
};
