// The registry search opened from the receipt editor's red arrow: criteria, the alphabetical list, its
// count text, the print title and the payer import that fills exactly seven receipt fields.
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Carvenna.h"
#include "receipts/Ricevuta.h"
#include "search/TrovaTiratori.h"
#include "storage/RegistryFile.h"
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

RegistryRecord Card(const QString& parent, const QString& child, const QString& note = {}) {
    RegistryRecord r;
    r.Tiratore = parent;
    r.CodFisc = QStringLiteral("CF ") + parent.left(5).toUpper();
    r.Ente = QStringLiteral("Retta di ") + child;
    r.Armi = child;
    r.Porto = QStringLiteral("Nato a ") + child;
    r.InizioPor = QStringLiteral("01/02/2022");
    r.FinePor = QStringLiteral("Bonifico ") + child;
    r.Cel = QStringLiteral("333 000111");
    r.Gruppo = QStringLiteral("Nonna");
    r.Quota = QStringLiteral("90,00");
    r.Note = note;
    return r;
}

struct Fixture {
    TestPlatform tp;
    TestPrinting printing{tp.dir.path()};
    std::unique_ptr<Carvenna> app;
    TfrmRicevuta* editor = nullptr;

    Fixture() {
        tp.platform.printing = &printing;
        app = std::make_unique<Carvenna>(tp.platform);
        app->Start();
        editor = app->ricevuta();
        editor->ui.lblFile->setText(tp.Path(QStringLiteral("2026.ric")));
        editor->show();
    }
    void Store(const QVector<RegistryRecord>& cards) {
        RegistryFile f;
        QVERIFY(f.OpenOrCreate(tp.platform.programFolder));
        for (const RegistryRecord& r : cards)
            QVERIFY(f.AppendRecord(r));
        QVERIFY(f.Close());
    }
    bool Import(const std::function<void(TfrmTrovaTiratori*)>& act) {
        std::unique_ptr<ModalHelper> h(ModalHelper::When<TfrmTrovaTiratori>([&](TfrmTrovaTiratori* w) {
            act(w);
            if (w->isVisible())
                w->close();
        }));
        editor->ui.impPagatore->click();
        return h->Handled() && h->Unexpected().isEmpty();
    }
};

void DoubleClickRow(QListView* list, int row) {
    const QRect r = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

// Every edit box and data label of the receipt editor, by name.
QMap<QString, QString> EditorTexts(TfrmRicevuta* e) {
    QMap<QString, QString> t;
    for (QLineEdit* l : e->findChildren<QLineEdit*>())
        t[l->objectName()] = l->text();
    for (QLabel* l : e->findChildren<QLabel*>())
        if (l->objectName().startsWith(QLatin1String("txt")) || l->objectName().startsWith(QLatin1String("lbl")))
            t[l->objectName()] = l->text();
    return t;
}

} // namespace

class TestTrovaTiratori : public QObject {
    Q_OBJECT
private slots:
    void listIsAlphabeticalWithCount_data();
    void listIsAlphabeticalWithCount();
    void payerImportFillsSevenFields();
    void emptyRegistry();
    void printTitle();
};

void TestTrovaTiratori::listIsAlphabeticalWithCount_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("parents");
    QTest::newRow("no criterion") << ""
                                  << "" << QStringList{"bassi Leo", "Conti Dora", "zanetti Rita", "Zeno Ada"};
    QTest::newRow("note, capitals") << "txtNote"
                                    << "PAGA" << QStringList{"Conti Dora", "Zeno Ada"};
    QTest::newRow("child") << "txtArmi"
                           << "ivo" << QStringList{"zanetti Rita"};
    QTest::newRow("nothing") << "txtTessera"
                             << "X1" << QStringList{};
}

void TestTrovaTiratori::listIsAlphabeticalWithCount() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QStringList, parents);
    Fixture f;
    f.Store({Card("Zeno Ada", "Ugo", "paga a rate"), Card("bassi Leo", "Ian"), Card("zanetti Rita", "Ivo"),
             Card("Conti Dora", "Bea", "Paga sempre")});
    QVERIFY(f.Import([&](TfrmTrovaTiratori* w) {
        QCOMPARE(w->windowTitle(), QStringLiteral(" Trova schede anagrafiche in archivio"));
        QCOMPARE(w->focusWidget()->objectName(), QStringLiteral("txtTiratore"));
        if (!field.isEmpty())
            QTest::keyClicks(w->findChild<QLineEdit*>(field), typed);
        QTest::mouseClick(w->panAvvio->btnCerca, Qt::LeftButton);
        QCOMPARE(w->lblTrovate->text(), QStringLiteral("Il presente riepilogo contiene %1 schede").arg(parents.size()));
        QCOMPARE(w->lblRigo03->text(),
                 QStringLiteral("Fare doppio clic sulla voce in elenco per richiamare la scheda"));
        QStringList shown;
        for (int i = 0; i < w->lstRecords->model()->rowCount(); ++i)
            shown << w->lstRecords->model()->index(i, 0).data().toString().left(28).trimmed();
        QCOMPARE(shown, parents);
    }));
}

void TestTrovaTiratori::payerImportFillsSevenFields() {
    Fixture f;
    f.Store({Card("Rossi Mario", "Luca"), Card("Bianchi Anna", "Sara"), Card("Verdi Carla", "Ugo")});
    // A stored receipt on screen: only payer and child may change, its position included.
    f.editor->ui.txtNumRic->setText(QStringLiteral("41"));
    f.editor->ui.txtPagatore->setText(QStringLiteral("vecchio"));
    f.editor->ui.lblPosizione->setText(QStringLiteral("7"));
    const QMap<QString, QString> before = EditorTexts(f.editor);
    QVERIFY(f.Import([&](TfrmTrovaTiratori* w) {
        QTest::mouseClick(w->panAvvio->btnCerca, Qt::LeftButton);
        QCOMPARE(w->Records().positions, (QVector<qint64>{2, 1, 3}));
        DoubleClickRow(w->lstRecords, 1); // Rossi Mario, card 1
        QVERIFY(!w->isVisible());
    }));
    QMap<QString, QString> expected = before;
    expected[QStringLiteral("txtPagatore")] = QStringLiteral("Rossi Mario");
    expected[QStringLiteral("txtCodFisc")] = QStringLiteral("CF ROSSI");
    expected[QStringLiteral("txtSport")] = QStringLiteral("Retta di Luca");
    expected[QStringLiteral("txtPraticante")] = QStringLiteral("Luca");
    expected[QStringLiteral("txtLuogoNasc")] = QStringLiteral("Nato a Luca");
    expected[QStringLiteral("txtDataNasc")] = QStringLiteral("01/02/2022");
    expected[QStringLiteral("txtIndirizzo")] = QStringLiteral("Bonifico Luca");
    const QMap<QString, QString> after = EditorTexts(f.editor);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QVERIFY2(after.value(it.key()) == it.value(),
                 qPrintable(it.key() + QLatin1String(": ") + after.value(it.key())));
    QCOMPARE(after.size(), expected.size());
    QVERIFY(f.tp.messages.Take().isEmpty());
}

void TestTrovaTiratori::emptyRegistry() {
    Fixture f;
    QVERIFY(f.Import([&](TfrmTrovaTiratori* w) {
        QTest::mouseClick(w->panAvvio->btnCerca, Qt::LeftButton);
        QCOMPARE(w->lblTrovate->text(), QStringLiteral("Il presente riepilogo contiene 0 schede"));
        QTest::mouseClick(w->btnTrova, Qt::LeftButton);
    }));
    const QStringList texts = f.tp.messages.TakeTexts();
    QCOMPARE(texts, QStringList{"Ricerca non applicabile: la lista non contiene nessuna voce."});
    QVERIFY(QFile::exists(f.tp.Path(QStringLiteral("Archivio_Iscritti.pro"))));
}

void TestTrovaTiratori::printTitle() {
    Fixture f;
    f.Store({Card("Rossi Mario", "Luca")});
    QVERIFY(f.Import([&](TfrmTrovaTiratori* w) {
        QTest::mouseClick(w->panAvvio->btnCerca, Qt::LeftButton);
        QTest::mouseClick(w->btnStampa, Qt::LeftButton);
    }));
    QCOMPARE(f.printing.jobs.size(), 1);
    QCOMPARE(f.printing.jobs[0].title, QStringLiteral("Riepilogo dati"));
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), f.printing.LastPdf(), QStringLiteral("-")});
    QVERIFY(p.waitForFinished(60000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput())
                             .normalized(QString::NormalizationForm_KC); // "fi" may print as a ligature
    QVERIFY(text.contains(QStringLiteral("Riepilogo schede anagrafiche")));
    QVERIFY(text.contains(QStringLiteral("Rossi Mario")));
}

QTEST_MAIN(TestTrovaTiratori)
#include "tst_trovatiratori.moc"
