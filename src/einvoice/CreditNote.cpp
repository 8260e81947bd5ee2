#include "einvoice/CreditNote.h"
#include "einvoice/FiscalData.h"
#include "receipts/Cancellation.h"
#include "storage/ReceiptFile.h"
#include "storage/SaveFile.h"
#include "storage/Text.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

std::optional<RegisterEntry> InvoiceToCredit(const QVector<RegisterEntry>& reg, const QString& year,
                                             qint64 position) {
    std::optional<RegisterEntry> standing;
    for (const RegisterEntry& e : reg) {
        if (e.year != year || e.position != position)
            continue;
        if (e.IsCreditNote()) {
            if (standing && standing->file == e.collegata)
                standing.reset();
        } else {
            standing = e;
        }
    }
    if (standing && IsRejectedState(standing->stato))
        return std::nullopt;
    return standing;
}

QString NextCreditNoteNumber(const QVector<RegisterEntry>& reg, int year) {
    int n = 0;
    for (const RegisterEntry& e : reg)
        if (e.IsCreditNote() && e.Date().year() == year)
            ++n;
    return QStringLiteral("NC%1/%2").arg(n + 1).arg(year);
}

std::optional<QByteArray> CreditNoteXml(const QByteArray& invoiceXml, const QString& progressivo,
                                        const QString& numero, const QDate& date, QString* error) {
    QXmlStreamReader r(invoiceXml);
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    QStringList path;
    QString invoiceNumber, invoiceDate, type;
    bool quantityWithoutUnit = false;
    auto fail = [&](const QString& why) -> std::optional<QByteArray> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    // The element whose text is replaced, by its path below the root.
    const QString doc = QStringLiteral("FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/");
    const QHash<QString, QString> replaced = {
        {QStringLiteral("FatturaElettronicaHeader/DatiTrasmissione/ProgressivoInvio"), progressivo},
        {doc + QStringLiteral("TipoDocumento"), QStringLiteral("TD04")},
        {doc + QStringLiteral("Data"), date.toString(Qt::ISODate)},
        {doc + QStringLiteral("Numero"), numero}};
    while (!r.atEnd()) {
        r.readNext();
        const QString here = path.mid(1).join(QLatin1Char('/'));
        switch (r.tokenType()) {
        case QXmlStreamReader::StartDocument:
            w.writeStartDocument(QStringLiteral("1.0"));
            break;
        case QXmlStreamReader::StartElement: {
            const QString name = r.name().toString();
            // A quantity is followed by its unit; invoices written before it had one get it here.
            if (quantityWithoutUnit && name != QLatin1String("UnitaMisura"))
                w.writeTextElement(QStringLiteral("UnitaMisura"), QStringLiteral("servizio"));
            quantityWithoutUnit = false;
            path << name;
            w.writeCurrentToken(r);
            break;
        }
        case QXmlStreamReader::Characters: {
            if (r.isWhitespace())
                break;
            const QString text = r.text().toString();
            if (here == doc + QLatin1String("Numero"))
                invoiceNumber = text;
            else if (here == doc + QLatin1String("Data"))
                invoiceDate = text;
            else if (here == doc + QLatin1String("TipoDocumento"))
                type = text;
            w.writeCharacters(replaced.value(here, text));
            break;
        }
        case QXmlStreamReader::EndElement:
            w.writeCurrentToken(r);
            if (here.endsWith(QLatin1String("DettaglioLinee/Quantita")))
                quantityWithoutUnit = true;
            if (here == doc.chopped(1)) {
                // The invoice cancelled, right after the document's general data as the schema orders it.
                w.writeStartElement(QStringLiteral("DatiFattureCollegate"));
                w.writeTextElement(QStringLiteral("IdDocumento"), invoiceNumber);
                w.writeTextElement(QStringLiteral("Data"), invoiceDate);
                w.writeEndElement();
            }
            path.removeLast();
            break;
        case QXmlStreamReader::EndDocument:
            w.writeEndDocument();
            break;
        default:
            break;
        }
    }
    if (r.hasError())
        return fail(QStringLiteral("il file della fattura è danneggiato (%1)").arg(r.errorString()));
    if (type != QLatin1String("TD01") || invoiceNumber.isEmpty() || invoiceDate.isEmpty())
        return fail(QStringLiteral("il file non è una fattura di questo programma"));
    return out;
}

CreditNoteWriter::CreditNoteWriter(const QString& programFolder, const QString& settingsPath)
    : m_folder(programFolder), m_settings(settingsPath) {}

CreditNoteWriter::~CreditNoteWriter() {
    delete m_lock;
}

bool CreditNoteWriter::Write(const RegisterEntry& invoice, const QDate& today, QString* error, int lockWaitMs) {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const FiscalData school = LoadFiscalData(m_settings);
    if (QString e = CheckFiscalData(school); !e.isEmpty())
        return fail(e);
    const QString folder = InvoiceFolder(m_folder);
    QString why;
    if (!HoldRegister(lockWaitMs, &why))
        return fail(why);

    // Read under the lock: another workstation may have credited the invoice meanwhile.
    const QString regPath = RegisterPath(m_folder);
    QVector<RegisterEntry> reg;
    if (!ReadRegister(regPath, reg, &why))
        return fail(RegisterUnreadable(why));
    SetAsideUnregisteredFiles(m_folder, reg);
    const std::optional<RegisterEntry> standing = InvoiceToCredit(reg, invoice.year, invoice.position);
    if (!standing || standing->file != invoice.file)
        return fail(QStringLiteral("La fattura %1 è già stornata da una nota di credito.").arg(invoice.file));
    QFile in(folder + invoice.file);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("La fattura %1 non può essere letta: %2").arg(invoice.file, in.errorString()));
    const QByteArray invoiceXml = in.readAll();
    in.close();

    const int progressivo = FreeProgressivo(folder, school.TransmitterCode(), school.progressivo);
    if (progressivo > 99999)
        return fail(QStringLiteral("I numeri di trasmissione sono esauriti: correggerlo nei dati fiscali."));
    const QString numero = NextCreditNoteNumber(reg, today.year());
    const std::optional<QByteArray> xml = CreditNoteXml(invoiceXml, ProgressivoText(progressivo), numero, today, &why);
    if (!xml)
        return fail(QStringLiteral("La nota di credito della fattura %1 non può essere preparata: %2")
                        .arg(invoice.file, why));
    const QString name = QStringLiteral("IT%1_%2.xml").arg(school.TransmitterCode(), ProgressivoText(progressivo));

    QFile old(regPath);
    m_hadRegister = old.exists();
    if (m_hadRegister) {
        if (!old.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("Il registro delle fatture non può essere letto: %1").arg(old.errorString()));
        m_oldRegister = old.readAll();
        old.close();
    }
    if (!SaveWholeFile(folder + name, *xml, &why))
        return fail(QStringLiteral("La nota di credito %1 non può essere scritta: %2").arg(name, why));

    m_entry = RegisterEntry();
    m_entry.file = name;
    m_entry.year = invoice.year;
    m_entry.numero = invoice.numero;
    m_entry.position = invoice.position;
    m_entry.payer = invoice.payer;
    m_entry.total = invoice.total;
    m_entry.written = today.toString(QStringLiteral("dd/MM/yyyy"));
    m_entry.tipo = QStringLiteral("TD04");
    m_entry.documento = numero;
    m_entry.dataDocumento = m_entry.written;
    m_entry.collegata = invoice.file;
    m_entry.bollo = invoice.bollo.isEmpty()
                        ? (invoiceXml.contains("<BolloVirtuale>SI</BolloVirtuale>") ? QStringLiteral("SI")
                                                                                    : QStringLiteral("NO"))
                        : invoice.bollo;
    if (!AppendRegister(regPath, {m_entry}, &why)) {
        QFile::remove(folder + name);
        return fail(QStringLiteral("Il registro delle fatture non può essere aggiornato: %1").arg(why));
    }
    m_written = true;
    // The number only saves a search next time: a taken number is skipped anyway.
    SaveNextProgressivo(m_settings, progressivo + 1);
    return true;
}

bool CreditNoteWriter::HoldRegister(int lockWaitMs, QString* error) {
    if (m_lock)
        return true; // already ours, since an earlier step of the same cancellation
    // The lock lives in FatturaPA/, made here as the first invoice batch makes it.
    if (!QDir().mkpath(InvoiceFolder(m_folder))) {
        if (error)
            *error = QStringLiteral("La cartella %1 non può essere creata.").arg(InvoiceFolder(m_folder));
        return false;
    }
    auto* lock = new RegisterLock(m_folder);
    if (!lock->Acquire(lockWaitMs, error)) {
        delete lock;
        return false;
    }
    m_lock = lock;
    return true;
}

bool CreditNoteWriter::WriteForCancellation(const QString& year, qint64 position,
                                            const std::optional<RegisterEntry>& expected, const QDate& today,
                                            QString* error, int lockWaitMs) {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QString why;
    if (!HoldRegister(lockWaitMs, &why))
        return fail(why);
    // Read under the lock: another workstation may have invoiced or credited the receipt since the office
    // was asked; the office must then be asked again.
    QVector<RegisterEntry> reg;
    if (!ReadRegister(RegisterPath(m_folder), reg, &why))
        return fail(RegisterUnreadable(why));
    const std::optional<RegisterEntry> standing = InvoiceToCredit(reg, year, position);
    if (standing && (!expected || expected->file != standing->file))
        return fail(QStringLiteral("Nel frattempo un'altra postazione ha emesso la fattura elettronica %1 per questa "
                                   "ricevuta. Ripetere \"Annulla ricevuta\" per emettere anche la nota di credito.")
                        .arg(standing->file));
    if (!standing && expected)
        return fail(QStringLiteral("La fattura %1 è già stornata da una nota di credito.").arg(expected->file));
    return !standing || Write(*standing, today, error, lockWaitMs);
}

bool CreditNoteWriter::UndoUnlessCancelled(const QString& yearFile, qint64 position, QString* error) {
    if (!m_written)
        return true;
    ReceiptFile file;
    ReceiptRecord stored;
    const bool read = file.OpenOrCreate(yearFile) && file.ReadRecord(position - 1, stored);
    if (!file.Close() || !read || IsCancelled(stored))
        return true; // the credit note stays: cancelling the receipt again completes without a second one
    return Undo(error);
}

bool CreditNoteWriter::Undo(QString* error) {
    if (!m_written)
        return true;
    const QString regPath = RegisterPath(m_folder);
    QString why;
    const bool restored =
        m_hadRegister ? SaveWholeFile(regPath, m_oldRegister, &why) : (QFile::remove(regPath) || !QFile::exists(regPath));
    if (!restored) {
        if (error)
            *error = why;
        return false;
    }
    QFile::remove(InvoiceFolder(m_folder) + m_entry.file);
    m_written = false;
    delete m_lock;
    m_lock = nullptr;
    return true;
}
