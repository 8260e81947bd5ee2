// The fee text written when the fee field is left: two cent digits, rounding on the binary value.
#include "registry/FeeFormat.h"
#include <QtTest>

class TestFeeFormat : public QObject {
    Q_OBJECT
private slots:
    void formats_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("whole") << "12" << "12,00";
        QTest::newRow("one decimal") << "12,5" << "12,50";
        QTest::newRow("below one") << "0,5" << "0,50";
        QTest::newRow("trailing comma") << "12," << "12,00";
        QTest::newRow("leading comma") << ",5" << "0,50";
        QTest::newRow("binary value below half") << "2,675" << "2,67";
        QTest::newRow("1,005 stays 1,00") << "1,005" << "1,00";
        QTest::newRow("half up") << "0,125" << "0,13"; // 0.125 is exact in binary
        QTest::newRow("rounds into the euro") << "9,999" << "10,00";
        QTest::newRow("already two decimals") << "1250,05" << "1250,05";
        QTest::newRow("leading zeros") << "007,1" << "7,10";
        QTest::newRow("blanks around") << "  3,4 " << "3,40";
        QTest::newRow("empty") << "" << "0,00";
        QTest::newRow("blank") << "   " << "0,00";
        QTest::newRow("two commas") << "1,2,3" << "0,00";
        QTest::newRow("lone comma") << "," << "0,00";
        QTest::newRow("pasted letters") << "dodici" << "0,00";
        QTest::newRow("point as separator") << "12.5" << "0,00";
        QTest::newRow("minus sign") << "-5" << "0,00";
        QTest::newRow("exponent") << "1e5" << "0,00";
        QTest::newRow("largest below 10^15") << "999999999999999" << "999999999999999,00";
        QTest::newRow("cents near 10^15") << "123456789012,345" << "123456789012,35";
        QTest::newRow("10^15 without exponent") << "1000000000000000" << "1000000000000000,00";
        QTest::newRow("huge keeps every digit") << "12345678901234567890123,456" << "12345678901234567890123,46";
        QTest::newRow("huge carries") << "9999999999999999,995" << "10000000000000000,00";
        QTest::newRow("fifty digits") << QString(50, QLatin1Char('9')) << QString(50, QLatin1Char('9')) + ",00";
    }
    void formats() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(FormatFee(typed), stored);
    }

    // Every amount of cents below a euro survives typing it back in, at either rounding edge.
    void everyCentRoundTrips() {
        for (int cents = 0; cents < 100000; ++cents) {
            const QString text = QString::number(cents / 100) + u',' + QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
            if (FormatFee(text) != text)
                QFAIL(qPrintable(text + " became " + FormatFee(text)));
        }
    }
};

QTEST_APPLESS_MAIN(TestFeeFormat)
#include "tst_feeformat.moc"
