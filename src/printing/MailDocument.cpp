#include "printing/MailDocument.h"
#include "app/Carvenna.h"
#include "printing/PdfOutput.h"
#include "report/PreparedReport.h"
#include "report/ReportPainter.h"
#include "storage/FixedField.h"
#include "storage/RegistryFile.h"
#include "storage/SaveFile.h"
#include "storage/Text.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QString AskAddress(QWidget* window, const QString& taxCode) {
    QInputDialog dlg(window);
    dlg.setObjectName(QStringLiteral("dlgIndirizzoEmail"));
    dlg.setWindowTitle(QStringLiteral("Invia per e-mail"));
    dlg.setInputMode(QInputDialog::TextInput);
    dlg.setLabelText(
        TrimText(taxCode).isEmpty()
            ? QStringLiteral("Il documento non indica il codice fiscale del pagatore.\nIndirizzo e-mail del pagatore:")
            : QStringLiteral("Nessuna scheda dell'anagrafica con il codice fiscale %1 indica un indirizzo e-mail.\n"
                             "Indirizzo e-mail del pagatore:")
                  .arg(TrimText(taxCode)));
    dlg.setOkButtonText(QStringLiteral("Invia"));
    dlg.setCancelButtonText(QStringLiteral("Annulla"));
    return dlg.exec() == QDialog::Accepted ? TrimText(dlg.textValue()) : QString();
}
} // namespace

bool WriteDocumentPdf(const report::PreparedReport& doc, const QString& path, QString* error) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        *error = QStringLiteral("Impossibile creare la cartella \"%1\".").arg(QFileInfo(path).absolutePath());
        return false;
    }
    QTemporaryDir temp;
    if (!temp.isValid()) {
        *error = temp.errorString();
        return false;
    }
    const QString pages = temp.filePath(QStringLiteral("documento.pdf"));
    if (!report::SavePdf(doc, pages, error, 600))
        return false;
    QFile f(pages);
    const QByteArray pdf = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    if (!PdfComplete(pdf)) {
        *error = QStringLiteral("Il file PDF non è stato scritto per intero.");
        return false;
    }
    return SaveWholeFile(path, pdf, error);
}

QString RegistryEmail(const QString& programFolder, const QString& taxCode) {
    const QString wanted = UpperAZ(TrimText(taxCode));
    // Looking up an address never creates a registry that is not there.
    if (wanted.isEmpty() || !QFile::exists(programFolder + QLatin1String(RegistryFileName)))
        return {};
    RegistryFile file;
    if (!file.OpenOrCreate(programFolder))
        return {};
    const FieldSpec code = RegistryRecord::Layout()[RegistryField::CodFisc];
    const FieldSpec email = RegistryRecord::Layout()[RegistryField::Email];
    QString found;
    file.Raw().Scan([&](qint64, const char* rec) {
        if (UpperAZ(TrimText(DecodeField(rec + code.offset, code.width))) == wanted) {
            const QString address = TrimText(DecodeField(rec + email.offset, email.width));
            if (!address.isEmpty())
                found = address;
        }
        return true;
    });
    file.Close();
    return found;
}

bool PlausibleEmail(const QString& address) {
    static const QRegularExpression form(QStringLiteral("^[^\\s@,;<>\"'-][^\\s@,;<>\"']*@[^\\s@,;<>\"']+$"));
    return form.match(address).hasMatch();
}

bool MailDocument(Carvenna& app, QWidget* window, const report::PreparedReport& doc, const MailRequest& mail) {
    QString to = RegistryEmail(app.ProgramFolder(), mail.taxCode);
    if (to.isEmpty()) {
        to = AskAddress(window, mail.taxCode);
        if (to.isEmpty())
            return false;
    }
    if (!PlausibleEmail(to)) {
        app.messages().Warning(QStringLiteral("Attenzione: l'indirizzo e-mail \"%1\" non è valido.").arg(to), window);
        return false;
    }

    const QString pdf = QDir(app.ProgramFolder()).filePath(QStringLiteral("PDF/") + report::ProposedFileName(doc));
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = WriteDocumentPdf(doc, pdf, &error);
    QApplication::restoreOverrideCursor();
    if (!written) {
        app.messages().Warning(
            QStringLiteral("Attenzione: non è stato possibile salvare il documento in formato PDF.\n\r\n\r") + error,
            window);
        return false;
    }
    if (app.shell().Compose({to, mail.subject, mail.body, pdf}, &error))
        return true;
    app.messages().Warning(QStringLiteral("Attenzione: non è stato possibile aprire il programma di posta "
                                          "elettronica.\n\r\n\r%1\n\r\n\rIl documento è stato salvato nel file "
                                          "%2: allegarlo a un nuovo messaggio per %3.")
                               .arg(error, QDir::toNativeSeparators(pdf), to),
                           window);
    return false;
}
