#include "einvoice/NotaDiCredito.h"
#include "app/Carvenna.h"
#include <QFileInfo>

CancellationCredit::CancellationCredit(Carvenna& app, QWidget* parent, const QString& yearFile, qint64 position)
    : m_app(app), m_parent(parent), m_yearFile(yearFile), m_year(QFileInfo(yearFile).completeBaseName()),
      m_position(position) {}

CancellationCredit::~CancellationCredit() = default;

bool CancellationCredit::Ask() {
    QVector<RegisterEntry> reg;
    QString why;
    if (!ReadRegister(RegisterPath(m_app.ProgramFolder()), reg, &why)) {
        m_app.messages().Error(QStringLiteral("Attenzione: il registro delle fatture (FatturaPA/registro.csv) non può "
                                              "essere letto: la ricevuta non è stata annullata.\n\r\n\r%1")
                                   .arg(why),
                               m_parent);
        return false;
    }
    m_invoice = InvoiceToCredit(reg, m_year, m_position);
    if (!m_invoice)
        return true;
    const int answer = m_app.messages().Choose(
        QStringLiteral("La ricevuta n. %1 ha la fattura elettronica n. %2 del %3 (file %4).\n\r\n\r"
                       "Una fattura inviata non si cancella: annullando la ricevuta viene emessa anche la nota di "
                       "credito che storna la fattura, da inviare al Sistema di Interscambio.")
            .arg(m_invoice->numero, m_invoice->Number(), m_invoice->Date().toString(QStringLiteral("dd/MM/yyyy")),
                 m_invoice->file),
        {QStringLiteral("Annulla ricevuta e emetti nota di credito"), QStringLiteral("Non annullare")}, 1, m_parent);
    return answer == 0;
}

bool CancellationCredit::Write() {
    // The register stays held until this object goes, so that no invoice is written for the receipt before
    // its cancellation is saved; a receipt invoiced meanwhile is not cancelled without its credit note.
    m_writer = std::make_unique<CreditNoteWriter>(m_app.ProgramFolder(), m_app.SettingsPath());
    QString why;
    if (!m_writer->WriteForCancellation(m_year, m_position, m_invoice, m_app.clock().Today(), &why)) {
        m_app.messages().Error(
            m_invoice ? QStringLiteral("Attenzione: la nota di credito non è stata scritta e la ricevuta non è stata "
                                       "annullata.\n\r\n\r%1")
                            .arg(why)
                      : QStringLiteral("Attenzione: la ricevuta non è stata annullata.\n\r\n\r%1").arg(why),
            m_parent);
        return false;
    }
    m_written = m_writer->Written();
    return true;
}

void CancellationCredit::Undo() {
    if (!m_written)
        return;
    QString why;
    if (m_writer->UndoUnlessCancelled(m_yearFile, m_position, &why)) {
        m_written = m_writer->Written();
        return;
    }
    // The register keeps the credit note; cancelling the receipt again completes it without a second one.
    m_app.messages().Error(QStringLiteral("Attenzione: la nota di credito %1 è registrata ma la ricevuta non è stata "
                                          "annullata. Ripetere \"Annulla ricevuta\": la nota già scritta vale per "
                                          "l'annullamento.\n\r\n\r%2")
                               .arg(m_writer->Entry().file, why),
                           m_parent);
}

QString CancellationCredit::Notice() const {
    if (!m_written)
        return QString();
    const RegisterEntry& e = m_writer->Entry();
    return QStringLiteral("Nota di credito n. %1 scritta nella cartella FatturaPA: %2 (storna la fattura %3).")
        .arg(e.documento, e.file, e.collegata);
}
