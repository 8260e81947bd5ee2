#include "printing/PdfOutput.h"
#include "storage/SaveFile.h"
#include <QDir>
#include <QFile>
#include <QPrinter>

namespace {
const char kPages[] = "stampa.pdf";
} // namespace

PdfOutput::PdfOutput(QPrinter& printer) : m_printer(printer) {
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty())
        return;
    m_target = printer.outputFileName();
    m_temp = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/carvenna-XXXXXX"));
    // Without a system temporary folder, a new file beside the chosen one (which a later save there
    // clears away if it is ever left behind).
    m_pages = m_temp->isValid() ? m_temp->filePath(QLatin1String(kPages)) : m_target + QStringLiteral(".new.pdf");
    printer.setOutputFileName(m_pages);
}

PdfOutput::~PdfOutput() {
    if (m_target.isEmpty())
        return;
    m_printer.setOutputFileName(m_target);
    QFile::remove(m_pages); // pages of a painting that failed half way
}

bool PdfOutput::Finish(QString* error) {
    if (m_target.isEmpty())
        return true;
    auto fail = [&] {
        if (error)
            *error = QStringLiteral("Impossibile scrivere il file \"%1\".\n\r\n\rAccertarsi che il disco non sia "
                                    "pieno e di possedere i privilegi di scrittura nella cartella.")
                         .arg(QDir::toNativeSeparators(m_target));
        return false;
    };
    QFile written(m_pages);
    if (!written.open(QIODevice::ReadOnly))
        return fail();
    const QByteArray pdf = written.readAll();
    written.close();
    written.remove();
    return (PdfComplete(pdf) && SaveWholeFile(m_target, pdf)) || fail();
}

bool PdfComplete(const QByteArray& pdf) {
    if (!pdf.startsWith("%PDF-"))
        return false;
    QByteArray tail = pdf.right(64).trimmed();
    if (!tail.endsWith("%%EOF"))
        return false;
    const qsizetype at = pdf.lastIndexOf("startxref");
    if (at < 0)
        return false;
    tail = pdf.mid(at + 9);
    tail.chop(tail.size() - tail.indexOf("%%EOF"));
    bool ok = false;
    const qint64 offset = tail.trimmed().toLongLong(&ok);
    return ok && offset > 0 && offset < at && pdf.mid(offset, 4) == "xref";
}
