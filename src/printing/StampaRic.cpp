#include "printing/StampaRic.h"
#include "app/Carvenna.h"
#include "printing/MailDocument.h"
#include "registry/ChildTaxCodes.h"
#include "printing/ReceiptPrint.h"
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
    const std::optional<ShownReceipt> shown = m_app.ReceiptOnScreen();
    report::ReportTemplate* rep = repDocumento();
    QString error;
    report::ReportPage* page = rep ? rep->Page(1, &error) : nullptr;
    if (!page || !shown) {
        m_app.messages().Warning(ReceiptPrintWarning(), this);
        return;
    }
    const ReceiptRecord& e = shown->record;
    page->SetOrientation(report::Orientation::Portrait);
    rep->fileName = ReceiptPdfName(e.NumRic, shown->yearFile);
    ChildCodeIndex codes;
    codes.Load(m_app.ProgramFolder());
    if (!FillReceiptRecord(*rep, e, ui.imgLogo->pixmap().toImage(), &error, codes.Of(e.CodFisc, e.Praticante)) ||
        !rep->Prepare(&error)) {
        m_app.messages().Warning(ReceiptPrintWarning(), this);
        return;
    }
    const QString number = TrimText(e.NumRic), date = TrimText(e.Data);
    const QString reason = TrimText(e.Sport);
    const QString school = TrimText(e.Ricevente01);
    QString body = QStringLiteral("Gentile %1,\n\nin allegato la ricevuta n. %2 del %3")
                       .arg(TrimText(e.Pagatore), number, date);
    if (!reason.isEmpty())
        body += QStringLiteral(" per: %1").arg(reason);
    body += QStringLiteral(".\n\nCordiali saluti");
    if (!school.isEmpty())
        body += QStringLiteral("\n") + school;
    // Once the mail program has the message the window's work is done; otherwise it stays, so that the
    // receipt can still be printed.
    if (MailDocument(m_app, this, rep->Prepared(), {TrimText(e.CodFisc), MailSubject(number, date), body}))
        accept();
}
