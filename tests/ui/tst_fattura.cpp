// Electronic invoices from the receipt windows: the fiscal data window of the year window, the
// invoice of one stored receipt (payer from the registry card, or asked once), the second invoice
// that asks first, a month's receipts at once, and the courtesy copy printed to PDF.
#include "../report/PdfText.h"
#include "InvoiceFixtures.h"
#include "ModalHelper.h"
#include "ReceiptYear.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Avvio.h"
#include "app/Carvenna.h"
#include "app/Style.h"
#include "einvoice/DatiCliente.h"
#include "einvoice/DatiFiscali.h"
#include "payments/PaymentSettings.h"
#include "einvoice/EmettiFattura.h"
#include "einvoice/FiscalData.h"
#include "einvoice/InvoiceFiles.h"
#include "receipts/MenuRicevute.h"
#include "receipts/Ricevuta.h"
#include "storage/IniFile.h"
#include "storage/RegistryFile.h"
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {
// Positions 1..6 of the year.
const QVector<InvoiceReceiptRow> kYear = {
    {"27", "150", "ROSSI MARIO", "RSSMRA80A01H501U", "Retta mensile"},            // card complete
    {"28", "60", "DE LUCA MARIA ANNA", "BNCLRA82D45F205B", "Retta mensile"},      // card: name to split
    {"29", "60", "DE LUCA MARIA ANNA", "BNCLRA82D45F205B", "Mensa"},              // same payer
    {"30", "70", "VERDI GIUSEPPE", "VRDGPP75C12L219Z", "Retta mensile"},          // no card
    {"31", "80", "ROSSI MARIO", "RSSMRA80A01H501U", "ANNULLATA: importo errato"}, // cancelled
    {"32", "0", "ROSSI MARIO", "RSSMRA80A01H501U", "Retta mensile"},              // zero
};

// Answers every payer window that opens, by the code it asks about, and counts how often each was asked.
class PayerAnswers : public QObject {
public:
    explicit PayerAnswers(std::function<void(TfrmDatiCliente*)> act, QObject* parent) : QObject(parent), m_act(act) {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* dlg = qobject_cast<TfrmDatiCliente*>(QApplication::activeModalWidget());
            if (!dlg || dlg->property("answered").toBool())
                return;
            dlg->setProperty("answered", true);
            asked[dlg->lblCodice->text()] += 1;
            m_act(dlg);
        });
        m_timer.start(10);
    }
    QMap<QString, int> asked;

private:
    std::function<void(TfrmDatiCliente*)> m_act;
    QTimer m_timer;
};

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TstFattura : public QObject {
    Q_OBJECT
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<TestPrinting> m_printing;
    std::unique_ptr<Carvenna> m_app;
    QString m_year;

    QString InvoiceDir() const { return InvoiceFolder(m_app->ProgramFolder()); }
    QStringList Files() const { return QDir(InvoiceDir()).entryList({"*.xml"}, QDir::Files, QDir::Name); }
    void Answer(std::initializer_list<bool> answers) {
        for (bool a : answers)
            m_tp->messages.answers.enqueue(a);
    }
    QString Message() { return Messages::ForDisplay(m_tp->messages.TakeTexts().join("\n")); }

private slots:
    void initTestCase() { ApplyCarvennaStyle(*qApp); }

    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_printing = std::make_unique<TestPrinting>(m_tp->dir.path());
        m_tp->platform.printing = m_printing.get();
        m_app = std::make_unique<Carvenna>(m_tp->platform);
        m_app->Start();
        QVERIFY(SaveFiscalData(m_app->SettingsPath(), InvoiceSchool()));
        m_year = WriteReceiptYear(m_tp->Path("2026.ric"), kYear, InvoiceReceipt);
        QVERIFY(!m_year.isEmpty());
        RegistryFile reg;
        QVERIFY(reg.OpenOrCreate(m_app->ProgramFolder()));
        RegistryRecord a;
        a.Tiratore = QStringLiteral("ROSSI MARIO");
        a.CodFisc = QStringLiteral("RSSMRA80A01H501U");
        a.Indirizzo = QStringLiteral("Via Verdi 3");
        a.Cap = QStringLiteral("20100");
        a.Citta = QStringLiteral("Milano (MI)");
        a.Nazione = QStringLiteral("Italia");
        RegistryRecord b = a;
        b.Tiratore = QStringLiteral("DE LUCA MARIA ANNA");
        b.CodFisc = QStringLiteral("BNCLRA82D45F205B");
        b.Indirizzo = QStringLiteral("Corso Como 1");
        QVERIFY(reg.AppendRecord(a) && reg.AppendRecord(b) && reg.Close());
    }

    void cleanup() {
        if (m_tp)
            QVERIFY2(m_tp->messages.shown.isEmpty(), qPrintable(m_tp->messages.TakeTexts().join(" | ")));
        m_app.reset();
        m_printing.reset();
        m_tp.reset();
    }

    // One receipt whose card is complete: no question, the file, the courtesy copy on request; a
    // second invoice for it asks first, and No writes nothing.
    void oneReceiptWithCard() {
        Answer({true}); // print the courtesy copy
        QVERIFY(EmettiFatturaRicevuta(*m_app, nullptr, m_year, 1));
        // One message says the file was written and asks about the copy: no OK first, then a question.
        const auto shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, Messages::Kind::Confirmation);
        QCOMPARE(shown[0].text, QString("Fattura elettronica scritta nella cartella FatturaPA: IT01234567897_00001.xml"
                                        "\n\r\n\rStampare la copia di cortesia della fattura per la famiglia?"));
        QCOMPARE(Files(), QStringList{"IT01234567897_00001.xml"});
        const QByteArray xml = ReadAll(InvoiceDir() + "IT01234567897_00001.xml");
        const QByteArray buyer = xml.mid(xml.indexOf("<CessionarioCommittente>"));
        QVERIFY(buyer.contains("<Cognome>ROSSI</Cognome>"));
        QVERIFY(buyer.contains("<Comune>Milano</Comune>")); // the card's "Milano (MI)"
        QVERIFY(buyer.contains("<Provincia>MI</Provincia>"));
        QCOMPARE(IniRead(m_app->SettingsPath(), FiscalSection, "Progressivo invio"), QString("2"));

        QCOMPARE(m_printing->jobs.size(), 1);
        QCOMPARE(m_printing->jobs[0].fileName, QString("Fattura_2026_27.pdf"));
        if (qEnvironmentVariableIsSet("CARVENNA_LOOK"))
            QFile::copy(m_printing->LastPdf(), qEnvironmentVariable("CARVENNA_LOOK") + "/copia_cortesia.pdf");
        const pdftext::Document doc = pdftext::Read(m_printing->LastPdf());
        QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
        QStringList words;
        for (const auto& w : doc.words)
            words << w.text;
        const QString text = words.join(' ');
        for (const char* expected :
             {"FATTURA N. 27 DEL 05/03/2026", "IT01234567897_00001.xml", "ROSSI MARIO", "Via Verdi 3",
              "20100 Milano (MI)", "Codice fiscale: RSSMRA80A01H501U",
              "Retta mensile marzo 2026 - ROSSI LUCA", "150,00", "Esente art. 10, n. 21, DPR 633/72",
              "Imposta di bollo di 2,00 euro", "Totale documento: € 150,00", "bonifico (MP05)"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);

        Answer({false});
        QVERIFY(!EmettiFatturaRicevuta(*m_app, nullptr, m_year, 1));
        const QStringList asked = m_tp->messages.TakeTexts();
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked[0].startsWith(
            "La ricevuta n. 27 è già stata fatturata (file IT01234567897_00001.xml del 10/12/2026)"));
        QCOMPARE(Files().size(), 1);
    }

    // The receipt editor's "Fattura elettronica" invoices the stored receipt on screen; a receipt not
    // saved yet gets a warning and no file.
    void fromTheReceiptEditor() {
        TfrmRicevuta* editor = m_app->ricevuta();
        editor->ui.lblFile->setText(m_year);
        editor->show();
        editor->ui.cmdNuovo->click();
        m_tp->messages.Take();
        QTest::mouseClick(editor->ui.cmdFattura, Qt::LeftButton);
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{TfrmRicevuta::InvoiceOnlyStoredWarning()});
        QVERIFY(Files().isEmpty());

        editor->ui.cmdPrimo->click();
        QCOMPARE(editor->ui.lblPosizione->text(), QString("1"));
        m_tp->messages.Take();
        Answer({false}); // no courtesy copy
        QTest::mouseClick(editor->ui.cmdFattura, Qt::LeftButton);
        QCOMPARE(Files(), QStringList{"IT01234567897_00001.xml"});
        QVERIFY(ReadAll(InvoiceDir() + "IT01234567897_00001.xml").contains("<Numero>27</Numero>"));
        QVERIFY(m_tp->messages.TakeTexts().first().startsWith(
            QString("Fattura elettronica scritta nella cartella FatturaPA: IT01234567897_00001.xml\n\r\n\r")));
        QCOMPARE(m_printing->jobs.size(), 0); // "No": no copy
    }

    // No card has the receipt's tax code: the window asks for the address (it does not guess); the
    // answer is kept, so the next invoice for that payer asks nothing. Cancelling writes nothing.
    void payerWithoutCard() {
        ModalHelper::When<TfrmDatiCliente>([](TfrmDatiCliente* dlg) { dlg->btnAnnulla->click(); }, this);
        QVERIFY(!EmettiFatturaRicevuta(*m_app, nullptr, m_year, 4));
        QVERIFY(Files().isEmpty());
        QVERIFY(m_tp->messages.shown.isEmpty());

        QString reason, proposedSurname;
        ModalHelper::When<TfrmDatiCliente>(
            [&](TfrmDatiCliente* dlg) {
                reason = dlg->lblMotivo->text();
                proposedSurname = dlg->txtCognome->text();
                QVERIFY(dlg->txtIndirizzo->text().isEmpty()); // nothing guessed
                if (qEnvironmentVariableIsSet("CARVENNA_LOOK"))
                    dlg->grab().save(qEnvironmentVariable("CARVENNA_LOOK") + "/daticliente.png");
                dlg->btnConferma->click(); // incomplete: a warning, the window stays
                dlg->txtIndirizzo->setText("Piazza Duomo 1");
                dlg->txtCap->setText("20122");
                dlg->txtComune->setText("Milano");
                dlg->btnConferma->click();
            },
            this);
        Answer({false}); // no courtesy copy
        QVERIFY(EmettiFatturaRicevuta(*m_app, nullptr, m_year, 4));
        QVERIFY(reason.contains("Nessuna scheda anagrafica ha il codice VRDGPP75C12L219Z"));
        QCOMPARE(proposedSurname, QString("VERDI"));
        const QStringList texts = m_tp->messages.TakeTexts();
        QCOMPARE(texts.size(), 2); // the window's warning; written, and the copy asked, in one
        QCOMPARE(texts[0], QString("Attenzione: indicare l'indirizzo del pagatore."));
        const QByteArray xml = ReadAll(InvoiceDir() + "IT01234567897_00001.xml");
        QVERIFY(xml.contains("<Nome>GIUSEPPE</Nome>"));
        QVERIFY(xml.contains("<Indirizzo>Piazza Duomo 1</Indirizzo>"));

        // Kept: the next invoice for that payer asks nothing (an unexpected window would fail the test).
        Answer({true, false}); // yes, a second invoice on purpose; no courtesy copy
        QVERIFY(EmettiFatturaRicevuta(*m_app, nullptr, m_year, 4));
        QCOMPARE(m_tp->messages.TakeTexts().size(), 2);
        QCOMPARE(Files().size(), 2);
    }

    // A month at once: unfit receipts are listed, not asked about; a name the card cannot split is asked
    // once for both its receipts; receipts already invoiced are skipped when the office says No.
    void batch() {
        Answer({false});
        QVERIFY(EmettiFatturaRicevuta(*m_app, nullptr, m_year, 1));
        m_tp->messages.Take();
        Answer({false}); // receipt 1 is already invoiced: skip it
        PayerAnswers answers(
            [](TfrmDatiCliente* dlg) {
                if (dlg->lblCodice->text() == "BNCLRA82D45F205B") {
                    QCOMPARE(dlg->txtCognome->text(), QString("DE LUCA MARIA ANNA"));
                    QVERIFY(dlg->lblMotivo->text().contains("divisione tra cognome e nome"));
                    QCOMPARE(dlg->txtComune->text(), QString("Milano"));
                    QCOMPARE(dlg->txtProvincia->text(), QString("MI"));
                    dlg->txtCognome->setText("DE LUCA");
                    dlg->txtNome->setText("MARIA ANNA");
                } else {
                    dlg->txtIndirizzo->setText("Via Po 2");
                    dlg->txtCap->setText("10123");
                    dlg->txtComune->setText("Torino");
                }
                dlg->btnConferma->click();
            },
            this);
        QCOMPARE(EmettiFatture(*m_app, nullptr, m_year, {1, 2, 3, 4, 5, 6, 2}), 3); // 2 listed twice: one invoice
        QCOMPARE(answers.asked, (QMap<QString, int>{{"BNCLRA82D45F205B", 1}, {"VRDGPP75C12L219Z", 1}}));
        const QString said = Message();
        QVERIFY2(said.startsWith("1 delle 6 ricevute scelte è già stata fatturata."), qPrintable(said));
        QVERIFY2(said.contains("Fatture elettroniche scritte nella cartella FatturaPA: 3 (da IT01234567897_00002.xml "
                               "a IT01234567897_00004.xml)."),
                 qPrintable(said));
        QVERIFY(said.contains("Ricevuta n. 31: la ricevuta è annullata: nessuna fattura."));
        QVERIFY(said.contains("Ricevuta n. 32: l'importo è zero: nessuna fattura."));
        QVector<RegisterEntry> reg;
        QVERIFY(ReadRegister(RegisterPath(m_app->ProgramFolder()), reg));
        QCOMPARE(reg.size(), 4);
        QCOMPARE(reg[1].payer, QString("DE LUCA MARIA ANNA"));
        QCOMPARE(reg[2].numero, QString("29"));
        const QByteArray xml = ReadAll(InvoiceDir() + "IT01234567897_00003.xml");
        QVERIFY(xml.contains("<Nome>MARIA ANNA</Nome>"));
        QVERIFY(xml.contains("<Cognome>DE LUCA</Cognome>"));
    }

    // A child's name with a letter the code page has and the invoice lacks: the file spells it plainly and
    // the message says so; a name the office types with such a letter is kept as the invoice spells it.
    void transliterationIsStated() {
        ReceiptFile year;
        QVERIFY(year.OpenOrCreate(m_year));
        ReceiptRecord r = InvoiceReceipt(kYear[3]);
        r.Praticante = QStringLiteral("VERDI ŠIMON");
        QVERIFY(year.OverwriteRecord(3, r) && year.Close());
        ModalHelper::When<TfrmDatiCliente>(
            [](TfrmDatiCliente* dlg) {
                dlg->txtNome->setText(QStringLiteral("Giuseppe Tomáš"));
                dlg->txtIndirizzo->setText("Via Po 2");
                dlg->txtCap->setText("10123");
                dlg->txtComune->setText("Torino");
                dlg->btnConferma->click();
            },
            this);
        Answer({false});
        QVERIFY(EmettiFatturaRicevuta(*m_app, nullptr, m_year, 4));
        const QString said = Message();
        QVERIFY(said.contains("Caratteri che la fattura elettronica non ammette, scritti così:\n"));
        QVERIFY2(
            said.contains("\nRicevuta n. 30 - Causale: \"Retta mensile marzo 2026 - VERDI ŠIMON\" "
                          "scritto come \"Retta mensile marzo 2026 - VERDI SIMON\""),
            qPrintable(said));
        QVERIFY(
            said.contains("\nRicevuta n. 30 - Nome del pagatore: \"Giuseppe Tomáš\" scritto come \"Giuseppe Tomás\""));
        const QByteArray xml = ReadAll(InvoiceDir() + "IT01234567897_00001.xml");
        QVERIFY(xml.contains("VERDI SIMON"));
        QCOMPARE(LoadPayer(PayerBookPath(m_app->ProgramFolder()), "VRDGPP75C12L219Z")->nome,
                 QStringLiteral("Giuseppe Tomás"));
    }

    void incompleteFiscalData() {
        QVERIFY(IniWrite(m_app->SettingsPath(), FiscalSection, "Partita IVA", "01234567890"));
        QVERIFY(!EmettiFatturaRicevuta(*m_app, nullptr, m_year, 1));
        const QStringList texts = m_tp->messages.TakeTexts();
        QCOMPARE(texts.size(), 1);
        QVERIFY(
            texts[0].startsWith("Attenzione: Dati fiscali della scuola: la partita IVA \"01234567890\" non è valida."));
        QVERIFY(!QDir(InvoiceDir()).exists());
    }

    // The window of the year window: shows the saved data; a VAT number typed wrongly keeps the stored one
    // while every right field is saved, with a warning that has OK alone; every other line of the settings
    // file stays as it was.
    void datiFiscaliWindow() {
        QVERIFY(IniWrite(m_app->SettingsPath(), "Numerazione Ricevute", "Inizio", "100"));
        const QByteArray before = ReadAll(m_app->SettingsPath());
        const QString storedVat = LoadFiscalData(m_app->SettingsPath()).partitaIva;
        m_app->Switch(m_app->menuRicevute(), m_app->avvio());
        auto* btn = m_app->menuRicevute()->findChild<QPushButton*>("btnDatiFiscali");
        QVERIFY(btn);
        QCOMPARE(btn->text(), QString("Dati fiscali"));
        if (qEnvironmentVariableIsSet("CARVENNA_LOOK"))
            m_app->menuRicevute()->grab().save(qEnvironmentVariable("CARVENNA_LOOK") + "/menuricevute.png");
        auto* helper = ModalHelper::When<TfrmDatiFiscali>(
            [&](TfrmDatiFiscali* w) {
                QCOMPARE(w->windowTitle(), QString(" Dati fiscali e bancari della scuola"));
                QCOMPARE(w->txtDenominazione->text(), QString("Asilo Nido Il Girasole"));
                QCOMPARE(w->cmbRegimeFiscale->currentData().toString(), QString("RF01"));
                QCOMPARE(w->txtRiferimento->text(), QString("Esente art. 10, n. 21, DPR 633/72"));
                QVERIFY(w->optBolloScuola->isChecked());
                if (qEnvironmentVariableIsSet("CARVENNA_LOOK"))
                    w->grab().save(qEnvironmentVariable("CARVENNA_LOOK") + "/datifiscali.png");
                w->txtPartitaIva->setText("12345678901");
                w->txtComune->setText("Pavia");
                w->txtIban->setText("IT60 X054 2811 1010 0000 0123 456");
                w->btnApplica->click(); // the VAT number is wrong: the window stays on it
                QVERIFY(w->isVisible());
                QCOMPARE(w->focusWidget(), static_cast<QWidget*>(w->txtPartitaIva));
                const auto shown = m_tp->messages.Take();
                QCOMPARE(shown.size(), 1);
                QCOMPARE(shown[0].kind, Messages::Kind::Notice);
                QCOMPARE(shown[0].buttons, QStringList{"OK"});
                QCOMPARE(shown[0].text,
                         QString("Attenzione: Dati fiscali della scuola: la partita IVA \"12345678901\" non è valida."
                                 "\n\r\n\rGli altri dati sono stati salvati; questo campo conserva il valore salvato "
                                 "prima."));
                // The right fields are kept already, the wrong one is not.
                const FiscalData kept = LoadFiscalData(m_app->SettingsPath());
                QCOMPARE(kept.comune, QString("Pavia"));
                QCOMPARE(kept.partitaIva, storedVat);
                QCOMPARE(LoadPaymentSettings(m_app->SettingsPath()).iban, QString("IT60X0542811101000000123456"));
                w->txtPartitaIva->setText("12345678903");
                w->cmbRegimeFiscale->setCurrentIndex(w->cmbRegimeFiscale->findData("RF19"));
                w->optBolloCliente->setChecked(true);
                w->txtProgressivo->setText("40");
                w->btnApplica->click();
            },
            this);
        btn->click();
        QVERIFY(helper->Handled());
        QVERIFY(m_tp->messages.shown.isEmpty());
        const FiscalData d = LoadFiscalData(m_app->SettingsPath());
        QCOMPARE(d.partitaIva, QString("12345678903"));
        QCOMPARE(d.regimeFiscale, QString("RF19"));
        QCOMPARE(d.bolloACarico, FiscalData::StampBearer::Payer);
        QCOMPARE(d.progressivo, 40);
        QVERIFY(ReadAll(m_app->SettingsPath()).contains("[Numerazione Ricevute]\r\nInizio=100\r\n"));
        QVERIFY(before.contains("[Numerazione Ricevute]\r\nInizio=100\r\n"));
    }

    // The payment group: a wrong IBAN, a CUC of 7 or a wrong creditor identifier is named with its field
    // and keeps its stored value, while the right ones are saved at each press; the real 23-character
    // creditor identifier is taken, an old short one is kept in its padded form; the IBAN typed in groups
    // is kept without blanks, and shown in groups again.
    void datiFiscaliPagamenti() {
        m_app->Switch(m_app->menuRicevute(), m_app->avvio());
        auto* btn = m_app->menuRicevute()->findChild<QPushButton*>("btnDatiFiscali");
        QStringList texts;
        auto* helper = ModalHelper::When<TfrmDatiFiscali>(
            [&](TfrmDatiFiscali* w) {
                const QString ini = m_app->SettingsPath();
                QVERIFY(w->txtIban->text().isEmpty());
                QCOMPARE(w->cmbFormatoSdd->currentData().toString(), QString("CBI"));
                w->txtIban->setText("it61 x054 2811 1010 0000 0123 456");
                w->txtIntestatario->setText("Asilo Nido Il Girasole");
                w->btnApplica->click();
                QVERIFY(w->isVisible());
                QCOMPARE(w->focusWidget(), static_cast<QWidget*>(w->txtIban));
                QCOMPARE(LoadPaymentSettings(ini).intestatario, QString("Asilo Nido Il Girasole"));
                QVERIFY(LoadPaymentSettings(ini).iban.isEmpty());
                // The creditor identifier the bank gives, beside a wrong CUC: the identifier and the
                // corrected IBAN are kept all the same.
                w->txtIban->setText("it60 x054 2811 1010 0000 0123 456");
                w->txtCreditore->setText("IT15ZZZ0000090012340403");
                w->txtCuc->setText("1234567");
                w->btnApplica->click();
                QVERIFY(w->isVisible());
                QCOMPARE(w->focusWidget(), static_cast<QWidget*>(w->txtCuc));
                QCOMPARE(LoadPaymentSettings(ini).iban, QString("IT60X0542811101000000123456"));
                QCOMPARE(LoadPaymentSettings(ini).creditorId, QString("IT15ZZZ0000090012340403"));
                // A creditor identifier with wrong check digits: the one kept stays.
                w->txtCuc->setText("1234567a");
                w->txtCreditore->setText("IT16ZZZ0000090012340403");
                w->btnApplica->click();
                QVERIFY(w->isVisible());
                QCOMPARE(LoadPaymentSettings(ini).creditorId, QString("IT15ZZZ0000090012340403"));
                QCOMPARE(LoadPaymentSettings(ini).cuc, QString("1234567A"));
                texts = m_tp->messages.TakeTexts();
                // The bank's published example: everything right, the window closes.
                w->txtCreditore->setText("IT66ZZZA1B2C3D4E5F6G7H8");
                w->btnApplica->click();
                QVERIFY(!w->isVisible());
            },
            this);
        btn->click();
        QVERIFY(helper->Handled());
        QCOMPARE(texts.size(), 3);
        QVERIFY2(texts[0].startsWith("Attenzione: L'IBAN della scuola ha le cifre di controllo sbagliate"),
                 qPrintable(texts[0]));
        QVERIFY2(texts[1].contains("CUC"), qPrintable(texts[1]));
        QVERIFY2(texts[2].contains("identificativo creditore SEPA ha le cifre di controllo sbagliate"),
                 qPrintable(texts[2]));
        QVERIFY(m_tp->messages.shown.isEmpty());
        QCOMPARE(LoadPaymentSettings(m_app->SettingsPath()).creditorId, QString("IT66ZZZA1B2C3D4E5F6G7H8"));

        auto* again = ModalHelper::When<TfrmDatiFiscali>(
            [&](TfrmDatiFiscali* w) {
                QCOMPARE(w->txtIban->text(), QString("IT60 X054 2811 1010 0000 0123 456"));
                QCOMPARE(w->txtCreditore->text(), QString("IT66ZZZA1B2C3D4E5F6G7H8"));
                w->txtCreditore->setText("IT91ZZZ01234567897");
                w->cmbFormatoSdd->setCurrentIndex(w->cmbFormatoSdd->findData("ISO"));
                if (qEnvironmentVariableIsSet("CARVENNA_LOOK"))
                    w->grab().save(qEnvironmentVariable("CARVENNA_LOOK") + "/datifiscali_pagamenti.png");
                w->btnApplica->click();
            },
            this);
        btn->click();
        QVERIFY(again->Handled());
        QVERIFY(m_tp->messages.shown.isEmpty());
        const PaymentSettings p = LoadPaymentSettings(m_app->SettingsPath());
        QCOMPARE(p.iban, QString("IT60X0542811101000000123456"));
        QCOMPARE(p.intestatario, QString("Asilo Nido Il Girasole"));
        QCOMPARE(p.creditorId, QString("IT91ZZZ0000001234567897"));
        QCOMPARE(p.cuc, QString("1234567A"));
        QCOMPARE(p.formato, PaymentSettings::SddFormat::Iso);
        QCOMPARE(IniRead(m_app->SettingsPath(), "Pagamenti", "Identificativo creditore"),
                 QString("IT91ZZZ0000001234567897"));
    }
};

QTEST_MAIN(TstFattura)
#include "tst_fattura.moc"
