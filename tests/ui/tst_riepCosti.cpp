// The takings summary work area: the criteria window's keys, checks and messages, and the summary
// window it opens (listing, total, the warning of an incomplete listing, find, print, guide).
#include "../report/PdfText.h"
#include "ModalHelper.h"
#include "ReceiptYear.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Avvio.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "app/Password.h"
#include "storage/ReceiptFile.h"
#include "summary/MenuRiepCosti.h"
#include "summary/RiepCosti.h"
#include <QFile>
#include <QScopeGuard>
#include <QtTest>
#include <memory>

namespace {

struct Receipt {
    QString num, data, payer, reason, intero;
};

const QVector<Receipt> kYear = {
    {"1", "28/02/2026", "Rossi Mario", "Retta mensile", "150,00"},
    {"2", "01/03/2026", "Bianchi Anna", "Retta mensile", "100"},
    {"3", "15/03/2026", "ROSSI MARIO", "Iscrizione", "12,5"},
    {"4", "31/03/2026", "Verdi Luca", "Mensa scolastica", "0,3"},
    {"5", "01/04/2026", "Rossi Mario", "Retta mensile", "150,00"},
};

// What the summary window showed, read while it was open.
struct Shown {
    QStringList rows;
    QString total, interval, payer, count;
    QStringList inList = {}; // the texts the list view's model gives, row by row
};

} // namespace

class tst_riepCosti : public QObject {
    Q_OBJECT

    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<TestPrinting> m_printing;
    std::unique_ptr<Carvenna> m_app;

    TfrmMenuRiepCosti& Menu() { return *m_app->menuRiepCosti(); }

    void WriteYear(const QVector<Receipt>& rows, const QString& year = QStringLiteral("2026")) {
        const QString path = m_tp->Path(year + QStringLiteral(".ric"));
        QCOMPARE(WriteReceiptYear(path, rows,
                                  [](const Receipt& r) {
                                      ReceiptRecord rec;
                                      rec.NumRic = r.num;
                                      rec.Data = r.data;
                                      rec.Pagatore = r.payer;
                                      rec.Sport = r.reason;
                                      rec.Intero = r.intero;
                                      rec.Dal = QStringLiteral("01/03/2026");
                                      rec.Al = QStringLiteral("31/03/2026");
                                      return rec;
                                  }),
                 path);
    }

    static void Pick(QComboBox* field, const QString& item) {
        field->setCurrentIndex(field->findText(item));
        QCOMPARE(field->currentText(), item);
    }

    void Criteria(const QString& year, const QString& d1, const QString& m1, const QString& d2, const QString& m2) {
        Menu().ui.txtAnno->clear();
        QTest::keyClicks(Menu().ui.txtAnno, year); // the year labels follow the keys
        for (auto [field, item] : {std::pair{Menu().ui.txtGiornoInizio, d1}, std::pair{Menu().ui.txtMeseInizio, m1},
                                   std::pair{Menu().ui.txtGiornoFine, d2}, std::pair{Menu().ui.txtMeseFine, m2}}) {
            if (item.isEmpty())
                field->setEditText(QString());
            else
                Pick(field, item);
        }
    }

    // Presses "Visualizza riepilogo" with the mouse; `act` runs on the summary window if it opens,
    // which is closed afterwards. Returns whether it opened.
    bool Visualizza(const std::function<void(TfrmRiepCosti*)>& act = {}) {
        bool waitingShownOnPress = false;
        auto* helper = ModalHelper::When<TfrmRiepCosti>(
            [&](TfrmRiepCosti* w) {
                auto close = qScopeGuard([w] { w->reject(); });
                if (act)
                    act(w);
            },
            this, 1500);
        auto check = qScopeGuard([helper] { delete helper; });
        QTest::mousePress(Menu().ui.btnVisualizza, Qt::LeftButton);
        waitingShownOnPress = Menu().ui.lblAttendere->isVisible();
        QTest::mouseRelease(Menu().ui.btnVisualizza, Qt::LeftButton);
        if (!helper->Handled())
            QTest::qWait(50); // a handled window has closed by now; give a stray one no chance
        [&] { QVERIFY(waitingShownOnPress); }();
        [&] { QVERIFY2(!Menu().ui.lblAttendere->isVisible(), "waiting label left on"); }();
        return helper->Handled();
    }

    Shown Summary(const QString& payer, const QString& reason, const QString& d1, const QString& m1, const QString& d2,
                  const QString& m2) {
        Criteria(QStringLiteral("2026"), d1, m1, d2, m2);
        Menu().ui.txtEsecutore->setText(payer);
        Menu().ui.txtCCP->setText(reason);
        Shown s;
        Visualizza([&](TfrmRiepCosti* w) {
            s = {w->Rows(), w->ui.lblTotCosti->text(), w->ui.lblIntervallo->text(), w->ui.titTipologia->text(),
                 w->ui.lblConta->text()};
            const QAbstractItemModel* model = w->ui.lstRecords->model();
            for (int i = 0; i < model->rowCount(); ++i)
                s.inList << model->index(i, 0).data().toString();
        });
        return s;
    }

private slots:
    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_printing = std::make_unique<TestPrinting>(m_tp->dir.path());
        m_tp->platform.printing = m_printing.get();
        m_app = std::make_unique<Carvenna>(m_tp->platform);
        m_app->Start();
        m_app->Switch(m_app->avvio(), m_app->password());
        m_app->avvio()->ui.imgApp03->click();
        QVERIFY(Menu().isVisible());
        QVERIFY(!m_app->avvio()->isVisible());
        QApplication::setActiveWindow(&Menu());
    }

    void cleanup() {
        if (m_tp)
            QVERIFY2(m_tp->messages.shown.isEmpty(), qPrintable(m_tp->messages.TakeTexts().join(" | ")));
        m_app.reset();
        m_printing.reset();
        m_tp.reset();
    }

    void openingResetsTheCriteria() {
        QCOMPARE(Menu().windowTitle(), QStringLiteral(" Carvenna - Riepilogo Incassi"));
        Criteria(QStringLiteral("2019"), "05", "Marzo", "10", "Aprile");
        Menu().ui.txtEsecutore->setText(QStringLiteral("Rossi"));
        Menu().ui.txtCCP->setText(QStringLiteral("Retta"));
        Menu().ui.btnEsci->click();
        QVERIFY(m_app->avvio()->isVisible());
        QVERIFY(!Menu().isVisible());
        m_app->avvio()->ui.btnApp03->click();
        QVERIFY(Menu().isVisible());
        QCOMPARE(Menu().ui.txtAnno->text(), QStringLiteral("2026"));
        QCOMPARE(Menu().ui.lblAnnoInizio->text(), QStringLiteral("2026"));
        QCOMPARE(Menu().ui.lblAnnoFine->text(), QStringLiteral("2026"));
        for (QComboBox* f :
             {Menu().ui.txtGiornoInizio, Menu().ui.txtMeseInizio, Menu().ui.txtGiornoFine, Menu().ui.txtMeseFine}) {
            QCOMPARE(f->currentText(), QString());
            QCOMPARE(f->currentIndex(), -1);
        }
        QCOMPARE(Menu().ui.txtEsecutore->text(), QString());
        QCOMPARE(Menu().ui.txtCCP->text(), QString());
        QCOMPARE(Menu().focusWidget(), Menu().ui.txtEsecutore);
        QCOMPARE(Menu().ui.txtGiornoInizio->count(), 31);
        QCOMPARE(Menu().ui.txtMeseFine->itemText(11), QStringLiteral("Dicembre"));
    }

    void keys_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("typed"); // '\b' is Backspace, '\r' Enter
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("focus");
        QTest::newRow("year takes digits only") << "txtAnno"
                                                << ""
                                                << "2a0-2 5"
                                                << "2025"
                                                << "txtAnno";
        QTest::newRow("year stops at four") << "txtAnno"
                                            << ""
                                            << "202512"
                                            << "2025"
                                            << "txtAnno";
        QTest::newRow("year Enter") << "txtAnno"
                                    << "2026"
                                    << "\r"
                                    << "2026"
                                    << "txtEsecutore";
        QTest::newRow("payer Enter") << "txtEsecutore"
                                     << ""
                                     << "Ro\r"
                                     << "Ro"
                                     << "txtCCP";
        QTest::newRow("reason Enter") << "txtCCP"
                                      << ""
                                      << "x\r"
                                      << "x"
                                      << "txtGiornoInizio";
        QTest::newRow("day refuses typing") << "txtGiornoInizio"
                                            << "05"
                                            << "1a/"
                                            << "05"
                                            << "txtGiornoInizio";
        QTest::newRow("day Backspace empties") << "txtGiornoInizio"
                                               << "05"
                                               << "\b"
                                               << ""
                                               << "txtGiornoInizio";
        QTest::newRow("start day Enter") << "txtGiornoInizio"
                                         << "05"
                                         << "\r"
                                         << "05"
                                         << "txtMeseInizio";
        QTest::newRow("start month Enter") << "txtMeseInizio"
                                           << "Marzo"
                                           << "\r"
                                           << "Marzo"
                                           << "txtGiornoFine";
        QTest::newRow("end day Enter") << "txtGiornoFine"
                                       << ""
                                       << "\r"
                                       << ""
                                       << "txtMeseFine";
        QTest::newRow("month refuses typing") << "txtMeseFine"
                                              << "Marzo"
                                              << "zo9"
                                              << "Marzo"
                                              << "txtMeseFine";
        QTest::newRow("end month Enter") << "txtMeseFine"
                                         << "Marzo"
                                         << "\r"
                                         << "Marzo"
                                         << "btnVisualizza";
    }
    void keys() {
        QFETCH(QString, field);
        QFETCH(QString, start);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(QString, focus);
        QWidget* w = Menu().findChild<QWidget*>(field);
        QVERIFY(w);
        auto* edit = qobject_cast<QLineEdit*>(w);
        auto* combo = qobject_cast<QComboBox*>(w);
        w->setFocus();
        if (edit)
            edit->setText(start);
        else if (start.isEmpty())
            combo->setEditText(QString());
        else
            Pick(combo, start);
        for (QChar c : typed) {
            if (c == u'\b')
                QTest::keyClick(w, Qt::Key_Backspace);
            else if (c == u'\r')
                QTest::keyClick(w, Qt::Key_Return);
            else
                QTest::keyClicks(w, QString(c));
        }
        QCOMPARE(edit ? edit->text() : combo->currentText(), text);
        QCOMPARE(Menu().focusWidget() ? Menu().focusWidget()->objectName() : QString(), focus);
        if (field == QLatin1String("txtAnno"))
            QCOMPARE(Menu().ui.lblAnnoFine->text(), text); // follows every key release
    }

    void leavingADayOrMonthKeepsOnlyListValues_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept");
        QTest::newRow("day of the list") << "txtGiornoInizio"
                                         << "31"
                                         << "31";
        QTest::newRow("day beyond 31") << "txtGiornoInizio"
                                       << "32"
                                       << "";
        QTest::newRow("day of one digit") << "txtGiornoFine"
                                          << "7"
                                          << "";
        QTest::newRow("month in any case") << "txtMeseInizio"
                                           << "MARZO"
                                           << "Marzo"; // the list's own spelling
        QTest::newRow("month cut short") << "txtMeseFine"
                                         << "Marz"
                                         << "";
    }
    void leavingADayOrMonthKeepsOnlyListValues() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, kept);
        auto* combo = Menu().findChild<QComboBox*>(field);
        combo->setFocus();
        combo->setEditText(text); // as if pasted by some road the keys do not close
        Menu().ui.txtEsecutore->setFocus();
        QCOMPARE(combo->currentText(), kept);
    }

    void checksRefuseWithTheirMessage_data() {
        QTest::addColumn<QStringList>("criteria"); // year, start day, start month, end day, end month
        QTest::addColumn<bool>("plain");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        const QString validDate =
            QString::fromUtf8("\n\r\n\rPer poter visualizzare il riepilogo è necessario indicare una data valida.");
        QTest::newRow("two-digit year") << QStringList{"24", "01", "Marzo", "31", "Marzo"} << false
                                        << "Attenzione: indicare l'anno solare utilizzando quattro cifre."
                                        << "txtAnno";
        QTest::newRow("no start day") << QStringList{"2026", "", "Marzo", "31", "Marzo"} << false
                                      << "Attenzione: indicare il giorno di inizio intervallo selezionandolo "
                                         "dall'elenco a cascata."
                                      << "txtGiornoInizio";
        QTest::newRow("no start month") << QStringList{"2026", "01", "", "31", "Marzo"} << false
                                        << "Attenzione: indicare il mese di inizio intervallo selezionandolo "
                                           "dall'elenco a cascata."
                                        << "txtMeseInizio";
        QTest::newRow("no end day") << QStringList{"2026", "01", "Marzo", "", "Marzo"} << false
                                    << "Attenzione: indicare il giorno di fine intervallo selezionandolo "
                                       "dall'elenco a cascata."
                                    << "txtGiornoFine";
        QTest::newRow("no end month") << QStringList{"2026", "01", "Marzo", "31", ""} << false
                                      << "Attenzione: indicare il mese di fine intervallo selezionandolo "
                                         "dall'elenco a cascata."
                                      << "txtMeseFine";
        QTest::newRow("31 April") << QStringList{"2024", "31", "Aprile", "30", "Maggio"} << true
                                  << "Attenzione: la data 31/04/2024 di inizio intervallo non esiste." + validDate
                                  << "txtGiornoInizio";
        QTest::newRow("29 February of a common year")
            << QStringList{"2023", "01", "Febbraio", "29", "Febbraio"} << true
            << "Attenzione: la data 29/02/2023 di fine intervallo non esiste." + validDate << "txtGiornoFine";
        QTest::newRow("start after end") << QStringList{"2026", "10", "Marzo", "09", "Marzo"} << true
                                         << QString::fromUtf8("Attenzione: la data di fine intervallo (09/03/2026) "
                                                              "non può essere anteriore a quella di inizio "
                                                              "intervallo (10/03/2026).\n\r\n\rPer poter "
                                                              "visualizzare il riepilogo è necessario indicare un "
                                                              "intervallo di tempo valido.")
                                         << "btnVisualizza"; // the clicked button keeps it
    }
    void checksRefuseWithTheirMessage() {
        QFETCH(QStringList, criteria);
        QFETCH(bool, plain);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        Criteria(criteria[0], criteria[1], criteria[2], criteria[3], criteria[4]);
        Menu().ui.txtCCP->setFocus(); // where the focus stays when a check names no field
        QVERIFY(!Visualizza());
        const auto shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, plain ? Messages::Kind::Plain : Messages::Kind::Warning);
        QCOMPARE(shown[0].text, message);
        QCOMPARE(Menu().focusWidget()->objectName(), focus);
    }

    void acceptedIntervals_data() {
        QTest::addColumn<QStringList>("criteria");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::newRow("same day") << QStringList{"2026", "09", "Marzo", "09", "Marzo"} << "09/03/2026"
                                  << "09/03/2026";
        QTest::newRow("29 February of a leap year")
            << QStringList{"2024", "29", "Febbraio", "31", "Dicembre"} << "29/02/2024"
            << "31/12/2024";
    }
    void acceptedIntervals() {
        QFETCH(QStringList, criteria);
        QFETCH(QString, start);
        QFETCH(QString, end);
        Criteria(criteria[0], criteria[1], criteria[2], criteria[3], criteria[4]);
        QString file;
        QVERIFY(Visualizza([&](TfrmRiepCosti* w) { file = w->ui.lblFile->text(); }));
        QCOMPARE(Menu().ui.lblDataInizio->text(), start);
        QCOMPARE(Menu().ui.lblDataFine->text(), end);
        QCOMPARE(file, m_tp->Path(criteria[0] + QStringLiteral(".ric")));
    }

    void listsTheFilteredInterval_data() {
        QTest::addColumn<QString>("payer");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("shownPayer");
        QTest::addColumn<QString>("count");
        QTest::newRow("no filter") << ""
                                   << "" << QStringList{"2", "3", "4"} << "112,80"
                                   << "- - -"
                                   << "0";
        QTest::newRow("payer, as typed") << "rossi "
                                         << "" << QStringList{"3"} << "12,50"
                                         << "rossi"
                                         << "1";
        QTest::newRow("reason") << ""
                                << "RETTA" << QStringList{"2"} << "100,00"
                                << "- - -"
                                << "1";
        QTest::newRow("both") << "verdi"
                              << "mensa" << QStringList{"4"} << "0,30"
                              << "verdi"
                              << "2";
        QTest::newRow("both, one misses") << "verdi"
                                          << "retta" << QStringList{} << "0,00"
                                          << "verdi"
                                          << "2";
        QTest::newRow("blanks only") << "  "
                                     << "" << QStringList{"2", "3", "4"} << "112,80"
                                     << "- - -"
                                     << "0";
    }
    void listsTheFilteredInterval() {
        QFETCH(QString, payer);
        QFETCH(QString, reason);
        QFETCH(QStringList, numbers);
        QFETCH(QString, total);
        QFETCH(QString, shownPayer);
        QFETCH(QString, count);
        WriteYear(kYear);
        const Shown s = Summary(payer, reason, "01", "Marzo", "31", "Marzo");
        QStringList listed;
        for (const QString& row : s.rows)
            listed << row.mid(8, 12).trimmed();
        QCOMPARE(listed, numbers);
        QCOMPARE(s.inList, s.rows);
        QCOMPARE(s.total, total);
        QCOMPARE(s.interval, QStringLiteral("Dal   01/03/2026   al   31/03/2026"));
        QCOMPARE(s.payer, shownPayer);
        QCOMPARE(s.count, count);
        if (!s.rows.isEmpty() && numbers.first() == QLatin1String("2"))
            QCOMPARE(s.rows.first(), QString::fromUtf8("Ric. n. 2             Data: 01/03/2026  Bianchi Anna      "
                                                       "          Causale: Retta mensile                   Dal "
                                                       "01/03/2026  Al 31/03/2026  Tot. € 100"));
    }

    void totalsOfSingleAmounts_data() {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("total");
        QTest::newRow("150") << "150"
                             << "150,00";
        QTest::newRow("12.5") << "12,5"
                              << "12,50";
        QTest::newRow("0.3") << "0,3"
                             << "0,30";
    }
    void totalsOfSingleAmounts() {
        QFETCH(QString, amount);
        QFETCH(QString, total);
        WriteYear({{"1", "05/05/2026", "Rossi", "Retta", amount}});
        QCOMPARE(Summary({}, {}, "01", "Gennaio", "31", "Dicembre").total, total);
    }

    void largeYearShowsTheExactTotal() {
        // A double running total shows 123456000,0002 here.
        ReceiptRecord rec;
        rec.NumRic = QStringLiteral("1");
        rec.Data = QStringLiteral("15/05/2026");
        rec.Intero = QStringLiteral("1234,56");
        QByteArray one, all;
        rec.Encode(one);
        for (int i = 0; i < 100000; ++i)
            all += one;
        QFile f(m_tp->Path(QStringLiteral("2026.ric")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(all), all.size());
        f.close();
        const Shown s = Summary({}, {}, "01", "Gennaio", "31", "Dicembre");
        QCOMPARE(s.rows.size(), 100000);
        QCOMPARE(s.total, QStringLiteral("123456000,00"));
    }

    void missingYearIsCreatedEmpty() {
        const QString path = m_tp->Path(QStringLiteral("2026.ric"));
        QVERIFY(!QFile::exists(path));
        const Shown s = Summary({}, {}, "01", "Gennaio", "31", "Dicembre");
        QVERIFY(s.rows.isEmpty());
        QCOMPARE(s.total, QStringLiteral("0,00"));
        QCOMPARE(s.interval, QStringLiteral("Dal   01/01/2026   al   31/12/2026"));
        QVERIFY(QFile::exists(path));
    }

    void damagedReceiptWarnsAndPrintRefuses() {
        WriteYear({kYear[1], {"2/B", "3l/03/2026", "Neri", "Retta", "10,00"}, kYear[2]});
        const QString warning = QString::fromUtf8(
            "Attenzione: la ricevuta in posizione 2 dell'archivio (ricevuta n. 2/B) non è leggibile: la data di "
            "emissione o l'importo non sono validi.\n\r\n\rIl riepilogo è incompleto e il totale degli importi non "
            "è stato calcolato.");
        Criteria(QStringLiteral("2026"), "01", "Marzo", "31", "Marzo");
        Shown s;
        QVERIFY(Visualizza([&](TfrmRiepCosti* w) {
            s = {w->Rows(), w->ui.lblTotCosti->text(), w->ui.lblIntervallo->text(), {}, {}};
            QCOMPARE(m_tp->messages.TakeTexts(), QStringList{warning});
            w->ui.btnStampa->click();
            QCOMPARE(m_tp->messages.TakeTexts(), QStringList{warning});
        }));
        QCOMPARE(s.rows.size(), 1);
        QCOMPARE(s.total, QStringLiteral("0,00"));
        QCOMPARE(s.interval, QStringLiteral("Dal gg/mm/aaaa al gg/mm/aaaa"));
        QVERIFY(m_printing->jobs.isEmpty());
    }

    void findMovesThroughTheMatches() {
        WriteYear(kYear);
        Criteria(QStringLiteral("2026"), "01", "Gennaio", "31", "Dicembre");
        QList<int> selected;
        QVERIFY(Visualizza([&](TfrmRiepCosti* w) {
            QCOMPARE(w->focusWidget(), w->ui.txtTrova);
            auto row = [w] {
                const QModelIndexList s = w->ui.lstRecords->selectionModel()->selectedIndexes();
                return s.isEmpty() ? -1 : s.first().row();
            };
            QTest::keyClicks(w->ui.txtTrova, QStringLiteral("ROSSI m"));
            for (int i = 0; i < 4; ++i) {
                QTest::mouseClick(w->ui.btnTrova, Qt::LeftButton);
                selected << row();
            }
            w->ui.txtTrova->setText(QStringLiteral("mensa"));
            QTest::mouseClick(w->ui.btnTrova, Qt::LeftButton);
            selected << row();
            w->ui.txtTrova->setText(QStringLiteral("nessuno"));
            QTest::mouseClick(w->ui.btnTrova, Qt::LeftButton);
            selected << row();
            QTest::keyClick(w->ui.txtTrova, Qt::Key_Return);
            QCOMPARE(w->focusWidget(), w->ui.btnTrova);
        }));
        // Rows 0, 2 and 4 hold Rossi Mario; after the last match the find starts again from the top.
        QCOMPARE(selected, (QList<int>{0, 2, 4, 0, 3, 3}));
    }

    void findAndPrintOnAnEmptyList() {
        Criteria(QStringLiteral("2026"), "01", "Gennaio", "31", "Dicembre");
        QVERIFY(Visualizza([&](TfrmRiepCosti* w) {
            w->ui.btnTrova->click();
            w->ui.btnStampa->click();
        }));
        const auto shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].kind, Messages::Kind::Plain);
        QCOMPARE(shown[0].text, QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce."));
        QCOMPARE(shown[1].kind, Messages::Kind::Warning);
        QCOMPARE(shown[1].text,
                 QStringLiteral("Operazione di stampa non applicabile: il riepilogo non contiene nessuna voce."));
        QVERIFY(m_printing->jobs.isEmpty());
    }

    void printsRowsIntervalAndTotal() {
        WriteYear(kYear);
        Criteria(QStringLiteral("2026"), "01", "Marzo", "31", "Marzo");
        m_tp->messages.answers << false << true;
        QStringList rows;
        double memoHeight = 0, bandHeight = 0;
        QVERIFY(Visualizza([&](TfrmRiepCosti* w) {
            rows = w->Rows();
            w->ui.btnStampa->click(); // answered No: nothing printed
            QVERIFY(m_printing->jobs.isEmpty());
            w->ui.btnStampa->click();
            auto* t = const_cast<report::ReportTemplate*>(w->Template());
            memoHeight = t->FindObject(QStringLiteral("txtRiepilogo"))->rect.height();
            bandHeight = t->FindObject(QStringLiteral("MasterData"))->rect.height();
        }));
        QCOMPARE(m_tp->messages.TakeTexts(),
                 (QStringList{"Si vuole stampare il presente riepilogo?", "Si vuole stampare il presente riepilogo?"}));
        QCOMPARE(m_printing->jobs.size(), 1);
        QCOMPARE(m_printing->jobs[0].title, QStringLiteral("Riepilogo incassi"));
        QCOMPARE(m_printing->jobs[0].fileName, QStringLiteral("Riepilogo_ricevute_2026-12-10.pdf"));
        QCOMPARE(memoHeight, 6 * 12.822);
        QCOMPARE(bandHeight, 6 * 12.822 + 10);

        const pdftext::Document doc = pdftext::Read(m_printing->LastPdf());
        QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
        QStringList phrases = {"Riepilogo incassi", "- - - - - - - - - - - - - - - -",
                               "INTERVALLO SELEZIONATO: Dal 01/03/2026 al 31/03/2026",
                               QString::fromUtf8("TOTALE IMPORTI INCASSATI: € 112,80"),
                               "Stampa eseguita in data 10/12/2026 alle ore 10:30:00"};
        for (const QString& row : rows)
            phrases << row.simplified();
        for (const QString& phrase : phrases)
            QVERIFY2(!pdftext::Find(doc, 0, phrase, 200).isEmpty(), qPrintable(phrase)); // padded columns: wide gaps
        QVERIFY(pdftext::Find(doc, 0, "Ric. n. 1 ").isEmpty());                          // outside the interval
    }

    void guideOpens() {
        Criteria(QStringLiteral("2026"), "01", "Gennaio", "31", "Dicembre");
        QString title, text;
        QVERIFY(Visualizza([&](TfrmRiepCosti* w) {
            auto* guide = ModalHelper::When<TfrmGuida>(
                [&](TfrmGuida* g) {
                    title = g->ui.lblTitolo->text();
                    text = g->ui.txtGuida->toPlainText();
                    g->reject();
                },
                w);
            w->ui.imgGuida->click();
            QVERIFY(guide->Handled());
        }));
        QCOMPARE(title, QStringLiteral("App Riepilogo Incassi"));
        QCOMPARE(text.split(QStringLiteral("\n\n")).size(), 4);
    }
};

QTEST_MAIN(tst_riepCosti)
#include "tst_riepCosti.moc"
