// The takings summary rule: row layout, total formatting, and which receipts of a yearly file are
// listed for an interval and the payer and reason filters.
#include "../support/ReceiptYear.h"
#include "storage/ReceiptFile.h"
#include "summary/Takings.h"
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

struct R {
    QString num, data, payer, reason, intero;
};
Q_DECLARE_METATYPE(R)

namespace {

ReceiptRecord Make(const R& r) {
    ReceiptRecord rec;
    rec.NumRic = r.num;
    rec.Data = r.data;
    rec.Pagatore = r.payer;
    rec.Sport = r.reason;
    rec.Intero = r.intero;
    rec.Dal = QStringLiteral("01/09/2024");
    rec.Al = QStringLiteral("30/09/2024");
    return rec;
}

// The year used by most cases: three payers, two reasons, dates around the interval ends.
const QVector<R> kYear = {
    {"1", "28/02/2024", "Rossi Mario", "Retta mensile", "150,00"},
    {"2", "01/03/2024", "Bianchi Anna", "Retta mensile “marzo” €", "100,00"},
    {"3", "15/03/2024", "ROSSI MARIO", "Iscrizione", "50,00"},
    {"4", "20/03/2024", "Verdi Luca", "Mensa  scolastica", "12,50"},
    {"5", "31/03/2024", "Carla De Rossi", "Retta mensile", "0,30"},
    {"6", "01/04/2024", "Rossi Mario", "Retta mensile", "150,00"},
    {"7", "10/03/2024", "Neri Paolo", "Retta mensile", ""}, // no amount: never listed
};

} // namespace

class tst_takings : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Write(const QVector<R>& rows) {
        return WriteReceiptYear(m_dir.filePath(QStringLiteral("2024.ric")), rows, Make);
    }

    static QStringList Numbers(const TakingsSummary& s) {
        QStringList n;
        for (const QString& row : s.rows)
            n << row.mid(8, 12).trimmed();
        return n;
    }

private slots:
    void rowLayout_data() {
        QTest::addColumn<QStringList>("fields"); // NumRic, Data, Pagatore, Sport, Dal, Al, Intero
        QTest::addColumn<QString>("row");
        QTest::newRow("short fields padded")
            << QStringList{"12", "05/03/2024", "Rossi Mario", "Retta", "01/03/2024", "31/03/2024", "150,00"}
            << QString::fromUtf8("Ric. n. 12            Data: 05/03/2024  Rossi Mario"
                                 "                 Causale: Retta                "
                                 "           Dal 01/03/2024  Al 31/03/2024  Tot. € "
                                 "150,00");
        QTest::newRow("long fields cut, amount whole, blanks trimmed")
            << QStringList{" 1234567890123456 ",
                           "05/03/2024",
                           "Abcdefghijklmnopqrstuvwxyz0123",
                           "Causale lunghissima che supera i trenta caratteri",
                           "",
                           "",
                           " 123456789,99 "}
            << QString::fromUtf8("Ric. n. 123456789012  Data: 05/03/2024  Abcdefghijklmnopqrstuvwxyz"
                                 "  Causale: Causale lunghissima che supera  Dal             Al           "
                                 "  Tot. € 123456789,99");
    }
    void rowLayout() {
        QFETCH(QStringList, fields);
        QFETCH(QString, row);
        QCOMPARE(SummaryRow(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]), row);
    }

    void totalFormatting_data() {
        QTest::addColumn<qint64>("units");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole euro") << qint64(1500000) << "150,00";
        QTest::newRow("one decimal") << qint64(125000) << "12,50";
        QTest::newRow("below one") << qint64(3000) << "0,30";
        QTest::newRow("nothing") << qint64(0) << "0,00";
        QTest::newRow("cents") << qint64(12345600) << "1234,56";
        QTest::newRow("four decimals kept") << qint64(12345) << "1,2345";
        QTest::newRow("three decimals kept") << qint64(12340) << "1,234";
        QTest::newRow("negative") << qint64(-125000) << "-12,50";
        QTest::newRow("beyond double precision") << qint64(12345678901234567) << "1234567890123,4567";
    }
    void totalFormatting() {
        QFETCH(qint64, units);
        QFETCH(QString, text);
        QCOMPARE(FormatTotal(units), text);
    }

    void filtersAndInterval_data() {
        QTest::addColumn<QString>("payer");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QString>("total");
        const QDate mar1(2024, 3, 1), mar31(2024, 3, 31);
        QTest::newRow("no filter, both ends inclusive")
            << ""
            << "" << mar1 << mar31 << QStringList{"2", "3", "4", "5"} << "162,80";
        QTest::newRow("single day") << ""
                                    << "" << QDate(2024, 3, 15) << QDate(2024, 3, 15) << QStringList{"3"} << "50,00";
        QTest::newRow("whole year") << ""
                                    << "" << QDate(2024, 1, 1) << QDate(2024, 12, 31)
                                    << QStringList{"1", "2", "3", "4", "5", "6"} << "462,80";
        QTest::newRow("payer part, any case") << "ROS"
                                              << "" << mar1 << mar31 << QStringList{"3", "5"} << "50,30";
        QTest::newRow("payer with trailing blank misses a last word")
            << "rossi "
            << "" << QDate(2024, 1, 1) << QDate(2024, 12, 31) << QStringList{"1", "3", "6"} << "350,00";
        QTest::newRow("reason") << ""
                                << "mensile" << mar1 << mar31 << QStringList{"2", "5"} << "100,30";
        QTest::newRow("both must match") << "rossi"
                                         << "retta" << QDate(2024, 1, 1) << QDate(2024, 12, 31)
                                         << QStringList{"1", "5", "6"} << "300,30";
        QTest::newRow("blank filter is not active")
            << "   "
            << "" << mar1 << mar31 << QStringList{"2", "3", "4", "5"} << "162,80";
        QTest::newRow("blank filter still scores next to an active one")
            << ""
            << "  " << mar1 << mar31 << QStringList{"2", "3", "4", "5"} << "162,80";
        QTest::newRow("blanks that occur make up for a missing filter")
            << "verdi"
            << "  " << mar1 << mar31 << QStringList{"4"} << "12,50";
        QTest::newRow("accents are not folded")
            << QString::fromUtf8("è") << "" << mar1 << mar31 << QStringList{} << "0,00";
        QTest::newRow("character outside the code page")
            << QString::fromUtf8("Ros\u4e2d") << "" << mar1 << mar31 << QStringList{} << "0,00";
    }
    void filtersAndInterval() {
        QFETCH(QString, payer);
        QFETCH(QString, reason);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        QFETCH(QStringList, numbers);
        QFETCH(QString, total);
        const TakingsSummary s = BuildTakingsSummary(Write(kYear), payer, reason, start, end);
        QVERIFY(s.complete);
        QCOMPARE(Numbers(s), numbers);
        QCOMPARE(FormatTotal(s.total), total);
        // Each row, built from the stored bytes, is the row of the receipt's texts (Windows-1252 bytes
        // 0x80-0x9F included).
        for (int i = 0; i < numbers.size(); ++i) {
            const ReceiptRecord r = Make(kYear[numbers[i].toInt() - 1]);
            QCOMPARE(s.rows[i], SummaryRow(r.NumRic, r.Data, r.Pagatore, r.Sport, r.Dal, r.Al, r.Intero));
        }
    }

    void blankFilterCanStandInForTheActiveOne() {
        // One active filter (the payer), but the blank reason scores wherever its blanks occur:
        // Verdi's "Mensa  scolastica" passes without matching the payer.
        const TakingsSummary s = BuildTakingsSummary(Write(kYear), QStringLiteral("bianchi"), QStringLiteral("  "),
                                                     QDate(2024, 3, 1), QDate(2024, 3, 31));
        QCOMPARE(Numbers(s), (QStringList{"2", "4"}));
    }

    void missingFileIsCreatedEmpty() {
        const QString path = m_dir.filePath(QStringLiteral("2031.ric"));
        QVERIFY(!QFile::exists(path));
        const TakingsSummary s = BuildTakingsSummary(path, {}, {}, QDate(2031, 1, 1), QDate(2031, 12, 31));
        QVERIFY(s.complete);
        QVERIFY(s.rows.isEmpty());
        QCOMPARE(FormatTotal(s.total), QStringLiteral("0,00"));
        QVERIFY(QFile::exists(path));
        QCOMPARE(QFileInfo(path).size(), 0);
    }

    void unreadableReceiptStopsTheListing_data() {
        QTest::addColumn<QVector<R>>("rows");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<qint64>("position");
        QTest::addColumn<QString>("number");
        const R good1{"1", "02/03/2024", "Rossi", "Retta", "10,00"};
        const R good2{"3", "03/03/2024", "Rossi", "Retta", "20,00"};
        QTest::newRow("impossible date") << QVector<R>{good1, {"2", "31/02/2024", "Rossi", "Retta", "5,00"}, good2}
                                         << false << QStringList{"1"} << qint64(2) << "2";
        QTest::newRow("garbage date") << QVector<R>{good1, {"2/B", "xx/03/2024", "Rossi", "Retta", "5,00"}, good2}
                                      << false << QStringList{"1"} << qint64(2) << "2/B";
        QTest::newRow("amount not a number") << QVector<R>{good1, {"", "05/03/2024", "Rossi", "Retta", "5.00"}, good2}
                                             << false << QStringList{"1"} << qint64(2) << "";
        QTest::newRow("bad date of a receipt without amount is skipped")
            << QVector<R>{good1, {"2", "xx", "Rossi", "Retta", ""}, good2} << true << QStringList{"1", "3"} << qint64(0)
            << "";
        QTest::newRow("bad amount outside the interval is skipped")
            << QVector<R>{good1, {"2", "05/06/2024", "Rossi", "Retta", "abc"}, good2} << true << QStringList{"1", "3"}
            << qint64(0) << "";
        QTest::newRow("bad date of a filtered-out receipt is skipped")
            << QVector<R>{good1, {"2", "xx", "Bianchi", "Retta", "5,00"}, good2} << true << QStringList{"1", "3"}
            << qint64(0) << "";
    }
    void unreadableReceiptStopsTheListing() {
        QFETCH(QVector<R>, rows);
        QFETCH(bool, complete);
        QFETCH(QStringList, listed);
        QFETCH(qint64, position);
        QFETCH(QString, number);
        const TakingsSummary s =
            BuildTakingsSummary(Write(rows), QStringLiteral("rossi"), QString(), QDate(2024, 3, 1), QDate(2024, 3, 31));
        QCOMPARE(s.complete, complete);
        QCOMPARE(Numbers(s), listed);
        QCOMPARE(s.stopPosition, position);
        QCOMPARE(s.stopNumber, number);
    }

    void largeYearIsSummedExactly() {
        // A double running total drifts here (123456000.000158 after 100,000 additions).
        const QString path = m_dir.filePath(QStringLiteral("2025.ric"));
        QFile::remove(path);
        {
            ReceiptFile f;
            QVERIFY(f.OpenOrCreate(path));
            QByteArray all, one;
            Make({"1", "15/05/2025", "Rossi", "Retta", "1234,56"}).Encode(one);
            for (int i = 0; i < 100000; ++i)
                all += one;
            f.Close();
            QFile raw(path);
            QVERIFY(raw.open(QIODevice::WriteOnly));
            QCOMPARE(raw.write(all), all.size());
        }
        const TakingsSummary s = BuildTakingsSummary(path, {}, {}, QDate(2025, 1, 1), QDate(2025, 12, 31));
        QVERIFY(s.complete);
        QCOMPARE(s.rows.size(), 100000);
        QCOMPARE(FormatTotal(s.total), QStringLiteral("123456000,00"));
    }
};

QTEST_GUILESS_MAIN(tst_takings)
#include "tst_takings.moc"
