// The reminders' and the account's windows over a real program folder: the letters printed in one job
// with a QR code that a real reader decodes to the transfer payload, the e-mails one per payer with the
// payers without an address printed, every letter noted and shown in the account; a wrong IBAN gives
// letters without QR code and without IBAN.
#include "../report/PdfText.h"
#include "FaultyFileOps.h"
#include "FeeReceipts.h"
#include "ModalHelper.h"
#include "ReceiptYear.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Carvenna.h"
#include "einvoice/FiscalData.h"
#include "fees/EstrattoConto.h"
#include "fees/RetteMese.h"
#include "fees/RetteModel.h"
#include <QComboBox>
#include <QScopeGuard>
#include "fees/Solleciti.h"
#include "printing/PdfOutput.h"
#include "storage/IniFile.h"
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStringListModel>
#include <QListView>
#include <QTableView>
#include <QtTest>
#include <memory>

using namespace fees;

namespace {
// A fee receipt dated on the first day of its period.
ReceiptRecord Receipt(const QString& number, const QString& cause, const QString& from, const QString& to,
                      const QString& amount, const QString& child) {
    return TypedFeeReceipt(number, from, cause, from, to, amount, child);
}

const QString kIban = QStringLiteral("IT60X0542811101000000123456");

RegistryRecord Card(const QString& payer, const QString& taxCode, const QString& child, const QString& fee,
                    const QString& email) {
    RegistryRecord c;
    c.Tiratore = payer;
    c.CodFisc = taxCode;
    c.Armi = child;
    c.Quota = fee;
    c.InizioTes = QStringLiteral("01/09/2026");
    c.Email = email;
    return c;
}

// The text of the QR codes on the pages of `pdf`, as zbarimg reads them from the rendered pages.
QStringList DecodeQr(const QString& pdf, const QString& folder) {
    QProcess render;
    render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"),
                                              pdf, folder + QStringLiteral("/pagina")});
    if (!render.waitForFinished(60000) || render.exitCode() != 0)
        return {};
    QStringList found;
    for (const QString& png : QDir(folder).entryList({QStringLiteral("pagina*.png")}, QDir::Files, QDir::Name)) {
        QProcess zbar;
        zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"),
                                               QStringLiteral("-Sbinary"), folder + u'/' + png});
        zbar.waitForFinished(60000);
        const QByteArray out = zbar.readAllStandardOutput();
        if (!out.isEmpty())
            found << QString::fromUtf8(out.endsWith('\n') ? out.chopped(1) : out);
    }
    return found;
}
} // namespace

class tst_solleciti : public QObject {
    Q_OBJECT
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<TestPrinting> m_printing;
    std::unique_ptr<Carvenna> m_app;

private slots:
    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_printing = std::make_unique<TestPrinting>(m_tp->dir.filePath(QStringLiteral("stampe")));
        QDir().mkpath(m_tp->dir.filePath(QStringLiteral("stampe")));
        m_tp->platform.printing = m_printing.get();
        m_app = std::make_unique<Carvenna>(m_tp->platform);
        RegistryFile registry;
        QVERIFY(registry.OpenOrCreate(m_tp->platform.programFolder));
        for (const RegistryRecord& c :
             {Card("Rossi Mario", "RSSMRA80A01H501U", "Rossi Luca", "250,00", "rossi@example.it"),
              Card("Bianchi Sara", "BNCSRA82B41F205X", "Bianchi Leo", "200", ""),
              Card("Rossi Mario", "RSSMRA80A01H501U", "Rossi Anna", "150", "rossi@example.it"),
              Card("Verdi Ugo", "", "Verdi Ada", "250", "")})
            QVERIFY(registry.AppendRecord(c));
        QVERIFY(registry.Close());
        const QVector<ReceiptRecord> receipts{
            Receipt("1", "Rette settembre-novembre", "01/09/2026", "30/11/2026", "750,00", "Rossi Luca"),
            Receipt("2", "Retta dicembre", "01/12/2026", "31/12/2026", "100,00", "Rossi Luca"),
            Receipt("3", "ANNULLATA: Retta", "01/09/2026", "30/09/2026", "200,00", "Bianchi Leo"),
            Receipt("4", "Rette", "01/10/2026", "31/12/2026", "600,00", "Bianchi Leo"),
            Receipt("5", "Rette", "01/09/2026", "31/12/2026", "600,00", "Rossi Anna")};
        QVERIFY(!WriteReceiptYear(m_tp->Path(QStringLiteral("2026.ric")), receipts, [](const ReceiptRecord& r) {
                     return r;
                 }).isEmpty());
    }
    void cleanup() {
        m_app.reset();
        m_printing.reset();
        m_tp.reset();
    }

    void lettersPrintedWithQr() {
        PaymentSettings account;
        account.iban = kIban;
        account.intestatario = QStringLiteral("Scuola Girasole");
        QVERIFY(SavePaymentSettings(m_app->SettingsPath(), account));
        // No receiver lines kept: the letters take the school from "Dati fiscali".
        FiscalData school;
        school.denominazione = QStringLiteral("Asilo Nido Il Girasole");
        school.partitaIva = QStringLiteral("01234567897");
        school.indirizzo = QStringLiteral("Via Roma 12");
        school.cap = QStringLiteral("20121");
        school.comune = QStringLiteral("Milano");
        QVERIFY(SaveFiscalData(m_app->SettingsPath(), school));
        ReminderSet set;
        QString error;
        QVERIFY2(LoadReminders(m_app->ProgramFolder(), {1, 2, 3, 4}, FeeMonth{2026, 12}, set, &error), qPrintable(error));
        TfrmSolleciti w(*m_app, set, LoadPaymentSettings(m_app->SettingsPath()), nullptr);
        const QStringList letters = static_cast<QStringListModel*>(w.lstLettere->model())->stringList();
        QCOMPARE(letters, (QStringList{"Rossi Mario (RSSMRA80A01H501U) - Rossi Luca - € 150,00",
                                       "Bianchi Sara (BNCSRA82B41F205X) - Bianchi Leo - € 200,00"}));
        QCOMPARE(static_cast<QStringListModel*>(w.lstEsclusi->model())->stringList(),
                 QStringList{"Scheda n. 4 - Verdi Ugo / Verdi Ada: codice fiscale mancante"});
        QVERIFY(w.lblPagamento->text().contains(kIban));

        QTest::mouseClick(w.btnStampa, Qt::LeftButton);
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList());
        QCOMPARE(m_printing->jobs.size(), 1);
        QCOMPARE(m_printing->jobs[0].fileName, QStringLiteral("Solleciti_2026_12.pdf"));
        QCOMPARE(m_printing->jobs[0].pageCount, 2);
        const pdftext::Document doc = pdftext::Read(m_printing->jobs[0].pdf);
        QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
        for (int page = 0; page < 2; ++page) {
            // The heading and the signature name the school; the heading gives its codes.
            QCOMPARE(pdftext::Find(doc, page, QStringLiteral("Asilo Nido Il Girasole")).size(), 2);
            QCOMPARE(pdftext::Find(doc, page, QStringLiteral("P. IVA 01234567897")).size(), 1);
        }
        if (QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
            QSKIP("zbarimg (zbar-tools) is not installed");
        QTemporaryDir pages;
        const QStringList decoded = DecodeQr(m_printing->jobs[0].pdf, pages.path());
        QCOMPARE(decoded.size(), 2);
        QCOMPARE(decoded[0], EpcPayload(account, 1500000, ReminderCause(set.letters[0], FeeMonth{2026, 12})).payload);
        QCOMPARE(decoded[0], QStringLiteral("BCD\n002\n1\nSCT\n\nScuola Girasole\n%1\nEUR150.00\n\n\nRette fino a "
                                            "dicembre 2026 - Rossi Luca - RSSMRA80A01H501U")
                                 .arg(kIban));
        QVERIFY(decoded[1].contains(QStringLiteral("\nEUR200.00\n")));

        // Both letters noted, and shown in the Rossi family's account.
        const QVector<ReminderNote> notes = ReadReminderNotes(m_app->ProgramFolder(), {2026}, QString());
        QCOMPARE(notes.size(), 2);
        QCOMPARE(notes[0].how, QStringLiteral("stampa"));
        FamilyAccount family;
        QVERIFY(LoadFamilyAccount(m_app->ProgramFolder(), 3, FeeMonth{2026, 12}, family, &error));
        TfrmEstrattoConto conto(*m_app, family, nullptr);
        QAbstractItemModel* rows = conto.grdConto->model();
        const int last = rows->rowCount() - 1;
        QCOMPARE(rows->index(last, 0).data().toString(), QStringLiteral("10/12/2026"));
        QCOMPARE(rows->index(last, 2).data().toString(), QStringLiteral("Rossi Luca: dicembre 2026 (stampa)"));
        QCOMPARE(rows->index(last, 4).data().toString(), QStringLiteral("150,00"));
        QVERIFY(conto.lblTotali->text().contains(QStringLiteral("Da pagare: € 150,00")));
        QCOMPARE(conto.Document().fileName, QStringLiteral("Estratto_conto_Rossi_Mario_2026.pdf"));
        QTest::mouseClick(conto.btnStampa, Qt::LeftButton);
        QCOMPARE(m_printing->jobs.size(), 2);
        QCOMPARE(m_printing->jobs[1].fileName, QStringLiteral("Estratto_conto_Rossi_Mario_2026.pdf"));
    }

    // The month window's two buttons: the account of the selected line, the letters of the ticked
    // lines not fully paid and the blocked ones named.
    void fromTheMonthWindow() {
        TfrmRetteMese rette(*m_app, QStringLiteral("2026"), nullptr);
        rette.show();
        rette.txtMese->setCurrentIndex(11);
        QTRY_VERIFY(rette.Model().Lines().size() == 4);
        int rossi = -1;
        for (int i = 0; i < rette.Model().Lines().size(); ++i)
            if (rette.Model().Lines()[i].child == QLatin1String("Rossi Anna"))
                rossi = i;
        QVERIFY(rossi >= 0);
        rette.grdRette->setCurrentIndex(rette.grdRette->model()->index(rossi, 0));
        QString seen;
        auto* account = ModalHelper::When<TfrmEstrattoConto>([&](TfrmEstrattoConto* w) {
            auto close = qScopeGuard([w] { w->reject(); });
            seen = w->lblPagatore->text() + u'|' + w->lblTotali->text();
        }, this, 20000);
        auto delAccount = qScopeGuard([account] { delete account; });
        QTest::mouseClick(rette.findChild<QPushButton*>(QStringLiteral("btnEstrattoConto")), Qt::LeftButton);
        QVERIFY(account->Handled());
        QCOMPARE(seen, QStringLiteral("Rossi Mario - codice fiscale RSSMRA80A01H501U. Rette fino a dicembre 2026, "
                                      "2 minori.|Dovuto: € 1600,00   Pagato: € 1450,00   Da pagare: € 150,00"));

        QStringList letters, skipped;
        auto* reminders = ModalHelper::When<TfrmSolleciti>([&](TfrmSolleciti* w) {
            auto close = qScopeGuard([w] { w->reject(); });
            letters = static_cast<QStringListModel*>(w->lstLettere->model())->stringList();
            skipped = static_cast<QStringListModel*>(w->lstEsclusi->model())->stringList();
        }, this, 20000);
        auto delReminders = qScopeGuard([reminders] { delete reminders; });
        QTest::mouseClick(rette.findChild<QPushButton*>(QStringLiteral("btnSolleciti")), Qt::LeftButton);
        QVERIFY(reminders->Handled());
        QCOMPARE(letters, (QStringList{"Rossi Mario (RSSMRA80A01H501U) - Rossi Luca - € 150,00"}));
        QCOMPARE(skipped, QStringList{"Scheda n. 4 - Verdi Ugo / Verdi Ada: codice fiscale mancante"});
        rette.reject();
    }

    void wrongIbanNoQr() {
        IniWrite(m_app->SettingsPath(), QStringLiteral("Pagamenti"), QStringLiteral("IBAN"),
                 QStringLiteral("IT61X0542811101000000123456"));
        IniWrite(m_app->SettingsPath(), QStringLiteral("Pagamenti"), QStringLiteral("Intestatario"),
                 QStringLiteral("Scuola Girasole"));
        ReminderSet set;
        QString error;
        QVERIFY(LoadReminders(m_app->ProgramFolder(), {1}, FeeMonth{2026, 12}, set, &error));
        TfrmSolleciti w(*m_app, set, LoadPaymentSettings(m_app->SettingsPath()), nullptr);
        QVERIFY(w.lblPagamento->text().startsWith(QStringLiteral("Le lettere non riportano l'IBAN")));
        QTest::mouseClick(w.btnStampa, Qt::LeftButton);
        QCOMPARE(m_printing->jobs.size(), 1);
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {m_printing->jobs[0].pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY(printed.contains(QStringLiteral("Codice QR per il pagamento non stampato")));
        QVERIFY(!printed.contains(QStringLiteral("IT61")));
        if (!QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty()) {
            QTemporaryDir pages;
            QCOMPARE(DecodeQr(m_printing->jobs[0].pdf, pages.path()), QStringList());
        }
    }

    // Each file call of the e-mail run (the letter's PDF, the journal) failing in turn, as a full disk
    // and as a failing device: one message, no half-written PDF, the journal line whole or absent.
    void emailFaults_data() {
        QTest::addColumn<int>("error");
        QTest::newRow("disk full") << ENOSPC;
        QTest::newRow("device error") << EIO;
    }
    void emailFaults() {
        QFETCH(int, error);
        ReminderSet set;
        QString why;
        QVERIFY(LoadReminders(m_app->ProgramFolder(), {1}, FeeMonth{2026, 12}, set, &why));
        TfrmSolleciti w(*m_app, set, PaymentSettings(), nullptr);
        const QString pdf = m_tp->Path(QStringLiteral("PDF/Sollecito_2026_12_Rossi_Mario.pdf"));
        const QString log = ReminderLogPath(m_app->ProgramFolder(), 2026);
        int calls = 0;
        {
            FaultyFileOps count;
            QTest::mouseClick(w.btnEmail, Qt::LeftButton);
            calls = count.calls;
        }
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{"Messaggi preparati: 1."});
        QVERIFY(calls >= 6);
        for (int n = 1; n <= calls; ++n) {
            QFile::remove(pdf);
            QFile::remove(log);
            m_tp->shell.mails.clear();
            QString failed;
            {
                FaultyFileOps faults;
                faults.Arm(n, error);
                QTest::mouseClick(w.btnEmail, Qt::LeftButton);
                failed = QLatin1String(faults.failed);
            }
            const QString at = QStringLiteral("call %1 (%2)").arg(n).arg(failed);
            const QVector<RecordingMessages::Shown> shown = m_tp->messages.Take();
            QVERIFY2(shown.size() == 1, qPrintable(at));
            if (QFile::exists(pdf)) {
                QFile f(pdf);
                QVERIFY(f.open(QIODevice::ReadOnly));
                QVERIFY2(PdfComplete(f.readAll()), qPrintable(at));
            }
            int damaged = -1;
            const QVector<ReminderNote> notes = ReadReminderNotes(m_app->ProgramFolder(), {2026}, QString(), &damaged);
            QVERIFY2(damaged == 0 && notes.size() <= 1, qPrintable(at));
            QVERIFY2(QFileInfo(log).size() == 0 || notes.size() == 1, qPrintable(at + " left a partial line"));
            // A mail is only opened with a whole PDF, and a letter is noted as sent by e-mail only when
            // its mail opened (a registry that cannot be read gives no address: the letter is printed).
            QVERIFY2(m_tp->shell.mails.isEmpty() || QFile::exists(pdf), qPrintable(at));
            QVERIFY2(notes.isEmpty() || notes[0].how != QLatin1String("e-mail") || m_tp->shell.mails.size() == 1,
                     qPrintable(at));
            if (shown[0].kind == Messages::Kind::Information)
                QVERIFY2(notes.size() == 1, qPrintable(at + " reported done without the note"));
        }
    }

    void emailOnePerPayer() {
        ReminderSet set;
        QString error;
        QVERIFY(LoadReminders(m_app->ProgramFolder(), {1, 2}, FeeMonth{2026, 12}, set, &error));
        TfrmSolleciti w(*m_app, set, PaymentSettings(), nullptr);
        QTest::mouseClick(w.btnEmail, Qt::LeftButton);
        QCOMPARE(m_tp->shell.mails.size(), 1);
        QCOMPARE(m_tp->shell.mails[0].to, QStringLiteral("rossi@example.it"));
        QVERIFY(QFile::exists(m_tp->shell.mails[0].attachment));
        QCOMPARE(QFileInfo(m_tp->shell.mails[0].attachment).fileName(),
                 QStringLiteral("Sollecito_2026_12_Rossi_Mario.pdf"));
        const QStringList shown = m_tp->messages.TakeTexts();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].endsWith(QStringLiteral("lettere vengono ora stampate:\n\rBianchi Sara")));
        QCOMPARE(m_printing->jobs.size(), 1); // Bianchi's letter, printed
        QCOMPARE(m_printing->jobs[0].pageCount, 1);
        const QVector<ReminderNote> notes = ReadReminderNotes(m_app->ProgramFolder(), {2026}, QString());
        QCOMPARE(notes.size(), 2);
        QCOMPARE(notes[0].how, QStringLiteral("e-mail"));
        QCOMPARE(notes[1].how, QStringLiteral("stampa"));
        QCOMPARE(notes[1].payer, QStringLiteral("Bianchi Sara"));
    }
};

QTEST_MAIN(tst_solleciti)
#include "tst_solleciti.moc"
