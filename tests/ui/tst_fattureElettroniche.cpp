// The life of an electronic invoice through the real windows: "Annulla ricevuta" on an invoiced receipt
// with its credit note (also with a fault at every file call), and the register window "Fatture
// elettroniche" of the receipts' year window: the upload package, the exchange system's notifications,
// courtesy copies in one job or one e-mail per payer, the quarterly stamp duty printed and exported.
#include "../support/FaultyFileOps.h"
#include "InvoiceFixtures.h"
#include "ModalHelper.h"
#include "ReceiptYear.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Carvenna.h"
#include "app/Style.h"
#include "editing/AnnullaRicevuta.h"
#include "einvoice/EmettiFattura.h"
#include "einvoice/FattureElettroniche.h"
#include "einvoice/FiscalData.h"
#include "einvoice/InvoiceFiles.h"
#include "einvoice/SdiNotice.h"
#include "receipts/Cancellation.h"
#include "receipts/MenuRicevute.h"
#include "receipts/Ricevuta.h"
#include "storage/RegistryFile.h"
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>
#include <memory>

namespace {
struct Row {
    const char* number;
    const char* date;
    const char* euro;
    const char* payer;
    const char* code;
};
// Positions 1..4 of the year.
const QVector<Row> kYear = {
    {"27", "05/03/2026", "150", "ROSSI MARIO", "RSSMRA80A01H501U"},
    {"28", "06/03/2026", "60", "BIANCHI LAURA", "BNCLRA82D45F205B"},
    {"29", "09/03/2026", "120", "ROSSI MARIO", "RSSMRA80A01H501U"},
    {"30", "04/05/2026", "90", "BIANCHI LAURA", "BNCLRA82D45F205B"},
};

ReceiptRecord ToRecord(const Row& r) {
    ReceiptRecord rec;
    rec.NumRic = r.number;
    rec.Data = r.date;
    rec.Importo = r.euro;
    rec.Cents = QStringLiteral("00");
    rec.Intero = QString::fromLatin1(r.euro) + QStringLiteral(",00");
    rec.Pagatore = r.payer;
    rec.CodFisc = r.code;
    rec.Sport = QStringLiteral("Retta mensile");
    rec.Praticante = QStringLiteral("ROSSI LUCA");
    rec.Indirizzo = QStringLiteral("Bonifico");
    return rec;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The names inside a ZIP archive, as unzip lists them.
QStringList UnzipNames(const QString& zip) {
    QProcess unzip;
    unzip.start("unzip", {"-Z1", zip});
    if (!unzip.waitForFinished(30000))
        return {};
    return QString::fromUtf8(unzip.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A notification of the exchange system about `invoice`; `body` holds what its kind adds.
QByteArray Notice(const char* root, const QString& invoice, const char* body) {
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<ns3:%1 xmlns:ns3=\"%2\" versione=\"1.0\">\n"
                          "<IdentificativoSdI>81</IdentificativoSdI><NomeFile>%3</NomeFile>"
                          "<Hash>ab12</Hash><DataOraRicezione>2026-03-10T09:00:00.000+01:00</DataOraRicezione>"
                          "%4<MessageId>9</MessageId></ns3:%1>\n")
        .arg(QLatin1String(root), QLatin1String(SdiMessagesNamespace), invoice, QLatin1String(body))
        .toUtf8();
}
} // namespace

class TstFattureElettroniche : public QObject {
    Q_OBJECT
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<TestPrinting> m_printing;
    std::unique_ptr<Carvenna> m_app;
    QString m_yearFile;

    QString Inv() const { return InvoiceFolder(m_app->ProgramFolder()); }
    QVector<RegisterEntry> Register() const {
        QVector<RegisterEntry> reg;
        ReadRegister(RegisterPath(m_app->ProgramFolder()), reg);
        return reg;
    }
    ReceiptRecord Stored(qint64 position) const {
        const QByteArray bytes = ReadAll(m_yearFile);
        return ReceiptRecord::Decode(bytes.constData() + (position - 1) * ReceiptRecord::Size);
    }
    int CreditNotesFor(qint64 position) const {
        int n = 0;
        for (const RegisterEntry& e : Register())
            n += e.IsCreditNote() && e.position == position ? 1 : 0;
        return n;
    }
    // The invoices of all four receipts, without the courtesy copy question's answer mattering.
    void InvoiceAll() {
        QCOMPARE(EmettiFatture(*m_app, nullptr, m_yearFile, {1, 2, 3, 4}), 4);
        m_tp->messages.Take();
    }
    // The receipt window showing the stored receipt at `position`.
    TfrmRicevuta* ShowReceipt(qint64 position) {
        TfrmRicevuta* w = m_app->ricevuta();
        w->ui.lblFile->setText(m_yearFile);
        w->show();
        w->ui.lblPosizione->setText(QString::number(position + 1));
        w->ui.cmdIndietro->click();
        return w;
    }
    void Cancel(TfrmRicevuta* w, const QString& reason, FaultyFileOps* faults = nullptr, int n = 0, int err = 0) {
        ModalHelper::When<TfrmAnnullaRicevuta>(
            [&](TfrmAnnullaRicevuta* d) {
                d->txtMotivo->setText(reason);
                if (faults)
                    faults->Arm(n, err);
                d->btnConferma->click();
            },
            this);
        w->ui.cmdAnnulla->click();
    }

private slots:
    void initTestCase() { ApplyCarvennaStyle(*qApp); }

    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_printing = std::make_unique<TestPrinting>(m_tp->dir.path());
        m_tp->platform.printing = m_printing.get();
        m_app = std::make_unique<Carvenna>(m_tp->platform);
        m_app->Start();
        QVERIFY(SaveFiscalData(m_app->SettingsPath(), InvoiceSchool()));
        m_yearFile = WriteReceiptYear(m_tp->Path("2026.ric"), kYear, ToRecord);
        QVERIFY(!m_yearFile.isEmpty());
        RegistryFile reg;
        QVERIFY(reg.OpenOrCreate(m_app->ProgramFolder()));
        RegistryRecord a;
        a.Tiratore = QStringLiteral("ROSSI MARIO");
        a.CodFisc = QStringLiteral("RSSMRA80A01H501U");
        a.Indirizzo = QStringLiteral("Via Verdi 3");
        a.Cap = QStringLiteral("20100");
        a.Citta = QStringLiteral("Milano (MI)");
        a.Email = QStringLiteral("rossi@example.org");
        RegistryRecord b = a;
        b.Tiratore = QStringLiteral("BIANCHI LAURA");
        b.CodFisc = QStringLiteral("BNCLRA82D45F205B");
        b.Email = QStringLiteral("bianchi@example.org");
        QVERIFY(reg.AppendRecord(a) && reg.AppendRecord(b) && reg.Close());
    }

    void cleanup() {
        if (m_tp)
            QVERIFY2(m_tp->messages.shown.isEmpty(), qPrintable(m_tp->messages.TakeTexts().join(" | ")));
        m_app.reset();
        m_printing.reset();
        m_tp.reset();
    }

    // The question names the invoice and offers both together or nothing; the credit note is written
    // with the cancellation, and a cancelled receipt is never credited twice.
    void cancelInvoicedReceipt() {
        InvoiceAll();
        TfrmRicevuta* w = ShowReceipt(1);
        QCOMPARE(w->ui.txtNumRic->text(), QStringLiteral("27"));
        const QByteArray before = ReadAll(m_yearFile);
        m_tp->messages.choices.enqueue(1); // "Non annullare"
        w->ui.cmdAnnulla->click();
        const auto asked = m_tp->messages.Take();
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].text.startsWith("La ricevuta n. 27 ha la fattura elettronica n. 27 del 05/03/2026 (file "
                                          "IT01234567897_00001.xml)."),
                 qPrintable(asked[0].text));
        QCOMPARE(m_tp->messages.lastButtons,
                 (QStringList{"Annulla ricevuta e emetti nota di credito", "Non annullare"}));
        QCOMPARE(ReadAll(m_yearFile), before);
        QCOMPARE(CreditNotesFor(1), 0);

        m_tp->messages.choices.enqueue(0);
        Cancel(w, QStringLiteral("doppia"));
        const QStringList texts = m_tp->messages.TakeTexts();
        QCOMPARE(texts.size(), 2); // the question, the closing message
        QVERIFY2(texts[1].startsWith(TfrmRicevuta::CancelledNotice()), qPrintable(texts[1]));
        QVERIFY2(texts[1].contains("Nota di credito n. NC1/2026 scritta nella cartella FatturaPA: "
                                   "IT01234567897_00005.xml (storna la fattura IT01234567897_00001.xml)"),
                 qPrintable(texts[1]));
        QVERIFY(IsCancelled(Stored(1)));
        QCOMPARE(CreditNotesFor(1), 1);
        const QByteArray note = ReadAll(Inv() + "IT01234567897_00005.xml");
        QVERIFY(note.contains("<TipoDocumento>TD04</TipoDocumento>"));
        QVERIFY(note.contains("<IdDocumento>27</IdDocumento>"));

        // Its courtesy copy says what it is and what it cancels.
        TfrmFattureElettroniche reg(*m_app, "2026", nullptr);
        reg.txtMese->setCurrentIndex(0);
        QCOMPARE(reg.Model().rowCount(), 5);
        reg.grdFatture->selectRow(4);
        QCOMPARE(reg.Model().Entry(4).tipo, QStringLiteral("TD04"));
        reg.btnCopie->click();
        QCOMPARE(m_printing->jobs.size(), 1);
        QCOMPARE(m_printing->jobs[0].fileName, QStringLiteral("NotaCredito_2026_NC1-2026.pdf"));
        if (const QString look = qEnvironmentVariable("CARVENNA_LOOK_DIR"); !look.isEmpty())
            QFile::copy(m_printing->LastPdf(), look + "/nota_di_credito.pdf");

        // The exchange system rejects the credit note: the register issues a new one, with a new number,
        // for the same invoice; the rejected one then offers nothing more.
        const QString in = m_tp->Path("scarti/");
        QDir().mkpath(in);
        WriteFile(in + "IT01234567897_00005_NS_001.xml",
                  Notice("RicevutaScarto", "IT01234567897_00005.xml",
                         "<ListaErrori><Errore><Codice>00460</Codice><Descrizione>Importo totale non coerente"
                         "</Descrizione></Errore></ListaErrori>"));
        m_tp->fileDialogs.answers.enqueue(in);
        reg.btnLeggiRicevute->click();
        m_tp->messages.Take();
        QVERIFY(reg.Model().Entry(4).stato.startsWith("Scartata: 00460"));
        reg.grdFatture->selectRow(4);
        QVERIFY(reg.btnRiemetti->isEnabled());
        reg.grdFatture->selectRow(0); // the invoice it cancelled was not rejected
        QVERIFY(!reg.btnRiemetti->isEnabled());
        reg.grdFatture->selectRow(4);
        reg.btnRiemetti->click();
        auto reissued = m_tp->messages.Take();
        QCOMPARE(reissued.size(), 2);
        QCOMPARE(reissued[0].kind, Messages::Kind::Confirmation);
        QVERIFY2(reissued[0].text.contains("00460") && reissued[0].text.contains("IT01234567897_00001.xml"),
                 qPrintable(reissued[0].text));
        QVERIFY2(reissued[1].text.startsWith("Nota di credito n. NC2/2026 scritta nella cartella FatturaPA: "
                                             "IT01234567897_00006.xml"),
                 qPrintable(reissued[1].text));
        QCOMPARE(CreditNotesFor(1), 2);
        const QVector<RegisterEntry> after = Register();
        QCOMPARE(after.last().collegata, QStringLiteral("IT01234567897_00001.xml"));
        QCOMPARE(after.last().stato, QString());
        QVERIFY(ReadAll(Inv() + "IT01234567897_00006.xml").contains("<TipoDocumento>TD04</TipoDocumento>"));
        QCOMPARE(reg.Model().rowCount(), 6);
        reg.grdFatture->selectRow(4);
        QVERIFY(!reg.btnRiemetti->isEnabled());
        reg.btnRiemetti->click(); // disabled: nothing happens, no third note
        QCOMPARE(CreditNotesFor(1), 2);

        // Cancelled once: the receipt window says so and no second credit note appears.
        w->ui.cmdAnnulla->click();
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{TfrmRicevuta::AlreadyCancelledWarning()});
        QCOMPARE(CreditNotesFor(1), 2);
        // A receipt without an invoice is cancelled as before, without a question.
        QVERIFY(EmettiFatture(*m_app, nullptr, m_yearFile, {}) == 0);
        m_tp->messages.Take();
    }

    // A fault at every file call from the confirmation on: the receipt is cancelled exactly when its credit
    // note is registered; when taking a note back fails too, cancelling again completes without a second.
    void cancelUnderFaults_data() {
        QTest::addColumn<int>("error");
        QTest::newRow("ENOSPC") << ENOSPC;
        QTest::newRow("EIO") << EIO;
    }
    void cancelUnderFaults() {
        QFETCH(int, error);
        InvoiceAll();
        const QByteArray invoicedYear = ReadAll(m_yearFile);
        const QByteArray invoicedRegister = ReadAll(RegisterPath(m_app->ProgramFolder()));
        FaultyFileOps faults;
        for (int n = 1;; ++n) {
            // Back to the invoiced, not cancelled state.
            faults.Arm(0, 0);
            WriteFile(m_yearFile, invoicedYear);
            WriteFile(RegisterPath(m_app->ProgramFolder()), invoicedRegister);
            QFile::remove(Inv() + "IT01234567897_00005.xml");
            QDir(m_tp->Path("Storico")).removeRecursively();
            TfrmRicevuta* w = ShowReceipt(3);
            m_tp->messages.choices.enqueue(0);
            Cancel(w, QStringLiteral("errata"), &faults, n, error);
            const int calls = faults.calls;
            faults.Arm(0, 0);
            const QStringList texts = m_tp->messages.TakeTexts();
            const bool cancelled = IsCancelled(Stored(3));
            const int notes = CreditNotesFor(3);
            if (cancelled) {
                QCOMPARE(notes, 1);
                QVERIFY(QFile::exists(Inv() + Register().last().file));
            } else if (notes == 1) {
                // Taking the note back failed as well: said, and the next cancellation completes it.
                QVERIFY2(texts.join(' ').contains("Ripetere \"Annulla ricevuta\""), qPrintable(texts.join(" | ")));
                Cancel(w, QStringLiteral("errata"));
                m_tp->messages.Take();
                QVERIFY(IsCancelled(Stored(3)));
                QCOMPARE(CreditNotesFor(3), 1);
            } else {
                QVERIFY2(!texts.isEmpty(), qPrintable(QString::number(n)));
                QVERIFY(!QFile::exists(Inv() + "IT01234567897_00005.xml"));
                QCOMPARE(ReadAll(m_yearFile), invoicedYear);
            }
            if (n > calls) {
                QVERIFY(cancelled);
                break;
            }
        }
    }

    // The register window: the month's unsent invoices packaged, the notifications read, the states shown,
    // the copies owed printed in one job, e-mailed one message per payer, the stamp duty.
    void registerWindow() {
        InvoiceAll();
        // From the year window's button.
        TfrmMenuRicevute* menu = m_app->menuRicevute();
        menu->ui.txtAnnoPreventivi->setText("2026");
        bool opened = false;
        ModalHelper::When<TfrmFattureElettroniche>(
            [&](TfrmFattureElettroniche* d) {
                opened = d->Year() == 2026;
                d->reject();
            },
            this);
        menu->ui.btnFattureElettroniche->click();
        QVERIFY(opened);
        if (const QString look = qEnvironmentVariable("CARVENNA_LOOK_DIR"); !look.isEmpty()) {
            menu->resize(1016, 713);
            menu->ui.panSfondo->grab().save(look + "/TfrmMenuRicevute.png");
        }

        // The register opens on the whole year, not on the clock's December with nothing in it.
        TfrmFattureElettroniche w(*m_app, "2026", nullptr);
        QCOMPARE(w.txtMese->currentIndex(), 0);
        QCOMPARE(w.Model().rowCount(), 4);
        w.txtMese->setCurrentIndex(3); // March
        QCOMPARE(w.Model().rowCount(), 3);
        QCOMPARE(w.Model().data(w.Model().index(0, RegisterModel::Stato), Qt::DisplayRole).toString(),
                 QStringLiteral("Da inviare"));
        QVERIFY(w.SelectedFiles().isEmpty()); // the first line is current, not chosen

        // A selection of one row is a selection: the package holds that file alone.
        w.grdFatture->selectRow(1);
        QCOMPARE(w.SelectedFiles(), QStringList{"IT01234567897_00002.xml"});
        w.btnPacchetto->click();
        auto shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].kind, Messages::Kind::Confirmation);
        QVERIFY2(shown[0].text.contains("con 1 fattura scelta?"), qPrintable(shown[0].text));
        QVERIFY(shown[1].text.contains("IT01234567897_00005.zip"));
        QCOMPARE(UnzipNames(Inv() + "IT01234567897_00005.zip"), QStringList{"IT01234567897_00002.xml"});

        // Without a choice, the month's invoices not yet in a package.
        w.grdFatture->clearSelection();
        w.btnPacchetto->click();
        shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown[1].text.contains("IT01234567897_00006.zip"));
        QCOMPARE(UnzipNames(Inv() + "IT01234567897_00006.zip"),
                 (QStringList{"IT01234567897_00001.xml", "IT01234567897_00003.xml"}));
        // Put into a package is not yet sent: the office still has to upload it.
        const QString waiting = QStringLiteral("Nel pacchetto IT01234567897_0000%1.zip (da caricare)");
        QCOMPARE(w.Model().Entry(0).stato, waiting.arg(6));
        QCOMPARE(w.Model().Entry(1).stato, waiting.arg(5));
        QCOMPARE(w.Model().Entry(2).stato, waiting.arg(6));
        QVERIFY2(w.lblConteggio->text().contains("nel pacchetto da caricare: 3"), qPrintable(w.lblConteggio->text()));
        if (const QString look = qEnvironmentVariable("CARVENNA_LOOK_DIR"); !look.isEmpty()) {
            w.resize(1280, 360);
            w.show();
            QApplication::processEvents();
            w.grab().save(look + "/registro_nel_pacchetto.png");
            w.hide();
        }
        // Nothing left to send in March.
        w.btnPacchetto->click();
        QCOMPARE(m_tp->messages.Take().size(), 1);

        // "Segna come inviate" after the upload: every line of the period still in a package.
        w.btnInviate->click();
        shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, Messages::Kind::Confirmation);
        QVERIFY2(shown[0].text.contains("3 fatture"), qPrintable(shown[0].text));
        QCOMPARE(w.Model().Entry(0).stato, QStringLiteral("Inviata (pacchetto IT01234567897_00006.zip)"));
        QCOMPARE(w.Model().Entry(1).stato, QStringLiteral("Inviata (pacchetto IT01234567897_00005.zip)"));
        QVERIFY(!w.lblConteggio->text().contains("nel pacchetto"));
        if (const QString look = qEnvironmentVariable("CARVENNA_LOOK_DIR"); !look.isEmpty()) {
            w.show();
            QApplication::processEvents();
            w.grab().save(look + "/registro_inviate.png");
            w.hide();
        }
        // Pressed again: nothing waits, and it says so.
        w.btnInviate->click();
        shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, Messages::Kind::Notice);

        // The notifications: delivered, rejected, not deliverable, and a stray file.
        const QString in = m_tp->Path("ricevute/");
        QDir().mkpath(in);
        WriteFile(in + "IT01234567897_00001_RC_001.xml",
                  Notice("RicevutaConsegna", "IT01234567897_00001.xml",
                         "<DataOraConsegna>2026-03-11T08:00:00.000+01:00</DataOraConsegna>"));
        WriteFile(in + "IT01234567897_00002_NS_001.xml",
                  Notice("RicevutaScarto", "IT01234567897_00002.xml",
                         "<ListaErrori><Errore><Codice>00305</Codice><Descrizione>1.4.1.2 CodiceFiscale non "
                         "valido</Descrizione></Errore><Errore><Codice>00417</Codice><Descrizione>1.4.1.2 "
                         "CodiceFiscale non presente in anagrafe tributaria</Descrizione></Errore></ListaErrori>"));
        WriteFile(in + "IT01234567897_00003_MC_001.xml",
                  Notice("RicevutaImpossibilitaRecapito", "IT01234567897_00003.xml", ""));
        WriteFile(in + "IT01234567897_00099_RC_001.xml",
                  Notice("RicevutaConsegna", "IT01234567897_00099.xml", ""));
        m_tp->fileDialogs.answers.enqueue(in);
        w.btnLeggiRicevute->click();
        shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, Messages::Kind::Warning);
        QVERIFY2(shown[0].text.contains("3 registrate, 0 già lette, 1 non valide") &&
                     shown[0].text.contains("IT01234567897_00099_RC_001.xml: la fattura IT01234567897_00099.xml non "
                                            "è nel registro"),
                 qPrintable(shown[0].text));
        QCOMPARE(w.Model().Entry(0).stato, QStringLiteral("Consegnata il 11/03/2026"));
        QCOMPARE(w.Model().Entry(1).stato,
                 QStringLiteral("Scartata: 00305 1.4.1.2 CodiceFiscale non valido | 00417 1.4.1.2 CodiceFiscale non "
                                "presente in anagrafe tributaria"));
        QCOMPARE(w.Model().Entry(2).stato, QStringLiteral("Non recapitata (copia di cortesia alla famiglia)"));
        w.grdFatture->selectRow(1);
        QVERIFY(w.lblStato->text().contains("00417"));
        QVERIFY(w.btnRiemetti->isEnabled());
        w.grdFatture->selectRow(0);
        QVERIFY(!w.btnRiemetti->isEnabled());
        // Read again: nothing changes.
        const QByteArray reg = ReadAll(RegisterPath(m_app->ProgramFolder()));
        m_tp->fileDialogs.answers.enqueue(in);
        w.btnLeggiRicevute->click();
        QVERIFY(m_tp->messages.TakeTexts().join(' ').contains("0 registrate, 3 già lette, 1 non valide"));
        QCOMPARE(ReadAll(RegisterPath(m_app->ProgramFolder())), reg);

        if (const QString look = qEnvironmentVariable("CARVENNA_LOOK_DIR"); !look.isEmpty()) {
            w.resize(1180, 520);
            w.show();
            w.grdFatture->selectRow(1);
            QApplication::processEvents();
            w.grab().save(look + "/TfrmFattureElettroniche.png");
            w.hide();
        }

        // Courtesy copies: without a choice, the undelivered invoice; with a choice, those chosen, one job.
        w.grdFatture->clearSelection();
        w.btnCopie->click();
        QCOMPARE(m_printing->jobs.size(), 1);
        QCOMPARE(m_printing->jobs[0].pageCount, 1);
        QCOMPARE(m_printing->jobs[0].fileName, QStringLiteral("Fattura_2026_29.pdf"));
        w.grdFatture->selectionModel()->select(w.Model().index(0, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
        w.grdFatture->selectionModel()->select(w.Model().index(1, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
        w.grdFatture->selectionModel()->select(w.Model().index(2, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
        w.btnCopie->click();
        QCOMPARE(m_printing->jobs.size(), 2);
        QCOMPARE(m_printing->jobs[1].pageCount, 3);
        // One e-mail per payer: Rossi has two invoices, Bianchi one.
        w.btnEmail->click();
        QCOMPARE(m_tp->shell.mails.size(), 2);
        QCOMPARE(m_tp->shell.mails[0].to, QStringLiteral("rossi@example.org"));
        QVERIFY(m_tp->shell.mails[0].attachment.endsWith("Copie_cortesia_2026_RSSMRA80A01H501U.pdf"));
        QVERIFY(m_tp->shell.mails[0].subject.contains("27, 29"));
        QCOMPARE(m_tp->shell.mails[1].to, QStringLiteral("bianchi@example.org"));
        QVERIFY(m_tp->shell.mails[1].attachment.endsWith("Fattura_2026_28.pdf"));

        // The stamp duty: receipt 27 and 29 in the first quarter; 28 (60 euro) has none; 30 (90, May).
        bool checked = false;
        const QString xlsx = m_tp->Path("bollo.xlsx");
        m_tp->fileDialogs.answers.enqueue(xlsx);
        ModalHelper::When<TfrmImpostaBollo>(
            [&](TfrmImpostaBollo* d) {
                QCOMPARE(d->grdTrimestri->model()->index(0, 1).data().toString(), QStringLiteral("2"));
                QCOMPARE(d->grdTrimestri->model()->index(0, 2).data().toString(), QStringLiteral("€ 4,00"));
                QCOMPARE(d->grdTrimestri->model()->index(0, 3).data().toString(), QStringLiteral("2521"));
                QCOMPARE(d->grdTrimestri->model()->index(0, 4).data().toString(), QStringLiteral("31/05/2026"));
                QCOMPARE(d->grdTrimestri->model()->index(1, 1).data().toString(), QStringLiteral("1"));
                QCOMPARE(d->grdTrimestri->model()->index(3, 4).data().toString(), QStringLiteral("28/02/2027"));
                if (const QString look = qEnvironmentVariable("CARVENNA_LOOK_DIR"); !look.isEmpty())
                    d->grab().save(look + "/TfrmImpostaBollo.png");
                d->btnStampa->click();
                d->btnEsporta->click();
                checked = true;
                d->reject();
            },
            this);
        w.btnBollo->click();
        QVERIFY(checked);
        QCOMPARE(m_printing->jobs.size(), 3);
        QVERIFY(m_printing->jobs[2].preview);
        QCOMPARE(m_printing->jobs[2].fileName, QStringLiteral("Imposta_di_bollo_2026.pdf"));
        QVERIFY(QFile::exists(xlsx));
        QProcess py;
        py.start("/usr/bin/python3", {"-c", // openpyxl comes as a Debian package for the system's Python
                             "import sys,openpyxl\n"
                             "ws=openpyxl.load_workbook(sys.argv[1]).active\n"
                             "for r in ws.iter_rows(values_only=True): print('|'.join(str(c) for c in r))",
                             xlsx});
        QVERIFY(py.waitForFinished(30000));
        QVERIFY2(py.exitCode() == 0, py.readAllStandardError().constData());
        const QStringList rows = QString::fromUtf8(py.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 4); // header and three documents
        QVERIFY2(rows[1].startsWith("1|2521|2026-05-31") && rows[1].endsWith("|IT01234567897_00001.xml|2"),
                 qPrintable(rows[1]));
        QVERIFY2(rows[3].startsWith("2|2522|2026-09-30"), qPrintable(rows[3]));
        m_tp->messages.Take();

        // Apri cartella hands the invoice folder to the desktop.
        w.btnApriCartella->click();
        QCOMPARE(m_tp->shell.opened.size(), 1);
        QVERIFY(m_tp->shell.opened[0].endsWith("FatturaPA/"));
    }
};

QTEST_MAIN(TstFattureElettroniche)
#include "tst_fattureElettroniche.moc"
