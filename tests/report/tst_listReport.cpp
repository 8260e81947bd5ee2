// The list print of the search and expiry windows: what it puts into the list template, and the
// prepared and printed pages for short, long and very long lists.
#include "PdfText.h"
#include "report/PreparedReport.h"
#include "report/ReportPainter.h"
#include "search/ListReport.h"
#include <QTemporaryDir>
#include <QtTest>

using namespace report;

namespace {
QStringList Lines(int n) {
    QStringList l;
    for (int i = 1; i <= n; ++i)
        l << QStringLiteral("Riga%1  Rossi Mario  Causale: Retta").arg(i, 6, 10, QLatin1Char('0'));
    return l;
}

// The list memo's lines as prepared, page after page.
QStringList Printed(const PreparedReport& r, QVector<int>* perPage = nullptr) {
    QStringList out;
    for (const PreparedPage& page : r.pages) {
        int n = 0;
        for (const PreparedItem& item : page.items)
            if (item.object.name == QLatin1String("txtRiepilogo")) {
                out += item.object.lines;
                n += int(item.object.lines.size());
            }
        if (perPage)
            *perPage << n;
    }
    return out;
}
} // namespace

class TestListReport : public QObject {
    Q_OBJECT
private slots:
    void stamp();
    void fillSetsEverythingAgain();
    void longListKeepsEveryLineOnce_data();
    void longListKeepsEveryLineOnce();
    void longLineIsCutAtTheMemoEdge();
};

void TestListReport::stamp() {
    QCOMPARE(ListPrintStamp(QDateTime(QDate(2026, 3, 4), QTime(9, 5, 7))),
             QStringLiteral("Stampa eseguita in data 04/03/2026 alle ore 09:05:07"));
}

void TestListReport::fillSetsEverythingAgain() {
    ReportTemplate t = *LoadListTemplate();
    QVERIFY(FillListReport(t, QStringLiteral("Riepilogo schede anagrafiche"), QStringLiteral("stamp 1"), Lines(30)));
    QVERIFY(FillListReport(t, QStringLiteral("Riepilogo iscrizioni scadute"), QStringLiteral("stamp 2"), Lines(3)));
    QCOMPARE(t.FindObject("txtTitolo")->Text(), QStringLiteral("Riepilogo iscrizioni scadute"));
    QCOMPARE(t.FindObject("txtPagina")->Text(), QStringLiteral("stamp 2"));
    QCOMPARE(t.FindObject("txtRiepilogo")->lines, Lines(3));
    QCOMPARE(t.FindObject("txtRiepilogo")->rect.height(), 3 * 12.822);
    QCOMPARE(t.FindObject("MasterData")->rect.height(), 3 * 12.822 + 10);
    QVERIFY(FillListReport(t, QStringLiteral("x"), QStringLiteral("y"), {}));
    QCOMPARE(t.FindObject("txtRiepilogo")->rect.height(), 0.0);
    QCOMPARE(t.FindObject("MasterData")->rect.height(), 10.0);

    ReportTemplate broken = t;
    broken.pages[1].objects.pop_back(); // no footer band: no txtPagina
    QString error;
    QVERIFY(!FillListReport(broken, QStringLiteral("x"), QStringLiteral("y"), Lines(1), &error));
    QVERIFY(error.contains(QStringLiteral("txtPagina")));
}

void TestListReport::longListKeepsEveryLineOnce_data() {
    QTest::addColumn<int>("lines");
    QTest::newRow("250") << 250;
    QTest::newRow("10,000") << 10000;
}

void TestListReport::longListKeepsEveryLineOnce() {
    QFETCH(int, lines);
    ReportTemplate t = *LoadListTemplate();
    QVERIFY(FillListReport(t, QStringLiteral("Riepilogo ricevute emesse"), QStringLiteral("stamp"), Lines(lines)));
    QVERIFY(t.Prepare());
    QVector<int> perPage;
    QCOMPARE(Printed(t.Prepared(), &perPage), Lines(lines));
    // Every page but the first (title) and the last is full: pages in proportion to the lines.
    const int full = perPage.size() > 2 ? perPage[1] : 0;
    QVERIFY(full > 40);
    for (int p = 1; p + 1 < perPage.size(); ++p)
        QCOMPARE(perPage[p], full);
    QVERIFY(perPage.size() <= lines / full + 2);
}

void TestListReport::longLineIsCutAtTheMemoEdge() {
    QTemporaryDir dir;
    ReportTemplate t = *LoadListTemplate();
    const QString line =
        QStringLiteral("INIZIO") + QString(170, u'x') + QStringLiteral(" OLTREILBORDO") + QString(200, u'y');
    QVERIFY(FillListReport(t, QStringLiteral("Riepilogo"), QStringLiteral("stamp"), {line}));
    QVERIFY(t.Prepare());
    const QString pdf = dir.filePath(QStringLiteral("cut.pdf"));
    QVERIFY(SavePdf(t.Prepared(), pdf));
    const pdftext::Document doc = pdftext::Read(pdf);
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    const auto start = pdftext::WordsContaining(doc, 0, QStringLiteral("INIZIO"));
    QCOMPARE(start.size(), 1);
    // The memo ends 10 mm + 11.33859 + 1031.81169 units from the paper's left edge.
    const double memoRight = 10 * pdftext::PointsPerMm + (11.33859 + 1031.81169) * pdftext::PointsPerUnit;
    // The character on the edge is printed partly, cut by the clip, so it may reach past it by less than its width.
    const double charWidth = 0.6 * 10.666667 * pdftext::PointsPerUnit;
    QVERIFY2(start[0].box.right() <= memoRight + charWidth,
             qPrintable(QStringLiteral("%1 > %2").arg(start[0].box.right()).arg(memoRight)));
    QVERIFY(start[0].box.right() > memoRight - 2 * charWidth); // and the line does reach the edge
    QVERIFY(pdftext::WordsContaining(doc, 0, QStringLiteral("OLTREILBORDO")).isEmpty());
}

QTEST_MAIN(TestListReport)
#include "tst_listReport.moc"
