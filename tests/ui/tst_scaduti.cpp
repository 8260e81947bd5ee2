// The expired certificates and expired enrolments lists: built when shown, compared with today's date
// from the clock, alphabetical, with "Trova" and the print.
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Carvenna.h"
#include "search/CertScaduti.h"
#include "search/TessereScadute.h"
#include "storage/RegistryFile.h"
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <memory>

namespace {

RegistryRecord Card(const QString& parent, const QString& certificate, const QString& enrolmentEnd) {
    RegistryRecord r;
    r.Tiratore = parent;
    r.Armi = QStringLiteral("Figlio di ") + parent;
    r.Cel = QStringLiteral("333 1234567");
    r.CodFisc = QStringLiteral("XXXYYY80A01H501Z");
    r.Tessera = QStringLiteral("T-") + parent.left(3);
    r.Studio = certificate;
    r.FineTes = enrolmentEnd;
    r.Quota = QStringLiteral("80,00");
    return r;
}

struct Fixture {
    TestPlatform tp;
    TestPrinting printing{tp.dir.path()};
    std::unique_ptr<Carvenna> app;
    Fixture() {
        tp.platform.printing = &printing;
        app = std::make_unique<Carvenna>(tp.platform);
        // Today is 10/12/2026 on the test clock.
        RegistryFile f;
        if (!f.OpenOrCreate(tp.platform.programFolder))
            return;
        for (const RegistryRecord& r :
             {Card("Zanetti Rita", "09/12/2026", "31/12/2026"), Card("alberti Gino", "10/12/2026", "01/12/2026"),
              Card("Moro Elsa", "31/02/2026", "non valida"), Card("Bassi Leo", "01/01/2020", "09/12/2026"),
              Card("Conti Dora", "11/12/2026", "")})
            f.AppendRecord(r);
        f.Close();
    }
};

QStringList Parents(ListWindow& w) {
    QStringList out;
    for (int i = 0; i < w.lstRecords->model()->rowCount(); ++i)
        out << w.lstRecords->model()->index(i, 0).data().toString().left(28).trimmed();
    return out;
}

QString PdfText(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC); // "fi" may print as a ligature
}

} // namespace

class TestScaduti : public QObject {
    Q_OBJECT
private slots:
    void lists_data();
    void lists();
    void emptyRegistry();
};

void TestScaduti::lists_data() {
    QTest::addColumn<bool>("certificates");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("parents");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<QString>("title");
    // Expiring today is not listed, yesterday is; invalid dates are skipped; case of A-Z ignored in the order.
    QTest::newRow("certificates") << true << " Riepilogo certificati medici scaduti"
                                  << QStringList{"Bassi Leo", "Zanetti Rita"}
                                  << QStringLiteral("Bassi Leo                       Cel. 333 1234567           C.F. "
                                                    "XXXYYY80A01H501Z  Minore: Figlio di Bassi Leo             "
                                                    "Scad. certificato: 01/01/2020")
                                  << "Riepilogo certificati medici scaduti";
    QTest::newRow("enrolments") << false << " Riepilogo iscrizioni scadute" << QStringList{"alberti Gino", "Bassi Leo"}
                                << QStringLiteral("alberti Gino                  Cel. 333 1234567     Minore: Figlio "
                                                  "di alberti Gino        Isc. n. T-alb                 Scad. "
                                                  "01/12/2026  Quota: € 80,00")
                                << "Riepilogo iscrizioni scadute";
}

void TestScaduti::lists() {
    QFETCH(bool, certificates);
    QFETCH(QString, caption);
    QFETCH(QStringList, parents);
    QFETCH(QString, firstLine);
    QFETCH(QString, title);
    Fixture f;
    std::unique_ptr<ListWindow> w;
    if (certificates)
        w = std::make_unique<TfrmCertScaduti>(*f.app);
    else
        w = std::make_unique<TfrmTessereScadute>(*f.app);
    w->show();
    QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(Parents(*w), parents);
    QCOMPARE(w->lstRecords->model()->index(0, 0).data().toString(), firstLine);
    QCOMPARE(w->focusWidget(), w->txtTrova);
    QCOMPARE(w->SelectedRow(), 0);

    // Trova moves to the line holding the key.
    QTest::keyClicks(w->txtTrova, parents[1].left(4).toUpper());
    QTest::mouseClick(w->btnTrova, Qt::LeftButton);
    QCOMPARE(w->SelectedRow(), 1);

    // The print: title, every line, the stamp after the last line; the window stays.
    QTest::mouseClick(w->btnStampa, Qt::LeftButton);
    QVERIFY(w->isVisible());
    QCOMPARE(f.printing.jobs.size(), 1);
    const QString text = PdfText(f.printing.LastPdf());
    QVERIFY(text.contains(title));
    const int stamp = text.indexOf(QStringLiteral("Stampa eseguita in data 10/12/2026"));
    QVERIFY(stamp > text.indexOf(parents[1]));
    QVERIFY(text.indexOf(parents[0]) < text.indexOf(parents[1]));
    QVERIFY(f.tp.messages.Take().isEmpty());

    // Closing empties the list.
    w->close();
    QCOMPARE(w->lstRecords->model()->rowCount(), 0);
}

void TestScaduti::emptyRegistry() {
    TestPlatform tp;
    Carvenna app(tp.platform);
    TfrmTessereScadute w(app);
    w.show();
    QCOMPARE(w.lstRecords->model()->rowCount(), 0);
    QTest::mouseClick(w.btnTrova, Qt::LeftButton);
    QCOMPARE(tp.messages.TakeTexts(), QStringList{"Ricerca non applicabile: la lista non contiene nessuna voce."});
}

QTEST_MAIN(TestScaduti)
#include "tst_scaduti.moc"
