// The direct-debit windows through the real UI: "Mandato SDD" from the registry editor, and "Addebiti
// SDD" from "Rette del mese" with its file, its left-out lines and the creditor data it needs.
#include "../report/PdfText.h"
#include "ModalHelper.h"
#include "MonthWindows.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "InvoiceFixtures.h"
#include "einvoice/FiscalData.h"
#include "app/Avvio.h"
#include "app/Carvenna.h"
#include "app/Password.h"
#include "fees/RetteMese.h"
#include "fees/RetteModel.h"
#include "fees/FamilyAccount.h"
#include "fees/Reminders.h"
#include "payments/AddebitiSdd.h"
#include "payments/MandatoSdd.h"
#include "payments/MovimentiBancari.h"
#include "storage/ReceiptFile.h"
#include "payments/Mandates.h"
#include "payments/PaymentSettings.h"
#include "receipts/MenuRicevute.h"
#include "receipts/ReceiptSettings.h"
#include "registry/Tiratori.h"
#include "storage/IniFile.h"
#include "storage/RegistryFile.h"
#include "validators/Iban.h"
#include "widgets/Calendario.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QToolButton>
#include <QtTest>
#include <memory>

namespace {
struct Card {
    const char *parent, *code, *child, *fee;
};
// December 2026: Rossi has two children on one mandate, Bianchi a mandate already collected, Neri none.
const Card kSchool[] = {
    {"Rossi Mario", "RSSMRA85T10A562S", "Rossi Luca", "250,00"},
    {"Rossi Mario", "RSSMRA85T10A562S", "Rossi Anna", "200,00"},
    {"Bianchi Lara", "BNCLRA90A41F205I", "Bianchi Zoe", "250,00"},
    {"Neri Paolo", "VRDGPP13A10B157J", "Neri Ugo", "180,00"},
};

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class tst_pagamenti : public QObject {
    Q_OBJECT
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<TestPrinting> m_printing;
    std::unique_ptr<Carvenna> m_app;

    QString Mandates() const { return m_tp->Path(QLatin1String(payments::MandatesFileName)); }
    void Look(QWidget* w, const char* name) {
        if (qEnvironmentVariableIsSet("CARVENNA_LOOK"))
            w->grab().save(qEnvironmentVariable("CARVENNA_LOOK") + QLatin1Char('/') + QLatin1String(name));
    }

    void WriteSchool() {
        RegistryFile f;
        QVERIFY(f.OpenOrCreate(m_tp->platform.programFolder));
        for (const Card& c : kSchool) {
            RegistryRecord r;
            r.Tiratore = QString::fromUtf8(c.parent);
            r.CodFisc = QString::fromUtf8(c.code);
            r.Armi = QString::fromUtf8(c.child);
            r.Quota = QString::fromUtf8(c.fee);
            r.FinePor = QStringLiteral("Addebito SDD");
            r.InizioTes = QStringLiteral("01/12/2026");
            QVERIFY(f.AppendRecord(r));
        }
        QVERIFY(f.Close());
    }
    void WriteCreditor(PaymentSettings::SddFormat format) {
        PaymentSettings s;
        s.iban = QStringLiteral("IT60X0542811101000000123456");
        s.intestatario = QStringLiteral("Asilo Nido Il Girasole");
        s.creditorId = QStringLiteral("IT91ZZZ0000001234567897");
        s.cuc = QStringLiteral("1234567A");
        s.formato = format;
        QVERIFY(SavePaymentSettings(m_app->SettingsPath(), s));
    }

    // Opens "Rette del mese" for 2026 (December, the test clock's month) and then "Addebiti SDD".
    bool OpenAddebiti(const std::function<void(TfrmAddebitiSdd*)>& act) {
        m_app->menuRicevute()->ui.txtAnnoPreventivi->setText(QStringLiteral("2026"));
        bool inner = false;
        auto* helper = ModalHelper::When<TfrmRetteMese>(
            [&](TfrmRetteMese* w) {
                auto close = qScopeGuard([w] { w->reject(); });
                Look(w, "rettemese_sdd.png");
                auto* sdd = ModalHelper::When<TfrmAddebitiSdd>(
                    [&](TfrmAddebitiSdd* d) {
                        auto closeSdd = qScopeGuard([d] { d->reject(); });
                        act(d);
                    },
                    this, 20000);
                QTest::mouseClick(w->btnAddebitiSdd, Qt::LeftButton);
                inner = sdd->Handled();
                delete sdd;
            },
            this, 30000);
        auto del = qScopeGuard([helper] { delete helper; });
        QTest::mouseClick(m_app->menuRicevute()->ui.btnRetteMese, Qt::LeftButton);
        return helper->Handled() && inner;
    }

    bool InRetteMese(const std::function<void(TfrmRetteMese*)>& act) {
        return ::InRetteMese(*m_app, this, act, QStringLiteral("2026"), 120000);
    }
    template <class T> bool From(QPushButton* button, const std::function<void(T*)>& act) {
        return FromButton<T>(this, button, act);
    }
    static QString StateOf(TfrmRetteMese* w, const QString& child) { return MonthStateOf(w, child); }
    static const fees::FeeLine* LineOf(TfrmRetteMese* w, const QString& child) {
        for (const fees::FeeLine& l : w->Model().Lines())
            if (l.child == child)
                return &l;
        return nullptr;
    }


private slots:
    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_printing = std::make_unique<TestPrinting>(m_tp->dir.path());
        m_tp->platform.printing = m_printing.get();
        m_app = std::make_unique<Carvenna>(m_tp->platform);
        m_app->Start();
        m_app->Switch(m_app->avvio(), m_app->password());
        WriteSchool();
    }
    void cleanup() {
        if (m_tp)
            QVERIFY2(m_tp->messages.shown.isEmpty(), qPrintable(m_tp->messages.TakeTexts().join(" | ")));
        m_app.reset();
        m_printing.reset();
        m_tp.reset();
    }

    // From the registry editor: a wrong IBAN is refused naming the field, a right one is saved under the
    // card's tax code; opened again, the window shows what was saved.
    void mandatoFromTheRegistryEditor() {
        m_app->Switch(m_app->tiratori(), m_app->avvio());
        TfrmTiratori* t = m_app->tiratori();
        RegistryFile f;
        QVERIFY(f.OpenOrCreate(m_tp->platform.programFolder));
        RegistryRecord card;
        QVERIFY(f.ReadRecord(0, card));
        f.Close();
        t->ShowRecord(card);
        t->ui.lblPosizione->setText(QStringLiteral("1"));
        Look(t, "tiratori_mandato.png");
        QCOMPARE(t->cmdMandato->text(), QStringLiteral("Mandato SDD"));
        auto* helper = ModalHelper::When<TfrmMandatoSdd>(
            [&](TfrmMandatoSdd* w) {
                QVERIFY(w->lblPagatore->text().contains("RSSMRA85T10A562S"));
                QCOMPARE(w->txtMandato->text(), QStringLiteral("SDD-RSSMRA85T10A562S"));
                QCOMPARE(w->txtDataFirma->text(), QStringLiteral("10/12/2026"));
                w->txtIban->setText("IT61 X054 2811 1010 0000 0123 456");
                w->btnSalva->click();
                QVERIFY(w->isVisible());
                w->txtIban->setText("it60 x054 2811 1010 0000 0123 456");
                w->txtDataFirma->setText("01/09/2026");
                Look(w, "mandatosdd.png");
                w->btnSalva->click();
            },
            this);
        t->cmdMandato->click();
        QVERIFY(helper->Handled());
        const QStringList texts = m_tp->messages.TakeTexts();
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts[0].startsWith("Attenzione: L'IBAN del pagatore ha le cifre di controllo sbagliate"),
                 qPrintable(texts[0]));
        payments::Mandates ms;
        QVERIFY(ms.Load(Mandates()));
        const auto m = ms.Of("RSSMRA85T10A562S");
        QVERIFY(m);
        QCOMPARE(m->iban, QStringLiteral("IT60X0542811101000000123456"));
        QCOMPARE(m->signedOn, QDate(2026, 9, 1));
        QVERIFY(!m->firstDone);
        auto* again = ModalHelper::When<TfrmMandatoSdd>(
            [&](TfrmMandatoSdd* w) {
                QCOMPARE(w->txtIban->text(), QStringLiteral("IT60 X054 2811 1010 0000 0123 456"));
                QVERIFY(!w->chkPrimoAddebito->isChecked());
                w->btnAnnulla->click();
            },
            this);
        t->cmdMandato->click();
        QVERIFY(again->Handled());
        // A card without a tax code has no mandate to open.
        t->ui.txtCodFisc->clear();
        t->cmdMandato->click();
        QCOMPARE(m_tp->messages.TakeTexts().size(), 1);
        // A wrong code is asked about, No by default: answered No, no mandate window opens.
        t->ui.txtCodFisc->setText("rssmra85t10a562x");
        m_tp->messages.answers.enqueue(false);
        auto* unwanted = ModalHelper::When<TfrmMandatoSdd>([](TfrmMandatoSdd* w) { w->btnAnnulla->click(); }, this);
        t->cmdMandato->click();
        QVERIFY(!unwanted->Handled());
        delete unwanted; // it must not answer a later test's window
        const QStringList asked = m_tp->messages.TakeTexts();
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].startsWith("Attenzione: il codice fiscale del pagatore \"RSSMRA85T10A562X\" non è valido."),
                 qPrintable(asked[0]));
    }

    // Without the creditor data no file is made and the message names what is missing; with it the file
    // holds the lines with a mandate, the others are listed as left out, and the FRST flags are set.
    void addebitiSdd() {
        QVERIFY(payments::SaveMandate(Mandates(), {"RSSMRA85T10A562S", "IT60X0542811101000000123456", "M-ROSSI",
                                                   QDate(2026, 9, 1), false}));
        QVERIFY(payments::SaveMandate(Mandates(), {"BNCLRA90A41F205I", "DE89370400440532013000", "M-BIANCHI",
                                                   QDate(2025, 9, 1), true}));
        QVERIFY(OpenAddebiti([&](TfrmAddebitiSdd* d) {
            QCOMPARE(d->txtScadenza->text(), QStringLiteral("11/12/2026"));
            // The due date can be picked: the picker hands the day back; cancelling keeps the one shown.
            auto* pick = ModalHelper::When<TfrmCalendario>(
                [](TfrmCalendario* c) {
                    QCOMPARE(c->ui.calAppuntamenti->selectedDate(), QDate(2026, 12, 11));
                    c->ui.calAppuntamenti->setSelectedDate(QDate(2026, 12, 18));
                    QTest::mouseClick(c->ui.btnImportaData, Qt::LeftButton);
                },
                this);
            d->btnScadenza->click();
            QVERIFY(pick->Handled());
            delete pick;
            QCOMPARE(d->txtScadenza->text(), QStringLiteral("18/12/2026"));
            auto* cancel = ModalHelper::When<TfrmCalendario>([](TfrmCalendario* c) { c->reject(); }, this);
            d->btnScadenza->click();
            QVERIFY(cancel->Handled());
            delete cancel;
            QCOMPARE(d->txtScadenza->text(), QStringLiteral("18/12/2026"));
            QCOMPARE(d->grdAddebiti->model()->rowCount(), 3);
            QCOMPARE(d->lstEscluse->model()->rowCount(), 1);
            QVERIFY(d->lstEscluse->model()->index(0, 0).data().toString().contains("Neri Ugo"));
            QVERIFY(d->lblTotale->text().contains(QString::fromUtf8("€ 700,00")));
            QCOMPARE(d->grdAddebiti->model()->index(0, 2).data().toString(), QStringLiteral("DE89 **** **** **** **30 00"));
            d->btnCrea->click(); // no creditor data yet
            QVERIFY(d->WrittenFile().isEmpty());
        }));
        QStringList texts = m_tp->messages.TakeTexts();
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts[0].startsWith("Attenzione: L'IBAN della scuola manca."), qPrintable(texts[0]));
        QVERIFY(!QDir(m_tp->Path("SDD")).exists());

        WriteCreditor(PaymentSettings::SddFormat::Cbi);
        QString written;
        QVERIFY(OpenAddebiti([&](TfrmAddebitiSdd* d) {
            d->txtScadenza->setText("12/12/2026"); // a Saturday
            d->btnCrea->click();
            QVERIFY(d->WrittenFile().isEmpty());
            d->txtScadenza->setText("14/12/2026");
            Look(d, "addebitisdd.png");
            d->btnStampa->click(); // the list of what is about to be sent
            m_tp->messages.choices.enqueue(0); // "Apri cartella"
            d->btnCrea->click();
            written = d->WrittenFile();
            // Once written, its lines are in the file: a second press has nothing left to send.
            QCOMPARE(d->grdAddebiti->model()->rowCount(), 0);
            QCOMPARE(d->lstEscluse->model()->rowCount(), 4);
            QVERIFY(d->lstEscluse->model()->index(0, 0).data().toString().endsWith(
                QString::fromUtf8("già in addebito SDD: SDD_2026_12_1.xml")));
            QVERIFY(!d->btnCrea->isEnabled());
            QCOMPARE(d->lstFile->model()->rowCount(), 1);
            QVERIFY2(d->lstFile->model()->index(0, 0).data().toString().startsWith(
                         QString::fromUtf8("SDD_2026_12_1.xml   addebito il 14/12/2026   3 addebiti per € 700,00   "
                                           "3 in attesa")),
                     qPrintable(d->lstFile->model()->index(0, 0).data().toString()));
        }));
        texts = m_tp->messages.TakeTexts();
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts[0].contains("giorno lavorativo"), qPrintable(texts[0]));
        // The file's full path, the last day it can reach the bank, and a way to open its folder.
        const QString full = QDir::toNativeSeparators(m_tp->Path("SDD/SDD_2026_12_1.xml"));
        QCOMPARE(texts[1], QString::fromUtf8("Creato il file %1 con 3 addebiti per € 700,00.\n\r\n\rIl file deve "
                                             "arrivare alla banca entro il 11/12/2026, almeno un giorno lavorativo "
                                             "prima della data di addebito del 14/12/2026.")
                               .arg(full));
        QCOMPARE(m_tp->messages.lastButtons, QStringList({"Apri cartella", "OK"}));
        QCOMPARE(m_tp->shell.opened, QStringList{QDir::toNativeSeparators(m_tp->Path("SDD"))});
        QCOMPARE(QDir(m_tp->Path("SDD")).entryList({"*.xml"}), QStringList{"SDD_2026_12_1.xml"});
        QCOMPARE(written, m_tp->Path("SDD/SDD_2026_12_1.xml"));
        const QString xml = QString::fromUtf8(Bytes(written));
        QVERIFY(xml.contains("<BODY:PhyMsgTpCd>INC-SDDC-01</BODY:PhyMsgTpCd>"));
        QCOMPARE(xml.count("<PMRQ:SeqTp>FRST</PMRQ:SeqTp>"), 1);
        QCOMPARE(xml.count("<PMRQ:DrctDbtTxInf>"), 3);
        QVERIFY(xml.contains("<PMRQ:ReqdColltnDt>2026-12-14</PMRQ:ReqdColltnDt>"));
        QVERIFY(!xml.contains("Neri"));
        payments::Mandates ms;
        QVERIFY(ms.Load(Mandates()));
        QVERIFY(ms.Of("RSSMRA85T10A562S")->firstDone);
        // The printed list masks the IBANs and names the line left out.
        QCOMPARE(m_printing->jobs.size(), 1);
        QCOMPARE(m_printing->jobs[0].fileName, QStringLiteral("Addebiti_SDD_2026_12.pdf"));
        const pdftext::Document doc = pdftext::Read(m_printing->LastPdf());
        QVERIFY(!pdftext::Find(doc, 0, "IT60 **** **** **** **** ***3 456").isEmpty());
        QVERIFY(!pdftext::Find(doc, 0, "Neri Ugo").isEmpty());
        QVERIFY(pdftext::Find(doc, 0, "X054").isEmpty());
    }

    // "Movimenti bancari": a statement with the collections of two children, a transfer naming the third
    // and one nobody can tell; the office matches the last by hand, issues, and a second reading finds
    // every movement already registered. A damaged file is refused with its name and reason.
    void movimentiBancari() {
        QVERIFY(IniWrite(m_app->SettingsPath(), ReceiptSettings::NumberingSection(), ReceiptSettings::NumberingStartKey(),
                         QStringLiteral("1")));
        QVERIFY(SaveFiscalData(m_app->SettingsPath(), InvoiceSchool()));
        payments::Mandate rossi;
        rossi.taxCode = QString::fromUtf8(kSchool[0].code), rossi.iban = "IT60X0542811101000000123456";
        rossi.id = "M-ROSSI", rossi.signedOn = QDate(2026, 9, 1);
        QVERIFY(payments::SaveMandate(Mandates(), rossi));
        auto entry = [](const char* amount, const char* ref, const char* e2e, const char* payer, const char* text) {
            return QByteArray("<Ntry><Amt Ccy=\"EUR\">") + amount + "</Amt><CdtDbtInd>CRDT</CdtDbtInd><Sts>BOOK</Sts>"
                   "<BookgDt><Dt>2026-12-14</Dt></BookgDt><ValDt><Dt>2026-12-14</Dt></ValDt><AcctSvcrRef>" + ref +
                   "</AcctSvcrRef><NtryDtls><TxDtls><Refs><EndToEndId>" + e2e + "</EndToEndId></Refs><RltdPties><Dbtr>"
                   "<Nm>" + payer + "</Nm></Dbtr></RltdPties><RmtInf><Ustrd>" + text + "</Ustrd></RmtInf></TxDtls>"
                   "</NtryDtls></Ntry>";
        };
        const QByteArray xml =
            "<?xml version=\"1.0\"?><Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\"><BkToCstmrStmt>"
            "<GrpHdr><MsgId>1</MsgId><CreDtTm>2026-12-15T08:00:00</CreDtTm></GrpHdr><Stmt><Id>1</Id><Acct><Id><IBAN>"
            "IT60X0542811101000000123456</IBAN></Id><Ccy>EUR</Ccy></Acct>" +
            entry("250.00", "A1", "RT202612C1-ROSSILUCA", "Rossi Mario", "Retta dicembre 2026 ROSSI LUCA") +
            entry("200.00", "A2", "RT202612C2-ROSSIANNA", "Rossi Mario", "Retta dicembre 2026 ROSSI ANNA") +
            entry("250.00", "A3", "NOTPROVIDED", "Lara B.", "retta Bianchi Zoe") +
            entry("180.00", "A4", "NOTPROVIDED", "Zio Carlo", "per il nido") + "</Stmt></BkToCstmrStmt></Document>";
        const QString path = m_tp->Path("estratto.xml");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(xml);
        f.close();
        QFile bad(m_tp->Path("rotto.xml"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(xml.left(400));
        bad.close();
        m_app->menuRicevute()->ui.txtAnnoPreventivi->setText(QStringLiteral("2026"));
        auto run = [&](const std::function<void(TfrmMovimentiBancari*)>& act) {
            bool inner = false;
            auto* helper = ModalHelper::When<TfrmRetteMese>(
                [&](TfrmRetteMese* w) {
                    auto close = qScopeGuard([w] { w->reject(); });
                    auto* mov = ModalHelper::When<TfrmMovimentiBancari>(
                        [&](TfrmMovimentiBancari* d) {
                            auto closeMov = qScopeGuard([d] { d->reject(); });
                            act(d);
                        },
                        this, 20000);
                    QTest::mouseClick(w->btnMovimenti, Qt::LeftButton);
                    inner = mov->Handled();
                    delete mov;
                },
                this, 30000);
            QTest::mouseClick(m_app->menuRicevute()->ui.btnRetteMese, Qt::LeftButton);
            const bool outer = helper->Handled();
            delete helper;
            return outer && inner;
        };
        QVERIFY(run([&](TfrmMovimentiBancari* d) {
            m_tp->fileDialogs.answers.enqueue(m_tp->Path("rotto.xml"));
            d->btnApri->click();
            QCOMPARE(d->grdMovimenti->model()->rowCount(), 0);
            m_tp->fileDialogs.answers.enqueue(path);
            d->btnApri->click();
            QAbstractItemModel* m = d->grdMovimenti->model();
            QCOMPARE(m->rowCount(), 4);
            QCOMPARE(m->index(0, 6).data().toString(), QStringLiteral("abbinato"));
            QCOMPARE(m->index(0, 5).data().toString(), QStringLiteral("Rossi Luca: 12/2026"));
            QCOMPARE(m->index(2, 6).data().toString(), QStringLiteral("abbinato"));
            QCOMPARE(m->index(2, 5).data().toString(), QStringLiteral("Bianchi Zoe: 12/2026"));
            QCOMPARE(m->index(3, 6).data().toString(), QStringLiteral("non abbinato"));
            // The office knows the uncle pays for Neri Ugo.
            d->grdMovimenti->setCurrentIndex(m->index(3, 1));
            d->cmbScheda->setCurrentIndex(d->cmbScheda->findText("Neri Ugo (Neri Paolo)"));
            d->btnAbbina->click();
            QCOMPARE(m->index(3, 6).data().toString(), QStringLiteral("abbinato"));
            QCOMPARE(m->index(3, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
            Look(d, "movimentibancari.png");
            // Another workstation stored a receipt dated tomorrow: today's receipts would go back in time.
            {
                ReceiptRecord later;
                later.NumRic = "1", later.Data = "11/12/2026", later.Pagatore = "Altro", later.CodFisc = "X";
                ReceiptFile other;
                QVERIFY(other.OpenOrCreate(m_tp->Path("2026.ric")));
                QVERIFY(other.AppendRecord(later));
                other.Close();
            }
            const QByteArray withLater = Bytes(m_tp->Path("2026.ric"));
            d->btnEmetti->click();
            QCOMPARE(Bytes(m_tp->Path("2026.ric")), withLater);
            QCOMPARE(m->index(0, 6).data().toString(), QStringLiteral("abbinato"));
            QVERIFY(QFile::remove(m_tp->Path("2026.ric")));
            m_tp->messages.answers.enqueue(true);
            d->btnEmetti->click();
            for (int i = 0; i < 4; ++i)
                QCOMPARE(m->index(i, 6).data().toString(), QString::fromUtf8("già registrato"));
        }));
        const QStringList texts = m_tp->messages.TakeTexts();
        QCOMPARE(texts.size(), 4);
        QVERIFY2(texts[0].startsWith("Attenzione: rotto.xml: il file è danneggiato"), qPrintable(texts[0]));
        QVERIFY2(texts[1].startsWith("Attenzione: la data di emissione 10/12/2026 è precedente a quella dell'ultima "
                                     "ricevuta dell'archivio (n. 1 del 11/12/2026)."),
                 qPrintable(texts[1]));
        QCOMPARE(texts[2], QStringLiteral("Emettere 4 ricevute dei movimenti spuntati, con data 10/12/2026?"));
        QCOMPARE(texts[3], QStringLiteral("Emesse 4 ricevute: dalla n. 1 alla n. 4."));
        ReceiptFile year;
        QVERIFY(year.OpenOrCreate(m_tp->Path("2026.ric")));
        QVector<ReceiptRecord> all;
        QVERIFY(year.ReadAll(all));
        year.Close();
        QCOMPARE(all.size(), 4);
        // Dated the day they are issued; the payment's own day and reference in the payment text; the
        // school from "Dati fiscali", since no receiver lines are kept.
        for (const ReceiptRecord& r : all) {
            QCOMPARE(r.Data, QStringLiteral("10/12/2026"));
            QCOMPARE(r.Ricevente01, QStringLiteral("Asilo Nido Il Girasole"));
            QVERIFY2(r.Ricevente04.contains("01234567897"), qPrintable(r.Ricevente04));
        }
        QCOMPARE(all[0].Indirizzo, QStringLiteral("Addebito SDD del 14/12/2026, rif. RT202612C1-ROSSILUCA, mandato M-ROSSI"));
        QCOMPARE(all[3].Praticante, QStringLiteral("Neri Ugo"));
        QCOMPARE(all[3].Indirizzo, QStringLiteral("Bonifico bancario del 14/12/2026, rif. A4"));
        QCOMPARE(all[3].Importo.trimmed(), QStringLiteral("180"));
        // The month list now shows the four months paid.
        QVERIFY(OpenAddebiti([&](TfrmAddebitiSdd* d) {
            QCOMPARE(d->grdAddebiti->model()->rowCount(), 0);
        }));
    }

    // A month in a pending file is shown as such and asked no more; a withdrawn file frees it and its FRST;
    // a return on the statement frees it again and keeps FRST; the card offered follows the movement.
    void monthInADebitFile() {
        QVERIFY(payments::SaveMandate(Mandates(), {"RSSMRA85T10A562S", "IT60X0542811101000000123456", "M-ROSSI",
                                                   QDate(2026, 9, 1), false}));
        QVERIFY(payments::SaveMandate(Mandates(), {"BNCLRA90A41F205I", "DE89370400440532013000", "M-BIANCHI",
                                                   QDate(2025, 9, 1), true}));
        WriteCreditor(PaymentSettings::SddFormat::Cbi);
        QVERIFY(IniWrite(m_app->SettingsPath(), ReceiptSettings::NumberingSection(), ReceiptSettings::NumberingStartKey(),
                         QStringLiteral("1")));
        const auto create = [&](TfrmRetteMese* w) {
            QVERIFY(From<TfrmAddebitiSdd>(w->btnAddebitiSdd, [&](TfrmAddebitiSdd* d) {
                d->txtScadenza->setText("14/12/2026");
                d->btnCrea->click();
                QVERIFY(!d->WrittenFile().isEmpty());
            }));
        };
        QVERIFY(InRetteMese([&](TfrmRetteMese* w) {
            create(w);
            // Back in the list: the three debited months have their own state, colour and count.
            QCOMPARE(StateOf(w, "Rossi Luca"), QStringLiteral("In addebito SDD: SDD_2026_12_1.xml"));
            QCOMPARE(StateOf(w, "Bianchi Zoe"), QStringLiteral("In addebito SDD: SDD_2026_12_1.xml"));
            QCOMPARE(StateOf(w, "Neri Ugo"), QStringLiteral("Da emettere"));
            const QVector<fees::FeeLine>& lines = w->Model().Lines();
            for (int i = 0; i < lines.size(); ++i)
                if (lines[i].child == "Rossi Luca") {
                    QCOMPARE(w->Model().index(i, RetteModel::ColState).data(Qt::ForegroundRole).value<QBrush>().color(),
                             QColor(0x1F, 0x4E, 0xA8));
                    QVERIFY(!lines[i].ticked);
                }
            QVERIFY2(w->lblConteggio->text().contains("In addebito SDD: 3"), qPrintable(w->lblConteggio->text()));
            // Not owed in the unpaid list: Neri alone.
            const QVector<int> unpaid = fees::UnpaidLines(lines);
            QCOMPARE(unpaid.size(), 1);
            QCOMPARE(lines[unpaid[0]].child, QStringLiteral("Neri Ugo"));
            Look(w, "rettemese_in_addebito.png");
        }));
        m_tp->messages.TakeTexts();
        // The reminders and the family account ask nothing of a debited month.
        fees::ReminderSet set;
        QString error;
        QVERIFY2(fees::LoadReminders(m_tp->platform.programFolder, {1, 3, 4}, fees::FeeMonth{2026, 12}, set, &error),
                 qPrintable(error));
        QCOMPARE(set.letters.size(), 1);
        QCOMPARE(set.letters[0].payer, QStringLiteral("Neri Paolo"));
        fees::FamilyAccount account;
        QVERIFY(fees::LoadFamilyAccount(m_tp->platform.programFolder, 1, fees::FeeMonth{2026, 12}, account, &error));
        QCOMPARE(account.TotalToAsk(), qint64(0));
        QCOMPARE(account.TotalHeld(), qint64(4500000));

        // Withdrawn before it reached the bank: the months free again, Rossi FRST again.
        QVERIFY(InRetteMese([&](TfrmRetteMese* w) {
            QVERIFY(From<TfrmAddebitiSdd>(w->btnAddebitiSdd, [&](TfrmAddebitiSdd* d) {
                QCOMPARE(d->grdAddebiti->model()->rowCount(), 0);
                QCOMPARE(d->lstEscluse->model()->rowCount(), 4);
                Look(d, "addebitisdd_file_in_attesa.png");
                m_tp->messages.answers.enqueue(true);
                d->btnRitira->click();
                QCOMPARE(d->grdAddebiti->model()->rowCount(), 3);
                QCOMPARE(d->grdAddebiti->model()->index(1, 3).data().toString(), QStringLiteral("FRST"));
                QVERIFY(d->btnCrea->isEnabled());
                QVERIFY(d->lstFile->model()->index(0, 0).data().toString().contains("ritirato il 10/12/2026"));
            }));
            QCOMPARE(StateOf(w, "Rossi Luca"), QStringLiteral("Da emettere"));
            QVERIFY(LineOf(w, "Rossi Luca")->ticked);
        }));
        QStringList texts = m_tp->messages.TakeTexts();
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts[0].startsWith("Ritirare il file SDD_2026_12_1.xml?"), qPrintable(texts[0]));
        QCOMPARE(QDir(m_tp->Path("SDD")).entryList({"*.xml"}), QStringList{"SDD_2026_12_1_ritirato.xml"});
        payments::Mandates ms;
        QVERIFY(ms.Load(Mandates()));
        QVERIFY(!ms.Of("RSSMRA85T10A562S")->firstDone);

        // A new file; the statement collects Bianchi, returns Rossi Luca's FRST, and Neri pays by transfer.
        QVERIFY(InRetteMese([&](TfrmRetteMese* w) { create(w); }));
        m_tp->messages.TakeTexts();
        auto entry = [](const char* amount, const char* ind, const char* ref, const QString& e2e, const char* payer,
                        const char* text, const char* extra = "") {
            return QByteArray("<Ntry><Amt Ccy=\"EUR\">") + amount + "</Amt><CdtDbtInd>" + ind + "</CdtDbtInd><Sts>"
                   "BOOK</Sts><BookgDt><Dt>2026-12-14</Dt></BookgDt><ValDt><Dt>2026-12-14</Dt></ValDt><AcctSvcrRef>" +
                   ref + "</AcctSvcrRef><NtryDtls><TxDtls><Refs><EndToEndId>" + e2e.toUtf8() + "</EndToEndId></Refs>"
                   "<RltdPties><Dbtr><Nm>" + payer + "</Nm></Dbtr></RltdPties><RmtInf><Ustrd>" + text + "</Ustrd>"
                   "</RmtInf>" + extra + "</TxDtls></NtryDtls></Ntry>";
        };
        const fees::FeeMonth dec{2026, 12};
        const QByteArray xml =
            "<?xml version=\"1.0\"?><Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\"><BkToCstmrStmt>"
            "<GrpHdr><MsgId>1</MsgId><CreDtTm>2026-12-15T08:00:00</CreDtTm></GrpHdr><Stmt><Id>1</Id><Acct><Id><IBAN>"
            "IT60X0542811101000000123456</IBAN></Id><Ccy>EUR</Ccy></Acct>" +
            entry("250.00", "CRDT", "A1", payments::EndToEndId(dec, 3, "Bianchi Zoe"), "Bianchi Lara", "Retta") +
            entry("250.00", "DBIT", "A2", payments::EndToEndId(dec, 1, "Rossi Luca"), "Rossi Mario", "Retta",
                  "<RtrInf><Rsn><Cd>AM04</Cd></Rsn></RtrInf>") +
            entry("180.00", "CRDT", "A3", "NOTPROVIDED", "Zio Carlo", "RETTA DICEMBRE NERI UGO") +
            entry("99.00", "CRDT", "A4", "NOTPROVIDED", "Sconosciuto", "regalo") +
            "</Stmt></BkToCstmrStmt></Document>";
        QFile f(m_tp->Path("estratto.xml"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(xml);
        f.close();
        QVERIFY(InRetteMese([&](TfrmRetteMese* w) {
            QVERIFY(From<TfrmMovimentiBancari>(w->btnMovimenti, [&](TfrmMovimentiBancari* d) {
                m_tp->fileDialogs.answers.enqueue(m_tp->Path("estratto.xml"));
                d->btnApri->click();
                QAbstractItemModel* m = d->grdMovimenti->model();
                QCOMPARE(m->rowCount(), 3);
                QCOMPARE(m->index(0, 5).data().toString(), QStringLiteral("Bianchi Zoe: 12/2026"));
                QCOMPARE(m->index(0, 7).data().toString(), QStringLiteral("addebito SDD; mese dell'addebito SDD"));
                QCOMPARE(m->index(1, 5).data().toString(), QStringLiteral("Neri Ugo: 12/2026"));
                QCOMPARE(m->index(1, 7).data().toString(), QStringLiteral("nome del minore; mesi nella causale"));
                // The card offered follows the selected movement, and none for a movement nobody can tell.
                d->grdMovimenti->setCurrentIndex(m->index(1, 1));
                QCOMPARE(d->cmbScheda->currentText(), QStringLiteral("Neri Ugo (Neri Paolo)"));
                d->grdMovimenti->setCurrentIndex(m->index(0, 1));
                QCOMPARE(d->cmbScheda->currentText(), QStringLiteral("Bianchi Zoe (Bianchi Lara)"));
                d->grdMovimenti->setCurrentIndex(m->index(2, 1));
                QCOMPARE(d->cmbScheda->currentText(), QString());
                Look(d, "movimenti_scheda_del_movimento.png");
                m_tp->messages.answers.enqueue(true);
                d->btnEmetti->click();
            }));
            // The returned month is owed again; the collected one and the transfer are paid.
            QCOMPARE(StateOf(w, "Rossi Luca"), QStringLiteral("Da emettere"));
            QVERIFY(StateOf(w, "Bianchi Zoe").startsWith(QString::fromUtf8("Già pagata")));
            QVERIFY(StateOf(w, "Neri Ugo").startsWith(QString::fromUtf8("Già pagata")));
            QCOMPARE(StateOf(w, "Rossi Anna"), QStringLiteral("In addebito SDD: SDD_2026_12_2.xml"));
            Look(w, "rettemese_dopo_estratto.png");
            // The next file takes Rossi Luca again, FRST since his first collection came back.
            QVERIFY(From<TfrmAddebitiSdd>(w->btnAddebitiSdd, [&](TfrmAddebitiSdd* d) {
                QCOMPARE(d->grdAddebiti->model()->rowCount(), 1);
                QCOMPARE(d->grdAddebiti->model()->index(0, 1).data().toString(), QStringLiteral("Rossi Luca"));
                QCOMPARE(d->grdAddebiti->model()->index(0, 3).data().toString(), QStringLiteral("FRST"));
            }));
        }));
        texts = m_tp->messages.TakeTexts();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[1], QStringLiteral("Emesse 2 ricevute: dalla n. 1 alla n. 2."));
    }

    // A credit pays the next month in the month rule: the list says so and the batch asks the rest.
    void creditInTheMonthWindow() {
        ReceiptFile year;
        QVERIFY(year.OpenOrCreate(m_tp->Path("2026.ric")));
        // Receipt 31 paid 300,00 for Neri Ugo's November fee of 180,00.
        ReceiptRecord r;
        r.NumRic = "31";
        r.Data = "05/11/2026";
        r.Sport = "Retta novembre 2026";
        r.Dal = "01/11/2026";
        r.Al = "30/11/2026";
        r.Intero = "300,00";
        r.Importo = "300";
        r.Cents = "00";
        r.Praticante = "Neri Ugo";
        QVERIFY(year.AppendRecord(r));
        year.Close();
        QVERIFY(InRetteMese([&](TfrmRetteMese* w) {
            QCOMPARE(StateOf(w, "Neri Ugo"), QStringLiteral("Pagata in parte: 120,00 di 180,00 (credito ricevuta n. 31)"));
            const fees::FeeLine* neri = LineOf(w, "Neri Ugo");
            QVERIFY(neri->ticked);
            QCOMPARE(fees::OwedText(*neri), QStringLiteral("60,00"));
            const fees::IssueRequest req{fees::FeeMonth{2026, 12}, QDate(2026, 12, 10)};
            QCOMPARE(fees::FeeReceipt(*neri, req, 32).Intero.trimmed(), QStringLiteral("60,00"));
        }));
    }

    // A month of a generated school of 80: mandates for half of the payers, the SDD file of the month, a
    // statement made from that file's collections (one returned) and a few transfers, the receipts issued,
    // and the month's list afterwards.
    void monthOfAGeneratedSchool() {
        QFile::remove(m_tp->Path(RegistryFileName));
        RegistryFile reg;
        QVERIFY(reg.OpenOrCreate(m_tp->platform.programFolder));
        const char* surnames[] = {"Rossi", "Bianchi", "Verdi", "Neri", "Gialli", "Romano", "Colombo", "Ricci",
                                  "Marino", "Greco"};
        const char* names[] = {"Luca", "Anna", "Marco", "Sara", "Paolo", "Giulia", "Enea", "Marta"};
        for (int i = 0; i < 80; ++i) {
            RegistryRecord r;
            r.Tiratore = QStringLiteral("%1 Genitore%2").arg(surnames[i % 10]).arg(i);
            r.CodFisc = QStringLiteral("RSSMRA80A01H%1U").arg(i, 3, 10, QLatin1Char('0'));
            r.Armi = QStringLiteral("%1 %2%3").arg(surnames[i % 10], names[i % 8]).arg(i);
            r.Quota = i % 3 == 0 ? QStringLiteral("250,00") : QStringLiteral("200,00");
            r.InizioTes = QStringLiteral("01/12/2026");
            QVERIFY(reg.AppendRecord(r));
            if (i % 2 == 0)
                QVERIFY(payments::SaveMandate(Mandates(), {r.CodFisc.toUpper(), "IT60X0542811101000000123456",
                                                           QStringLiteral("M-%1").arg(i), QDate(2026, 9, 1), false}));
        }
        QVERIFY(reg.Close());
        WriteCreditor(PaymentSettings::SddFormat::Cbi);
        QVERIFY(IniWrite(m_app->SettingsPath(), ReceiptSettings::NumberingSection(), ReceiptSettings::NumberingStartKey(),
                         QStringLiteral("1")));
        QVector<payments::SddCollection> collected;
        QVERIFY(OpenAddebiti([&](TfrmAddebitiSdd* d) {
            QCOMPARE(d->grdAddebiti->model()->rowCount(), 40);
            QCOMPARE(d->lstEscluse->model()->rowCount(), 40);
            Look(d, "month_addebiti.png");
            collected = d->Plan().collections; // once written, the plan has nothing left to send
            d->btnCrea->click();
        }));
        QStringList texts = m_tp->messages.TakeTexts();
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts[0].startsWith("Creato il file " + QDir::toNativeSeparators(m_tp->Path("SDD/SDD_2026_12_1.xml")) +
                                     " con 40 addebiti"),
                 qPrintable(texts[0]));
        // The bank's statement: 39 collections credited as one entry, one returned, 10 transfers of payers
        // without a mandate naming their child, one unknown transfer.
        QByteArray tx, entries;
        for (int k = 0; k < collected.size(); ++k) {
            const payments::SddCollection& c = collected[k];
            const QByteArray amount = QByteArray::number(double(c.amount) / 10000, 'f', 2);
            if (k == 5) {
                entries += "<Ntry><Amt Ccy=\"EUR\">" + amount + "</Amt><CdtDbtInd>DBIT</CdtDbtInd><Sts>BOOK</Sts>"
                           "<BookgDt><Dt>2026-12-18</Dt></BookgDt><NtryDtls><TxDtls><Refs><EndToEndId>" +
                           c.endToEnd.toUtf8() + "</EndToEndId></Refs><RltdPties><Dbtr><Nm>" + c.payer.toUtf8() +
                           "</Nm></Dbtr></RltdPties><RtrInf><Rsn><Cd>AM04</Cd></Rsn></RtrInf></TxDtls></NtryDtls></Ntry>";
                continue;
            }
            tx += "<TxDtls><Refs><EndToEndId>" + c.endToEnd.toUtf8() + "</EndToEndId></Refs><AmtDtls><TxAmt>"
                  "<Amt Ccy=\"EUR\">" + amount + "</Amt></TxAmt></AmtDtls><RltdPties><Dbtr><Nm>" + c.payer.toUtf8() +
                  "</Nm></Dbtr></RltdPties></TxDtls>";
        }
        qint64 sum = 0;
        for (int k = 0; k < collected.size(); ++k)
            if (k != 5)
                sum += collected[k].amount;
        entries = "<Ntry><Amt Ccy=\"EUR\">" + QByteArray::number(double(sum) / 10000, 'f', 2) +
                  "</Amt><CdtDbtInd>CRDT</CdtDbtInd><Sts>BOOK</Sts><BookgDt><Dt>2026-12-14</Dt></BookgDt><ValDt><Dt>"
                  "2026-12-14</Dt></ValDt><AcctSvcrRef>SDD-DIC</AcctSvcrRef><NtryDtls>" + tx + "</NtryDtls></Ntry>" +
                  entries;
        for (int i = 1; i < 21; i += 2) {
            const QByteArray child = QStringLiteral("%1 %2%3").arg(surnames[i % 10], names[i % 8]).arg(i).toUtf8();
            entries += "<Ntry><Amt Ccy=\"EUR\">" + QByteArray(i % 3 == 0 ? "250.00" : "200.00") +
                       "</Amt><CdtDbtInd>CRDT</CdtDbtInd><Sts>BOOK</Sts><BookgDt><Dt>2026-12-10</Dt></BookgDt><ValDt><Dt>"
                       "2026-12-10</Dt></ValDt><AcctSvcrRef>BON" + QByteArray::number(i) + "</AcctSvcrRef><NtryDtls>"
                       "<TxDtls><RltdPties><Dbtr><Nm>Famiglia</Nm></Dbtr></RltdPties><RmtInf><Ustrd>Retta dicembre " +
                       child + "</Ustrd></RmtInf></TxDtls></NtryDtls></Ntry>";
        }
        entries += "<Ntry><Amt Ccy=\"EUR\">35.00</Amt><CdtDbtInd>CRDT</CdtDbtInd><Sts>BOOK</Sts><BookgDt><Dt>2026-12-11"
                   "</Dt></BookgDt><AcctSvcrRef>X1</AcctSvcrRef><AddtlNtryInf>giroconto</AddtlNtryInf></Ntry>";
        const QByteArray xml = "<?xml version=\"1.0\"?><Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\">"
                               "<BkToCstmrStmt><GrpHdr><MsgId>1</MsgId><CreDtTm>2026-12-20T08:00:00</CreDtTm></GrpHdr>"
                               "<Stmt><Id>1</Id><Acct><Id><IBAN>IT60X0542811101000000123456</IBAN></Id><Ccy>EUR</Ccy>"
                               "</Acct>" + entries + "</Stmt></BkToCstmrStmt></Document>";
        QFile f(m_tp->Path("dicembre.xml"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(xml);
        f.close();
        m_app->menuRicevute()->ui.txtAnnoPreventivi->setText(QStringLiteral("2026"));
        auto* helper = ModalHelper::When<TfrmRetteMese>(
            [&](TfrmRetteMese* w) {
                auto close = qScopeGuard([w] { w->reject(); });
                auto* mov = ModalHelper::When<TfrmMovimentiBancari>(
                    [&](TfrmMovimentiBancari* d) {
                        auto closeMov = qScopeGuard([d] { d->reject(); });
                        m_tp->fileDialogs.answers.enqueue(m_tp->Path("dicembre.xml"));
                        d->btnApri->click();
                        QAbstractItemModel* m = d->grdMovimenti->model();
                        QCOMPARE(m->rowCount(), 50);
                        int matched = 0;
                        for (int r = 0; r < m->rowCount(); ++r)
                            matched += m->index(r, 6).data().toString() == QStringLiteral("abbinato");
                        QCOMPARE(matched, 49);
                        QCOMPARE(d->lstResi->model()->rowCount(), 1);
                        QVERIFY(d->lstResi->model()->index(0, 0).data().toString().contains("fondi insufficienti"));
                        Look(d, "month_movimenti.png");
                        m_tp->messages.answers.enqueue(true);
                        d->btnEmetti->click();
                    },
                    this, 20000);
                QTest::mouseClick(w->btnMovimenti, Qt::LeftButton);
                QVERIFY(mov->Handled());
                delete mov;
                // Back in the month's list: 49 paid, the returned one and the other 30 still to issue.
                int paid = 0;
                for (const fees::FeeLine& l : w->Model().Lines())
                    paid += l.state == fees::LineState::Paid;
                QCOMPARE(paid, 49);
                Look(w, "month_rette.png");
            },
            this, 60000);
        QTest::mouseClick(m_app->menuRicevute()->ui.btnRetteMese, Qt::LeftButton);
        QVERIFY(helper->Handled());
        delete helper;
        texts = m_tp->messages.TakeTexts();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[1], QStringLiteral("Emesse 49 ricevute: dalla n. 1 alla n. 49."));
    }
};

QTEST_MAIN(tst_pagamenti)
#include "tst_pagamenti.moc"
