// The child's tax code through the real registry editor (kept beside the card, the card's bytes as
// without it, a wrong code refused, a birth date that disagrees told, the code following its card and
// left out of a duplicate), and the nursery-bonus documents through the real windows: the year window's
// "Bonus nido" with its list, the children without a code in red, one PDF per family read back as a
// parent reads it, one print job, one e-mail per payer; every file call of the PDFs failing in turn;
// and the family's documents from "Estratto conto".
#include "FaultyFileOps.h"
#include "FeeReceipts.h"
#include "InvoiceFixtures.h"
#include "ModalHelper.h"
#include "ReceiptYear.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Carvenna.h"
#include "einvoice/FiscalData.h"
#include "fees/BonusNido.h"
#include "fees/EstrattoConto.h"
#include "receipts/MenuRicevute.h"
#include "registry/ChildTaxCodes.h"
#include "registry/Tiratori.h"
#include "storage/RegistryFile.h"
#include <QDir>
#include <QFile>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>
#include <memory>

using namespace fees;

namespace {
const QString kLuca = QStringLiteral("RSSLCU24C12H501K"); // born 12/03/2024
const QString kParent = QStringLiteral("RSSMRA80A01H501U");
const QString kInserted = QStringLiteral("La scheda corrente è stata inserita in archivio.");
const QString kUpdated = QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio.");

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The pages of a PDF as text, as a reader extracts them.
QStringList PdfPages(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    for (QString& page : pages)
        page = page.simplified();
    return pages;
}

RegistryRecord Card(const QString& payer, const QString& code, const QString& child, const QString& email) {
    RegistryRecord c;
    c.Tiratore = payer;
    c.CodFisc = code;
    c.Armi = child;
    c.Quota = QStringLiteral("250,00");
    c.Ente = QStringLiteral("Retta mensile");
    c.InizioTes = QStringLiteral("01/09/2025");
    c.InizioPor = QStringLiteral("12/03/2024");
    c.Email = email;
    return c;
}

ReceiptRecord Paid(const QString& n, const QString& date, const QString& cause, const QString& from, const QString& to,
                   const QString& amount, const QString& child, const QString& payer, const QString& code,
                   const QString& method) {
    ReceiptRecord r = TypedFeeReceipt(n, date, cause, from, to, amount, child);
    r.Pagatore = payer;
    r.CodFisc = code;
    r.Indirizzo = method;
    return r;
}

// A PDF written whole: its header and its end-of-file mark.
bool WholePdf(const QByteArray& pdf) {
    return pdf.startsWith("%PDF") && pdf.trimmed().endsWith("%%EOF");
}
} // namespace

class TestBonusNido : public QObject {
    Q_OBJECT
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<TestPrinting> m_printing;
    std::unique_ptr<Carvenna> m_app;

    QString Folder() const { return m_tp->platform.programFolder; }

    // Three payers: Rossi with Luca (code kept) and Anna (none), Bianchi with Leo (a wrong code kept),
    // Verdi with Ada (no e-mail address); Verdi pays nothing in 2026.
    void School() {
        RegistryFile registry;
        QVERIFY(registry.OpenOrCreate(Folder()));
        for (const RegistryRecord& c : {Card("Rossi Mario", kParent, "Rossi Luca", "rossi@example.it"),
                                        Card("Bianchi Sara", "BNCSRA82B41F205O", "Bianchi Leo", "bianchi@example.it"),
                                        Card("Rossi Mario", kParent, "Rossi Anna", "rossi@example.it"),
                                        Card("Verdi Ugo", "VRDGUO80A01H501X", "Verdi Ada", "")})
            QVERIFY(registry.AppendRecord(c));
        QVERIFY(registry.Close());
        QVERIFY(SaveChildTaxCodes(ChildTaxCodesPath(Folder()),
                                  {{1, "Rossi Luca", kLuca}, {2, "Bianchi Leo", "BNCLEO24D03F205X"}}));
        QVERIFY(SaveFiscalData(m_app->SettingsPath(), InvoiceSchool()));
        const QString transfer = QStringLiteral("Bonifico bancario del 03/10/2026, rif. A1");
        const QVector<ReceiptRecord> receipts{Paid("1", "05/10/2026", "Retta ottobre", "01/10/2026", "31/10/2026",
                                                   "250,00", "Rossi Luca", "Rossi Mario", kParent, transfer),
                                              Paid("2", "05/10/2026", "Mensa ottobre", "01/10/2026", "31/10/2026",
                                                   "40,00", "Rossi Luca", "Rossi Mario", kParent, "Contanti"),
                                              Paid("3", "06/11/2026", "Retta novembre", "01/11/2026", "30/11/2026",
                                                   "100,00", "Rossi Luca", "Rossi Mario", kParent, "Contanti"),
                                              Paid("4", "07/10/2026", "Retta ottobre", "01/10/2026", "31/10/2026",
                                                   "250,00", "Rossi Anna", "Rossi Mario", kParent, "Contanti"),
                                              Paid("5", "08/10/2026", "Retta ottobre", "01/10/2026", "31/10/2026",
                                                   "250,00", "Bianchi Leo", "Bianchi Sara", "BNCSRA82B41F205O",
                                                   "Addebito SDD del 05/10/2026, mandato NIDO-0002")};
        QVERIFY(
            !WriteReceiptYear(m_tp->Path("2026.ric"), receipts, [](const ReceiptRecord& r) { return r; }).isEmpty());
    }

    void FillCard(TfrmTiratori* w, const QString& child, const QString& birth, const QString& code) {
        w->ui.txtTiratore->setText(QStringLiteral("Rossi Mario"));
        w->ui.txtCodFisc->setText(kParent);
        w->ui.txtStudio->setText(QStringLiteral("31/08/2027"));
        w->ui.txtEnte->setText(QStringLiteral("Retta mensile"));
        w->ui.txtTessera->setText(QStringLiteral("A-17"));
        w->ui.txtQuota->setText(QStringLiteral("250"));
        w->ui.txtFineTes->setText(QStringLiteral("30/06/2027"));
        w->ui.txtArmi->setText(child);
        w->ui.txtInizioPor->setText(birth);
        w->ui.txtCodFiscMinore->setText(code);
    }

private slots:
    void init() {
        m_tp = std::make_unique<TestPlatform>();
        QDir().mkpath(m_tp->dir.filePath(QStringLiteral("stampe")));
        m_printing = std::make_unique<TestPrinting>(m_tp->dir.filePath(QStringLiteral("stampe")));
        m_tp->platform.printing = m_printing.get();
        m_app = std::make_unique<Carvenna>(m_tp->platform);
        m_app->Start();
    }
    void cleanup() {
        m_app.reset();
        m_printing.reset();
        m_tp.reset();
    }

    void childCodeInTheRegistryEditor() {
        TfrmTiratori* w = m_app->tiratori();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        const QString registry = m_tp->Path(QString::fromLatin1(RegistryFileName));
        const QString codesPath = ChildTaxCodesPath(Folder());

        // Typed in lower case, kept in upper case for card 1.
        FillCard(w, "Rossi Luca", "12/03/2024", "rsslcu24c12h501k");
        w->ui.cmdSalva->click();
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{kInserted});
        QCOMPARE(w->ui.txtCodFiscMinore->text(), kLuca);
        ChildTaxCodes codes;
        QVERIFY(codes.Load(codesPath));
        QCOMPARE(codes.Of(1, "Rossi Luca"), kLuca);

        // The same card without a code is stored with the very same bytes: the code is not in the record.
        w->ui.cmdNuovo->click();
        FillCard(w, "Rossi Luca", "12/03/2024", "");
        w->ui.cmdSalva->click();
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{kInserted});
        const QByteArray bytes = Bytes(registry);
        QCOMPARE(bytes.size(), 2 * RegistryRecord::Size);
        QCOMPARE(bytes.mid(RegistryRecord::Size), bytes.left(RegistryRecord::Size));

        // A code the rule refuses is not saved, nor is the card.
        w->ui.cmdNuovo->click();
        FillCard(w, "Rossi Pia", "", "RSSLCU24C12H501X");
        w->ui.cmdSalva->click();
        const QStringList refused = m_tp->messages.TakeTexts();
        QCOMPARE(refused.size(), 1);
        QVERIFY2(refused.first().contains("\"RSSLCU24C12H501X\" non è corretto"), qPrintable(refused.first()));
        QCOMPARE(Bytes(registry).size(), 2 * RegistryRecord::Size);

        // A right code whose birth date is not the card's: saved, and the office told.
        FillCard(w, "Rossi Pia", "13/03/2024", kLuca);
        w->ui.cmdSalva->click();
        const QStringList told = m_tp->messages.TakeTexts();
        QCOMPARE(told.size(), 2);
        QCOMPARE(told.first(), kInserted);
        QVERIFY2(told.last().contains("nascita il 12/03/..24 (maschio), mentre la scheda indica il 13/03/2024"),
                 qPrintable(told.last()));
        QVERIFY(codes.Load(codesPath));
        QCOMPARE(codes.Of(3, "Rossi Pia"), kLuca);

        // The code follows card 1 when its payer changes, and is shown when the card is shown again.
        QVERIFY(w->ShowCard(1));
        QCOMPARE(w->ui.txtCodFiscMinore->text(), kLuca);
        w->ui.txtTiratore->setText(QStringLiteral("Bianchi Sara"));
        w->ui.txtCodFisc->setText(QStringLiteral("BNCSRA82B41F205O"));
        w->ui.cmdSalva->click();
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{kUpdated});
        QVERIFY(w->ShowCard(2));
        QCOMPARE(w->ui.txtCodFiscMinore->text(), QString());
        QVERIFY(w->ShowCard(1));
        QCOMPARE(w->ui.txtCodFiscMinore->text(), kLuca);
        QVERIFY(codes.Load(codesPath));
        QCOMPARE(codes.Of(1, "Rossi Luca"), kLuca);

        // A duplicate is a brother or sister: no code.
        w->ui.cmdDuplica->click();
        m_tp->messages.TakeTexts();
        QCOMPARE(w->ui.txtCodFiscMinore->text(), QString());
        QCOMPARE(w->ui.lblPosizione->text(), QString());

        // Enter runs from the child's birth date to the code, then to the payment method.
        w->ui.txtInizioPor->setFocus();
        QTest::keyClick(w->ui.txtInizioPor, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w->ui.txtCodFiscMinore);
        QTest::keyClick(w->ui.txtCodFiscMinore, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w->ui.txtFinePor);
    }

    // The codes' file failing at each of its calls while a card is saved: the file stays as it was, the
    // office is told which part was saved; the run that goes through keeps the new code.
    void editorWithTheCodesFileFailing() {
        TfrmTiratori* w = m_app->tiratori();
        w->show();
        FillCard(w, "Rossi Luca", "12/03/2024", kLuca);
        w->ui.cmdSalva->click();
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{kInserted});
        const QString codesPath = ChildTaxCodesPath(Folder());
        const QByteArray before = Bytes(codesPath);
        int failures = 0;
        for (int n = 1;; ++n) {
            QVERIFY(w->ShowCard(1));
            w->ui.txtCodFiscMinore->setText(QStringLiteral("RSSNNA25A50H501E"));
            const char* failed = nullptr;
            {
                FaultyFileOps faults;
                faults.Arm(n, n % 2 ? ENOSPC : EIO);
                w->ui.cmdSalva->click();
                failed = faults.failed;
            }
            const QStringList said = m_tp->messages.TakeTexts();
            if (!failed) {
                QVERIFY(said.contains(kUpdated));
                break;
            }
            ++failures;
            // Told saved only when the code is saved too; otherwise the file is as it was.
            ChildTaxCodes codes;
            QVERIFY(codes.Load(codesPath));
            if (said.contains(kUpdated)) {
                QCOMPARE(codes.Of(1, "Rossi Luca"), QStringLiteral("RSSNNA25A50H501E"));
                QFile back(codesPath);
                QVERIFY(back.open(QIODevice::WriteOnly | QIODevice::Truncate) && back.write(before) == before.size());
            } else {
                QVERIFY2(Bytes(codesPath) == before, qPrintable(said.join(" | ")));
            }
        }
        QVERIFY(failures >= 4);
        ChildTaxCodes codes;
        QVERIFY(codes.Load(codesPath));
        QCOMPARE(codes.Of(1, "Rossi Luca"), QStringLiteral("RSSNNA25A50H501E"));
    }

    // The whole school from the year window: the list, the PDFs read back, one print, the e-mails.
    void schoolFromTheYearWindow() {
        School();
        TfrmMenuRicevute* year = m_app->menuRicevute();
        year->show();
        year->ui.txtAnnoPreventivi->setText(QStringLiteral("2026"));
        bool seen = false;
        ModalHelper::When<TfrmBonusNido>(
            [&](TfrmBonusNido* w) {
                seen = true;
                const QAbstractItemModel* list = w->lstMinori->model();
                QCOMPARE(list->rowCount(), 3);
                QStringList lines;
                QVector<bool> red;
                for (int r = 0; r < list->rowCount(); ++r) {
                    lines << list->index(r, 0).data().toString();
                    red << list->index(r, 0).data(Qt::ForegroundRole).isValid();
                }
                QCOMPARE(lines, (QStringList{
                                    "Rossi Luca (C.F. RSSLCU24C12H501K) - pagatore Rossi Mario - 2 mesi - € 350,00",
                                    "Rossi Anna (codice fiscale del minore mancante) - pagatore Rossi Mario - 1 mese - "
                                    "€ 250,00",
                                    "Bianchi Leo (codice fiscale del minore mancante: \"BNCLEO24D03F205X\" non è "
                                    "corretto) - pagatore Bianchi Sara - 1 mese - € 250,00"}));
                QCOMPARE(red, (QVector<bool>{false, true, true}));
                QCOMPARE(w->lstMancanti->model()->rowCount(), 2);
                QVERIFY(w->lstMancanti->isVisibleTo(w));
                QVERIFY(w->lblMancanti->text().startsWith("Minori senza codice fiscale corretto (2)"));
                QCOMPARE(w->lblRiepilogo->text(),
                         QStringLiteral("3 minori di 2 famiglie, 4 pagine, una per mese pagato."));
                QVERIFY2(w->lblScuola->text().contains("Asilo Nido Il Girasole"), qPrintable(w->lblScuola->text()));

                w->btnCreaPdf->click();
                const QString folder = Folder() + QStringLiteral("PDF/Bonus_nido/2026/");
                QCOMPARE(
                    m_tp->messages.TakeTexts(),
                    QStringList{
                        QStringLiteral("2 file PDF salvati nella cartella %1.").arg(QDir::toNativeSeparators(folder))});
                QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
                         (QStringList{"Bonus_nido_2026_Bianchi_Sara_BNCSRA82B41F205O.pdf",
                                      "Bonus_nido_2026_Rossi_Mario_RSSMRA80A01H501U.pdf"}));
                const QStringList rossi = PdfPages(folder + "Bonus_nido_2026_Rossi_Mario_RSSMRA80A01H501U.pdf");
                QCOMPARE(rossi.size(), 3); // Luca October and November, Anna October
                for (const QString& page : rossi) {
                    for (const char* text :
                         {"Asilo Nido Il Girasole", "P. IVA 01234567897", "Attestazione di pagamento per il bonus nido",
                          "Genitore che ha pagato: Rossi Mario, codice fiscale RSSMRA80A01H501U",
                          "Timbro e firma della scuola"})
                        QVERIFY2(page.contains(QLatin1String(text)), qPrintable(text + (" in: " + page)));
                }
                QVERIFY(rossi[0].contains("Mese di riferimento: ottobre 2026"));
                QVERIFY(rossi[0].contains("Codice fiscale del minore: RSSLCU24C12H501K"));
                QVERIFY2(rossi[0].contains("1 05/10/2026 250,00 Bonifico bancario del 03/10/2026, rif. A1"),
                         qPrintable(rossi[0]));
                QVERIFY(rossi[0].contains("2 05/10/2026 40,00 Mensa ottobre - Contanti (non tracciabile)"));
                QVERIFY(!rossi[0].contains("contanti: il pagamento non è tracciabile"));
                QVERIFY(rossi[1].contains("Mese di riferimento: novembre 2026"));
                QVERIFY(rossi[1].contains("pagata in parte: 100,00 di 250,00"));
                QVERIFY(rossi[1].contains("Il mese è stato pagato in contanti: il pagamento non è tracciabile."));
                QVERIFY(rossi[1].contains("Altri servizi pagati nel mese, non compresi nella retta Nessuno."));
                QVERIFY(rossi[2].contains("Minore: Rossi Anna"));
                QVERIFY(rossi[2].contains("Codice fiscale del minore: codice fiscale del minore mancante"));
                const QStringList bianchi = PdfPages(folder + "Bonus_nido_2026_Bianchi_Sara_BNCSRA82B41F205O.pdf");
                QCOMPARE(bianchi.size(), 1);
                QVERIFY(bianchi[0].contains("Addebito SDD del 05/10/2026, mandato NIDO-0002"));

                // Every document in one print job.
                w->btnStampa->click();
                QCOMPARE(m_printing->jobs.size(), 1);
                QCOMPARE(m_printing->jobs[0].pageCount, 4);
                QVERIFY(!m_printing->jobs[0].preview);

                // One message per payer, its own document attached.
                w->btnEmail->click();
                QCOMPARE(m_tp->messages.TakeTexts(), QStringList{"Messaggi preparati: 2."});
                QCOMPARE(m_tp->shell.mails.size(), 2);
                QCOMPARE(m_tp->shell.mails[0].to, QStringLiteral("rossi@example.it"));
                QVERIFY(m_tp->shell.mails[0].attachment.endsWith("Bonus_nido_2026_Rossi_Mario_RSSMRA80A01H501U.pdf"));
                QVERIFY(m_tp->shell.mails[0].body.contains("Rossi Luca, Rossi Anna"));
                QCOMPARE(m_tp->shell.mails[1].to, QStringLiteral("bianchi@example.it"));
                w->reject();
            },
            this);
        year->ui.btnBonusNido->click();
        QVERIFY(seen);
    }

    // A year in which nobody paid opens on an empty list with its commands off.
    void yearWithoutPayments() {
        School();
        ModalHelper::When<TfrmBonusNido>(
            [&](TfrmBonusNido* w) {
                QCOMPARE(w->lstMinori->model()->rowCount(), 0);
                QCOMPARE(w->lblRiepilogo->text(), QStringLiteral("Nessun minore ha pagamenti di rette nel 2025."));
                QVERIFY(!w->btnCreaPdf->isEnabled());
                QVERIFY(!w->btnStampa->isEnabled());
                w->reject();
            },
            this);
        ShowNurseryBonus(*m_app, nullptr, 2025, {});
    }

    // A failure at any file call of the PDFs: what is on disk is whole, the office is told, and a run
    // that goes through writes every file.
    void everyFileCallFailing() {
        School();
        BonusSet set;
        QString error;
        QVERIFY2(LoadBonusSet(Folder(), 2026, {}, set, &error), qPrintable(error));
        TfrmBonusNido w(*m_app, set, nullptr);
        const QString folder = Folder() + QStringLiteral("PDF/Bonus_nido/2026/");
        int failures = 0;
        for (int n = 1;; ++n) {
            QDir(folder).removeRecursively();
            const char* failed = nullptr;
            {
                FaultyFileOps faults;
                faults.piece = 1 << 24; // a PDF in one write: each call of the save fails in turn
                faults.Arm(n, n % 2 ? ENOSPC : EIO);
                w.btnCreaPdf->click();
                failed = faults.failed;
            }
            const QStringList said = m_tp->messages.TakeTexts();
            QCOMPARE(said.size(), 1);
            const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
            for (const QString& f : files)
                QVERIFY2(WholePdf(Bytes(folder + f)), qPrintable(f + " after call " + QString::number(n)));
            if (!failed) {
                QCOMPARE(files.size(), 2);
                QVERIFY(said.first().startsWith("2 file PDF salvati"));
                break;
            }
            ++failures;
            QVERIFY2(said.first().startsWith("Attenzione: non è stato possibile salvare l'attestazione di "),
                     qPrintable(said.first()));
            QVERIFY(files.size() < 2);
        }
        QVERIFY(failures >= 8); // open, write, flush, rename of each of the two files at least
    }

    // From a family's account: the documents of its children only, for the year chosen beside the button.
    void familyFromTheAccount() {
        School();
        bool seen = false;
        ModalHelper::When<TfrmEstrattoConto>(
            [&](TfrmEstrattoConto* conto) {
                conto->spnAnnoBonus->setValue(2026);
                ModalHelper::When<TfrmBonusNido>(
                    [&](TfrmBonusNido* w) {
                        seen = true;
                        QCOMPARE(w->Set().families.size(), 1);
                        QCOMPARE(w->Set().Children(), 2);
                        QCOMPARE(w->Set().families[0].payer, QStringLiteral("Rossi Mario"));
                        w->btnAnteprima->click();
                        QCOMPARE(m_printing->jobs.size(), 1);
                        QVERIFY(m_printing->jobs[0].preview);
                        QCOMPARE(m_printing->jobs[0].pageCount, 3);
                        w->reject();
                    },
                    this);
                conto->btnBonusNido->click();
                conto->reject();
            },
            this);
        ShowFamilyAccount(*m_app, nullptr, 3, FeeMonth{2026, 12});
        QVERIFY(seen);
    }
};

QTEST_MAIN(TestBonusNido)
#include "tst_bonusnido.moc"
