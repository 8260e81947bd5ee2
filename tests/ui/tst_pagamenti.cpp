// The direct-debit windows through the real UI: "Mandato SDD" from the registry editor, and "Addebiti
// SDD" from "Rette del mese" with its file, its left-out lines and the creditor data it needs.
#include "../report/PdfText.h"
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Avvio.h"
#include "app/Carvenna.h"
#include "app/Password.h"
#include "fees/RetteMese.h"
#include "fees/RetteModel.h"
#include "payments/AddebitiSdd.h"
#include "payments/MandatoSdd.h"
#include "payments/Mandates.h"
#include "payments/PaymentSettings.h"
#include "receipts/MenuRicevute.h"
#include "receipts/ReceiptSettings.h"
#include "registry/Tiratori.h"
#include "storage/IniFile.h"
#include "storage/RegistryFile.h"
#include "validators/Iban.h"
#include <QCheckBox>
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
            QVERIFY(f.AppendRecord(r));
        }
        QVERIFY(f.Close());
    }
    void WriteCreditor(PaymentSettings::SddFormat format) {
        PaymentSettings s;
        s.iban = QStringLiteral("IT60X0542811101000000123456");
        s.intestatario = QStringLiteral("Asilo Nido Il Girasole");
        s.creditorId = QStringLiteral("IT91ZZZ01234567897");
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
            d->btnCrea->click();
            written = d->WrittenFile();
            // Once written, Rossi's collections are RCUR and the button is off until the window is opened again.
            QCOMPARE(d->grdAddebiti->model()->index(1, 3).data().toString(), QStringLiteral("RCUR"));
            QVERIFY(!d->btnCrea->isEnabled());
            d->btnStampa->click();
        }));
        texts = m_tp->messages.TakeTexts();
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts[0].contains("giorno lavorativo"), qPrintable(texts[0]));
        QVERIFY2(texts[1].startsWith("Creato il file SDD/SDD_2026_12_1.xml con 3 addebiti per "), qPrintable(texts[1]));
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
};

QTEST_MAIN(tst_pagamenti)
#include "tst_pagamenti.moc"
