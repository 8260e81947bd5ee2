// The month rule by amounts: which receipts pay a child's fees, how their amounts fill the months of
// their periods, what is left as credit, and the month list and batch that use it over real files.
#include "../support/FeeReceipts.h"
#include "fees/FeeLedger.h"
#include "receipts/Cancellation.h"
#include "storage/Text.h"
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace fees;

Q_DECLARE_METATYPE(QVector<fees::ChildReceipt>)
Q_DECLARE_METATYPE(QVector<fees::DebitHold>)

namespace {

const QString kChild = QStringLiteral("Rossi Luca");
const QString kCardCause = QStringLiteral("Quota mensile");

// A receipt as the ledger reads it from a stored one: the texts as typed.
ChildReceipt Rec(const QString& number, const QString& date, const QString& cause, const QString& from,
                 const QString& to, const QString& amount, const QString& child = kChild, int fileYear = 2026) {
    return ReceiptTerms(TypedFeeReceipt(number, date, cause, from, to, amount, child), fileYear, number.toLongLong());
}

} // namespace

class TestFeeLedger : public QObject {
    Q_OBJECT
private slots:
    void feeCause_data() {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<bool>("fee");
        QTest::newRow("word") << "Retta ottobre 2026" << true;
        QTest::newRow("plural, lower case") << "rette ottobre-dicembre" << true;
        QTest::newRow("word with colon") << "Retta: ottobre" << true;
        QTest::newRow("word alone, blanks") << "  RETTA  " << true;
        QTest::newRow("card's own cause") << "quota MENSILE" << true;
        QTest::newRow("longer word") << "Rettangolo di stoffa" << false;
        QTest::newRow("enrolment") << "Iscrizione anno 2026/27" << false;
        QTest::newRow("meals") << "Buoni pasto" << false;
        QTest::newRow("word inside") << "Saldo retta" << false;
        QTest::newRow("empty") << "" << false;
    }
    void feeCause() {
        QFETCH(QString, cause);
        QFETCH(bool, fee);
        QCOMPARE(IsFeeCause(cause, kCardCause, DefaultFeeWords()), fee);
    }

    void feeWords() {
        QCOMPARE(ParseFeeWords(QStringLiteral(" Retta, ,Rette ,Quota")),
                 QStringList({QStringLiteral("Retta"), QStringLiteral("Rette"), QStringLiteral("Quota")}));
        QTemporaryDir dir;
        QCOMPARE(ReadFeeWords(dir.path()), DefaultFeeWords()); // no settings file
        QString error;
        QVERIFY(WriteFeeWords(dir.path(), {QStringLiteral("Mensilità")}, &error));
        QCOMPARE(ReadFeeWords(dir.path()), QStringList{QStringLiteral("Mensilità")});
        QVERIFY(IsFeeCause(QStringLiteral("Mensilità ottobre"), QString(), ReadFeeWords(dir.path())));
        QVERIFY(!IsFeeCause(QStringLiteral("Retta ottobre"), QString(), ReadFeeWords(dir.path())));
        QVERIFY(WriteFeeWords(dir.path(), {}, &error));
        QCOMPARE(ReadFeeWords(dir.path()), DefaultFeeWords()); // never left without words
    }

    // One child, fee 250,00: each case's receipts, then what one month shows.
    void allocate_data() {
        QTest::addColumn<QVector<ChildReceipt>>("receipts");
        QTest::addColumn<int>("month"); // of 2026
        QTest::addColumn<qint64>("paid");
        QTest::addColumn<QString>("state");
        QTest::addColumn<qint64>("credit");
        QTest::addColumn<int>("unreadable");
        const QString oct1 = "01/10/2026", oct31 = "31/10/2026";
        QTest::newRow("one month paid") << QVector<ChildReceipt>{Rec("12", "02/10/2026", "Retta", oct1, oct31, "250,00")}
                                        << 10 << Euro(250) << "Già pagata: ricevuta n. 12" << qint64(0) << 0;
        // Cancelled by hand, its amount left: still pays nothing.
        ChildReceipt cancelled = Rec("12", "02/10/2026", "annullata: Retta ottobre", oct1, oct31, "250,00");
        QTest::newRow("cancelled") << QVector<ChildReceipt>{cancelled} << 10 << qint64(0) << "Da emettere"
                                   << qint64(0) << 0;
        // The card's own cause, whatever its words.
        QTest::newRow("card's cause") << QVector<ChildReceipt>{Rec("12", "02/10/2026", "QUOTA mensile", oct1, oct31,
                                                                   "250,00")}
                                      << 10 << Euro(250) << "Già pagata: ricevuta n. 12" << qint64(0) << 0;
        QTest::newRow("partial") << QVector<ChildReceipt>{Rec("12", "02/10/2026", "Retta", oct1, oct31, "100,00")}
                                 << 10 << Euro(100) << "Pagata in parte: 100,00 di 250,00" << qint64(0) << 0;
        const QVector<ChildReceipt> quarter{Rec("12", "01/10/2026", "Rette ottobre-dicembre", oct1, "31/12/2026",
                                                "750,00")};
        QTest::newRow("three months: first") << quarter << 10 << Euro(250) << "Già pagata: ricevuta n. 12"
                                             << qint64(0) << 0;
        QTest::newRow("three months: last") << quarter << 12 << Euro(250) << "Già pagata: ricevuta n. 12"
                                            << qint64(0) << 0;
        const QVector<ChildReceipt> midMonth{Rec("7", "15/03/2026", "Retta", "15/03/2026", "15/04/2026", "250,00")};
        QTest::newRow("mid-month period pays its first month") << midMonth << 3 << Euro(250)
                                                               << "Già pagata: ricevuta n. 7" << qint64(0) << 0;
        QTest::newRow("mid-month period leaves the next") << midMonth << 4 << qint64(0) << "Da emettere"
                                                          << qint64(0) << 0;
        QTest::newRow("enrolment fee over the school year")
            << QVector<ChildReceipt>{Rec("3", "01/09/2026", "Iscrizione 2026/27", "01/09/2026", "30/06/2027",
                                         "120,00")}
            << 11 << qint64(0) << "Da emettere" << qint64(0) << 0;
        QTest::newRow("no period: the month of its date")
            << QVector<ChildReceipt>{Rec("5", "05/02/2026", "Retta febbraio", "", "", "250,00")} << 2 << Euro(250)
            << "Già pagata: ricevuta n. 5" << qint64(0) << 0;
        QTest::newRow("paid in the year before")
            << QVector<ChildReceipt>{Rec("98", "20/12/2025", "Retta gennaio", "01/01/2026", "31/01/2026", "250,00",
                                         kChild, 2025)}
            << 1 << Euro(250) << "Già pagata: ricevuta n. 98" << qint64(0) << 0;
        // What is paid beyond October pays November, so none of it is left as credit.
        QTest::newRow("overpaid: the next month takes it")
            << QVector<ChildReceipt>{Rec("12", "02/10/2026", "Retta", oct1, oct31, "300,00")} << 10 << Euro(250)
            << "Già pagata: ricevuta n. 12" << qint64(0) << 0;
        QTest::newRow("overpaid in December: credit beyond the range")
            << QVector<ChildReceipt>{Rec("12", "02/12/2026", "Retta", "01/12/2026", "31/12/2026", "300,00")} << 12
            << Euro(250) << "Già pagata: ricevuta n. 12" << Euro(50) << 0;
        QTest::newRow("two receipts for one month")
            << QVector<ChildReceipt>{Rec("15", "20/10/2026", "Retta saldo", oct1, oct31, "150,00"),
                                     Rec("12", "02/10/2026", "Retta acconto", oct1, oct31, "100,00")}
            << 10 << Euro(250) << "Già pagata: ricevute n. 12, 15" << qint64(0) << 0;
        QTest::newRow("second receipt beyond the fee pays the next month")
            << QVector<ChildReceipt>{Rec("12", "02/10/2026", "Retta", oct1, oct31, "250,00"),
                                     Rec("15", "20/10/2026", "Retta", oct1, oct31, "250,00")}
            << 11 << Euro(250) << "Già pagata: ricevuta n. 15" << qint64(0) << 0;
        QTest::newRow("a sibling's receipt") << QVector<ChildReceipt>{Rec("12", "02/10/2026", "Retta", oct1, oct31,
                                                                          "250,00", "Rossi Anna")}
                                             << 10 << qint64(0) << "Da emettere" << qint64(0) << 0;
        QTest::newRow("child's name in other letter case and blanks")
            << QVector<ChildReceipt>{Rec("12", "02/10/2026", "Retta", oct1, oct31, "250,00", "  ROSSI luca ")} << 10
            << Euro(250) << "Già pagata: ricevuta n. 12" << qint64(0) << 0;
        QTest::newRow("amount not readable") << QVector<ChildReceipt>{Rec("12", "02/10/2026", "Retta", oct1, oct31,
                                                                          "dieci")}
                                             << 10 << qint64(0) << "Da emettere" << qint64(0) << 1;
        QTest::newRow("period not readable") << QVector<ChildReceipt>{Rec("12", "02/10/2026", "Retta", "1 ottobre",
                                                                          oct31, "250,00")}
                                             << 10 << qint64(0) << "Da emettere" << qint64(0) << 1;
        QTest::newRow("period ending before it starts")
            << QVector<ChildReceipt>{Rec("12", "02/10/2026", "Retta", oct31, oct1, "250,00")} << 10 << qint64(0)
            << "Da emettere" << qint64(0) << 1;
    }
    void allocate() {
        QFETCH(QVector<ChildReceipt>, receipts);
        QFETCH(int, month);
        QFETCH(qint64, paid);
        QFETCH(QString, state);
        QFETCH(qint64, credit);
        QFETCH(int, unreadable);
        const ChildAccount a =
            Allocate(receipts, CardTerms{kChild, Euro(250), kCardCause}, FeeMonth{2026, 1}, FeeMonth{2026, 12},
                     DefaultFeeWords());
        const MonthDue* m = a.Month(FeeMonth{2026, month});
        QVERIFY(m);
        QCOMPARE(m->due, Euro(250));
        QCOMPARE(m->paid, paid);
        QCOMPARE(MonthStateText(*m), state);
        QCOMPARE(a.TotalCredit(), credit);
        QCOMPARE(a.unreadable.size(), unreadable);
        QCOMPARE(a.TotalOwed(), a.TotalDue() - a.TotalPaid());
    }

    void accountTotals() {
        // 750 for October to December, 100 for January: due 4 x 250 over the range, paid 850.
        const QVector<ChildReceipt> rs{Rec("12", "01/10/2026", "Rette", "01/10/2026", "31/12/2026", "750,00"),
                                       Rec("30", "10/01/2027", "Retta", "01/01/2027", "31/01/2027", "100,00",
                                           kChild, 2027)};
        const ChildAccount a = Allocate(rs, CardTerms{kChild, Euro(250), QString()}, FeeMonth{2026, 10},
                                        FeeMonth{2027, 1}, DefaultFeeWords());
        QCOMPARE(a.months.size(), 4);
        QCOMPARE(a.TotalDue(), Euro(1000));
        QCOMPARE(a.TotalPaid(), Euro(850));
        QCOMPARE(a.TotalOwed(), Euro(150));
        QCOMPARE(a.months[2].parts.size(), 1);
        QCOMPARE(a.months[2].parts[0].amount, Euro(250));
        // An empty range: no month, but the receipts still give their credit.
        const ChildAccount none = Allocate(rs, CardTerms{kChild, Euro(250), QString()}, FeeMonth{2026, 5},
                                           FeeMonth{2026, 4}, DefaultFeeWords());
        QVERIFY(none.months.isEmpty());
        // A receipt before the range takes its months first: the range does not pull its money forward.
        const ChildAccount later = Allocate(rs, CardTerms{kChild, Euro(250), QString()}, FeeMonth{2026, 12},
                                            FeeMonth{2026, 12}, DefaultFeeWords());
        QCOMPARE(later.TotalPaid(), Euro(250));
        QCOMPARE(later.TotalCredit(), qint64(0));
    }

    // A credit pays the next months still owed, in order, in the rule itself: the letter, its QR code
    // and the month's batch then ask only the rest. Fee 250,00; account from September to `to`.
    void creditPaysNextMonths_data() {
        QTest::addColumn<QVector<ChildReceipt>>("receipts");
        QTest::addColumn<int>("to");    // the account's last month, of 2026
        QTest::addColumn<int>("month"); // the month looked at
        QTest::addColumn<qint64>("paid");
        QTest::addColumn<QString>("state");
        QTest::addColumn<qint64>("credit");
        const ChildReceipt oct300 = Rec("31", "05/10/2026", "Retta ottobre", "01/10/2026", "31/10/2026", "300,00");
        // The case seen: 300,00 for a 250,00 October left November asking 250,00 beside a credit of 50,00.
        QTest::newRow("overpaid October pays part of November")
            << QVector<ChildReceipt>{oct300} << 11 << 11 << Euro(50)
            << "Pagata in parte: 50,00 di 250,00 (credito ricevuta n. 31)" << qint64(0);
        QTest::newRow("the rest issued later completes it")
            << QVector<ChildReceipt>{oct300, Rec("45", "02/11/2026", "Retta novembre", "01/11/2026", "30/11/2026",
                                                 "200,00")}
            << 12 << 11 << Euro(250) << "Già pagata: ricevute n. 31, 45" << qint64(0);
        QTest::newRow("a month already paid is skipped")
            << QVector<ChildReceipt>{Rec("20", "01/10/2026", "Retta novembre", "01/11/2026", "30/11/2026", "250,00"),
                                     oct300}
            << 12 << 12 << Euro(50) << "Pagata in parte: 50,00 di 250,00 (credito ricevuta n. 31)" << qint64(0);
        QTest::newRow("a large credit pays whole months, the rest stays credit")
            << QVector<ChildReceipt>{Rec("31", "05/10/2026", "Retta", "01/10/2026", "31/10/2026", "800,00")} << 12
            << 12 << Euro(250) << "Già pagata: ricevuta n. 31" << Euro(50);
        QTest::newRow("never a month before the receipt's")
            << QVector<ChildReceipt>{Rec("31", "05/11/2026", "Retta", "01/11/2026", "30/11/2026", "300,00")} << 12
            << 10 << qint64(0) << "Da emettere" << qint64(0);
        QTest::newRow("not past the account's last month")
            << QVector<ChildReceipt>{oct300} << 10 << 10 << Euro(250) << "Già pagata: ricevuta n. 31" << Euro(50);
        QTest::newRow("a cancelled receipt gives no credit")
            << QVector<ChildReceipt>{Rec("31", "05/10/2026", "annullata: Retta ottobre", "01/10/2026", "31/10/2026",
                                         "300,00")}
            << 11 << 11 << qint64(0) << "Da emettere" << qint64(0);
        QTest::newRow("another purpose's receipt gives no credit")
            << QVector<ChildReceipt>{Rec("31", "05/10/2026", "Buoni pasto", "01/10/2026", "31/10/2026", "300,00")}
            << 11 << 11 << qint64(0) << "Da emettere" << qint64(0);
    }
    void creditPaysNextMonths() {
        QFETCH(QVector<ChildReceipt>, receipts);
        QFETCH(int, to);
        QFETCH(int, month);
        QFETCH(qint64, paid);
        QFETCH(QString, state);
        QFETCH(qint64, credit);
        const ChildAccount a = Allocate(receipts, CardTerms{kChild, Euro(250), kCardCause}, FeeMonth{2026, 9},
                                        FeeMonth{2026, to}, DefaultFeeWords());
        const MonthDue* m = a.Month(FeeMonth{2026, month});
        QVERIFY(m);
        QCOMPARE(m->paid, paid);
        QCOMPARE(MonthStateText(*m), state);
        QCOMPARE(m->ToAsk(), Euro(250) - paid);
        QCOMPARE(a.TotalCredit(), credit);
        // The month's answer does not depend on how far the account goes beyond it.
        const ChildAccount longer = Allocate(receipts, CardTerms{kChild, Euro(250), kCardCause}, FeeMonth{2026, 9},
                                             FeeMonth{2027, 6}, DefaultFeeWords());
        QCOMPARE(longer.Month(FeeMonth{2026, month})->paid, paid);
    }

    // A month asked by a pending direct-debit file is held: not paid, but not asked again either.
    void debitHolds_data() {
        QTest::addColumn<QVector<ChildReceipt>>("receipts");
        QTest::addColumn<QVector<DebitHold>>("holds");
        QTest::addColumn<qint64>("held");
        QTest::addColumn<qint64>("toAsk");
        QTest::addColumn<QString>("state");
        const DebitHold nov{kChild, FeeMonth{2026, 11}, Euro(250), QStringLiteral("SDD_2026_11_1.xml")};
        QTest::newRow("pending file") << QVector<ChildReceipt>{} << QVector<DebitHold>{nov} << Euro(250) << qint64(0)
                                      << "In addebito SDD: SDD_2026_11_1.xml";
        QTest::newRow("its collection's receipt pays it")
            << QVector<ChildReceipt>{Rec("50", "05/12/2026", "Retta novembre", "01/11/2026", "30/11/2026", "250,00")}
            << QVector<DebitHold>{nov} << qint64(0) << qint64(0) << "Già pagata: ricevuta n. 50";
        QTest::newRow("the rest of a month paid in part")
            << QVector<ChildReceipt>{Rec("40", "03/11/2026", "Retta", "01/11/2026", "30/11/2026", "100,00")}
            << QVector<DebitHold>{DebitHold{kChild, FeeMonth{2026, 11}, Euro(150), "SDD_2026_11_1.xml"}} << Euro(150)
            << qint64(0) << "In addebito SDD: SDD_2026_11_1.xml";
        QTest::newRow("another child's file") << QVector<ChildReceipt>{}
                                              << QVector<DebitHold>{DebitHold{"Rossi Anna", FeeMonth{2026, 11},
                                                                              Euro(250), "SDD_2026_11_1.xml"}}
                                              << qint64(0) << Euro(250) << "Da emettere";
        QTest::newRow("another month's file") << QVector<ChildReceipt>{}
                                              << QVector<DebitHold>{DebitHold{kChild, FeeMonth{2026, 10}, Euro(250),
                                                                              "SDD_2026_10_1.xml"}}
                                              << qint64(0) << Euro(250) << "Da emettere";
        QTest::newRow("a debit for less leaves the rest to ask")
            << QVector<ChildReceipt>{} << QVector<DebitHold>{DebitHold{kChild, FeeMonth{2026, 11}, Euro(200), "F.xml"}}
            << Euro(200) << Euro(50) << "In addebito SDD: F.xml";
    }
    void debitHolds() {
        QFETCH(QVector<ChildReceipt>, receipts);
        QFETCH(QVector<DebitHold>, holds);
        QFETCH(qint64, held);
        QFETCH(qint64, toAsk);
        QFETCH(QString, state);
        const ChildAccount a = Allocate(receipts, CardTerms{kChild, Euro(250), kCardCause}, FeeMonth{2026, 9},
                                        FeeMonth{2026, 12}, DefaultFeeWords(), holds);
        const MonthDue* m = a.Month(FeeMonth{2026, 11});
        QCOMPARE(m->held, held);
        QCOMPARE(m->ToAsk(), toAsk);
        QCOMPARE(MonthStateText(*m), state);
        QCOMPARE(a.TotalToAsk(), a.TotalOwed() - a.TotalHeld());
    }

    void accountRange_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("fromYear");
        QTest::addColumn<int>("fromMonth");
        QTest::addColumn<int>("toYear");
        QTest::addColumn<int>("toMonth");
        QTest::newRow("enrolled in September") << "12/09/2026" << "30/06/2027" << 2026 << 9 << 2026 << 12;
        QTest::newRow("enrolment ended") << "01/09/2025" << "31/10/2026" << 2025 << 9 << 2026 << 10;
        QTest::newRow("no dates: the school year") << "" << "" << 2026 << 9 << 2026 << 12;
        QTest::newRow("unreadable start") << "31/02/2026" << "" << 2026 << 9 << 2026 << 12;
    }
    void accountRange() {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(int, fromYear);
        QFETCH(int, fromMonth);
        QFETCH(int, toYear);
        QFETCH(int, toMonth);
        const auto r = AccountRange(start, end, FeeMonth{2026, 12});
        QCOMPARE(r.first.year, fromYear);
        QCOMPARE(r.first.month, fromMonth);
        QCOMPARE(r.second.year, toYear);
        QCOMPARE(r.second.month, toMonth);
    }

    void amountText_data() {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << Euro(250) << "250,00";
        QTest::newRow("cents") << qint64(5000) << "0,50";
        QTest::newRow("rounded half up") << qint64(1234550) << "123,46";
        QTest::newRow("zero") << qint64(0) << "0,00";
    }
    void amountText() {
        QFETCH(qint64, value);
        QFETCH(QString, text);
        QCOMPARE(AmountText(value), text);
    }
};

QTEST_GUILESS_MAIN(TestFeeLedger)
#include "tst_feeledger.moc"
