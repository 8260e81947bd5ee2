// A bank movement turned into a receipt counts as used only while that very receipt is stored: after a
// restore, or a batch whose receipts a crash kept from the file, a later receipt takes the same place and
// number and must not keep the movement from being recorded.
#include "payments/PaymentMatch.h"
#include "storage/Dates.h"
#include "storage/ReceiptFile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace payments;

namespace {
DueCard Card(const char* parent, const char* code, const char* child) {
    DueCard d;
    d.line.card = 1;
    d.line.parent = QString::fromLatin1(parent);
    d.line.taxCode = QString::fromLatin1(code);
    d.line.child = QString::fromLatin1(child);
    d.line.fee = QStringLiteral("250,00");
    d.line.record.Tiratore = d.line.parent;
    d.line.record.CodFisc = d.line.taxCode;
    d.line.record.Armi = d.line.child;
    fees::MonthDue due;
    due.month = fees::FeeMonth{2026, 12};
    due.due = 2500000;
    d.owed << due;
    return d;
}

Movement Transfer(const char* ref, const QDate& day) {
    Movement m;
    m.booked = m.value = day;
    m.amount = 2500000;
    m.payer = QStringLiteral("Rossi Mario");
    m.remittance = QStringLiteral("Retta dicembre");
    m.bankRef = QString::fromLatin1(ref);
    return m;
}

Proposal Accepted() {
    Proposal p;
    p.state = MatchState::Matched;
    p.card = 0;
    p.months = {fees::FeeMonth{2026, 12}};
    p.accepted = true;
    return p;
}
} // namespace

class TstUsedMovements : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString Folder() const { return m_dir.path() + QLatin1Char('/'); }
    QString Year() const { return Folder() + QStringLiteral("2026.ric"); }

    // The receipt of `card` for `m`, stored as the statement stores it, at the end of the year.
    void Issue(const DueCard& card, const Movement& m) {
        const PaymentIssue r = IssuePayments(Folder(), 2026, {m}, {Accepted()}, {card}, {}, 1);
        QVERIFY2(r.ok, qPrintable(r.error));
    }
    // The year file as a restore puts it back: `records` receipts kept, the rest gone.
    void KeepOnly(int records) {
        QFile f(Year());
        QVERIFY(f.resize(qint64(records) * ReceiptRecord::Size));
    }

private slots:
    void init() {
        QDir(Folder()).removeRecursively();
        QVERIFY(QDir().mkpath(Folder()));
    }

    // Another family's receipt in the movement's place and number: the movement is free again.
    void laterReceiptInTheSamePlace_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<bool>("used");
        QTest::newRow("its own receipt") << "RSSMRA85T10A562S" << QDate(2026, 12, 14) << true;
        QTest::newRow("another payer") << "BNCLRA90A41F205I" << QDate(2026, 12, 14) << false;
        QTest::newRow("same payer, another day") << "RSSMRA85T10A562S" << QDate(2026, 12, 15) << false;
    }
    void laterReceiptInTheSamePlace() {
        QFETCH(QString, code);
        QFETCH(QDate, day);
        QFETCH(bool, used);
        const Movement first = Transfer("BON1", QDate(2026, 12, 14));
        Issue(Card("ROSSI MARIO", "RSSMRA85T10A562S", "ROSSI LUCA"), first);
        QVERIFY(UsedMovements(Folder(), 2026).contains(MovementKey(first)));
        // Put back from a copy without that receipt, then the next receipt takes position 1 and number 1.
        KeepOnly(0);
        Issue(Card("PAYER", code.toLatin1().constData(), "BAMBINO"), Transfer("BON2", day));
        QCOMPARE(UsedMovements(Folder(), 2026).contains(MovementKey(first)), used);
    }

    // Two workstations read the same statement and match it before either issues: the second finds the
    // movement used under the lock and issues nothing for it.
    void sameStatementIssuedTwice() {
        const DueCard card = Card("ROSSI MARIO", "RSSMRA85T10A562S", "ROSSI LUCA");
        const Movement m = Transfer("BON1", QDate(2026, 12, 14));
        const Movement other = Transfer("BON2", QDate(2026, 12, 14));
        const QVector<Proposal> stale = {Accepted(), Accepted()}; // matched while neither was used
        QVERIFY(IssuePayments(Folder(), 2026, {m}, {stale[0]}, {card}, {}, 1).ok);
        const PaymentIssue second = IssuePayments(Folder(), 2026, {m, other}, stale, {card}, {}, 1);
        QVERIFY2(second.ok, qPrintable(second.error));
        QCOMPARE(second.issued, QVector<int>{1});
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(Year()));
        QCOMPARE(f.RecordCount(), 2);
        f.Close();
        const PaymentIssue third = IssuePayments(Folder(), 2026, {m}, {stale[0]}, {card}, {}, 1);
        QVERIFY(!third.ok);
        QVERIFY(third.issued.isEmpty());
    }

    // A journal written before the payer and date had their columns: the amount tells the receipts apart.
    void oldJournalLinesCompareTheAmount() {
        const Movement first = Transfer("BON1", QDate(2026, 12, 14));
        Issue(Card("ROSSI MARIO", "RSSMRA85T10A562S", "ROSSI LUCA"), first);
        const QString journal = Folder() + QStringLiteral("Storico/2026.movimenti.log");
        QFile f(journal);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(MovementKey(first).toUtf8() + "\t1\t1\t2500000\n");
        f.close();
        QVERIFY(UsedMovements(Folder(), 2026).contains(MovementKey(first)));
        KeepOnly(0);
        Movement smaller = Transfer("BON2", QDate(2026, 12, 14));
        smaller.amount = 1800000;
        Issue(Card("ROSSI MARIO", "RSSMRA85T10A562S", "ROSSI LUCA"), smaller);
        QVERIFY(!UsedMovements(Folder(), 2026).contains(MovementKey(first)));
        QVERIFY(UsedMovements(Folder(), 2026).contains(MovementKey(smaller)));
    }
};

QTEST_GUILESS_MAIN(TstUsedMovements)
#include "tst_usedmovements.moc"
