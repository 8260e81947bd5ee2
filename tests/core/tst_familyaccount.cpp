// The family account and the reminders: the sections of one payer's children, their totals, one letter
// per payer with what is owed, the transfer QR payload, and the reminders' journal, also under faults.
#include "../support/FaultyFileOps.h"
#include "../support/FeeReceipts.h"
#include "../support/ReceiptYear.h"
#include "fees/FamilyAccount.h"
#include "fees/Reminders.h"
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace fees;

namespace {

const QString kTaxCode = QStringLiteral("RSSMRA80A01H501U");
const QString kIban = QStringLiteral("IT60X0542811101000000123456");

RegistryRecord Card(const QString& payer, const QString& taxCode, const QString& child, const QString& fee,
                    const QString& start = QStringLiteral("01/09/2026"), const QString& end = QString()) {
    RegistryRecord c;
    c.Tiratore = payer;
    c.CodFisc = taxCode;
    c.Armi = child;
    c.Quota = fee;
    c.InizioTes = start;
    c.FineTes = end;
    c.Indirizzo = QStringLiteral("Via Roma 1");
    c.Cap = QStringLiteral("00100");
    c.Citta = QStringLiteral("Roma");
    return c;
}

// Two children of one payer (the sibling's tax code typed in lower case with blanks), another payer,
// and the cards that cannot have a letter.
QVector<RegistryRecord> School() {
    return {
        Card("Rossi Mario", kTaxCode, "Rossi Luca", "250,00"),                            // 1
        Card("Bianchi Sara", "BNCSRA82B41F205X", "Bianchi Leo", "200"),                   // 2
        Card("Rossi Mario", "  rssmra80a01h501u ", "Rossi Anna", "200,00", "01/10/2026"), // 3
        Card("Verdi Ugo", "", "Verdi Ada", "250"),                                        // 4: no tax code
        Card("Neri Eva", "NRE", "Neri Tom", "0"),                                         // 5: fee 0
        Card("Gialli Pio", "GLL", "", "250"),                                             // 6: no child
        Card("Blu Ivo", "BLU", "Blu Ale", "100", "01/12/2026"),                           // 7: paid up
    };
}

QVector<ReceiptRecord> SchoolReceipts() {
    return {
        // Luca: September and October in one, 100,00 of November, and an enrolment that pays nothing.
        TypedFeeReceipt("1", "01/09/2026", "Rette settembre-ottobre", "01/09/2026", "31/10/2026", "500,00",
                        "Rossi Luca"),
        TypedFeeReceipt("2", "03/11/2026", "Retta novembre", "01/11/2026", "30/11/2026", "100,00", "Rossi Luca"),
        TypedFeeReceipt("3", "01/09/2026", "Iscrizione", "01/09/2026", "30/06/2027", "1000,00", "Rossi Luca"),
        // Anna: October overpaid by 100,00, which pays part of November; one receipt whose amount cannot
        // be read.
        TypedFeeReceipt("4", "02/10/2026", "Retta ottobre", "01/10/2026", "31/10/2026", "300,00", " rossi anna "),
        TypedFeeReceipt("5", "02/11/2026", "Retta novembre", "01/11/2026", "30/11/2026", "dieci", "Rossi Anna"),
        // Leo: cancelled, so his December is owed.
        TypedFeeReceipt("6", "01/09/2026", "Rette settembre-novembre", "01/09/2026", "30/11/2026", "600,00",
                        "Bianchi Leo"),
        TypedFeeReceipt("7", "01/12/2026", "ANNULLATA: Retta dicembre", "01/12/2026", "31/12/2026", "200,00",
                        "Bianchi Leo"),
        TypedFeeReceipt("8", "01/12/2026", "Retta dicembre", "01/12/2026", "31/12/2026", "100,00", "Blu Ale"),
    };
}

// A program folder with the school's registry and its 2026 receipts.
bool WriteSchool(const QString& folder) {
    RegistryFile registry;
    if (!registry.OpenOrCreate(folder + u'/'))
        return false;
    for (const RegistryRecord& c : School())
        if (!registry.AppendRecord(c))
            return false;
    if (!registry.Close())
        return false;
    return !WriteReceiptYear(folder + QStringLiteral("/2026.ric"), SchoolReceipts(), [](const ReceiptRecord& r) {
                return r;
            }).isEmpty();
}

ChildReceipts LoadedReceipts(const QString& folder) {
    ChildReceipts receipts;
    receipts.Load(folder, {2025, 2026});
    return receipts;
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

PaymentSettings Account(const QString& iban, const QString& holder) {
    PaymentSettings s;
    s.iban = iban;
    s.intestatario = holder;
    return s;
}

JournalStamp Stamp() {
    return {QDateTime(QDate(2026, 12, 10), QTime(9, 30)), QStringLiteral("SEGRETERIA"), QStringLiteral("anna")};
}

} // namespace

class TestFamilyAccount : public QObject {
    Q_OBJECT
private slots:
    void siblings() {
        const QVector<RegistryRecord> cards = School();
        QCOMPARE(FamilyCards(cards, 0), (QVector<int>{0, 2}));
        QCOMPARE(FamilyCards(cards, 2), (QVector<int>{2, 0})); // the card asked for comes first
        QCOMPARE(FamilyCards(cards, 1), QVector<int>{1});
        QCOMPARE(FamilyCards(cards, 3), QVector<int>{3}); // no tax code: no siblings, even among the blank
        QCOMPARE(FamilyCards(cards, 99), QVector<int>{});
        // The year before the first month is read too: a fee for September may be paid in August.
        QCOMPARE(AccountYears(cards, {0, 2}, FeeMonth{2027, 2}), (QVector<int>{2025, 2026, 2027}));
        QCOMPARE(AccountYears(cards, {6}, FeeMonth{2026, 9}), (QVector<int>{2025, 2026})); // starts later
    }

    void familySections() {
        QTemporaryDir dir;
        QVERIFY(WriteSchool(dir.path()));
        const FamilyAccount a = BuildFamilyAccount(School(), 0, LoadedReceipts(dir.path()), FeeMonth{2026, 12},
                                                   DefaultFeeWords());
        QCOMPARE(a.sections.size(), 2);
        const AccountSection& luca = a.sections[0];
        const AccountSection& anna = a.sections[1];
        QCOMPARE(luca.child, QStringLiteral("Rossi Luca"));
        QCOMPARE(anna.child, QStringLiteral("Rossi Anna"));
        QCOMPARE(anna.card, qint64(3));
        QCOMPARE(luca.account.months.size(), 4); // September to December
        QCOMPARE(anna.account.months.size(), 3); // from her own enrolment, October
        QCOMPARE(luca.account.months[1].parts.value(0).number, QStringLiteral("1"));
        QCOMPARE(luca.account.months[2].paid, Euro(100));
        QCOMPARE(luca.account.months[2].parts.value(0).date, QDate(2026, 11, 3));
        QCOMPARE(luca.account.months[3].paid, qint64(0));
        // The credit left by October pays November in part and is no longer a credit.
        QCOMPARE(anna.account.TotalCredit(), qint64(0));
        QCOMPARE(anna.account.months[1].paid, Euro(100));
        QVERIFY(anna.account.months[1].parts.value(0).credit);
        QCOMPARE(anna.account.unreadable.size(), 1);
        QCOMPARE(anna.account.unreadable[0].number, QStringLiteral("5"));
        QCOMPARE(a.TotalDue(), Euro(1000 + 600));
        QCOMPARE(a.TotalPaid(), Euro(600 + 300));
        QCOMPARE(a.TotalOwed(), Euro(400 + 300));
        QCOMPARE(a.TotalCredit(), qint64(0));

        // Up to October: only what was due by then.
        const FamilyAccount oct = BuildFamilyAccount(School(), 2, LoadedReceipts(dir.path()), FeeMonth{2026, 10},
                                                     DefaultFeeWords());
        QCOMPARE(oct.sections[0].child, QStringLiteral("Rossi Anna"));
        QCOMPARE(oct.TotalOwed(), qint64(0));
        QCOMPARE(oct.TotalDue(), Euro(500 + 200));
        QCOMPARE(oct.TotalCredit(), Euro(100)); // no later month asked yet: still a credit
    }

    void cardsWithoutAccount() {
        const FamilyAccount noChild = BuildFamilyAccount(School(), 5, ChildReceipts(), FeeMonth{2026, 12}, {});
        QCOMPARE(noChild.sections.size(), 1);
        QCOMPARE(noChild.sections[0].problem, QStringLiteral("minore mancante"));
        QVERIFY(noChild.sections[0].account.months.isEmpty());
        const FamilyAccount noFee = BuildFamilyAccount(School(), 4, ChildReceipts(), FeeMonth{2026, 12}, {});
        QCOMPARE(noFee.sections[0].problem, QStringLiteral("quota non valida"));
        QCOMPARE(noFee.TotalOwed(), qint64(0));
    }

    void remindersPerPayer() {
        QTemporaryDir dir;
        QVERIFY(WriteSchool(dir.path()));
        // Both of the Rossi children ticked, in an order that is not the registry's.
        const ReminderSet set = BuildReminders(School(), {3, 1, 2, 4, 5, 6, 7}, LoadedReceipts(dir.path()),
                                               FeeMonth{2026, 12}, DefaultFeeWords());
        QCOMPARE(set.letters.size(), 2);
        const ReminderLetter& rossi = set.letters[0];
        QCOMPARE(rossi.taxCode.trimmed().toUpper(), kTaxCode);
        QCOMPARE(rossi.children.size(), 2);
        QCOMPARE(rossi.children[0].child, QStringLiteral("Rossi Anna"));
        QCOMPARE(rossi.Total(), Euro(700)); // Anna's October credit pays 100,00 of her November
        QCOMPARE(rossi.children[0].months[0].owed, Euro(100));
        QCOMPARE(rossi.MonthsText(), QStringLiteral("Rossi Anna: novembre 2026, dicembre 2026; Rossi Luca: "
                                                    "novembre 2026, dicembre 2026"));
        QCOMPARE(rossi.children[1].months[0].owed, Euro(150)); // the rest of November
        QCOMPARE(rossi.unreadable.size(), 1);
        QCOMPARE(rossi.address, (QStringList{"Via Roma 1", "00100 Roma"}));
        QCOMPARE(set.letters[1].payer, QStringLiteral("Bianchi Sara"));
        QCOMPARE(set.letters[1].Total(), Euro(200)); // the cancelled receipt pays nothing

        QCOMPARE(set.skipped.size(), 4);
        const QStringList expected{"codice fiscale mancante", "quota assente o pari a zero", "minore mancante",
                                   "nulla da sollecitare fino a dicembre 2026"};
        for (int i = 0; i < set.skipped.size(); ++i) {
            QCOMPARE(set.skipped[i].card, qint64(4 + i));
            QCOMPARE(set.skipped[i].reason, expected[i]);
        }
    }

    void cause() {
        ReminderLetter l;
        l.taxCode = QStringLiteral("rssmra80a01h501u");
        l.children = {{1, "Rossi Luca", {}}, {3, "Rossi Anna", {}}};
        QCOMPARE(ReminderCause(l, FeeMonth{2026, 12}),
                 QStringLiteral("Rette fino a dicembre 2026 - Rossi Luca, Rossi Anna - RSSMRA80A01H501U"));
        for (int i = 0; i < 8; ++i)
            l.children << ReminderChild{1, QStringLiteral("Cognomelungo Nomelunghissimo %1").arg(i), {}};
        const QString longCause = ReminderCause(l, FeeMonth{2026, 12});
        QCOMPARE(longCause.size(), 140);
        QVERIFY(longCause.endsWith(QStringLiteral(" - RSSMRA80A01H501U")));
    }

    void epcPayload_data() {
        QTest::addColumn<QString>("iban");
        QTest::addColumn<QString>("holder");
        QTest::addColumn<qint64>("amount");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("payload");
        QTest::addColumn<bool>("problem");
        const QString school = QStringLiteral("Scuola dell'infanzia Girasole");
        QTest::newRow("fee") << kIban << school << Euro(150) << "Rette fino a dicembre 2026"
                             << "BCD\n002\n1\nSCT\n\nScuola dell'infanzia Girasole\nIT60X0542811101000000123456\n"
                                "EUR150.00\n\n\nRette fino a dicembre 2026"
                             << false;
        QTest::newRow("typed with blanks, cents") << "it60 x054 2811 1010 0000 0123 456" << school << Euro(0.5)
                                                  << "R"
                                                  << "BCD\n002\n1\nSCT\n\nScuola dell'infanzia Girasole\n"
                                                     "IT60X0542811101000000123456\nEUR0.50\n\n\nR"
                                                  << false;
        QTest::newRow("wrong check digits") << "IT61X0542811101000000123456" << school << Euro(150) << "R" << ""
                                            << true;
        QTest::newRow("no IBAN") << "" << school << Euro(150) << "R" << "" << true;
        QTest::newRow("no holder") << kIban << "" << Euro(150) << "R" << "" << true;
        QTest::newRow("holder too long") << kIban << QString(71, u'A') << Euro(150) << "R" << "" << true;
        QTest::newRow("nothing owed") << kIban << school << qint64(0) << "R" << "" << true;
        QTest::newRow("text too long") << kIban << school << Euro(150) << QString(141, u'x') << "" << true;
    }
    void epcPayload() {
        QFETCH(QString, iban);
        QFETCH(QString, holder);
        QFETCH(qint64, amount);
        QFETCH(QString, text);
        QFETCH(QString, payload);
        QFETCH(bool, problem);
        const EpcTransfer t = EpcPayload(Account(iban, holder), amount, text);
        QCOMPARE(t.payload, payload);
        QCOMPARE(!t.problem.isEmpty(), problem);
    }

    void journal() {
        QTemporaryDir dir;
        const QString log = ReminderLogPath(dir.path(), 2026);
        QCOMPARE(log, dir.filePath(QStringLiteral("Storico/2026.solleciti.log")));
        const ReminderNote first{QDate(2026, 12, 10), "Rossi Mario", kTaxCode, "Rossi Luca: dicembre 2026",
                                 Euro(250), "stampa"};
        const ReminderNote other{QDate(2026, 12, 10), "Bianchi Sara", "BNCSRA82B41F205X", "Bianchi Leo: dicembre 2026",
                                 Euro(200), "e-mail"};
        QString error;
        QVERIFY2(NoteReminders(dir.path(), 2026, {first, other}, Stamp(), &error), qPrintable(error));
        // A line torn by a crash: skipped, not counted, and closed by the next writer.
        {
            QFile f(log);
            QVERIFY(f.open(QIODevice::Append));
            f.write("S\t2026-12-11\tRossi Ma");
        }
        int damaged = -1;
        QCOMPARE(ReadReminderNotes(dir.path(), {2026}, kTaxCode, &damaged).size(), 1);
        QCOMPARE(damaged, 0);
        ReminderNote second = first;
        second.date = QDate(2026, 12, 20);
        second.months = QStringLiteral("Rossi Luca: dicembre 2026; Rossi Anna: dicembre 2026");
        second.how = QStringLiteral("e-mail");
        QVERIFY2(NoteReminders(dir.path(), 2026, {second}, Stamp(), &error), qPrintable(error));
        // Lower case and blanks in the asked tax code; the torn line, now closed, is still passed over (as
        // the history journal passes it), while a line damaged in the middle of the file is counted.
        {
            QFile f(log);
            QVERIFY(f.open(QIODevice::Append));
            f.write("S\t2026-12-12\tdamaged\n");
        }
        const QVector<ReminderNote> notes = ReadReminderNotes(dir.path(), {2025, 2026}, " rssmra80a01h501u", &damaged);
        QCOMPARE(notes.size(), 2);
        QCOMPARE(damaged, 1);
        QCOMPARE(notes[1].date, QDate(2026, 12, 20));
        QCOMPARE(notes[1].months, second.months);
        QCOMPARE(notes[1].amount, Euro(250));
        QCOMPARE(notes[1].how, QStringLiteral("e-mail"));
        QCOMPARE(notes[0].payer, QStringLiteral("Rossi Mario"));
        QCOMPARE(ReadReminderNotes(dir.path(), {2026}, QString()).size(), 3);
    }

    // Each file call of a journal append fails in turn: the journal is either as before or has the whole
    // new line, and a failure is always reported.
    void journalFaults_data() {
        QTest::addColumn<int>("error");
        QTest::newRow("disk full") << ENOSPC;
        QTest::newRow("device error") << EIO;
    }
    void journalFaults() {
        QFETCH(int, error);
        QTemporaryDir dir;
        const ReminderNote note{QDate(2026, 12, 10), "Rossi Mario", kTaxCode, "Rossi Luca: dicembre 2026 con un testo "
                                "lungo abbastanza da essere scritto in più pezzi " + QString(500, u'x'), Euro(250),
                                "stampa"};
        QString why;
        QVERIFY(NoteReminders(dir.path(), 2026, {note}, Stamp(), &why));
        const QByteArray before = Bytes(ReminderLogPath(dir.path(), 2026));
        int calls = 0;
        {
            FaultyFileOps count;
            QVERIFY(NoteReminders(dir.path(), 2026, {note}, Stamp(), &why));
            calls = count.calls;
        }
        const QByteArray after = Bytes(ReminderLogPath(dir.path(), 2026));
        QVERIFY(calls >= 5);
        int failures = 0;
        for (int n = 1; n <= calls; ++n) {
            QFile::remove(ReminderLogPath(dir.path(), 2026));
            QFile f(ReminderLogPath(dir.path(), 2026));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(before) == before.size());
            f.close();
            bool ok = false;
            QString failed;
            {
                FaultyFileOps faults;
                faults.Arm(n, error);
                why.clear();
                ok = NoteReminders(dir.path(), 2026, {note}, Stamp(), &why);
                failed = QLatin1String(faults.failed);
            }
            const QByteArray now = Bytes(ReminderLogPath(dir.path(), 2026));
            if (ok) {
                // Only a close after the flush may fail unnoticed: the line is then whole on the disk.
                QCOMPARE(failed, QStringLiteral("close"));
                QCOMPARE(now, after);
            } else {
                ++failures;
                QVERIFY2(!why.isEmpty(), qPrintable(failed));
                QVERIFY2(now == before,
                         qPrintable(QStringLiteral("call %1 (%2) left a partial line").arg(n).arg(failed)));
            }
        }
        QVERIFY(failures >= calls - 2);
    }

    void loadFromFiles() {
        QTemporaryDir dir;
        QVERIFY(WriteSchool(dir.path()));
        QString error;
        QVERIFY(NoteReminders(dir.path(), 2026,
                              {{QDate(2026, 11, 30), "Rossi Mario", kTaxCode, "Rossi Luca: novembre 2026", Euro(150),
                                "stampa"}},
                              Stamp(), &error));
        FamilyAccount a;
        QVERIFY2(LoadFamilyAccount(dir.path(), 3, FeeMonth{2026, 12}, a, &error), qPrintable(error));
        QCOMPARE(a.sections.size(), 2);
        QCOMPARE(a.sections[0].child, QStringLiteral("Rossi Anna"));
        QCOMPARE(a.TotalOwed(), Euro(700)); // Anna's October credit pays part of her November
        QCOMPARE(a.reminders.size(), 1);
        QCOMPARE(a.reminders[0].amount, Euro(150));

        ReminderSet set;
        QVERIFY2(LoadReminders(dir.path(), {1, 2}, FeeMonth{2026, 12}, set, &error), qPrintable(error));
        QCOMPARE(set.letters.size(), 2);
        QCOMPARE(set.letters[0].Total(), Euro(700));

        QVERIFY(!LoadFamilyAccount(dir.path(), 99, FeeMonth{2026, 12}, a, &error));
        QCOMPARE(error, QStringLiteral("La scheda n. 99 non è nell'anagrafica."));
        QTemporaryDir empty;
        QVERIFY(!LoadFamilyAccount(empty.path(), 1, FeeMonth{2026, 12}, a, &error));
        QCOMPARE(error, QStringLiteral("L'anagrafica degli iscritti non esiste."));
    }
};

QTEST_GUILESS_MAIN(TestFamilyAccount)
#include "tst_familyaccount.moc"
