// "Rette del mese", opened beside "Apri" in the receipts' year window: the month's cards and their
// states, issuing with its question and answer, a second run that issues nothing, the receipts
// printed in one job, the cards not paid printed and exported, and a batch stored exactly as the
// receipt editor stores the same receipt.
#include "../report/PdfText.h"
#include "../support/FaultyFileOps.h"
#include "CardChecks.h"
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Avvio.h"
#include "app/Password.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "fees/RetteMese.h"
#include "fees/RetteModel.h"
#include "einvoice/FiscalData.h"
#include "widgets/Calendario.h"
#include "receipts/MenuRicevute.h"
#include "receipts/ReceiptSettings.h"
#include "receipts/Ricevuta.h"
#include "search/ListWindow.h"
#include "search/TrovaTiratori.h"
#include "storage/IniFile.h"
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QUrl>
#include <QTableView>
#include <QtTest>
#include <memory>

using fees::LineState;

namespace {

struct Card {
    const char *parent, *code, *child, *fee, *start, *end;
};

// A small school for December 2026: four children to issue (one with a tax code that fails its
// check), one without a tax code, one enrolled from January, one whose enrolment ended in November.
const Card kSchool[] = {
    {"Rossi Mario", "RSSMRA80A01H501U", "Rossi Luca", "125,50", "01/09/2026", "30/06/2027"},
    {"Rossi Mario", "RSSMRA80A01H501U", "Rossi Anna", "100,00", "01/09/2026", "30/06/2027"},
    {"Bianchi Anna", "BNCNNA80A41F205Q", "Bianchi Ivo", "80,00", "", ""},
    {"Verdi Gino", "", "Verdi Ada", "90,00", "", ""},
    {"Neri Carla", "NRECRL85B41F205Z", "Neri Ugo", "95,00", "01/12/2026", ""},
    {"Gialli Rita", "GLLRTI80A41H501Y", "Gialli Pio", "70,00", "01/01/2027", ""},
    {"Blu Ettore", "BLUTTR80A01H501X", "Blu Pia", "70,00", "", "30/11/2026"},
};

RegistryRecord MakeCard(const Card& c) {
    RegistryRecord r;
    r.Tiratore = QString::fromUtf8(c.parent);
    r.CodFisc = QString::fromUtf8(c.code);
    r.Armi = QString::fromUtf8(c.child);
    r.Quota = QString::fromUtf8(c.fee);
    r.InizioTes = QString::fromUtf8(c.start);
    r.FineTes = QString::fromUtf8(c.end);
    r.Ente = QStringLiteral("Retta mensile");
    r.FinePor = QStringLiteral("Bonifico bancario");
    r.Porto = QStringLiteral("Pavia");
    r.InizioPor = QStringLiteral("04/05/2022");
    r.Cel = QStringLiteral("333 1234567");
    return r;
}

QVector<ReceiptRecord> ReadYear(const QString& path) {
    ReceiptFile f;
    QVector<ReceiptRecord> all;
    if (f.OpenOrCreate(path))
        f.ReadAll(all);
    f.Close();
    return all;
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int RowOf(TfrmRetteMese* w, const QString& child) {
    const QVector<fees::FeeLine>& lines = w->Model().Lines();
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].child == child)
            return i;
    return -1;
}

} // namespace

class tst_retteMese : public QObject {
    Q_OBJECT

    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<TestPrinting> m_printing;
    std::unique_ptr<Carvenna> m_app;

    TfrmMenuRicevute& Year() { return *m_app->menuRicevute(); }
    QString YearFile() const { return m_tp->Path(QStringLiteral("2026.ric")); }

    void WriteRegistry(const QVector<Card>& cards) {
        QFile::remove(m_tp->Path(RegistryFileName));
        RegistryFile f;
        QVERIFY(f.OpenOrCreate(m_tp->platform.programFolder));
        for (const Card& c : cards)
            QVERIFY(f.AppendRecord(MakeCard(c)));
        QVERIFY(f.Close());
    }

    // Types the year and presses "Rette del mese"; `act` runs on the window if it opens, which is
    // closed afterwards. Returns whether it opened.
    bool Open(const QString& year, const std::function<void(TfrmRetteMese*)>& act = {}) {
        Year().ui.txtAnnoPreventivi->setText(year);
        auto* helper = ModalHelper::When<TfrmRetteMese>(
            [&](TfrmRetteMese* w) {
                auto close = qScopeGuard([w] { w->reject(); });
                if (act)
                    act(w);
            },
            this, 20000);
        auto del = qScopeGuard([helper] { delete helper; });
        QTest::mouseClick(Year().ui.btnRetteMese, Qt::LeftButton);
        return helper->Handled();
    }

private slots:
    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_printing = std::make_unique<TestPrinting>(m_tp->dir.path());
        m_tp->platform.printing = m_printing.get();
        const QString ini = m_tp->Path(QStringLiteral("Trelvani.ini"));
        const char* receiver[] = {"Scuola dell'infanzia Il Girasole", "Via Roma 1", "27100 Pavia", "P. IVA 01234567890"};
        for (int i = 0; i < 4; ++i)
            QVERIFY(IniWrite(ini, ReceiptSettings::ReceiverSection(), ReceiptSettings::ReceiverKey(i + 1),
                             QString::fromUtf8(receiver[i])));
        m_app = std::make_unique<Carvenna>(m_tp->platform);
        m_app->Start();
        m_app->Switch(m_app->avvio(), m_app->password());
        QTest::mouseClick(m_app->avvio()->ui.btnApp02, Qt::LeftButton);
        QVERIFY(Year().isVisible());
        QApplication::setActiveWindow(&Year());
        WriteRegistry(QVector<Card>(std::begin(kSchool), std::end(kSchool)));
    }

    void cleanup() {
        if (m_tp)
            QVERIFY2(m_tp->messages.shown.isEmpty(), qPrintable(m_tp->messages.TakeTexts().join(" | ")));
        m_app.reset();
        m_printing.reset();
        m_tp.reset();
    }

    void yearMustHaveFourDigits_data() {
        QTest::addColumn<QString>("year");
        QTest::newRow("three digits") << "226";
        QTest::newRow("year zero") << "0000";
    }
    void yearMustHaveFourDigits() {
        QFETCH(QString, year);
        QVERIFY(!Open(year));
        QCOMPARE(m_tp->messages.TakeTexts(),
                 QStringList{QStringLiteral("Attenzione: indicare l'anno solare utilizzando quattro cifre.")});
        QVERIFY(Year().isVisible());
    }

    // The month's list, issuing with its question and answer, the receipts printed in one job, a second
    // run that issues nothing.
    void issuePrintAndIssueAgain() {
        QVERIFY(IniWrite(m_tp->Path(QStringLiteral("Trelvani.ini")), ReceiptSettings::NumberingSection(),
                         ReceiptSettings::NumberingStartKey(), QStringLiteral("50")));
        QVERIFY(Open(QStringLiteral("2026"), [&](TfrmRetteMese* w) {
            QCOMPARE(w->windowTitle(), QStringLiteral(" Carvenna - Rette del mese"));
            QCOMPARE(w->txtMese->currentText(), QStringLiteral("Dicembre"));
            QCOMPARE(w->txtData->text(), QStringLiteral("10/12/2026"));
            RetteModel& m = w->Model();
            QCOMPARE(m.rowCount(), 5);
            const int verdi = RowOf(w, "Verdi Ada"), bianchi = RowOf(w, "Bianchi Ivo"), neri = RowOf(w, "Neri Ugo");
            QCOMPARE(m.index(verdi, RetteModel::ColState).data().toString(),
                     QStringLiteral("Non emettibile: codice fiscale mancante"));
            QCOMPARE(m.index(verdi, RetteModel::ColState).data(Qt::ForegroundRole).value<QBrush>().color(),
                     QColor(Qt::red));
            QCOMPARE(m.index(verdi, RetteModel::ColTick).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
            // A tax code failing its check warns but stays ticked for issuing.
            QVERIFY(!m.index(bianchi, RetteModel::ColCode).data(Qt::DecorationRole).isNull());
            QCOMPARE(m.index(bianchi, RetteModel::ColTick).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
            // Space toggles the tick of the current line; a line that cannot be issued is not ticked.
            w->grdRette->setCurrentIndex(m.index(neri, 1));
            QTest::keyClick(w->grdRette, Qt::Key_Space);
            QVERIFY(!m.Lines()[neri].ticked);
            QTest::keyClick(w->grdRette, Qt::Key_Space);
            QVERIFY(m.Lines()[neri].ticked);
            w->grdRette->setCurrentIndex(m.index(verdi, 1));
            QTest::keyClick(w->grdRette, Qt::Key_Space);
            QVERIFY(!m.Lines()[verdi].ticked);
            // The fee of a line edited in the table: Neri pays 99,90 this month.
            QVERIFY(m.setData(m.index(neri, RetteModel::ColFee), QStringLiteral("99,9")));

            m_tp->messages.answers.enqueue(true);
            QTest::mouseClick(w->btnEmetti, Qt::LeftButton);
            QCOMPARE(m_tp->messages.TakeTexts(),
                     (QStringList{QStringLiteral("Emettere 4 ricevute per dicembre 2026, per un totale di € 405,40?"),
                                  QStringLiteral("Emesse 4 ricevute: dalla n. 50 alla n. 53.")}));
            for (int row : {bianchi, neri, RowOf(w, "Rossi Anna"), RowOf(w, "Rossi Luca")})
                QVERIFY(m.Lines()[row].state == LineState::Paid && m.Lines()[row].ticked);
            QCOMPARE(m.index(bianchi, RetteModel::ColState).data().toString(),
                     QStringLiteral("Già pagata: ricevuta n. 50"));

            // The issued receipts in one job, through the preview, one page each, in list order.
            QTest::mouseClick(w->btnStampa, Qt::LeftButton);
            QCOMPARE(m_printing->jobs.size(), 1);
            const TestPrinting::Job job = m_printing->jobs.first();
            QVERIFY(job.preview);
            QCOMPARE(job.pageCount, 4);
            QCOMPARE(job.fileName, QStringLiteral("Ricevute_2026_12.pdf"));
            const pdftext::Document doc = pdftext::Read(job.pdf);
            QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
            QCOMPARE(doc.pages.size(), 4);
            const char* payers[] = {"Bianchi Anna", "Neri Carla", "Rossi Mario", "Rossi Mario"};
            for (int p = 0; p < 4; ++p) {
                QCOMPARE(pdftext::Find(doc, p, QStringLiteral("Ricevuta n. %1").arg(50 + p)).size(), 2);
                QCOMPARE(pdftext::Find(doc, p, QString::fromUtf8(payers[p])).size(), 2);
                QCOMPARE(pdftext::Find(doc, p, QStringLiteral("01/12/2026")).size(), 2);
            }
            QCOMPARE(pdftext::Find(doc, 1, QStringLiteral("NOVANTANOVE/90")).size(), 2);
            QCOMPARE(pdftext::Find(doc, 0, QStringLiteral("DUPLICATO")).size(), 0);

            // A preview closed without printing notes nothing; one printed from notes every receipt,
            // so the next job marks each page a duplicate.
            m_printing->answers.enqueue(Printing::Result::Printed);
            QTest::mouseClick(w->btnStampa, Qt::LeftButton);
            m_printing->answers.enqueue(Printing::Result::Printed);
            QTest::mouseClick(w->btnStampa, Qt::LeftButton);
            QCOMPARE(m_printing->jobs.size(), 3);
            const pdftext::Document first = pdftext::Read(m_printing->jobs[1].pdf);
            const pdftext::Document again = pdftext::Read(m_printing->jobs[2].pdf);
            QCOMPARE(again.pages.size(), 4);
            for (int p = 0; p < 4; ++p) {
                QCOMPARE(pdftext::Find(first, p, QStringLiteral("DUPLICATO")).size(), 0);
                QCOMPARE(pdftext::Find(again, p, QStringLiteral("DUPLICATO")).size(), 2);
            }
        }));
        const QVector<ReceiptRecord> all = ReadYear(YearFile());
        QCOMPARE(all.size(), 4);
        QCOMPARE(all[1].Praticante, QStringLiteral("Neri Ugo"));
        QCOMPARE(all[1].Intero, QStringLiteral("99,90"));

        // Again for the same month: every line issued shows as paid, nothing is written.
        const QByteArray before = Bytes(YearFile());
        QVERIFY(Open(QStringLiteral("2026"), [&](TfrmRetteMese* w) {
            QCOMPARE(w->Model().Ticked(LineState::ToIssue).size(), 0);
            QVERIFY(w->Model().Lines()[RowOf(w, "Rossi Luca")].state == LineState::Paid);
            QTest::mouseClick(w->btnEmetti, Qt::LeftButton);
            QCOMPARE(m_tp->messages.TakeTexts(),
                     QStringList{QStringLiteral(
                         "Nessuna ricevuta da emettere: spuntare nell'elenco le righe da emettere.")});
        }));
        QCOMPARE(Bytes(YearFile()), before);
    }

    // The cards not paid: the list print with the total at the foot, and the export of the same lines.
    void unpaidPrintAndExport() {
        QVERIFY(Open(QStringLiteral("2026"), [&](TfrmRetteMese* w) {
            RetteModel& m = w->Model();
            // Issue only Rossi Luca.
            for (int i = 0; i < m.rowCount(); ++i)
                if (m.Lines()[i].ticked && m.Lines()[i].child != QLatin1String("Rossi Luca"))
                    m.Toggle(i);
            m_tp->messages.answers.enqueue(true);
            QTest::mouseClick(w->btnEmetti, Qt::LeftButton);
            QCOMPARE(m_tp->messages.TakeTexts().last(), QStringLiteral("Emessa 1 ricevuta: la n. 1."));

            QTest::mouseClick(w->btnNonPagate, Qt::LeftButton);
            QCOMPARE(m_printing->jobs.size(), 1);
            QVERIFY(!m_printing->jobs.first().preview);
            QCOMPARE(m_printing->jobs.first().fileName, QStringLiteral("Rette_non_pagate_2026_12.pdf"));
            const pdftext::Document doc = pdftext::Read(m_printing->jobs.first().pdf);
            QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
            QCOMPARE(pdftext::Find(doc, 0, QStringLiteral("Rette non pagate - dicembre 2026")).size(), 1);
            for (const char* child : {"Rossi Anna", "Bianchi Ivo", "Verdi Ada", "Neri Ugo"})
                QCOMPARE(pdftext::Find(doc, 0, QString::fromUtf8(child)).size(), 1);
            QVERIFY(pdftext::Find(doc, 0, QStringLiteral("Rossi Luca")).isEmpty());
            QCOMPARE(pdftext::Find(doc, 0, QStringLiteral("333 1234567")).size(), 4);
            QCOMPARE(pdftext::Find(doc, 0, QStringLiteral("Totale da incassare: € 365,00")).size(), 1);

            m_tp->messages.answers << true << false;
            QTest::mouseClick(w->btnEsporta, Qt::LeftButton);
            QCOMPARE(m_tp->messages.Take().size(), 2);
            QCOMPARE(w->ExportPath(), m_tp->Path(QStringLiteral("Rette_non_pagate_2026_12.xls")));
            const QByteArray xls = Bytes(w->ExportPath());
            for (const char* text : {"Rossi Anna", "Bianchi Ivo", "Verdi Ada", "Neri Ugo", "BNCNNA80A41F205Q", "95,00"})
                QVERIFY2(xls.contains(text), text);
            QVERIFY(!xls.contains("Rossi Luca"));
            QVERIFY(xls.contains("<td") && !xls.contains('\n'));
        }));

        // Read back by a real spreadsheet program.
        const QString soffice = QStandardPaths::findExecutable("soffice");
        if (soffice.isEmpty())
            QSKIP("soffice (LibreOffice) is not installed: scripts/install-deps.sh test installs it");
        QTemporaryDir profile;
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(soffice, {"-env:UserInstallation=" + QUrl::fromLocalFile(profile.path()).toString(), "--headless",
                          "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1", "--outdir", m_tp->Path("csv"),
                          m_tp->Path("Rette_non_pagate_2026_12.xls")});
        QVERIFY(p.waitForFinished(240000));
        QVERIFY2(p.exitCode() == 0, p.readAll().constData());
        QFile csv(m_tp->Path("csv/Rette_non_pagate_2026_12.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(csv.readAll()).split(u'\n', Qt::SkipEmptyParts);
        for (QString& l : lines)
            if (l.endsWith(u'\r'))
                l.chop(1);
        const QList<QStringList> expected = {
            {"Genitore", "Minore", "Codice fiscale", "Telefono", "Quota: €", "Da incassare: €"},
            {"Bianchi Anna", "Bianchi Ivo", "BNCNNA80A41F205Q", "333 1234567", "80,00", "80,00"},
            {"Neri Carla", "Neri Ugo", "NRECRL85B41F205Z", "333 1234567", "95,00", "95,00"},
            {"Rossi Mario", "Rossi Anna", "RSSMRA80A01H501U", "333 1234567", "100,00", "100,00"},
            {"Verdi Gino", "Verdi Ada", "", "333 1234567", "90,00", "90,00"},
        };
        // LibreOffice quotes every text cell; an empty cell is left empty.
        QStringList quoted;
        for (const QStringList& row : expected) {
            QStringList cells;
            for (const QString& c : row)
                cells << (c.isEmpty() ? c : u'"' + c + u'"');
            quoted << cells.join(u',');
        }
        QCOMPARE(lines, quoted);
    }

    // The month's states by amount in the window: a partial payment shows what is paid and issues the
    // rest; a cancelled receipt and one for another purpose pay nothing, until the office makes that
    // purpose a fee word, which is kept for the next opening.
    void partialCancelledAndFeeWords() {
        const auto receipt = [](const char* n, const char* child, const char* cause, const char* amount,
                                const char* from, const char* to) {
            ReceiptRecord r;
            r.NumRic = QString::fromUtf8(n);
            r.Data = QStringLiteral("01/12/2026");
            r.Pagatore = QStringLiteral("Rossi Mario");
            r.Sport = QString::fromUtf8(cause);
            r.Intero = QString::fromUtf8(amount);
            r.Praticante = QString::fromUtf8(child);
            r.Dal = QString::fromUtf8(from);
            r.Al = QString::fromUtf8(to);
            return r;
        };
        {
            ReceiptFile f;
            QVERIFY(f.OpenOrCreate(YearFile()));
            QVERIFY(f.AppendRecord(receipt("1", "Rossi Luca", "Retta dicembre", "100,00", "01/12/2026", "31/12/2026")));
            QVERIFY(f.AppendRecord(receipt("2", "Rossi Anna", "Iscrizione e retta dicembre", "100,00", "01/12/2026",
                                           "31/12/2026")));
            QVERIFY(f.AppendRecord(receipt("3", "Bianchi Ivo", "ANNULLATA: errore", "80,00", "01/12/2026",
                                           "31/12/2026")));
            QVERIFY(f.Close());
        }
        QVERIFY(Open(QStringLiteral("2026"), [&](TfrmRetteMese* w) {
            RetteModel& m = w->Model();
            const auto state = [&](const char* child) {
                return m.index(RowOf(w, QString::fromUtf8(child)), RetteModel::ColState).data().toString();
            };
            QCOMPARE(w->txtCausaliRette->text(), QStringLiteral("Retta, Rette"));
            QCOMPARE(state("Rossi Luca"), QStringLiteral("Pagata in parte: 100,00 di 125,50"));
            QCOMPARE(state("Rossi Anna"), QStringLiteral("Da emettere"));
            QCOMPARE(state("Bianchi Ivo"), QStringLiteral("Da emettere"));
            QVERIFY(m.Lines()[RowOf(w, "Rossi Luca")].ticked);
            QVERIFY(w->lblConteggio->text().contains(QStringLiteral("In parte: 1")));

            w->txtCausaliRette->setText(QStringLiteral("Retta, Rette, Iscrizione"));
            emit w->txtCausaliRette->editingFinished();
            QCOMPARE(state("Rossi Anna"), QStringLiteral("Già pagata: ricevuta n. 2"));
            QCOMPARE(IniRead(m_tp->Path(QStringLiteral("Trelvani.ini")), QStringLiteral("Rette"),
                             QStringLiteral("Causali")),
                     QStringLiteral("Retta, Rette, Iscrizione"));
            w->txtCausaliRette->clear(); // emptied: the words kept come back
            emit w->txtCausaliRette->editingFinished();
            QCOMPARE(w->txtCausaliRette->text(), QStringLiteral("Retta, Rette, Iscrizione"));
            w->txtCausaliRette->setText(QStringLiteral("Retta, Rette"));
            emit w->txtCausaliRette->editingFinished();
            QCOMPARE(state("Rossi Anna"), QStringLiteral("Da emettere"));

            // Luca's rest (25,50), Anna, Bianchi and Neri: Verdi cannot be issued.
            m_tp->messages.answers.enqueue(true);
            QTest::mouseClick(w->btnEmetti, Qt::LeftButton);
            QCOMPARE(m_tp->messages.TakeTexts(),
                     (QStringList{QStringLiteral("Emettere 4 ricevute per dicembre 2026, per un totale di € 300,50?"),
                                  QStringLiteral("Emesse 4 ricevute: dalla n. 4 alla n. 7.")}));
            QCOMPARE(state("Rossi Luca"), QStringLiteral("Già pagata: ricevute n. 1, 7"));
        }));
        const QVector<ReceiptRecord> all = ReadYear(YearFile());
        QCOMPARE(all.size(), 7);
        QCOMPARE(all.last().Praticante, QStringLiteral("Rossi Luca"));
        QCOMPARE(all.last().Intero, QStringLiteral("25,50"));
        QCOMPARE(all.last().Dal, QStringLiteral("01/12/2026"));
        QCOMPARE(all.last().Al, QStringLiteral("31/12/2026"));
    }

    // Another month lists the cards enrolled then; the date picker sets the issue date; the receipts of
    // the ticked paid lines are what the electronic invoices are asked for.
    void monthDateAndInvoiceSeam() {
        QVERIFY(Open(QStringLiteral("2026"), [&](TfrmRetteMese* w) {
            w->txtMese->setCurrentIndex(0);
            QStringList children;
            for (const fees::FeeLine& l : w->Model().Lines())
                children << l.child;
            QCOMPARE(children, (QStringList{"Bianchi Ivo", "Blu Pia", "Verdi Ada"}));

            auto* helper = ModalHelper::When<TfrmCalendario>(
                [](TfrmCalendario* c) {
                    c->ui.calAppuntamenti->setSelectedDate(QDate(2026, 1, 7));
                    QTest::mouseClick(c->ui.btnImportaData, Qt::LeftButton);
                },
                this);
            auto del = qScopeGuard([helper] { delete helper; });
            QTest::mouseClick(w->btnData, Qt::LeftButton);
            QVERIFY(helper->Handled());
            QCOMPARE(w->txtData->text(), QStringLiteral("07/01/2026"));

            m_tp->messages.answers.enqueue(true);
            QTest::mouseClick(w->btnEmetti, Qt::LeftButton);
            QCOMPARE(m_tp->messages.TakeTexts().last(), QStringLiteral("Emesse 2 ricevute: dalla n. 1 alla n. 2."));
            // The issued lines go to the invoices; without the school's fiscal data none is written.
            QVERIFY(!w->btnFatture->isHidden());
            w->btnFatture->click();
            const QStringList said = m_tp->messages.TakeTexts();
            QCOMPARE(said.size(), 1);
            QVERIFY2(said.first().contains(QStringLiteral("Dati fiscali")), qPrintable(said.first()));
            QVERIFY(!QFileInfo::exists(m_tp->Path(QStringLiteral("FatturaPA/registro.csv"))));
        }));
        const QVector<ReceiptRecord> all = ReadYear(YearFile());
        QCOMPARE(all.size(), 2);
        QCOMPARE(all[0].Data, QStringLiteral("07/01/2026"));
        QCOMPARE(all[0].Dal, QStringLiteral("01/01/2026"));
        QCOMPARE(all[1].Al, QStringLiteral("31/01/2026"));
    }

    // Another workstation has stored a receipt dated tomorrow: today's date is refused before the question,
    // the archive is untouched; that day is taken. Without receiver lines kept, the receipts name the school
    // from "Dati fiscali".
    void issueDateNeverGoesBack() {
        const QString ini = m_tp->Path(QStringLiteral("Trelvani.ini"));
        for (int i = 0; i < 4; ++i)
            QVERIFY(IniWrite(ini, ReceiptSettings::ReceiverSection(), ReceiptSettings::ReceiverKey(i + 1), QString()));
        FiscalData school;
        school.denominazione = QStringLiteral("Asilo Nido Il Girasole");
        school.partitaIva = QStringLiteral("01234567897");
        school.indirizzo = QStringLiteral("Via Roma 12");
        school.cap = QStringLiteral("20121");
        school.comune = QStringLiteral("Milano");
        school.provincia = QStringLiteral("MI");
        QVERIFY(SaveFiscalData(ini, school));
        ReceiptRecord later;
        later.NumRic = QStringLiteral("1"), later.Data = QStringLiteral("11/12/2026");
        later.Pagatore = QStringLiteral("Altro"), later.CodFisc = QStringLiteral("X");
        {
            ReceiptFile f;
            QVERIFY(f.OpenOrCreate(YearFile()));
            QVERIFY(f.AppendRecord(later));
            QVERIFY(f.Close());
        }
        const QByteArray before = Bytes(YearFile());
        QVERIFY(Open(QStringLiteral("2026"), [&](TfrmRetteMese* w) {
            QTest::mouseClick(w->btnEmetti, Qt::LeftButton);
            const auto shown = m_tp->messages.Take();
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].kind, Messages::Kind::Warning);
            QCOMPARE(shown[0].text, QStringLiteral("Attenzione: la data di emissione 10/12/2026 è precedente a quella "
                                                   "dell'ultima ricevuta dell'archivio (n. 1 del 11/12/2026).\n\r\n\r"
                                                   "Le ricevute seguono l'ordine delle date: indicare il 11/12/2026 o "
                                                   "una data successiva."));
            QCOMPARE(Bytes(YearFile()), before);
            auto* helper = ModalHelper::When<TfrmCalendario>(
                [](TfrmCalendario* c) {
                    c->ui.calAppuntamenti->setSelectedDate(QDate(2026, 12, 11));
                    QTest::mouseClick(c->ui.btnImportaData, Qt::LeftButton);
                },
                this);
            auto del = qScopeGuard([helper] { delete helper; });
            QTest::mouseClick(w->btnData, Qt::LeftButton);
            QVERIFY(helper->Handled());
            m_tp->messages.answers.enqueue(true);
            QTest::mouseClick(w->btnEmetti, Qt::LeftButton);
            QVERIFY(m_tp->messages.TakeTexts().last().startsWith(QStringLiteral("Emesse 4 ricevute")));
        }));
        const QVector<ReceiptRecord> all = ReadYear(YearFile());
        QCOMPARE(all.size(), 5);
        for (int i = 1; i < all.size(); ++i) {
            QCOMPARE(all[i].Data, QStringLiteral("11/12/2026"));
            QCOMPARE(all[i].Ricevente01, QStringLiteral("Asilo Nido Il Girasole"));
            QCOMPARE(all[i].Ricevente02, QStringLiteral("Via Roma 12"));
            QCOMPARE(all[i].Ricevente03, QStringLiteral("20121 Milano (MI)"));
            QCOMPARE(all[i].Ricevente04, QStringLiteral("P. IVA 01234567897"));
        }
    }

    // Nothing to list: no registry, a month nobody is enrolled in, a year file that cannot be opened.
    void nothingToList() {
        QFile::remove(m_tp->Path(RegistryFileName));
        QVERIFY(Open(QStringLiteral("2026"), [&](TfrmRetteMese* w) { QCOMPARE(w->Model().rowCount(), 0); }));
        QCOMPARE(m_tp->messages.TakeTexts(),
                 QStringList{QStringLiteral("L'archivio anagrafico non contiene nessuna scheda.")});
        QVERIFY(!QFile::exists(m_tp->Path(RegistryFileName)));

        WriteRegistry({{"Blu Ettore", "BLUTTR80A01H501X", "Blu Pia", "70,00", "", "30/11/2026"}});
        QVERIFY(Open(QStringLiteral("2026")));
        QCOMPARE(m_tp->messages.TakeTexts(),
                 QStringList{QStringLiteral(
                     "Nessuna scheda dell'archivio anagrafico risulta iscritta nel mese di dicembre 2026.")});

        QVERIFY(QDir().mkpath(m_tp->Path(QStringLiteral("2027.ric"))));
        QVERIFY(Open(QStringLiteral("2027"), [&](TfrmRetteMese* w) { QCOMPARE(w->Model().rowCount(), 0); }));
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{ArchiveAccessError()});
    }

    // A network folder lost during the batch: the archive is as before and the message says so.
    void lostFolderWhileIssuing() {
        QVERIFY(Open(QStringLiteral("2026"), [&](TfrmRetteMese* w) {
            QFile::remove(YearFile());
            QFile f(YearFile());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.close();
            FaultyFileOps faulty;
            faulty.Arm(4, EIO);
            m_tp->messages.answers.enqueue(true);
            QTest::mouseClick(w->btnEmetti, Qt::LeftButton);
            QVERIFY(faulty.failed);
            const QStringList texts = m_tp->messages.TakeTexts();
            QCOMPARE(texts.size(), 2);
            QVERIFY(texts[1].startsWith(ArchiveAccessError()));
            QVERIFY(texts[1].contains(QStringLiteral("nessun numero è stato usato")));
            QCOMPARE(QFileInfo(YearFile()).size(), 0);
            QVERIFY(w->Model().Lines()[RowOf(w, "Rossi Luca")].state == LineState::ToIssue);
        }));
    }

    // A receipt of the batch is the receipt the editor stores when the same card is imported, the
    // same amount typed and the same date and period given: field by field, the number aside.
    void batchEqualsEditor() {
        WriteRegistry({{"Rossi Mario", "RSSMRA80A01H501U", "Rossi Luca", "125,50", "", ""}});
        QVERIFY(Open(QStringLiteral("2026"), [&](TfrmRetteMese* w) {
            m_tp->messages.answers.enqueue(true);
            QTest::mouseClick(w->btnEmetti, Qt::LeftButton);
            QCOMPARE(m_tp->messages.Take().size(), 2);
        }));

        QTest::mouseClick(Year().ui.btnApriPreventivi, Qt::LeftButton);
        TfrmRicevuta* e = m_app->ricevuta();
        QVERIFY(e->isVisible());
        QTest::mouseClick(e->ui.cmdNuovo, Qt::LeftButton);
        auto* helper = ModalHelper::When<TfrmTrovaTiratori>(
            [](TfrmTrovaTiratori* t) {
                QTest::mouseClick(t->panAvvio->btnCerca, Qt::LeftButton);
                DoubleClickRow(t->lstRecords, 0);
            },
            this, 10000);
        auto del = qScopeGuard([helper] { delete helper; });
        QTest::mouseClick(e->ui.impPagatore, Qt::LeftButton);
        QVERIFY(helper->Handled());
        QTest::keyClicks(e->ui.txtImporto, "125");
        e->ui.txtCents->clear();
        QTest::keyClicks(e->ui.txtCents, "5");
        e->ui.txtDal->setText(QStringLiteral("01/12/2026")); // as the date picker writes them
        e->ui.txtAl->setText(QStringLiteral("31/12/2026"));
        QTest::mouseClick(e->ui.cmdSalva, Qt::LeftButton);
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{QStringLiteral("La scheda corrente è stata inserita in archivio.")});

        const QVector<ReceiptRecord> all = ReadYear(YearFile());
        QCOMPARE(all.size(), 2);
        QCOMPARE(all[0].NumRic, QStringLiteral("1"));
        QCOMPARE(all[1].NumRic, QStringLiteral("2"));
        const QVector<const QString*> batch = all[0].Fields(), editor = all[1].Fields();
        for (int i = 1; i < batch.size(); ++i)
            QVERIFY2(*batch[i] == *editor[i], qPrintable(QStringLiteral("%1: \"%2\" / \"%3\"")
                                                             .arg(ReceiptRecord::Layout()[i].name, *batch[i], *editor[i])));
        QCOMPARE(all[0].ImpLettere, QStringLiteral("CENTOVENTICINQUE"));
        QCOMPARE(all[0].Intero, QStringLiteral("125,50"));
    }
};

QTEST_MAIN(tst_retteMese)
#include "tst_retteMese.moc"
