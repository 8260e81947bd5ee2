// The receipt search as the user meets it: opened from the receipt editor's "Trova", criteria typed,
// "Cerca", the list, "Trova" in the list, the print and the double-click that loads a receipt.
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Carvenna.h"
#include "receipts/Ricevuta.h"
#include "search/TrovaRic.h"
#include "storage/ReceiptFile.h"
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

ReceiptRecord Receipt(int n, const QString& payer, const QString& cause) {
    ReceiptRecord r;
    r.NumRic = QString::number(n);
    r.Data = QStringLiteral("0%1/03/2026").arg(n % 9 + 1);
    r.Importo = QStringLiteral("150");
    r.Cents = QStringLiteral("00");
    r.ImpLettere = QStringLiteral("CENTOCINQUANTA");
    r.CentLettere = QStringLiteral("00");
    r.Intero = QStringLiteral("150,00");
    r.Ricevente01 = QStringLiteral("Scuola Girasole");
    r.Pagatore = payer;
    r.CodFisc = QStringLiteral("RSSMRA80A01H501U");
    r.Sport = cause;
    r.Dal = QStringLiteral("01/03/2026");
    r.Al = QStringLiteral("31/03/2026");
    r.Praticante = QStringLiteral("Bimbo %1").arg(n);
    r.LuogoNasc = QStringLiteral("Roma");
    r.DataNasc = QStringLiteral("02/02/2022");
    r.Indirizzo = QStringLiteral("Contanti");
    return r;
}

struct Fixture {
    TestPlatform tp;
    TestPrinting printing{tp.dir.path()};
    std::unique_ptr<Carvenna> app;
    TfrmRicevuta* editor = nullptr;
    QString file;

    Fixture() {
        tp.platform.printing = &printing;
        app = std::make_unique<Carvenna>(tp.platform);
        app->Start();
        editor = app->ricevuta();
        file = tp.Path(QStringLiteral("2026.ric"));
        editor->ui.lblFile->setText(file);
        editor->show();
    }
    void Store(const QVector<ReceiptRecord>& recs) {
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(file));
        for (const ReceiptRecord& r : recs)
            QVERIFY(f.AppendRecord(r));
        QVERIFY(f.Close());
    }
    // Clicks the editor's "Trova" and runs `act` on the search window while it is open.
    bool Open(const std::function<void(TfrmTrovaRic*)>& act) {
        std::unique_ptr<ModalHelper> h(ModalHelper::When<TfrmTrovaRic>([&](TfrmTrovaRic* w) {
            act(w);
            if (w->isVisible())
                w->close();
        }));
        editor->ui.cmdTrova->click();
        return h->Handled() && h->Unexpected().isEmpty();
    }
};

QLineEdit* Edit(QWidget* w, const char* name) {
    return w->findChild<QLineEdit*>(QLatin1String(name));
}

void DoubleClickRow(QListView* list, int row) {
    const QRect r = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

} // namespace

class TestTrovaRic : public QObject {
    Q_OBJECT
private slots:
    void opensOnCriteria();
    void enterRunsRoundTheCriteria();
    void search_data();
    void search();
    void findInList();
    void findOnEmptyList();
    void doubleClickLoadsTheClickedReceipt();
    void doubleClickOtherContextChangesNothing();
    void archiveFailureKeepsCriteria();
    void printsTheList();
};

void TestTrovaRic::opensOnCriteria() {
    Fixture f;
    QVERIFY(f.Open([](TfrmTrovaRic* w) {
        QCOMPARE(w->windowTitle(), QStringLiteral(" Trova ricevute in archivio"));
        QCOMPARE(w->lblMemory->text(), QStringLiteral("ricevuta"));
        QVERIFY(w->panAvvio->isVisible());
        QVERIFY(!w->panContainer->isVisible());
        QCOMPARE(w->focusWidget(), Edit(w, "txtNumRic"));
        QVERIFY(w->findChild<QWidget*>(QStringLiteral("effNumRic"))->isVisible());
        QVERIFY(!w->findChild<QWidget*>(QStringLiteral("effData"))->isVisible());
        QVERIFY(!w->panAvvio->lblAttendere->isVisible());
    }));
}

void TestTrovaRic::enterRunsRoundTheCriteria() {
    Fixture f;
    QVERIFY(f.Open([](TfrmTrovaRic* w) {
        const char* ring[] = {"txtNumRic",     "txtData",     "txtPagatore",  "txtCodFisc",   "txtSport", "txtDal",
                              "txtPraticante", "txtDataNasc", "txtLuogoNasc", "txtIndirizzo", "txtNumRic"};
        for (int i = 0; i + 1 < int(std::size(ring)); ++i) {
            QCOMPARE(w->focusWidget()->objectName(), QLatin1String(ring[i]));
            QTest::keyClick(w->focusWidget(), Qt::Key_Return);
        }
        QCOMPARE(w->focusWidget(), Edit(w, "txtNumRic"));
        QVERIFY(w->panAvvio->isVisible()); // Enter never pressed "Cerca"
    }));
}

void TestTrovaRic::search_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVector<int>>("numbers");
    QTest::addColumn<QString>("count");
    QTest::newRow("no criterion") << ""
                                  << "" << QVector<int>{1, 2, 3} << "Il presente elenco contiene 3 schede.";
    QTest::newRow("payer in capitals") << "txtPagatore"
                                       << "ROSSI" << QVector<int>{1, 3} << "Il presente elenco contiene 2 schede.";
    QTest::newRow("leading blank") << "txtPagatore"
                                   << " rossi" << QVector<int>{3} << "Il presente elenco contiene 1 schede.";
    QTest::newRow("cause") << "txtSport"
                           << "aprile" << QVector<int>{2} << "Il presente elenco contiene 1 schede.";
    QTest::newRow("nothing") << "txtNumRic"
                             << "99" << QVector<int>{} << "Il presente elenco contiene 0 schede.";
}

void TestTrovaRic::search() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QVector<int>, numbers);
    QFETCH(QString, count);
    Fixture f;
    const QVector<ReceiptRecord> recs = {Receipt(1, "Rossi Mario", "Retta marzo"),
                                         Receipt(2, "Bianchi Anna", "Retta aprile"),
                                         Receipt(3, "De Rossi Pia", "Retta marzo")};
    f.Store(recs);
    QVERIFY(f.Open([&](TfrmTrovaRic* w) {
        if (!field.isEmpty())
            QTest::keyClicks(Edit(w, qPrintable(field)), typed);
        QTest::mouseClick(w->panAvvio->btnCerca, Qt::LeftButton);
        QVERIFY(!w->panAvvio->isVisible());
        QVERIFY(w->panContainer->isVisible());
        QCOMPARE(w->lblTrovate->text(), count);
        QCOMPARE(w->focusWidget(), w->txtTrova);
        QStringList expected;
        for (int n : numbers)
            expected << ReceiptListLine(recs[n - 1]);
        QCOMPARE(w->Records().lines, expected);
        QCOMPARE(w->lstRecords->model()->rowCount(), numbers.size());
        for (int i = 0; i < numbers.size(); ++i)
            QCOMPARE(w->lstRecords->model()->index(i, 0).data().toString(), expected[i]);
        QCOMPARE(w->lstRecords->font().family(), QStringLiteral("Courier New"));
        QVERIFY(!w->panAvvio->lblAttendere->isVisible());
    }));
    QVERIFY(f.tp.messages.Take().isEmpty());
}

void TestTrovaRic::findInList() {
    Fixture f;
    f.Store({Receipt(1, "Rossi Mario", "Retta"), Receipt(2, "Bianchi Anna", "Retta"), Receipt(3, "Neri Ugo", "Retta"),
             Receipt(4, "rossi Aldo", "Retta")});
    QVERIFY(f.Open([&](TfrmTrovaRic* w) {
        QTest::mouseClick(w->panAvvio->btnCerca, Qt::LeftButton);
        auto row = [w] { return w->SelectedRow(); };
        QTest::keyClicks(w->txtTrova, QStringLiteral("ROSSI"));
        QTest::keyClick(w->txtTrova, Qt::Key_Return); // Enter goes to "Trova", it does not press it
        QCOMPARE(w->focusWidget(), w->btnTrova);
        QCOMPARE(row(), 0);
        QTest::mouseClick(w->btnTrova, Qt::LeftButton); // new key: from the top, first line tested
        QCOMPARE(row(), 0);
        QTest::mouseClick(w->btnTrova, Qt::LeftButton); // same key: next match
        QCOMPARE(row(), 3);
        QTest::mouseClick(w->btnTrova, Qt::LeftButton); // wraps round
        QCOMPARE(row(), 0);
        w->txtTrova->setText(QStringLiteral("neri"));
        QTest::mouseClick(w->btnTrova, Qt::LeftButton);
        QCOMPARE(row(), 2);
        w->txtTrova->setText(QStringLiteral("verdi")); // no line holds it: the selection stays
        QTest::mouseClick(w->btnTrova, Qt::LeftButton);
        QCOMPARE(row(), 2);
    }));
    QVERIFY(f.tp.messages.Take().isEmpty());
}

void TestTrovaRic::findOnEmptyList() {
    Fixture f;
    QVERIFY(f.Open([&](TfrmTrovaRic* w) {
        QTest::mouseClick(w->panAvvio->btnCerca, Qt::LeftButton);
        QCOMPARE(w->lblTrovate->text(), QStringLiteral("Il presente elenco contiene 0 schede."));
        QTest::keyClicks(w->txtTrova, QStringLiteral("x"));
        QTest::mouseClick(w->btnTrova, Qt::LeftButton);
    }));
    const auto shown = f.tp.messages.Take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(int(shown[0].kind), int(Messages::Kind::Plain));
    QCOMPARE(shown[0].text, QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce."));
}

void TestTrovaRic::doubleClickLoadsTheClickedReceipt() {
    // Receipts 1 and 3 share their list line (a name cut at 26 characters); each line loads its own.
    Fixture f;
    ReceiptRecord a = Receipt(1, "Castiglioni Alessandrini Bartolomeo", "Retta");
    ReceiptRecord b = Receipt(2, "Bianchi Anna", "Retta");
    ReceiptRecord c = a;
    c.CodFisc = QStringLiteral("CSTBRT70A01F205X");
    c.Praticante = QStringLiteral("Altro bimbo");
    f.Store({a, b, c});
    QCOMPARE(ReceiptListLine(a), ReceiptListLine(c));
    for (int row : {0, 1}) {
        QVERIFY(f.Open([&](TfrmTrovaRic* w) {
            QTest::keyClicks(Edit(w, "txtPagatore"), QStringLiteral("castiglioni"));
            QTest::mouseClick(w->panAvvio->btnCerca, Qt::LeftButton);
            QCOMPARE(w->Records().positions, (QVector<qint64>{1, 3}));
            DoubleClickRow(w->lstRecords, row);
            QVERIFY(!w->isVisible());
        }));
        const ReceiptRecord& expected = row == 0 ? a : c;
        QCOMPARE(f.editor->ui.lblPosizione->text(), QString::number(row == 0 ? 1 : 3));
        QCOMPARE(f.editor->RecordFromScreen(), expected);
    }
    QVERIFY(f.tp.messages.Take().isEmpty());
}

void TestTrovaRic::doubleClickOtherContextChangesNothing() {
    Fixture f;
    f.Store({Receipt(1, "Rossi Mario", "Retta")});
    f.editor->ui.txtPagatore->setText(QStringLiteral("in corso"));
    f.editor->ui.lblPosizione->clear();
    TfrmTrovaRic w(*f.app, f.editor);
    w.lblMemory->setText(QStringLiteral("altro"));
    w.show();
    QTest::mouseClick(w.panAvvio->btnCerca, Qt::LeftButton);
    QCOMPARE(w.Records().lines.size(), 1);
    DoubleClickRow(w.lstRecords, 0);
    QVERIFY(!w.isVisible());
    QCOMPARE(f.editor->ui.txtPagatore->text(), QStringLiteral("in corso"));
    QVERIFY(f.editor->ui.lblPosizione->text().isEmpty());
}

void TestTrovaRic::archiveFailureKeepsCriteria() {
    Fixture f;
    f.editor->ui.lblFile->setText(f.tp.Path(QStringLiteral("no/such/folder/2026.ric")));
    QVERIFY(f.Open([&](TfrmTrovaRic* w) {
        QTest::mouseClick(w->panAvvio->btnCerca, Qt::LeftButton);
        QVERIFY(w->panAvvio->isVisible());
        QVERIFY(!w->panContainer->isVisible());
    }));
    const auto shown = f.tp.messages.Take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(int(shown[0].kind), int(Messages::Kind::Warning));
    QCOMPARE(shown[0].text, QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.\n\r\n\r"
                                           "Accertarsi di possedere i privilegi di scrittura nella cartella di "
                                           "installazione del programma."));
}

void TestTrovaRic::printsTheList() {
    Fixture f;
    f.Store({Receipt(1, "Rossi Mario", "Retta"), Receipt(2, "Bianchi Anna", "Retta")});
    QVERIFY(f.Open([&](TfrmTrovaRic* w) {
        QTest::mouseClick(w->panAvvio->btnCerca, Qt::LeftButton);
        w->lstRecords->setCurrentIndex(w->lstRecords->model()->index(1, 0));
        QTest::mouseClick(w->btnStampa, Qt::LeftButton);
        QVERIFY(w->isVisible()); // the window stays, list and selection unchanged
        QCOMPARE(w->SelectedRow(), 1);
        QCOMPARE(w->Records().lines.size(), 2);
    }));
    QCOMPARE(f.printing.jobs.size(), 1);
    QVERIFY(!f.printing.jobs[0].preview);
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), f.printing.LastPdf(), QStringLiteral("-")});
    QVERIFY(p.waitForFinished(60000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput())
                             .normalized(QString::NormalizationForm_KC); // "fi" may print as a ligature
    QVERIFY(text.contains(QStringLiteral("Riepilogo ricevute emesse")));
    QVERIFY(text.indexOf(QStringLiteral("Ric. n. 1 ")) < text.indexOf(QStringLiteral("Ric. n. 2 ")));
    QVERIFY(text.contains(QStringLiteral("Stampa eseguita in data 10/12/2026 alle ore 10:30:00")));
    QVERIFY(f.tp.messages.Take().isEmpty());
}

QTEST_MAIN(TestTrovaRic)
#include "tst_trovaric.moc"
