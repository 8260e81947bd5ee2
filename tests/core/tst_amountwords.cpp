// Amounts in words as receipts print them, and the reading of the amount box.
#include "receipts/AmountWords.h"
#include <QtTest>

class TestAmountWords : public QObject {
    Q_OBJECT
private slots:
    void wholeEuro_data();
    void wholeEuro();
    void centsAndSign_data();
    void centsAndSign();
    void groupWords_data();
    void groupWords();
    void groupOutOfRange();
    void extremes();
    void parseAmountText_data();
    void parseAmountText();
};

static qint64 Euro(qint64 e) {
    return e * 10000;
}

void TestAmountWords::wholeEuro_data() {
    QTest::addColumn<qint64>("euro");
    QTest::addColumn<QString>("words");
    // The table of the receipt rules: no vowel is dropped, "uno" fuses only with the tens.
    QTest::newRow("0") << qint64(0) << "ZERO";
    QTest::newRow("1") << qint64(1) << "UNO";
    QTest::newRow("16") << qint64(16) << "SEDICI";
    QTest::newRow("21") << qint64(21) << "VENTUNO";
    QTest::newRow("28") << qint64(28) << "VENTIOTTO";
    QTest::newRow("38") << qint64(38) << "TRENTAOTTO";
    QTest::newRow("71") << qint64(71) << "SETTANTUNO";
    QTest::newRow("100") << qint64(100) << "CENTO";
    QTest::newRow("101") << qint64(101) << "CENTOUNO";
    QTest::newRow("108") << qint64(108) << "CENTOOTTO";
    QTest::newRow("111") << qint64(111) << "CENTOUNDICI";
    QTest::newRow("180") << qint64(180) << "CENTOOTTANTA";
    QTest::newRow("999") << qint64(999) << "NOVECENTONOVANTANOVE";
    QTest::newRow("1000") << qint64(1000) << "MILLE";
    QTest::newRow("1001") << qint64(1001) << "MILLEUNO";
    QTest::newRow("1021") << qint64(1021) << "MILLEVENTUNO";
    QTest::newRow("2000") << qint64(2000) << "DUEMILA";
    QTest::newRow("21000") << qint64(21000) << "VENTUNOMILA";
    QTest::newRow("101000") << qint64(101000) << "CENTOUNOMILA";
    QTest::newRow("1000000") << qint64(1000000) << "UNMILIONE";
    QTest::newRow("1001000") << qint64(1001000) << "UNMILIONEMILLE";
    QTest::newRow("2500000") << qint64(2500000) << "DUEMILIONICINQUECENTOMILA";
    QTest::newRow("99999999") << qint64(99999999) << "NOVANTANOVEMILIONINOVECENTONOVANTANOVEMILANOVECENTONOVANTANOVE";
    // Group boundaries, once each.
    QTest::newRow("9") << qint64(9) << "NOVE";
    QTest::newRow("10") << qint64(10) << "DIECI";
    QTest::newRow("19") << qint64(19) << "DICIANNOVE";
    QTest::newRow("20") << qint64(20) << "VENTI";
    QTest::newRow("99") << qint64(99) << "NOVANTANOVE";
    QTest::newRow("999999") << qint64(999999) << "NOVECENTONOVANTANOVEMILANOVECENTONOVANTANOVE";
    // The fourth group and the "unmiliardo" form.
    QTest::newRow("1000000000") << qint64(1000000000) << "UNMILIARDO";
    QTest::newRow("2000000001") << qint64(2000000001) << "DUEMILIARDIUNO";
    QTest::newRow("1000001") << qint64(1000001) << "UNMILIONEUNO";
}

void TestAmountWords::wholeEuro() {
    QFETCH(qint64, euro);
    QFETCH(QString, words);
    QCOMPARE(ImportoInLettere(Euro(euro)), words);
}

void TestAmountWords::centsAndSign_data() {
    QTest::addColumn<qint64>("tenThousandths");
    QTest::addColumn<QString>("words");
    QTest::newRow("12,50") << qint64(125000) << "DODICI E CINQUANTA CENTESIMI";
    QTest::newRow("0,05") << qint64(500) << "ZERO E CINQUE CENTESIMI";
    QTest::newRow("-3") << qint64(-30000) << "- TRE";
    QTest::newRow("-0,01") << qint64(-100) << "- ZERO E UNO CENTESIMI";
    // Cents are rounded to the nearest: 0,0049 has none, 0,0050 one.
    QTest::newRow("0,0049") << qint64(49) << "ZERO";
    QTest::newRow("0,0050") << qint64(50) << "ZERO E UNO CENTESIMI";
}

void TestAmountWords::centsAndSign() {
    QFETCH(qint64, tenThousandths);
    QFETCH(QString, words);
    QCOMPARE(ImportoInLettere(tenThousandths), words);
}

void TestAmountWords::groupWords_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("words");
    QTest::newRow("0") << 0 << "";
    QTest::newRow("7") << 7 << "sette";
    QTest::newRow("10") << 10 << "dieci";
    QTest::newRow("17") << 17 << "diciassette";
    QTest::newRow("40") << 40 << "quaranta";
    QTest::newRow("91") << 91 << "novantuno";
    QTest::newRow("200") << 200 << "duecento";
    QTest::newRow("310") << 310 << "trecentodieci";
    QTest::newRow("581") << 581 << "cinquecentoottantuno";
}

void TestAmountWords::groupWords() {
    QFETCH(int, n);
    QFETCH(QString, words);
    QCOMPARE(GruppoInLettere(n), words);
}

void TestAmountWords::groupOutOfRange() {
    QCOMPARE(GruppoInLettere(-1), QString());
    QCOMPARE(GruppoInLettere(1000), QString());
}

void TestAmountWords::extremes() {
    // Groups beyond the milliards are ignored; the most negative value must not overflow.
    QCOMPARE(ImportoInLettere(Euro(1000000000000LL)), QStringLiteral(""));
    QCOMPARE(ImportoInLettere(Euro(1000000000005LL)), QStringLiteral("CINQUE"));
    QVERIFY(ImportoInLettere(std::numeric_limits<qint64>::min()).startsWith(QLatin1String("- ")));
}

void TestAmountWords::parseAmountText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("value");
    QTest::newRow("digits") << "120" << true << qint64(1200000);
    QTest::newRow("leading zeros") << "007" << true << qint64(70000);
    QTest::newRow("blanks around") << " 15 " << true << qint64(150000);
    QTest::newRow("comma decimals") << "12,5" << true << qint64(125000);
    QTest::newRow("four decimals") << "0,0001" << true << qint64(1);
    QTest::newRow("fifth decimal rounds") << "0,00005" << true << qint64(1);
    QTest::newRow("trailing comma") << "5," << true << qint64(50000);
    QTest::newRow("negative") << "-3" << true << qint64(-30000);
    QTest::newRow("empty") << "" << false << qint64(0);
    QTest::newRow("blank") << "   " << false << qint64(0);
    QTest::newRow("lone comma") << "," << false << qint64(0);
    QTest::newRow("dot") << "1.000" << false << qint64(0);
    QTest::newRow("two commas") << "1,2,3" << false << qint64(0);
    QTest::newRow("letters") << "12abc" << false << qint64(0);
    QTest::newRow("pasted text") << "dodici euro" << false << qint64(0);
    QTest::newRow("sign only") << "-" << false << qint64(0);
    QTest::newRow("too large") << "123456789012345" << false << qint64(0);
}

void TestAmountWords::parseAmountText() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint64, value);
    const std::optional<qint64> got = ParseAmountText(text);
    QCOMPARE(got.has_value(), valid);
    if (valid)
        QCOMPARE(*got, value);
}

QTEST_GUILESS_MAIN(TestAmountWords)
#include "tst_amountwords.moc"
