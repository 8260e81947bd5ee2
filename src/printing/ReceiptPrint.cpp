#include "printing/ReceiptPrint.h"
#include "app/Carvenna.h"
#include "printing/Printing.h"
#include "receipts/Ricevuta.h"
#include "report/PreparedReport.h"
#include "report/ReportPainter.h"
#include "storage/Text.h"
#include <QFileInfo>
#include <QImageReader>

QString ReceiptPrintWarning() {
    return QStringLiteral("Attenzione: la visualizzazione dell'anteprima di stampa non è andata a buon fine.\n\r\n\r"
                          "Accertarsi che la stampante sia configurata correttamente.");
}

std::optional<report::ReportTemplate> LoadReceiptTemplate(QString* error) {
    return report::ReportTemplate::Load(QStringLiteral(":/printing/templates/receipt.json"), error);
}

QImage ReadLogo(const QString& path) {
    QImageReader reader(path);
    return reader.read();
}

bool FillReceipt(report::ReportTemplate& rep, const Ui::TfrmRicevuta& e, const QImage& logo, QString* error) {
    auto t = [](const QString& s) { return TrimText(s); };
    // Memo name and value, in the order the copy is filled after its logo.
    const QList<QPair<const char*, QString>> memos = {
        {"txtNumRic", QStringLiteral("Ricevuta n. ") + t(e.txtNumRic->text())},
        {"txtData", QStringLiteral("Data:  ") + t(e.txtData->text())},
        {"txtRicevente01", t(e.txtRicevente01->text())},
        {"txtRicevente02", t(e.txtRicevente02->text())},
        {"txtRicevente03", t(e.txtRicevente03->text())},
        {"txtRicevente04", t(e.txtRicevente04->text())},
        {"txtPagatore", t(e.txtPagatore->text())},
        {"txtCodFisc", t(e.txtCodFisc->text())},
        {"txtSport", t(e.txtSport->text())},
        {"txtDal", t(e.txtDal->text())},
        {"txtAl", t(e.txtAl->text())},
        {"txtPraticante", t(e.txtPraticante->text())},
        {"txtLuogoNasc", t(e.txtLuogoNasc->text())},
        {"txtDataNasc", t(e.txtDataNasc->text())},
        {"txtIndirizzo", t(e.txtIndirizzo->text())},
        {"txtImpLettere", t(e.txtImpLettere->text()) + QLatin1Char('/') + t(e.txtCentLettere->text())},
        {"txtImporto", t(e.txtImporto->text())},
        {"txtCents", t(e.txtCents->text())},
    };
    for (const QString& suffix : {QString(), QStringLiteral("_B")}) {
        if (!rep.SetPicture(QStringLiteral("imgLogo") + suffix, logo, error))
            return false;
        for (const auto& m : memos)
            if (!rep.SetText(QLatin1String(m.first) + suffix, m.second, error))
                return false;
    }
    return true;
}

QString ReceiptPdfName(const Ui::TfrmRicevuta& e) {
    QString number = TrimText(e.txtNumRic->text());
    bool digits = false;
    number.toLongLong(&digits);
    if (digits)
        number = number.rightJustified(5, u'0'); // files of one year sort in receipt order
    return report::PdfFileName({QStringLiteral("Ricevuta"), QFileInfo(e.lblFile->text()).completeBaseName(), number});
}

void RunReceiptPrint(Carvenna& app, report::ReportTemplate* rep, const QImage& logo, bool preview, QWidget* window) {
    QString error;
    Printing::Result result = Printing::Result::Failed;
    report::ReportPage* page = rep ? rep->Page(1, &error) : nullptr;
    if (page && app.ricevuta()) {
        page->SetOrientation(report::Orientation::Portrait);
        rep->fileName = ReceiptPdfName(app.ricevuta()->ui);
        if (FillReceipt(*rep, app.ricevuta()->ui, logo, &error) && rep->Prepare(&error))
            result = preview ? app.printing().Preview(rep->Prepared(), window, &error)
                             : app.printing().Print(rep->Prepared(), window, &error);
    }
    if (result == Printing::Result::Failed)
        app.messages().Warning(ReceiptPrintWarning(), window);
}
