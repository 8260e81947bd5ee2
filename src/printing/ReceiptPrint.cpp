#include "printing/ReceiptPrint.h"
#include "app/Carvenna.h"
#include "app/Printing.h"
#include "registry/ChildTaxCodes.h"
#include "report/PreparedReport.h"
#include "report/ReportPainter.h"
#include "storage/PrintJournal.h"
#include "storage/ReceiptFile.h"
#include "storage/Text.h"
#include <QFileInfo>

QString ReceiptPrintWarning() {
    return QStringLiteral("Attenzione: la visualizzazione dell'anteprima di stampa non è andata a buon fine.\n\r\n\r"
                          "Accertarsi che la stampante sia configurata correttamente.");
}

QString PrintNotNoted() {
    return QStringLiteral("Attenzione: la ricevuta è stata stampata, ma non è stato possibile registrare la stampa "
                          "nello storico: una nuova stampa non sarà segnata come duplicato.");
}

QString PrintsNotNoted() {
    return QStringLiteral("Attenzione: le ricevute sono state stampate, ma non è stato possibile registrare la stampa "
                          "nello storico: una nuova stampa non sarà segnata come duplicato.");
}

QString ReceiptPdfName(const QString& numberText, const QString& yearFile) {
    QString number = TrimText(numberText);
    bool digits = false;
    number.toLongLong(&digits);
    if (digits)
        number = number.rightJustified(5, u'0'); // files of one year sort in receipt order
    return report::PdfFileName({QStringLiteral("Ricevuta"), QFileInfo(yearFile).completeBaseName(), number});
}

void RunReceiptPrint(Carvenna& app, report::ReportTemplate* rep, const QImage& logo, bool preview, QWidget* window) {
    QString error;
    Printing::Result result = Printing::Result::Failed;
    report::ReportPage* page = rep ? rep->Page(1, &error) : nullptr;
    // The receipt as it prints: the print journal knows it by its position and these texts.
    qint64 position = 0;
    QString folder, year;
    QByteArray bytes;
    const std::optional<ShownReceipt> shown = app.ReceiptOnScreen();
    if (page && shown) {
        position = shown->position;
        const QFileInfo archive(shown->yearFile);
        folder = archive.absolutePath();
        year = archive.completeBaseName();
        shown->record.Encode(bytes);
        const bool duplicate = position > 0 && PrintJournal::WasPrinted(folder, year, position, bytes);
        page->SetOrientation(report::Orientation::Portrait);
        rep->fileName = ReceiptPdfName(shown->record.NumRic, shown->yearFile);
        // The screen's receipt fills the template as a stored one does: one rule for both prints.
        // The child's tax code kept beside the registry; when it cannot be read the name prints alone.
        ChildCodeIndex codes;
        codes.Load(app.ProgramFolder());
        const QString childCode = codes.Of(shown->record.CodFisc, shown->record.Praticante);
        if (FillReceiptRecord(*rep, shown->record, logo, &error, childCode) &&
            MarkReceiptDuplicate(*rep, duplicate, &error) &&
            rep->Prepare(&error))
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
