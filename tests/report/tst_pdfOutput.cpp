// What printed documents carry into a PDF: no transparency (a PostScript printer path would turn the
// whole page into one blurred picture), text a reader can extract, and the proposed file names.
#include "PdfText.h"
#include "report/PreparedReport.h"
#include "report/ReportPainter.h"
#include "report/ReportTemplate.h"
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace report;

class tst_pdfOutput : public QObject {
    Q_OBJECT

private slots:
    void fileNames_data();
    void fileNames();
    void proposedNameFallsBackOnTheReportName();
    void flattenedOntoWhite();
    void printsHoldNoTransparency_data();
    void printsHoldNoTransparency();
};

void tst_pdfOutput::fileNames_data() {
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<QString>("expected");
    QTest::newRow("receipt") << QStringList{"Ricevuta", "2026", "00127"} << "Ricevuta_2026_00127.pdf";
    QTest::newRow("blanks and slash") << QStringList{"Riepilogo ricevute", " 2026/12/10 "}
                                      << "Riepilogo_ricevute_2026_12_10.pdf";
    QTest::newRow("refused characters") << QStringList{"Scheda", "Rossi: \"Ma*rio\" <1>|?"}
                                        << "Scheda_Rossi_Ma_rio_1.pdf";
    QTest::newRow("empty parts left out") << QStringList{"Scheda", "", "  ", "12"} << "Scheda_12.pdf";
    QTest::newRow("no leading dot or separator") << QStringList{"../..", "elenco"} << "elenco.pdf";
    QTest::newRow("accents kept") << QStringList{"Città", "Forlì"} << "Città_Forlì.pdf";
    QTest::newRow("nothing left") << QStringList{"", "//"} << "Stampa.pdf";
}

void tst_pdfOutput::fileNames() {
    QFETCH(QStringList, parts);
    QFETCH(QString, expected);
    QCOMPARE(PdfFileName(parts), expected);
}

void tst_pdfOutput::proposedNameFallsBackOnTheReportName() {
    auto t = ReportTemplate::Load(QStringLiteral(":/printing/templates/receipt.json"));
    QVERIFY(t);
    t->name = QStringLiteral("Elenco iscritti");
    QVERIFY(t->Prepare());
    QCOMPARE(ProposedFileName(t->Prepared()), QStringLiteral("Elenco_iscritti.pdf"));
    // The print's own name travels through preparation.
    t->fileName = QStringLiteral("Scheda_12.pdf");
    QVERIFY(t->Prepare());
    QCOMPARE(ProposedFileName(t->Prepared()), QStringLiteral("Scheda_12.pdf"));
}

void tst_pdfOutput::flattenedOntoWhite() {
    QImage soft(2, 1, QImage::Format_ARGB32);
    soft.setPixel(0, 0, qRgba(255, 0, 0, 128));
    soft.setPixel(1, 0, qRgba(0, 0, 255, 0));
    const QImage flat = Flattened(soft);
    QVERIFY(!flat.hasAlphaChannel());
    const QColor half = flat.pixelColor(0, 0);
    QCOMPARE(half.red(), 255);
    QVERIFY(qAbs(half.green() - 127) <= 1 && qAbs(half.blue() - 127) <= 1);
    QCOMPARE(flat.pixelColor(1, 0), QColor(Qt::white));
}

void tst_pdfOutput::printsHoldNoTransparency_data() {
    QTest::addColumn<QString>("templatePath");
    QTest::addColumn<QString>("phrase");
    QTest::newRow("receipt") << ":/printing/templates/receipt.json"
                             << "Ricevuta n. 127";
    QTest::newRow("list") << ":/printing/templates/list.json"
                          << "Elenco delle ricevute";
}

void tst_pdfOutput::printsHoldNoTransparency() {
    QFETCH(QString, templatePath);
    QFETCH(QString, phrase);
    auto t = ReportTemplate::Load(templatePath);
    QVERIFY(t);
    // A logo with soft edges, as a user's PNG logo or the default drawn one has.
    QImage logo(120, 60, QImage::Format_ARGB32);
    logo.fill(Qt::transparent);
    for (int x = 0; x < logo.width(); ++x)
        for (int y = 10; y < 50; ++y)
            logo.setPixel(x, y, qRgba(20, 60, 200, 255 * x / logo.width()));
    if (t->FindObject(QStringLiteral("imgLogo"))) {
        QVERIFY(t->SetPicture(QStringLiteral("imgLogo"), logo));
        QVERIFY(t->SetText(QStringLiteral("txtNumRic"), phrase));
        QVERIFY(t->SetText(QStringLiteral("txtNumRic_B"), phrase));
    } else {
        QVERIFY(t->SetText(QStringLiteral("txtTitolo"), phrase));
        QVERIFY(t->AddLine(QStringLiteral("txtRiepilogo"), QStringLiteral("Ric. n. 1  Data: 14/03/2026")));
    }
    QVERIFY(t->Prepare());
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QString error;
    QVERIFY2(SavePdf(t->Prepared(), pdf, &error), qPrintable(error));
    QFile f(pdf);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    if (t->FindObject(QStringLiteral("imgLogo")))
        QVERIFY(bytes.contains("/Subtype /Image")); // the pictures are there, only without masks
    // "/SMask /None" in a graphics state is no mask; a mask is a reference to an image.
    QVERIFY(!QString::fromLatin1(bytes).contains(QRegularExpression(QStringLiteral("/SMask\\s+\\d+\\s+\\d+\\s+R"))));
    QVERIFY(!bytes.contains("/Transparency"));
    const pdftext::Document doc = pdftext::Read(pdf);
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    QVERIFY(!pdftext::Find(doc, 0, phrase).isEmpty());
}

QTEST_MAIN(tst_pdfOutput)
#include "tst_pdfOutput.moc"
