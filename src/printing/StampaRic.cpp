#include "printing/StampaRic.h"
#include "app/Carvenna.h"
#include "printing/MailDocument.h"
#include "printing/ReceiptPrint.h"
#include "receipts/Ricevuta.h"
#include "report/ReportPainter.h"
#include "storage/Text.h"

TfrmStampaRic::TfrmStampaRic(Carvenna& app, QWidget* parent) : ReceiptPrintDialog(app, parent, false) {
    ui.setupUi(this);
    Setup(ui.shpSfondo, ui.imgLogo01, QStringLiteral(":/printing/art/stampa.svg"), ui.imgTemp, ui.imgLogo,
          ui.btnAnnulla, ui.btnStampa);
    connect(ui.btnEmail, &QPushButton::clicked, this, &TfrmStampaRic::btnEmailClick);
}

QString TfrmStampaRic::MailSubject(const QString& number, const QString& date) {
    return QStringLiteral("Ricevuta n. %1 del %2").arg(TrimText(number), TrimText(date));
}

void TfrmStampaRic::btnEmailClick() {
    // The receipt is filled as the print fills it, from the editor's controls as they stand.
    TfrmRicevuta* editor = m_app.ricevuta();
    report::ReportTemplate* rep = repDocumento();
    QString error;
    report::ReportPage* page = rep ? rep->Page(1, &error) : nullptr;
    if (!page || !editor) {
        m_app.messages().Warning(ReceiptPrintWarning(), this);
        return;
    }
    page->SetOrientation(report::Orientation::Portrait);
    rep->fileName = ReceiptPdfName(editor->ui);
    if (!FillReceipt(*rep, editor->ui, ui.imgLogo->pixmap().toImage(), &error) || !rep->Prepare(&error)) {
        m_app.messages().Warning(ReceiptPrintWarning(), this);
        return;
    }
    const Ui::TfrmRicevuta& e = editor->ui;
    const QString number = TrimText(e.txtNumRic->text()), date = TrimText(e.txtData->text());
    const QString reason = TrimText(e.txtSport->text());
    const QString school = TrimText(e.txtRicevente01->text());
    QString body = QStringLiteral("Gentile %1,\n\nin allegato la ricevuta n. %2 del %3")
                       .arg(TrimText(e.txtPagatore->text()), number, date);
    if (!reason.isEmpty())
        body += QStringLiteral(" per: %1").arg(reason);
    body += QStringLiteral(".\n\nCordiali saluti");
    if (!school.isEmpty())
        body += QStringLiteral("\n") + school;
    // Once the mail program has the message the window's work is done; otherwise it stays, so that the
    // receipt can still be printed.
    if (MailDocument(m_app, this, rep->Prepared(), {TrimText(e.txtCodFisc->text()), MailSubject(number, date), body}))
        accept();
}
