// The yearly statements window, opened from the takings summary's criteria window: the list per
// payer and child, the receipts left out, find, print of one and of every statement, and the export
// read back directly and through LibreOffice.
#include "../report/PdfText.h"
#include "ModalHelper.h"
#include "ReceiptYear.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Avvio.h"
#include "app/Carvenna.h"
#include "app/Password.h"
#include "einvoice/FiscalData.h"
#include "receipts/ReceiptSettings.h"
#include "storage/IniFile.h"
#include "storage/ReceiptFile.h"
#include "summary/Attestazioni.h"
#include "summary/MenuRiepCosti.h"
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QtTest>
#include <memory>

namespace {

struct Receipt {
    QString num, data, payer, code, child, intero, method;
};

// Three families; the Rossi child was paid for once in cash; one receipt has an impossible date.
const QVector<Receipt> kYear = {
    {"1", "10/01/2025", "Rossi Mario", "RSSMRA80A01H501U", "Rossi Luca", "150,00", "Bonifico bancario"},
    {"2", "10/02/2025", "Rossi Mario", "rssmra80a01h501u", "ROSSI LUCA", "150,00", "Contanti"},
    {"3", "10/02/2025", "Bianchi Anna", "BNCNNA85M41F205Z", "Verdi Sofia", "200,50", "Carta di credito"},
    {"4", "30/02/2025", "Bianchi Anna", "BNCNNA85M41F205Z", "Verdi Sofia", "99,00", "Carta di credito"},
    {"5", "10/03/2025", "Neri Carla", "", "Neri Paolo", "80,00", ""},
    {"6", "10/03/2024", "Neri Carla", "", "Neri Paolo", "80,00", ""}, // another year
};

} // namespace

class tst_attestazioni : public QObject {
    Q_OBJECT

    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<TestPrinting> m_printing;
    std::unique_ptr<Carvenna> m_app;

    TfrmMenuRiepCosti& Menu() { return *m_app->menuRiepCosti(); }

    void WriteYear(const QVector<Receipt>& rows) {
        const QString path = m_tp->Path(QStringLiteral("2025.ric"));
        QCOMPARE(WriteReceiptYear(path, rows,
                                  [](const Receipt& r) {
                                      ReceiptRecord rec;
                                      rec.NumRic = r.num;
                                      rec.Data = r.data;
                                      rec.Pagatore = r.payer;
                                      rec.CodFisc = r.code;
                                      rec.Praticante = r.child;
                                      rec.Intero = r.intero;
                                      rec.Indirizzo = r.method;
                                      rec.Sport = QStringLiteral("Retta mensile");
                                      rec.Dal = QStringLiteral("01/01/2025");
                                      rec.Al = QStringLiteral("31/01/2025");
                                      rec.LuogoNasc = QStringLiteral("Pavia");
                                      rec.DataNasc = QStringLiteral("03/04/2021");
                                      return rec;
                                  }),
                 path);
    }

    // Types the year and presses "Attestazioni annuali"; `act` runs on the statements window if it
    // opens, which is closed afterwards. Returns whether it opened.
    bool Open(const QString& year, const std::function<void(TfrmAttestazioni*)>& act = {}) {
        Menu().ui.txtAnno->setText(year);
        auto* helper = ModalHelper::When<TfrmAttestazioni>(
            [&](TfrmAttestazioni* w) {
                auto close = qScopeGuard([w] { w->reject(); });
                if (act)
                    act(w);
            },
            this, 20000);
        auto del = qScopeGuard([helper] { delete helper; });
        QTest::mouseClick(Menu().ui.btnAttestazioni, Qt::LeftButton);
        return helper->Handled();
    }

    static QVariant Data(TfrmAttestazioni* w, int row, int col, int role = Qt::DisplayRole) {
        const QAbstractItemModel* m = w->ui.tblAttestazioni->model();
        return m->index(row, col).data(role);
    }

    static int Selected(TfrmAttestazioni* w) {
        const auto rows = w->ui.tblAttestazioni->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
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
        QApplication::setActiveWindow(&Menu());
        WriteYear(kYear);
    }

    void cleanup() {
        if (m_tp)
            QVERIFY2(m_tp->messages.shown.isEmpty(), qPrintable(m_tp->messages.TakeTexts().join(" | ")));
        m_app.reset();
        m_printing.reset();
        m_tp.reset();
    }

    void yearMustHaveFourDigits() {
        QVERIFY(!Open(QStringLiteral("25")));
        QCOMPARE(m_tp->messages.TakeTexts(),
                 QStringList{QStringLiteral("Attenzione: indicare l'anno solare utilizzando quattro cifre.")});
        QCOMPARE(QApplication::focusWidget(), Menu().ui.txtAnno);
    }

    void listsOneRowPerPayerAndChild() {
        QList<QStringList> rows;
        QStringList headers;
        QString excluded;
        QVERIFY(Open(QStringLiteral("2025"), [&](TfrmAttestazioni* w) {
            QCOMPARE(w->Year(), 2025);
            const QAbstractItemModel* m = w->ui.tblAttestazioni->model();
            for (int c = 0; c < m->columnCount(); ++c)
                headers << m->headerData(c, Qt::Horizontal).toString();
            for (int r = 0; r < m->rowCount(); ++r) {
                QStringList row;
                for (int c = 0; c < m->columnCount(); ++c)
                    row << Data(w, r, c).toString();
                rows << row;
            }
            // Names and codes read from the left, counts and amounts from the right.
            for (int c = 0; c < m->columnCount(); ++c) {
                const int align = Data(w, 0, c, Qt::TextAlignmentRole).toInt();
                QCOMPARE(bool(align & Qt::AlignRight), c >= 3);
            }
            // The missing tax code stands out; a present one does not.
            QCOMPARE(Data(w, 1, 1, Qt::ForegroundRole).value<QBrush>().color(), QColor(0xb0, 0, 0));
            QVERIFY(!Data(w, 0, 1, Qt::ForegroundRole).isValid());
            excluded = w->ui.lblEsclusi->isVisible() ? w->ui.lblEsclusi->text() : QString();
        }));
        QCOMPARE(headers, (QStringList{"Pagatore", "Codice fiscale", "Minore", "Ricevute", "Totale pagato",
                                       "Di cui tracciabile", "Contanti", "Non indicato"}));
        const QList<QStringList> expected = {
            {"Bianchi Anna", "BNCNNA85M41F205Z", "Verdi Sofia", "1", "200,50", "200,50", "0,00", "0,00"},
            {"Neri Carla", "codice fiscale mancante", "Neri Paolo", "1", "80,00", "0,00", "0,00", "80,00"},
            {"Rossi Mario", "RSSMRA80A01H501U", "ROSSI LUCA", "2", "300,00", "150,00", "150,00", "0,00"},
        };
        QCOMPARE(rows, expected);
        // The receipt with 30/02 is named in the window and in a warning.
        QVERIFY2(excluded.contains(QStringLiteral("1 ricevuta")) && excluded.contains(QStringLiteral("n. 4")),
                 qPrintable(excluded));
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{excluded});
    }

    // On a 1024x768 screen the whole window fits: every column without scrolling sideways, every
    // button with its whole caption, the wrapped texts without overlapping.
    void fitsASmallScreen() {
        TfrmAttestazioni w(*m_app, 2025, nullptr);
        w.ui.lblFile->setText(m_tp->Path(QStringLiteral("2025.ric")));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        m_tp->messages.Take();
        QVERIFY2(w.minimumWidth() <= 1000 && w.minimumHeight() <= 700,
                 qPrintable(QStringLiteral("%1x%2").arg(w.minimumWidth()).arg(w.minimumHeight())));
        w.setWindowState(Qt::WindowNoState);
        w.resize(1024, 768);
        QTRY_COMPARE(w.size(), QSize(1024, 768));
        QTest::qWait(20);
        const QTableView* t = w.ui.tblAttestazioni;
        QVERIFY2(
            t->horizontalHeader()->length() <= t->viewport()->width(),
            qPrintable(QStringLiteral("%1 > %2").arg(t->horizontalHeader()->length()).arg(t->viewport()->width())));
        for (const QPushButton* b : w.findChildren<QPushButton*>())
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->objectName()));
        const QWidget* above = w.ui.scrEsclusi;
        for (const QWidget* below : {static_cast<const QWidget*>(t), static_cast<const QWidget*>(w.ui.lblConteggio)}) {
            QVERIFY2(above->geometry().bottom() < below->geometry().top(), qPrintable(below->objectName()));
            above = below;
        }
    }

    void findMovesThroughTheRows() {
        QVERIFY(Open(QStringLiteral("2025"), [&](TfrmAttestazioni* w) {
            m_tp->messages.Take();
            QTest::keyClicks(w->ui.txtTrova, QStringLiteral("luca"));
            QTest::mouseClick(w->ui.btnTrova, Qt::LeftButton);
            QCOMPARE(Selected(w), 2);
            w->ui.txtTrova->setText(QStringLiteral("SOFIA"));
            QTest::mouseClick(w->ui.btnTrova, Qt::LeftButton);
            QCOMPARE(Selected(w), 0);
            w->ui.txtTrova->setText(QStringLiteral("mancante"));
            QTest::mouseClick(w->ui.btnTrova, Qt::LeftButton);
            QCOMPARE(Selected(w), 1);
            // Nothing found: the selection stays.
            w->ui.txtTrova->setText(QStringLiteral("zzz"));
            QTest::mouseClick(w->ui.btnTrova, Qt::LeftButton);
            QCOMPARE(Selected(w), 1);
            // Enter in the find field moves on to Trova and closes nothing.
            w->ui.txtTrova->setFocus();
            QCOMPARE(w->focusWidget(), w->ui.txtTrova);
            QTest::keyClick(w->ui.txtTrova, Qt::Key_Return);
            QCOMPARE(w->focusWidget(), w->ui.btnTrova);
            QVERIFY(w->isVisible());
        }));
    }
    void printsTheSelectedStatement() {
        QVERIFY(Open(QStringLiteral("2025"), [&](TfrmAttestazioni* w) {
            m_tp->messages.Take();
            w->ui.txtLuogo->setText(QStringLiteral("Pavia"));
            // The arrow keys move the whole-row selection.
            w->ui.tblAttestazioni->selectRow(0);
            QTest::keyClick(w->ui.tblAttestazioni, Qt::Key_Down);
            QTest::keyClick(w->ui.tblAttestazioni, Qt::Key_Down);
            QCOMPARE(Selected(w), 2);
            QCOMPARE(w->ui.tblAttestazioni->selectionModel()->selectedIndexes().size(), 8);
            QTest::mouseClick(w->ui.btnStampa, Qt::LeftButton);
        }));
        QCOMPARE(m_printing->jobs.size(), 1);
        QVERIFY(!m_printing->jobs[0].preview);
        QCOMPARE(m_printing->jobs[0].pageCount, 1);
        const pdftext::Document doc = pdftext::Read(m_printing->LastPdf());
        QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
        for (const QString& phrase :
             {QStringLiteral("Attestazione dei pagamenti ricevuti nell'anno 2025"), QStringLiteral("Rossi Mario"),
              QStringLiteral("RSSMRA80A01H501U"), QStringLiteral("ROSSI LUCA"),
              QStringLiteral("nato/a a Pavia il 03/04/2021"), QStringLiteral("Bonifico bancario"),
              QStringLiteral("Pavia, 10/12/2026"), QStringLiteral("Timbro e firma")})
            QVERIFY2(!pdftext::Find(doc, 0, phrase).isEmpty(), qPrintable(phrase));
        // Each receipt with its class and amount, then the three totals.
        QVERIFY(!pdftext::Find(doc, 0, QStringLiteral("tracciabile 150,00"), 100).isEmpty());
        QVERIFY(!pdftext::Find(doc, 0, QStringLiteral("Contanti contanti 150,00"), 150).isEmpty());
        QVERIFY(!pdftext::Find(doc, 0, QStringLiteral("Totale pagato nell'anno € 300,00"), 400).isEmpty());
        QVERIFY(!pdftext::Find(doc, 0, QStringLiteral("di cui in contanti € 150,00"), 400).isEmpty());
        // Another family's receipts are not on it.
        QVERIFY(pdftext::Find(doc, 0, QStringLiteral("Bianchi")).isEmpty());
    }

    // A statement for the tax return must say who issues it: the school's fiscal data when they are
    // filled in, else the receiver lines of the receipts.
    void statementNamesTheSchoolThatIssuesIt_data() {
        QTest::addColumn<bool>("fiscal");
        QTest::addColumn<QStringList>("phrases");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("receiver lines") << false
                                        << QStringList{"Asilo Nido Girotondo", "Via dei Mille 4 - Pavia"}
                                        << QStringList{"P. IVA"};
        QTest::newRow("fiscal data") << true
                                     << QStringList{"Girotondo Società Cooperativa", "Via Roma 1",
                                                    "27100 Pavia (PV)", "P. IVA 01234567897"}
                                     << QStringList{"Via dei Mille"};
    }
    void statementNamesTheSchoolThatIssuesIt() {
        QFETCH(bool, fiscal);
        QFETCH(QStringList, phrases);
        QFETCH(QStringList, absent);
        const QString ini = m_app->SettingsPath();
        QVERIFY(IniWrite(ini, ReceiptSettings::ReceiverSection(), ReceiptSettings::ReceiverKey(1),
                         QStringLiteral("Asilo Nido Girotondo")));
        QVERIFY(IniWrite(ini, ReceiptSettings::ReceiverSection(), ReceiptSettings::ReceiverKey(2),
                         QStringLiteral("Via dei Mille 4 - Pavia")));
        if (fiscal) {
            FiscalData d;
            d.denominazione = QStringLiteral("Girotondo Società Cooperativa");
            d.partitaIva = QStringLiteral("01234567897");
            d.indirizzo = QStringLiteral("Via Roma 1");
            d.cap = QStringLiteral("27100");
            d.comune = QStringLiteral("Pavia");
            d.provincia = QStringLiteral("PV");
            QVERIFY(SaveFiscalData(ini, d));
        }
        QVERIFY(Open(QStringLiteral("2025"), [&](TfrmAttestazioni* w) {
            m_tp->messages.Take();
            w->ui.tblAttestazioni->selectRow(0);
            QTest::mouseClick(w->ui.btnStampa, Qt::LeftButton);
        }));
        QCOMPARE(m_printing->jobs.size(), 1);
        const pdftext::Document doc = pdftext::Read(m_printing->LastPdf());
        QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
        for (const QString& phrase : phrases)
            QVERIFY2(!pdftext::Find(doc, 0, phrase).isEmpty(), qPrintable(phrase));
        for (const QString& phrase : absent)
            QVERIFY2(pdftext::Find(doc, 0, phrase).isEmpty(), qPrintable(phrase));
    }

    void printsEveryStatementOnPagesOfItsOwn() {
        // A family with many receipts takes more than one page; the next one starts on a new page.
        QVector<Receipt> rows = kYear;
        for (int i = 0; i < 70; ++i)
            rows.append({QString::number(100 + i), "15/05/2025", "Bianchi Anna", "BNCNNA85M41F205Z", "Verdi Sofia",
                         "10,00", "Assegno"});
        WriteYear(rows);
        m_tp->messages.answers << false << true; // the first request is refused, the second confirmed
        QVERIFY(Open(QStringLiteral("2025"), [&](TfrmAttestazioni* w) {
            m_tp->messages.Take();
            QTest::mouseClick(w->ui.btnStampaTutte, Qt::LeftButton);
            QCOMPARE(m_printing->jobs.size(), 0);
            QTest::mouseClick(w->ui.btnStampaTutte, Qt::LeftButton);
            const QStringList asked = m_tp->messages.TakeTexts();
            QCOMPARE(asked.size(), 2);
            QVERIFY(asked[0].contains(QStringLiteral("tutte le 3 righe")));
        }));
        QCOMPARE(m_printing->jobs.size(), 1);
        const pdftext::Document doc = pdftext::Read(m_printing->LastPdf());
        QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
        QCOMPARE(doc.pages.size(), 4);
        QVERIFY(!pdftext::Find(doc, 0, QStringLiteral("Bianchi Anna")).isEmpty());
        QVERIFY(!pdftext::Find(doc, 1, QStringLiteral("Totale pagato nell'anno € 900,50"), 400).isEmpty());
        QVERIFY(!pdftext::Find(doc, 2, QStringLiteral("Neri Carla")).isEmpty());
        QVERIFY(!pdftext::Find(doc, 2, QStringLiteral("codice fiscale mancante")).isEmpty());
        QVERIFY(!pdftext::Find(doc, 3, QStringLiteral("Rossi Mario")).isEmpty());
    }

    // The PDF file proposed for a print names the year, and for one statement its payer and child.
    void proposesPdfNames_data() {
        QTest::addColumn<int>("row"); // -1: every statement
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("one, by tax code") << 2 << false << "Attestazione_2025_RSSMRA80A01H501U_ROSSI_LUCA.pdf";
        QTest::newRow("one, without tax code") << 1 << false << "Attestazione_2025_Neri_Carla_Neri_Paolo.pdf";
        QTest::newRow("one, double-clicked") << 1 << true << "Attestazione_2025_Neri_Carla_Neri_Paolo.pdf";
        QTest::newRow("every statement") << -1 << false << "Attestazioni_2025.pdf";
    }
    void proposesPdfNames() {
        QFETCH(int, row);
        QFETCH(bool, doubleClick);
        QFETCH(QString, fileName);
        QVERIFY(Open(QStringLiteral("2025"), [&](TfrmAttestazioni* w) {
            m_tp->messages.Take();
            if (row < 0) {
                QTest::mouseClick(w->ui.btnStampaTutte, Qt::LeftButton);
                QCOMPARE(m_tp->messages.Take().size(), 1); // the question, answered Yes
            } else if (doubleClick) {
                QTableView* t = w->ui.tblAttestazioni;
                const QPoint at = t->visualRect(t->model()->index(row, 2)).center();
                QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, at);
                QCOMPARE(Selected(w), row);
                QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, at);
            } else {
                w->ui.tblAttestazioni->selectRow(row);
                QTest::mouseClick(w->ui.btnStampa, Qt::LeftButton);
            }
        }));
        QCOMPARE(m_printing->jobs.size(), 1);
        QCOMPARE(m_printing->jobs[0].fileName, fileName);
    }

    void printWithoutSelectionOrFailingPrinterIsReported() {
        m_printing->answers << Printing::Result::Failed;
        QVERIFY(Open(QStringLiteral("2025"), [&](TfrmAttestazioni* w) {
            m_tp->messages.Take();
            w->ui.tblAttestazioni->clearSelection();
            QTest::mouseClick(w->ui.btnStampa, Qt::LeftButton);
            QStringList shown = m_tp->messages.TakeTexts();
            QCOMPARE(shown.size(), 1);
            QVERIFY(shown[0].startsWith(QStringLiteral("Operazione di stampa non applicabile")));
            w->ui.tblAttestazioni->selectRow(0);
            QTest::mouseClick(w->ui.btnStampa, Qt::LeftButton);
            const auto failed = m_tp->messages.Take();
            QCOMPARE(failed.size(), 1);
            QCOMPARE(failed[0].kind, Messages::Kind::Error);
            QVERIFY(failed[0].text.contains(QStringLiteral("stampante guasta")));
        }));
    }

    void exportsTheTable() {
        m_tp->messages.answers << true << true;
        QVERIFY(Open(QStringLiteral("2025"), [&](TfrmAttestazioni* w) {
            m_tp->messages.Take();
            QTest::mouseClick(w->ui.btnEsporta, Qt::LeftButton);
            QCOMPARE(m_tp->messages.Take().size(), 2);
        }));
        const QString xls = m_tp->Path(QStringLiteral("Attestazioni_2025.xls"));
        QCOMPARE(m_tp->shell.opened, QStringList{QLatin1Char('"') + xls + QLatin1Char('"')});
        QFile f(xls);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray doc = f.readAll();
        for (const char* text : {"Attestazioni 2025", "Codice fiscale", "Di cui tracciabile", "RSSMRA80A01H501U",
                                 "codice fiscale mancante", "200,50", "ROSSI LUCA"})
            QVERIFY2(doc.contains(text), text);

        const QString soffice = QStandardPaths::findExecutable("soffice");
        if (soffice.isEmpty())
            QSKIP("soffice (LibreOffice) is not installed: scripts/install-deps.sh test installs it");
        QTemporaryDir profile;
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(soffice,
                {"-env:UserInstallation=" + QUrl::fromLocalFile(profile.path()).toString(), "--headless",
                 "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1", "--outdir", m_tp->Path("csv"), xls});
        QVERIFY(p.waitForFinished(240000));
        QVERIFY2(p.exitCode() == 0, p.readAll().constData());
        QFile csv(m_tp->Path("csv/Attestazioni_2025.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(csv.readAll()).split(u'\n', Qt::SkipEmptyParts);
        for (QString& l : lines)
            if (l.endsWith(u'\r'))
                l.chop(1);
        // LibreOffice quotes every text cell, and every cell was written as text.
        const QList<QStringList> expected = {
            {"Pagatore", "Codice fiscale", "Minore", "Ricevute", "Totale pagato", "Di cui tracciabile", "Contanti",
             "Non indicato"},
            {"Bianchi Anna", "BNCNNA85M41F205Z", "Verdi Sofia", "1", "200,50", "200,50", "0,00", "0,00"},
            {"Neri Carla", "codice fiscale mancante", "Neri Paolo", "1", "80,00", "0,00", "0,00", "80,00"},
            {"Rossi Mario", "RSSMRA80A01H501U", "ROSSI LUCA", "2", "300,00", "150,00", "150,00", "0,00"},
        };
        QStringList quoted;
        for (const QStringList& row : expected)
            quoted << u'"' + row.join(QStringLiteral("\",\"")) + u'"';
        QCOMPARE(lines, quoted);
    }
};

QTEST_MAIN(tst_attestazioni)
#include "tst_attestazioni.moc"
