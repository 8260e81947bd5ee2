#include "printing/ReceiptPrint.h"
#include "app/Carvenna.h"
#include "printing/Printing.h"
#include "printing/ReceiptBatchPrint.h"
#include "receipts/Ricevuta.h"
#include "report/PreparedReport.h"
#include "report/ReportPainter.h"
#include "storage/Journal.h"
#include "storage/ReceiptFile.h"
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
    // The screen's receipt fills the template as a stored one does: one rule for both prints.
    return FillReceiptRecord(rep, TfrmRicevuta::RecordFrom(e), logo, error);
}

QString DuplicateMarkText() {
    return QStringLiteral("DUPLICATO");
}

QString PrintNotNoted() {
    return QStringLiteral("Attenzione: la ricevuta è stata stampata, ma non è stato possibile registrare la stampa "
                          "nello storico: una nuova stampa non sarà segnata come duplicato.");
}

QString PrintsNotNoted() {
    return QStringLiteral("Attenzione: le ricevute sono state stampate, ma non è stato possibile registrare la stampa "
                          "nello storico: una nuova stampa non sarà segnata come duplicato.");
}

bool MarkReceiptDuplicate(report::ReportTemplate& rep, bool duplicate, QString* error) {
    const QString text = duplicate ? DuplicateMarkText() : QString();
    return rep.SetText(QStringLiteral("txtDuplicato"), text, error) &&
           rep.SetText(QStringLiteral("txtDuplicato_B"), text, error);
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
    // The receipt as it prints: the print journal knows it by its position and these texts.
    qint64 position = 0;
    QString folder, year;
    QByteArray bytes;
    if (page && app.ricevuta()) {
        const Ui::TfrmRicevuta& e = app.ricevuta()->ui;
        position = TrimText(e.lblPosizione->text()).toLongLong();
        const QFileInfo archive(e.lblFile->text());
        folder = archive.absolutePath();
        year = archive.completeBaseName();
        app.ricevuta()->RecordFromScreen().Encode(bytes);
        const bool duplicate = position > 0 && PrintJournal::WasPrinted(folder, year, position, bytes);
        page->SetOrientation(report::Orientation::Portrait);
        rep->fileName = ReceiptPdfName(e);
        if (FillReceipt(*rep, e, logo, &error) && MarkReceiptDuplicate(*rep, duplicate, &error) && rep->Prepare(&error))
            result = preview ? app.printing().Preview(rep->Prepared(), window, &error)
                             : app.printing().Print(rep->Prepared(), window, &error);
    }
    if (result == Printing::Result::Failed)
        app.messages().Warning(ReceiptPrintWarning(), window);
    const bool printed = result == Printing::Result::Printed || (result == Printing::Result::Done && !preview);
    if (printed && position > 0 &&
        !PrintJournal::Note(folder, year, position, bytes, {app.clock().Now(), WorkstationName(), CurrentUserName()}))
        app.messages().Warning(PrintNotNoted(), window);
}
