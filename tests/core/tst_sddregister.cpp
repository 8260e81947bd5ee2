// The register of the direct-debit files: a month already in a pending file is never debited again,
// a withdrawn file frees its months and its FRST payers, a statement's return frees its month and keeps
// FRST, a damaged register stops every write, and every change (file, flags, register) is all or nothing
// under a failure at any file call.
#include "../support/FaultyFileOps.h"
#include "fees/MonthFees.h"
#include "payments/SddRegister.h"
#include "storage/IniFile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace payments;

namespace {
const fees::FeeMonth kNov{2026, 11};
const QString kRossi = QStringLiteral("RSSMRA85T10A562S");
const QString kBianchi = QStringLiteral("BNCLRA90A41F205I");

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The debits of a file as the month window plans them: Rossi Luca FRST, Bianchi Zoe RCUR.
SddPlan Plan(const fees::FeeMonth& m = kNov) {
    SddPlan p;
    const auto add = [&](qint64 card, const QString& payer, const QString& code, const QString& child, Sequence seq,
                         qint64 amount) {
        SddCollection c;
        c.card = card;
        c.payer = payer;
        c.taxCode = code;
        c.child = child;
        c.iban = QStringLiteral("IT60X0542811101000000123456");
        c.mandateId = QStringLiteral("MAND-") + QString::number(card);
        c.signedOn = QDate(2026, 9, 1);
        c.sequence = seq;
        c.amount = amount;
        c.endToEnd = EndToEndId(m, card, child);
        c.remittance = RemittanceText(m, child, code);
        p.collections << c;
    };
    add(1, QStringLiteral("Rossi Mario"), kRossi, QStringLiteral("Rossi Luca"), Sequence::First, 2500000);
    add(2, QStringLiteral("Bianchi Lara"), kBianchi, QStringLiteral("Bianchi Zoe"), Sequence::Recurring, 2800000);
    return p;
}

SddHeader Header(const QDate& due = QDate(2026, 12, 3)) {
    SddHeader h;
    h.creditor.iban = QStringLiteral("IT60X0542811101000000123456");
    h.creditor.intestatario = QStringLiteral("Asilo Nido Il Girasole");
    h.creditor.creditorId = QStringLiteral("IT15ZZZ0000090012340403");
    h.creditor.cuc = QStringLiteral("1234567A");
    h.dueDate = due;
    h.created = QDateTime(QDate(2026, 11, 25), QTime(9, 0));
    h.messageId = QStringLiteral("SDD-TEST");
    return h;
}

// A school folder with both payers' mandates: Rossi before the first collection, Bianchi after.
struct School {
    QTemporaryDir dir;
    QString folder = dir.path() + QLatin1Char('/');
    QString mandates = folder + QLatin1String(MandatesFileName);
    QString reg = folder + QLatin1String(SddRegisterName);
    School() {
        SaveMandate(mandates, Mandate{kRossi, "IT60X0542811101000000123456", "MAND-1", QDate(2026, 9, 1), false});
        SaveMandate(mandates, Mandate{kBianchi, "IT60X0542811101000000123456", "MAND-2", QDate(2026, 9, 1), true});
    }
    bool FirstDone(const QString& code) const {
        Mandates ms;
        ms.Load(mandates);
        return ms.Of(code)->firstDone;
    }
    QStringList Xml() const { return QDir(folder + "SDD").entryList({"*.xml"}, QDir::Files); }
    SddRegister Register() const {
        SddRegister r;
        QString error;
        if (!r.Load(folder, &error))
            qWarning("%s", qPrintable(error));
        return r;
    }
    fees::DebitHolds Holds() const {
        fees::DebitHolds h;
        LoadDebitHolds(folder, h);
        return h;
    }
    // Every file the register, its XML and the flags live in, to compare before and after.
    QMap<QString, QByteArray> State() const {
        QMap<QString, QByteArray> out;
        out["mandates"] = ReadAll(mandates);
        out["register"] = ReadAll(reg);
        for (const QString& f : Xml())
            out[f] = ReadAll(folder + "SDD/" + f);
        return out;
    }
};

Movement Collection(const QString& e2e, const QDate& booked, qint64 amount) {
    Movement m;
    m.booked = m.value = booked;
    m.amount = amount;
    m.endToEnd = e2e;
    m.directDebit = true;
    return m;
}
} // namespace

class TestSddRegister : public QObject {
    Q_OBJECT
private slots:
    // The fault seen: the same month written to a second file, and a third from the same window.
    void aMonthIsDebitedOnce() {
        School s;
        const SddWriteResult a = WriteSddFile(s.folder, Header(), Plan(), PaymentSettings::SddFormat::Cbi);
        QVERIFY2(a.ok, qPrintable(a.error));
        QCOMPARE(s.Xml(), QStringList{"SDD_2026_11_1.xml"});
        const SddRegister reg = s.Register();
        QCOMPARE(reg.files.size(), 1);
        QCOMPARE(reg.debits.size(), 2);
        QCOMPARE(reg.debits[0].endToEnd, EndToEndId(kNov, 1, "Rossi Luca"));
        QCOMPARE(reg.debits[1].amount, qint64(2800000));
        QCOMPARE(reg.StatusOf(reg.debits[0]), DebitStatus::Pending);
        QVERIFY(s.FirstDone(kRossi));
        // Both months are held for the rule: the month list, the reminders and the account ask them no more.
        QCOMPARE(s.Holds().Of("ROSSI LUCA").size(), 1);
        QCOMPARE(s.Holds().Of("Rossi Luca")[0].file, QString("SDD_2026_11_1.xml"));

        const auto before = s.State();
        const SddWriteResult b = WriteSddFile(s.folder, Header(), Plan(), PaymentSettings::SddFormat::Cbi);
        QVERIFY(!b.ok);
        QVERIFY2(b.error.contains("SDD_2026_11_1.xml"), qPrintable(b.error));
        QCOMPARE(s.State(), before);

        // The month list read after the file: the lines are in debit and a new plan leaves them out.
        QVector<fees::FeeLine> lines(2);
        lines[0].card = 1, lines[0].parent = "Rossi Mario", lines[0].taxCode = kRossi, lines[0].child = "Rossi Luca";
        lines[1].card = 2, lines[1].parent = "Bianchi Lara", lines[1].taxCode = kBianchi, lines[1].child = "Bianchi Zoe";
        for (fees::FeeLine& l : lines) {
            l.fee = "250,00";
            fees::Assess(l);
        }
        fees::HoldLines(lines, s.Holds(), kNov);
        QCOMPARE(lines[0].state, fees::LineState::InDebit);
        QCOMPARE(lines[0].stateText, QString("In addebito SDD: SDD_2026_11_1.xml"));
        QVERIFY(!lines[0].ticked);
        QVERIFY(fees::UnpaidLines(lines).isEmpty());
        Mandates ms;
        ms.Load(s.mandates);
        const SddPlan again = PlanCollections(lines, {0, 1}, ms, kNov);
        QVERIFY(again.collections.isEmpty());
        QCOMPARE(again.leftOut.size(), 2);
        QCOMPARE(again.leftOut[0].reason, QString::fromUtf8("già in addebito SDD: SDD_2026_11_1.xml"));

        // Another month is another file, numbered on its own.
        const SddWriteResult dec = WriteSddFile(s.folder, Header(QDate(2027, 1, 5)), Plan({2026, 12}),
                                                PaymentSettings::SddFormat::Iso);
        QVERIFY2(dec.ok, qPrintable(dec.error));
        QCOMPARE(QFileInfo(dec.path).fileName(), QString("SDD_2026_12_1.xml"));
    }

    void withdraw() {
        School s;
        QVERIFY(WriteSddFile(s.folder, Header(), Plan(), PaymentSettings::SddFormat::Cbi).ok);
        QVERIFY(s.FirstDone(kRossi));
        QString error;
        QVERIFY2(WithdrawSddFile(s.folder, "SDD_2026_11_1.xml", QDate(2026, 11, 26), &error), qPrintable(error));
        // Set aside under a name that says so; its months free; Rossi FRST again, Bianchi as he was.
        QCOMPARE(s.Xml(), QStringList{"SDD_2026_11_1_ritirato.xml"});
        QVERIFY(s.Holds().IsEmpty());
        QVERIFY(!s.FirstDone(kRossi));
        QVERIFY(s.FirstDone(kBianchi));
        QCOMPARE(s.Register().StatusOf(s.Register().debits[0]), DebitStatus::Withdrawn);
        QVERIFY(!WithdrawSddFile(s.folder, "SDD_2026_11_1.xml", QDate(2026, 11, 26), &error));
        QVERIFY(error.contains("già stato ritirato"));
        // The month can go to the bank again, under a new number: the withdrawn one is never reused.
        const SddWriteResult again = WriteSddFile(s.folder, Header(), Plan(), PaymentSettings::SddFormat::Cbi);
        QVERIFY2(again.ok, qPrintable(again.error));
        QCOMPARE(QFileInfo(again.path).fileName(), QString("SDD_2026_11_2.xml"));
    }

    // A file the bank may already have cannot be withdrawn.
    void withdrawRefused_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<bool>("collected");
        QTest::addColumn<QString>("reason");
        QTest::newRow("due date passed") << QDate(2026, 12, 4) << false << QString::fromUtf8("è passata");
        QTest::newRow("on the statement") << QDate(2026, 11, 30) << true << QString::fromUtf8("estratto conto");
    }
    void withdrawRefused() {
        QFETCH(QDate, today);
        QFETCH(bool, collected);
        QFETCH(QString, reason);
        School s;
        QVERIFY(WriteSddFile(s.folder, Header(), Plan(), PaymentSettings::SddFormat::Cbi).ok);
        if (collected) {
            StatementData st;
            st.credits << Collection(EndToEndId(kNov, 2, "Bianchi Zoe"), QDate(2026, 11, 29), 2800000);
            QVERIFY(NoteStatement(s.folder, st));
        }
        const auto before = s.State();
        QString error;
        QVERIFY(!WithdrawSddFile(s.folder, "SDD_2026_11_1.xml", today, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(s.State(), before);
    }

    // What the statement says of each debit, and what the month rule then holds.
    void statementOutcomes() {
        School s;
        QVERIFY(WriteSddFile(s.folder, Header(), Plan(), PaymentSettings::SddFormat::Cbi).ok);
        StatementData st;
        st.credits << Collection(EndToEndId(kNov, 2, "Bianchi Zoe"), QDate(2026, 12, 3), 2800000);
        ReturnedDebit back;
        back.booked = QDate(2026, 12, 4);
        back.amount = 2500000;
        back.endToEnd = EndToEndId(kNov, 1, "Rossi Luca");
        back.reasonCode = "AM04";
        back.reason = ReturnReasonText("AM04");
        st.returns << back;
        StatementNote note;
        QString error;
        QVERIFY2(NoteStatement(s.folder, st, &note, &error), qPrintable(error));
        QCOMPARE(note.collected, 1);
        QCOMPARE(note.returned, 1);
        QCOMPARE(note.firstAgain, QStringList{kRossi});
        const SddRegister reg = s.Register();
        QCOMPARE(reg.StatusOf(reg.debits[0]), DebitStatus::Returned);
        QCOMPARE(reg.StatusOf(reg.debits[1]), DebitStatus::Collected);
        // The returned FRST stays FRST for the next file; its month is owed again. The collected one
        // stays held until its receipt pays it.
        QVERIFY(!s.FirstDone(kRossi));
        QVERIFY(s.Holds().Of("Rossi Luca").isEmpty());
        QCOMPARE(s.Holds().Of("Bianchi Zoe").size(), 1);
        // The same statement read again changes nothing.
        const auto before = s.State();
        QVERIFY(NoteStatement(s.folder, st, &note));
        QCOMPARE(note.collected + note.returned, 0);
        QCOMPARE(s.State(), before);
    }

    // A statement that shows our debits one by one, read past the due date without Rossi's collection:
    // his month is owed again. One that cannot show them (collections in one line) frees nothing.
    void lapsedWithoutCollection_data() {
        QTest::addColumn<QDate>("through");
        QTest::addColumn<bool>("itemised");
        QTest::addColumn<bool>("held");
        QTest::newRow("statement up to the due date") << QDate(2026, 12, 3) << true << true;
        QTest::newRow("statement past the next bank day") << QDate(2026, 12, 4) << true << false;
        QTest::newRow("collections in one line") << QDate(2026, 12, 31) << false << true;
    }
    void lapsedWithoutCollection() {
        QFETCH(QDate, through);
        QFETCH(bool, itemised);
        QFETCH(bool, held);
        School s;
        QVERIFY(WriteSddFile(s.folder, Header(QDate(2026, 12, 3)), Plan(), PaymentSettings::SddFormat::Cbi).ok);
        StatementData st;
        if (itemised)
            st.credits << Collection(EndToEndId(kNov, 2, "Bianchi Zoe"), QDate(2026, 12, 3), 2800000);
        else
            st.credits << Collection(QString(), QDate(2026, 12, 3), 5300000); // "INCASSO SDD" in one line
        Movement other;
        other.booked = other.value = through;
        other.amount = 100000;
        other.remittance = "BONIFICO ALTRO";
        st.credits << other;
        QVERIFY(NoteStatement(s.folder, st));
        QCOMPARE(!s.Holds().Of("Rossi Luca").isEmpty(), held);
        QCOMPARE(s.Holds().Of("Bianchi Zoe").size(), 1); // collected, or not known: held either way
    }

    // A damaged register: named with its line, and nothing written until it reads.
    void damagedRegister_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::newRow("amount changed by hand") << 3 << QByteArray("280,00") << QByteArray("180,00");
        QTest::newRow("line cut short") << 2 << QByteArray("\tRossi Luca") << QByteArray("");
    }
    void damagedRegister() {
        QFETCH(int, line);
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        School s;
        QVERIFY(WriteSddFile(s.folder, Header(), Plan(), PaymentSettings::SddFormat::Cbi).ok);
        QByteArray bytes = ReadAll(s.reg);
        QVERIFY(bytes.contains(from));
        QList<QByteArray> lines = bytes.split('\n');
        lines[line - 1].replace(from, to);
        WriteAll(s.reg, lines.join('\n'));
        SddRegister reg;
        QString error;
        QVERIFY(!reg.Load(s.folder, &error));
        QVERIFY2(error.contains(QStringLiteral("riga %1").arg(line)), qPrintable(error));
        QVERIFY(error.contains("Registro_SDD.txt"));
        const auto before = s.State();
        const SddWriteResult w = WriteSddFile(s.folder, Header(), Plan({2026, 12}), PaymentSettings::SddFormat::Cbi);
        QVERIFY(!w.ok);
        QVERIFY(w.error.contains(QStringLiteral("riga %1").arg(line)));
        QVERIFY(!WithdrawSddFile(s.folder, "SDD_2026_11_1.xml", QDate(2026, 11, 26), &error));
        fees::DebitHolds holds;
        QVERIFY(!LoadDebitHolds(s.folder, holds, &error));
        QCOMPARE(s.State(), before);
    }

    // A failure at any file call of each change: the file, the flags and the register all changed, or
    // none of them.
    void faultAtEveryCall_data() {
        QTest::addColumn<int>("action");
        QTest::newRow("write") << 0;
        QTest::newRow("withdraw") << 1;
        QTest::newRow("returned FRST") << 2;
    }
    void faultAtEveryCall() {
        QFETCH(int, action);
        for (int err : {ENOSPC, EIO}) {
            for (int n = 1;; ++n) {
                School s;
                if (action > 0)
                    QVERIFY(WriteSddFile(s.folder, Header(), Plan(), PaymentSettings::SddFormat::Cbi).ok);
                const auto before = s.State();
                bool ok = false, hit = false;
                StatementData st;
                ReturnedDebit back;
                back.booked = QDate(2026, 12, 4);
                back.endToEnd = EndToEndId(kNov, 1, "Rossi Luca");
                st.returns << back;
                {
                    FaultyFileOps faults;
                    faults.Arm(n, err);
                    if (action == 0)
                        ok = WriteSddFile(s.folder, Header(), Plan(), PaymentSettings::SddFormat::Cbi).ok;
                    else if (action == 1)
                        ok = WithdrawSddFile(s.folder, "SDD_2026_11_1.xml", QDate(2026, 11, 26));
                    else
                        ok = NoteStatement(s.folder, st);
                    hit = faults.failed != nullptr;
                }
                if (!ok) {
                    QVERIFY2(hit, "failed without a fault");
                    QCOMPARE(s.State(), before);
                } else if (action == 0) {
                    QCOMPARE(s.Xml(), QStringList{"SDD_2026_11_1.xml"});
                    QVERIFY(s.FirstDone(kRossi));
                    QCOMPARE(s.Register().debits.size(), 2);
                } else if (action == 1) {
                    QCOMPARE(s.Xml(), QStringList{"SDD_2026_11_1_ritirato.xml"});
                    QVERIFY(!s.FirstDone(kRossi));
                    QVERIFY(s.Holds().IsEmpty());
                } else {
                    QVERIFY(!s.FirstDone(kRossi));
                    QCOMPARE(s.Register().StatusOf(s.Register().debits[0]), DebitStatus::Returned);
                }
                if (!hit)
                    break;
                QVERIFY(n < 100);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSddRegister)
#include "tst_sddregister.moc"
