#include "printing/CardPrint.h"
#include "app/Carvenna.h"
#include "app/Printing.h"
#include "report/PreparedReport.h"
#include "report/ReportPainter.h"
#include "storage/Text.h"
#include <QLabel>
#include <QVariant>
#include <QWidget>
#include <QtMath>

QString CardPrintWarning(bool preview) {
    return preview ? QStringLiteral("Attenzione: la visualizzazione dell'anteprima di stampa non è andata a buon "
                                    "fine.\n\r\n\rSi consiglia di ridurre le dimensioni della foto.")
                   : QStringLiteral("Attenzione: la stampa non è andata a buon fine.\n\r\n\r"
                                    "Si consiglia di ridurre le dimensioni della foto.");
}

std::optional<report::ReportTemplate> LoadCardTemplate(QString* error) {
    return report::ReportTemplate::Load(QStringLiteral(":/printing/templates/card.json"), error);
}

const QStringList& CardFields() {
    static const QStringList fields = {
        QStringLiteral("txtTiratore"),     QStringLiteral("txtSesso"),     QStringLiteral("txtDataNasc"),
        QStringLiteral("txtCittadinanza"), QStringLiteral("txtLuogoNasc"), QStringLiteral("txtIndirizzo"),
        QStringLiteral("txtCitta"),        QStringLiteral("txtCap"),       QStringLiteral("txtNazione"),
        QStringLiteral("txtCodFisc"),      QStringLiteral("txtGruppo"),    QStringLiteral("txtProfessione"),
        QStringLiteral("txtStudio"),       QStringLiteral("txtEnte"),      QStringLiteral("txtEmail"),
        QStringLiteral("txtTel"),          QStringLiteral("txtCel"),       QStringLiteral("txtTessera"),
        QStringLiteral("txtQuota"),        QStringLiteral("txtInizioTes"), QStringLiteral("txtFineTes"),
        QStringLiteral("txtArmi"),         QStringLiteral("txtPorto"),     QStringLiteral("txtInizioPor"),
        QStringLiteral("txtFinePor"),      QStringLiteral("txtNote"),
    };
    return fields;
}

QImage CardPhotoForPrint(const QImage& photo) {
    // The photo box, 710.55164 x 529.1342 template units of 1/96 inch, at 300 dots per inch.
    const QSize most(qCeil(710.55164 / 96 * 300), qCeil(529.1342 / 96 * 300));
    if (photo.isNull() || (photo.width() <= most.width() && photo.height() <= most.height()))
        return photo;
    return photo.scaled(most, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

bool FillCard(report::ReportTemplate& rep, const QWidget& editor, const QImage& photo, QString* error) {
    if (!rep.SetPicture(QStringLiteral("imgLogo"), CardPhotoForPrint(photo), error))
        return false;
    for (const QString& name : CardFields()) {
        const QWidget* field = editor.findChild<const QWidget*>(name);
        // Edit boxes and labels give "text"; a multi-line box gives "plainText".
        QVariant text = field ? field->property("text") : QVariant();
        if (field && !text.isValid())
            text = field->property("plainText");
        if (!text.isValid()) {
            if (error)
                *error = QStringLiteral("campo mancante nella scheda: ") + name;
            return false;
        }
        if (!rep.SetText(name, TrimText(text.toString()), error))
            return false;
    }
    return true;
}

void RunCardPrint(Carvenna& app, report::ReportTemplate* rep, const QWidget* editor, const QImage& photo, bool preview,
                  QWidget* window) {
    QString error;
    Printing::Result result = Printing::Result::Failed;
    report::ReportPage* page = rep ? rep->Page(1, &error) : nullptr;
    if (page && editor) {
        page->SetOrientation(report::Orientation::Portrait);
        // Printed to PDF, the card is proposed as PDF/Scheda_<card number>.pdf.
        const auto* number = editor->findChild<const QLabel*>(QStringLiteral("lblPosizione"));
        rep->fileName = report::PdfFileName({QStringLiteral("Scheda"), number ? TrimText(number->text()) : QString()});
        if (FillCard(*rep, *editor, photo, &error) && rep->Prepare(&error))
            result = preview ? app.printing().Preview(rep->Prepared(), window, &error)
                             : app.printing().Print(rep->Prepared(), window, &error);
    }
    if (result == Printing::Result::Failed)
        app.messages().Warning(CardPrintWarning(preview), window);
}
