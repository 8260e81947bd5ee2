// The plan of an invoice batch: which chosen receipts get an invoice, which are refused and why, what
// was invoiced before, and which payers the office is asked about (once each, in the order chosen).
#include "../support/InvoiceFixtures.h"
#include "../support/ReceiptYear.h"
#include "einvoice/InvoicePlan.h"
#include "storage/RegistryFile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Positions 1..8 of the year.
const QVector<InvoiceReceiptRow> kYear = {
    {"27", "150", "ROSSI MARIO", "RSSMRA80A01H501U", "Retta mensile"},           // complete card
    {"28", "60", "VERDI GIUSEPPE", "vrdgpp75c12l219z", "Retta mensile"},         // no card; lower case
    {"29", "60", "VERDI GIUSEPPE", "VRDGPP75C12L219Z", "Mensa"},                 // same payer
    {"30", "80", "ROSSI MARIO", "RSSMRA80A01H501U", "annullata: importo errato"}, // cancelled, lower case
    {"31", "0", "ROSSI MARIO", "RSSMRA80A01H501U", "Retta mensile"},             // zero
    {"32", "70", "ROSSI MARIO", "0123456789", "Retta mensile"},                  // ten digits: wrong VAT
    {"33", "90", "Ditta Bianchi srl", "01234567897", "Retta mensile"},           // VAT, no card
    {"34", "40", "NERI ANNA", "", "Retta mensile"},                              // no code
};

InvoicePayer Typed() {
    InvoicePayer p;
    p.cognome = QStringLiteral("VERDI");
    p.nome = QStringLiteral("GIUSEPPE");
    p.indirizzo = QStringLiteral("Via Po 2");
    p.cap = QStringLiteral("10123");
    p.comune = QStringLiteral("Torino");
    p.provincia = QStringLiteral("TO");
    p.nazione = QStringLiteral("IT");
    return p;
}

QStringList Numbers(const QVector<InvoiceJob>& jobs) {
    QStringList out;
    for (const InvoiceJob& j : jobs)
        out << j.receipt.NumRic.trimmed();
    return out;
}
} // namespace

class TstInvoicePlan : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_folder, m_year;

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_folder = m_dir.path() + QLatin1Char('/');
        QDir(m_folder).removeRecursively();
        QVERIFY(QDir().mkpath(m_folder));
        m_year = WriteReceiptYear(m_folder + "2026.ric", kYear, InvoiceReceipt);
        QVERIFY(!m_year.isEmpty());
        RegistryFile reg;
        QVERIFY(reg.OpenOrCreate(m_folder));
        RegistryRecord a;
        a.Tiratore = QStringLiteral("ROSSI MARIO");
        a.CodFisc = QStringLiteral("rssmra80a01h501u "); // a card typed in lower case still names the payer
        a.Indirizzo = QStringLiteral("Via Verdi 3");
        a.Cap = QStringLiteral("20100");
        a.Citta = QStringLiteral("Milano (MI)");
        a.Nazione = QStringLiteral("Italia");
        QVERIFY(reg.AppendRecord(a) && reg.Close());
    }

    // Every kind of refusal, in the order chosen; a position listed twice is one receipt; the payers
    // missing data are asked once each, and the answer is kept for the next batch.
    void refusalsQuestionsAndJobs() {
        InvoicePlan plan;
        QCOMPARE(plan.Load(m_folder, m_year, {1, 2, 3, 4, 5, 6, 7, 8, 2}), InvoicePlan::Failure::None);
        QCOMPARE(plan.Size(), 8);
        QCOMPARE(plan.AlreadyInvoiced(), 0);
        QVERIFY(!plan.PreviousInvoiceOfFirst());

        std::optional<PayerQuestion> q = plan.NextQuestion();
        QVERIFY(q);
        QCOMPARE(q->code, QString("VRDGPP75C12L219Z"));
        QVERIFY(!q->firm);
        QCOMPARE(q->reason, QString("Nessuna scheda anagrafica ha il codice VRDGPP75C12L219Z (ricevuta n. 28, "
                                    "pagatore VERDI GIUSEPPE): indicare nome e indirizzo del pagatore."));
        QCOMPARE(q->payer.cognome, QString("VERDI"));
        QCOMPARE(q->payer.nome, QString("GIUSEPPE"));
        plan.Answer(Typed());

        q = plan.NextQuestion(); // receipt 29 has the same payer: not asked again
        QVERIFY(q);
        QCOMPARE(q->code, QString("01234567897"));
        QVERIFY(q->firm);
        QCOMPARE(q->payer.denominazione, QString("Ditta Bianchi srl"));
        plan.Answer(std::nullopt);
        QVERIFY(!plan.NextQuestion());

        QCOMPARE(Numbers(plan.Jobs()), (QStringList{"27", "28", "29"}));
        QCOMPARE(plan.Jobs()[1].payer.indirizzo, QString("Via Po 2"));
        QCOMPARE(plan.Jobs()[0].payer.indirizzo, QString("Via Verdi 3")); // from the card
        QCOMPARE(plan.Refused(), (QStringList{
                                     "Ricevuta n. 30: la ricevuta è annullata: nessuna fattura.",
                                     "Ricevuta n. 31: l'importo è zero: nessuna fattura.",
                                     "Ricevuta n. 32: la partita IVA del pagatore \"0123456789\" non è valida.",
                                     "Ricevuta n. 33: dati del pagatore non indicati.",
                                     "Ricevuta n. 34: manca il codice fiscale del pagatore.",
                                 }));

        // The typed payer was kept: a new plan for the same receipts asks only about the firm.
        InvoicePlan again;
        QCOMPARE(again.Load(m_folder, m_year, {3, 7}), InvoicePlan::Failure::None);
        q = again.NextQuestion();
        QVERIFY(q);
        QCOMPARE(q->code, QString("01234567897"));
    }

    // A payer the office declines is asked again at their next receipt: a slip on one dialog costs
    // one receipt, not the family's whole month.
    void declinedPayerIsAskedAgain() {
        InvoicePlan plan;
        QCOMPARE(plan.Load(m_folder, m_year, {2, 3}), InvoicePlan::Failure::None);
        QVERIFY(plan.NextQuestion());
        plan.Answer(std::nullopt);
        std::optional<PayerQuestion> q = plan.NextQuestion();
        QVERIFY(q);
        QVERIFY(q->reason.contains("ricevuta n. 29"));
        plan.Answer(Typed());
        QVERIFY(!plan.NextQuestion());
        QCOMPARE(Numbers(plan.Jobs()), QStringList{"29"});
        QCOMPARE(plan.Refused(), QStringList{"Ricevuta n. 28: dati del pagatore non indicati."});
    }

    // Receipts in the register for this year count as invoiced; skipping them leaves them out of both
    // the jobs and the refusals. A line for the same position of another year does not count.
    void invoicedBefore() {
        RegisterEntry old;
        old.file = QStringLiteral("IT01234567897_00001.xml");
        old.year = QStringLiteral("2026");
        old.numero = QStringLiteral("27");
        old.position = 1;
        old.written = QStringLiteral("06/03/2026");
        RegisterEntry cancelledOne = old;
        cancelledOne.position = 4;
        cancelledOne.numero = QStringLiteral("30");
        RegisterEntry otherYear = old;
        otherYear.year = QStringLiteral("2025");
        otherYear.position = 2;
        QVERIFY(QDir().mkpath(InvoiceFolder(m_folder)));
        QVERIFY(AppendRegister(RegisterPath(m_folder), {old, cancelledOne, otherYear}));

        InvoicePlan plan;
        QCOMPARE(plan.Load(m_folder, m_year, {1, 4, 5}), InvoicePlan::Failure::None);
        QCOMPARE(plan.AlreadyInvoiced(), 2);
        QCOMPARE(plan.PreviousInvoiceOfFirst()->file, old.file);
        plan.SkipInvoiced();
        QVERIFY(!plan.NextQuestion());
        QVERIFY(plan.Jobs().isEmpty());
        QCOMPARE(plan.Refused(), QStringList{"Ricevuta n. 31: l'importo è zero: nessuna fattura."});

        InvoicePlan other;
        QCOMPARE(other.Load(m_folder, m_year, {2}), InvoicePlan::Failure::None);
        QCOMPARE(other.AlreadyInvoiced(), 0);
    }

    void failures_data() {
        QTest::addColumn<QList<qint64>>("positions");
        QTest::addColumn<bool>("damageRegister");
        QTest::addColumn<int>("failure");
        QTest::newRow("position beyond the year") << QList<qint64>{1, 9} << false << int(InvoicePlan::Failure::Archive);
        QTest::newRow("position zero") << QList<qint64>{0} << false << int(InvoicePlan::Failure::Archive);
        QTest::newRow("register unreadable") << QList<qint64>{1} << true << int(InvoicePlan::Failure::Register);
        QTest::newRow("nothing chosen") << QList<qint64>{} << true << int(InvoicePlan::Failure::None);
    }
    void failures() {
        QFETCH(QList<qint64>, positions);
        QFETCH(bool, damageRegister);
        QFETCH(int, failure);
        if (damageRegister) // a folder where the register file should be cannot be read as one
            QVERIFY(QDir().mkpath(RegisterPath(m_folder)));
        InvoicePlan plan;
        QCOMPARE(int(plan.Load(m_folder, m_year, positions)), failure);
        if (failure != int(InvoicePlan::Failure::None))
            QVERIFY(plan.Jobs().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstInvoicePlan)
#include "tst_invoiceplan.moc"
