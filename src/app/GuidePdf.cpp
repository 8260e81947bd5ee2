#include "app/GuidePdf.h"
#include "app/Carvenna.h"
#include "app/GuideSections.h"
#include "export/ExpRic.h"
#include "export/ExpTiratori.h"
#include "printing/PdfOutput.h"
#include "registry/Tiratori.h"
#include "summary/RiepCosti.h"
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QSet>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

QList<GuidePage> GuideBook() {
    return {
        {QStringLiteral("Uno sguardo a Carvenna"), Carvenna::GeneralGuide()},
        {QStringLiteral("App Archivio Anagrafico"), TfrmTiratori::Guide()},
        {TfrmRiepCosti::GuideTitle(), TfrmRiepCosti::GuideText()},
        {QStringLiteral("Esportazione archivio ricevute in Excel"), TfrmExpRic::GuideText()},
        {QStringLiteral("Esportazione archivio anagrafico in Excel"), TfrmExpTiratori::GuideText()},
    };
}

namespace {

QSet<QString> Headings() {
    QSet<QString> out;
    for (const GuideSection& s : GuideSections())
        out << GuideHeading(s.title);
    return out;
}

} // namespace

bool WriteGuidePdf(const QString& path, QString* error) {
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("Verdana"), 10));
    QTextCursor cursor(&doc);
    QTextCharFormat body;
    body.setFont(QFont(QStringLiteral("Verdana"), 10));
    QTextCharFormat heading = body;
    heading.setFontWeight(QFont::Bold);
    heading.setFontPointSize(12);
    heading.setForeground(QColor(0xDC, 0x14, 0x3C)); // crimson, as the guide window's title
    QTextCharFormat pageTitle = heading;
    pageTitle.setFontPointSize(16);
    QTextBlockFormat paragraph;
    paragraph.setBottomMargin(8);
    paragraph.setAlignment(Qt::AlignJustify);
    QTextBlockFormat newPage = paragraph;
    newPage.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);

    cursor.setBlockFormat(paragraph);
    cursor.insertText(QStringLiteral("Guida all'utilizzo del software"), pageTitle);
    const QSet<QString> headings = Headings();
    QSet<QString> printed;
    bool first = true;
    for (const GuidePage& page : GuideBook()) {
        cursor.insertBlock(first ? paragraph : newPage);
        first = false;
        cursor.insertText(page.title, pageTitle);
        bool skipping = false;
        for (const QString& p : page.text.split(QStringLiteral("\r\n\r\n"))) {
            if (headings.contains(p)) {
                skipping = printed.contains(p);
                printed << p;
                if (!skipping) {
                    cursor.insertBlock(paragraph);
                    cursor.insertText(p.mid(2, p.size() - 4), heading); // without the dashes
                }
                continue;
            }
            if (skipping)
                continue;
            cursor.insertBlock(paragraph);
            cursor.insertText(p, body);
        }
    }

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                                      QPageLayout::Millimeter));
    printer.setDocName(QStringLiteral("Guida all'utilizzo di Carvenna"));
    printer.setCreator(QStringLiteral("Carvenna"));
    PdfOutput output(printer);
    doc.print(&printer);
    return output.Finish(error);
}
