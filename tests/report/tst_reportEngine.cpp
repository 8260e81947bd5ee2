// The report engine: finding and filling objects, its errors, and the banded list layout printed to
// PDF and read back (pages, title, every line once and in order, footer after the last line).
#include "PdfText.h"
#include "report/PreparedReport.h"
#include "report/ReportPainter.h"
#include "report/ReportTemplate.h"
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace report;

namespace {

const QString ListPath = QStringLiteral(":/printing/templates/list.json");
constexpr double OneMmPt = pdftext::PointsPerMm;
const QString Title = QStringLiteral("Riepilogo ricevute emesse");
const QString Footer = QStringLiteral("Stampa eseguita in data 10/12/2026 alle ore 10:30:00");

// A list line as the search windows build it: fixed columns in a fixed-pitch font, with a unique key.
QString ListLine(int i) {
    return QStringLiteral("Ric. n. %1  Data: 14/03/2026  %2  Causale: Retta mensile")
        .arg(i, -12)
        .arg(QStringLiteral("Pagatore %1").arg(i, 4, 10, QLatin1Char('0')), -26);
}

// Fills the list template the way every list print does.
void FillList(ReportTemplate& t, int count) {
    QVERIFY(t.SetText("txtTitolo", Title));
    QVERIFY(t.SetText("txtPagina", Footer));
    QVERIFY(t.ClearLines("txtRiepilogo"));
    for (int i = 1; i <= count; ++i)
        QVERIFY(t.AddLine("txtRiepilogo", ListLine(i)));
    QVERIFY(t.SetHeight("txtRiepilogo", count * 12.822));
    QVERIFY(t.SetHeight("MasterData", count * 12.822 + 10));
}

} // namespace

class tst_reportEngine : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void findObjectIgnoresCaseAcrossBands_data();
    void findObjectIgnoresCaseAcrossBands();
    void errorsAreReported_data();
    void errorsAreReported();
    void badTemplatesAreRejected_data();
    void badTemplatesAreRejected();
    void memoTextSplitsAtLineBreaks();
    void pictureIsCopiedWhenSet();
    void listPrint_data();
    void listPrint();
    void prepareDiscardsPreviousResult();
    void splitBandNeverLosesOrRepeatsLines();

private:
    QTemporaryDir m_dir;
};

void tst_reportEngine::initTestCase() {
    QVERIFY(m_dir.isValid());
}

void tst_reportEngine::findObjectIgnoresCaseAcrossBands_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::newRow("memo in the title band") << "TXTTITOLO" << int(ObjectKind::Memo);
    QTest::newRow("memo in the master data") << "txtriepilogo" << int(ObjectKind::Memo);
    QTest::newRow("memo in the footer") << "TxtPagina" << int(ObjectKind::Memo);
    QTest::newRow("band") << "masterdata" << int(ObjectKind::Band);
    QTest::newRow("unknown") << "txtNumRic" << -1;
    QTest::newRow("empty") << "" << -1;
}

void tst_reportEngine::findObjectIgnoresCaseAcrossBands() {
    QFETCH(QString, name);
    QFETCH(int, kind);
    ReportTemplate t = *ReportTemplate::Load(ListPath);
    ReportObject* o = t.FindObject(name);
    QCOMPARE(o != nullptr, kind >= 0);
    if (o) {
        QCOMPARE(int(o->kind), kind);
        QCOMPARE(o->name.toLower(), name.toLower());
    }
}

void tst_reportEngine::errorsAreReported_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("text into a missing object") << "text"
                                                << "txtNumRic"
                                                << "txtNumRic";
    QTest::newRow("text into a band") << "text"
                                      << "MasterData"
                                      << "MasterData";
    QTest::newRow("add line to a band") << "addLine"
                                        << "Footer"
                                        << "Footer";
    QTest::newRow("clear lines of a missing object") << "clear"
                                                     << "nessuno"
                                                     << "nessuno";
    QTest::newRow("picture into a memo") << "picture"
                                         << "txtTitolo"
                                         << "txtTitolo";
    QTest::newRow("null picture") << "nullPicture"
                                  << "imgLogo"
                                  << "imgLogo";
    QTest::newRow("height of a line") << "height"
                                      << "lineTop"
                                      << "lineTop";
    QTest::newRow("negative height") << "negativeHeight"
                                     << "txtNumRic"
                                     << "txtNumRic";
    QTest::newRow("height of a missing object") << "height"
                                                << "txtManca"
                                                << "txtManca";
}

void tst_reportEngine::errorsAreReported() {
    QFETCH(QString, operation);
    QFETCH(QString, object);
    QFETCH(QString, mentions);
    // The list template for band and memo cases, the receipt for its pictures and lines.
    const bool receipt = object.startsWith("img") || object.startsWith("line") || operation == "negativeHeight";
    ReportTemplate t = *ReportTemplate::Load(receipt ? QStringLiteral(":/printing/templates/receipt.json") : ListPath);
    QString error;
    bool ok = true;
    if (operation == "text")
        ok = t.SetText(object, "x", &error);
    else if (operation == "addLine")
        ok = t.AddLine(object, "x", &error);
    else if (operation == "clear")
        ok = t.ClearLines(object, &error);
    else if (operation == "picture")
        ok = t.SetPicture(object, QImage(4, 4, QImage::Format_RGB32), &error);
    else if (operation == "nullPicture")
        ok = t.SetPicture(object, QImage(), &error);
    else if (operation == "height")
        ok = t.SetHeight(object, 20, &error);
    else if (operation == "negativeHeight")
        ok = t.SetHeight(object, -1, &error);
    QVERIFY(!ok);
    QVERIFY2(error.contains(mentions), qPrintable(error));
}

void tst_reportEngine::badTemplatesAreRejected_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("mentions");
    const QByteArray page = R"({"name":"P","paperWidth":210,"paperHeight":297,"objects":[%1]})";
    auto doc = [&](const QByteArray& object) {
        return QByteArray(R"({"name":"T","pages":[)") + QByteArray(page).replace("%1", object) + "]}";
    };
    QTest::newRow("not JSON") << QByteArray("{\"name\":") << "JSON";
    QTest::newRow("no pages") << QByteArray(R"({"name":"T","pages":[]})") << "pagine";
    QTest::newRow("unknown colour")
        << doc(R"({"name":"s","kind":"shape","left":0,"top":0,"width":1,"height":1,"fill":"Burgundyish"})")
        << "Burgundyish";
    QTest::newRow("unknown kind") << doc(R"({"name":"k","kind":"barcode","left":0,"top":0,"width":1,"height":1})")
                                  << "barcode";
    QTest::newRow("missing geometry") << doc(R"({"name":"m","kind":"memo","left":0,"top":0,"width":1})") << "height";
    QTest::newRow("positive font height")
        << doc(R"({"name":"m","kind":"memo","left":0,"top":0,"width":1,"height":1,"font":{"height":12}})") << "m";
    QTest::newRow("unreadable picture")
        << doc(R"({"name":"p","kind":"picture","left":0,"top":0,"width":1,"height":1,"image":":/none.png"})")
        << "none.png";
    QTest::newRow("band in a band")
        << doc(R"({"name":"b","kind":"band","band":"masterData","left":0,"top":0,"width":1,"height":1,
                  "objects":[{"name":"c","kind":"band","band":"footer","left":0,"top":0,"width":1,"height":1}]})")
        << "c";
}

void tst_reportEngine::badTemplatesAreRejected() {
    QFETCH(QByteArray, json);
    QFETCH(QString, mentions);
    QString error;
    QVERIFY(!ReportTemplate::FromJson(json, "test.json", &error).has_value());
    QVERIFY2(error.contains(mentions), qPrintable(error));
}

void tst_reportEngine::memoTextSplitsAtLineBreaks() {
    ReportTemplate t = *ReportTemplate::Load(ListPath);
    ReportObject* memo = t.FindObject("txtRiepilogo");
    QVERIFY(memo->SetText("uno\r\ndue\ntre"));
    QCOMPARE(memo->lines, QStringList({"uno", "due", "tre"}));
    // Square brackets are printed as they are: no expressions.
    QVERIFY(memo->SetText("[Data] [Pagina#]"));
    QCOMPARE(memo->lines, QStringList({"[Data] [Pagina#]"}));
}

void tst_reportEngine::pictureIsCopiedWhenSet() {
    ReportTemplate t = *ReportTemplate::Load(QStringLiteral(":/printing/templates/receipt.json"));
    QImage logo(30, 20, QImage::Format_RGB32);
    logo.fill(Qt::red);
    QVERIFY(t.SetPicture("IMGLOGO", logo));
    logo.fill(Qt::green); // later changes to the caller's picture must not print
    QCOMPARE(QColor(t.FindObject("imgLogo")->image.pixel(5, 5)), QColor(Qt::red));
}

void tst_reportEngine::listPrint_data() {
    QTest::addColumn<int>("lines");
    QTest::newRow("empty list") << 0;
    QTest::newRow("one line") << 1;
    QTest::newRow("200 lines") << 200;
}

void tst_reportEngine::listPrint() {
    QFETCH(int, lines);
    ReportTemplate t = *ReportTemplate::Load(ListPath);
    FillList(t, lines);
    QString error;
    QVERIFY2(t.Prepare(&error), qPrintable(error));
    const QString pdf = m_dir.filePath(QStringLiteral("list%1.pdf").arg(lines));
    QVERIFY2(SavePdf(t.Prepared(), pdf, &error), qPrintable(error));
    const pdftext::Document doc = pdftext::Read(pdf);
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    QCOMPARE(doc.pages.size(), t.Prepared().PageCount());

    // Landscape A4 with 10 mm margins.
    const double top = 10 * OneMmPt, bottom = (210 - 10) * OneMmPt;
    for (const QSizeF& size : doc.pages) {
        QVERIFY(std::abs(size.width() - 297 * OneMmPt) < 1);
        QVERIFY(std::abs(size.height() - 210 * OneMmPt) < 1);
    }

    // The title only at the top of page 1.
    for (int p = 0; p < doc.pages.size(); ++p) {
        const QVector<QRectF> hits = pdftext::Find(doc, p, Title);
        QCOMPARE(hits.size(), p == 0 ? 1 : 0);
        if (p == 0)
            QVERIFY(hits[0].top() > top && hits[0].top() < top + 30.23624 * 0.75);
    }

    // Every list line once, in order, inside the printable area; keys read page by page, top to bottom.
    struct Seen {
        int key, page;
        QRectF box;
    };
    QVector<Seen> seen;
    static const QRegularExpression key(QStringLiteral("^(\\d{4})$"));
    for (const pdftext::Word& w : doc.words) {
        const auto m = key.match(w.text);
        if (m.hasMatch())
            seen.push_back({m.captured(1).toInt(), w.page, w.box});
    }
    std::stable_sort(seen.begin(), seen.end(), [](const Seen& a, const Seen& b) {
        return a.page != b.page ? a.page < b.page : a.box.top() < b.box.top();
    });
    QCOMPARE(seen.size(), lines);
    for (int i = 0; i < seen.size(); ++i) {
        QCOMPARE(seen[i].key, i + 1);
        QVERIFY(seen[i].box.top() >= top && seen[i].box.bottom() <= bottom);
    }
    // Each whole line is there with its columns (the fixed-pitch text is not cut or merged).
    for (int i = 1; i <= lines; i += 37)
        QCOMPARE(pdftext::Find(doc, seen[i - 1].page, ListLine(i), 100).size(), 1);

    // Pages are used to their bottom before the list moves on: a page that ends inside the list keeps
    // less than two lines of room.
    const double pitch = MemoPitch(*t.FindObject("txtRiepilogo")) * 0.75;
    for (int i = 0; i + 1 < seen.size(); ++i)
        if (seen[i + 1].page != seen[i].page)
            QVERIFY2(bottom - seen[i].box.bottom() < 2 * pitch,
                     qPrintable(QString::number(bottom - seen[i].box.bottom())));

    // The footer once, on the last page, directly after the master data band: the band ends one line
    // pitch plus 10 units below its last line's top (the program sizes it so), and txtPagina sits
    // 7.55906 units into the footer band.
    const int last = doc.pages.size() - 1;
    for (int p = 0; p < last; ++p)
        QCOMPARE(pdftext::Find(doc, p, Footer).size(), 0);
    const QVector<QRectF> footer = pdftext::Find(doc, last, Footer);
    QCOMPARE(footer.size(), 1);
    double bandEnd; // points
    if (lines == 0) {
        bandEnd = top + (30.23624 + 10) * 0.75; // the title band, then the empty master data band
    } else {
        QCOMPARE(seen.last().page, last);
        bandEnd = seen.last().box.top() + (12.822 + 10) * 0.75;
    }
    const double expected = bandEnd + (7.55906 + 1) * 0.75;
    QVERIFY2(std::abs(footer[0].top() - expected) <= OneMmPt,
             qPrintable(QStringLiteral("footer at %1, expected %2").arg(footer[0].top()).arg(expected)));
    if (lines == 200)
        QVERIFY(doc.pages.size() >= 3);
    else
        QCOMPARE(doc.pages.size(), 1);
}

void tst_reportEngine::prepareDiscardsPreviousResult() {
    ReportTemplate t = *ReportTemplate::Load(ListPath);
    FillList(t, 200);
    QVERIFY(t.Prepare());
    const int pages = t.Prepared().PageCount();
    QVERIFY(pages > 1);
    // Filled again as a second print does: the same pages, nothing accumulated from the first.
    FillList(t, 200);
    QVERIFY(t.Prepare());
    QCOMPARE(t.Prepared().PageCount(), pages);
    FillList(t, 1);
    QVERIFY(t.Prepare());
    QCOMPARE(t.Prepared().PageCount(), 1);
}

void tst_reportEngine::splitBandNeverLosesOrRepeatsLines() {
    // Over many list lengths, including those that end exactly at a page bottom, the prepared pages
    // carry every line once in order, and no line is placed beyond the printable area.
    ReportTemplate t = *ReportTemplate::Load(ListPath);
    const QRectF area = t.pages[1].PrintableRect();
    for (int n = 40; n <= 130; ++n) {
        FillList(t, n);
        QVERIFY(t.Prepare());
        QStringList printed;
        for (const PreparedPage& page : t.Prepared().pages)
            for (const PreparedItem& item : page.items)
                if (item.object.name == QLatin1String("txtRiepilogo")) {
                    printed += item.object.lines;
                    const double top = item.textTop >= 0 ? item.textTop : item.object.rect.top() + item.object.gapY;
                    const double end = top + item.object.lines.size() * MemoPitch(item.object);
                    QVERIFY2(end <= area.bottom() + 1e-6, qPrintable(QString::number(n)));
                    QVERIFY(end <= item.clip.bottom() + 1e-6);
                }
        QCOMPARE(printed.size(), n);
        for (int i = 0; i < n; ++i)
            QCOMPARE(printed[i], ListLine(i + 1));
    }
}

QTEST_MAIN(tst_reportEngine)
#include "tst_reportEngine.moc"
