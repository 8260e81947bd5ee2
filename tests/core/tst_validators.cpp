// Tax code check letter and VAT number check digit with its office table. The expected codes and
// numbers below were worked out by hand from the published rules, not with the code under test.
#include "validators/PayerCode.h"
#include "validators/TaxCode.h"
#include "validators/VatNumber.h"
#include <QtTest>

Q_DECLARE_METATYPE(TaxCodeResult)
Q_DECLARE_METATYPE(PayerCodeKind)

class TestValidators : public QObject {
    Q_OBJECT
private slots:
    void taxCode_data();
    void taxCode();
    void taxCodeTables();
    void taxCodeCheckLetterNeedsFifteenCharacters();
    void vatNumber_data();
    void vatNumber();
    void vatOffice_data();
    void vatOffice();
    void vatOfficeTableIsComplete();
    void payerCode_data();
    void payerCode();
};

void TestValidators::taxCode_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<TaxCodeResult>("expected");

    QTest::newRow("valid, the classic example") << "RSSMRA85T10A562S" << TaxCodeResult::Valid;
    QTest::newRow("valid, woman") << "BNCLRA90A41F205I" << TaxCodeResult::Valid;
    QTest::newRow("valid, another") << "VRDGPP13A10B157J" << TaxCodeResult::Valid;
    QTest::newRow("valid, digit replaced by a letter") << "RSSMRA85T10A56NH" << TaxCodeResult::Valid;
    QTest::newRow("valid, all letters as digits") << "RSSMRALRTMLALVNY" << TaxCodeResult::Valid;
    QTest::newRow("valid, only Z") << "ZZZZZZZZZZZZZZZV" << TaxCodeResult::Valid;
    QTest::newRow("valid, only zeros") << "000000000000000I" << TaxCodeResult::Valid;

    QTest::newRow("wrong check letter") << "RSSMRA85T10A562T" << TaxCodeResult::Wrong;
    QTest::newRow("check letter one before") << "RSSMRA85T10A562R" << TaxCodeResult::Wrong;
    QTest::newRow("check character a digit") << "RSSMRA85T10A5620" << TaxCodeResult::Wrong;
    QTest::newRow("two characters swapped") << "SRSMRA85T10A562S" << TaxCodeResult::Wrong;

    // Characters without a value in the tables: never valid, never read outside the tables.
    QTest::newRow("lower case is not folded here") << "rssmra85t10a562s" << TaxCodeResult::Wrong;
    QTest::newRow("lower case check letter") << "RSSMRA85T10A562s" << TaxCodeResult::Wrong;
    QTest::newRow("blank inside") << "RSSMRA 5T10A562S" << TaxCodeResult::Wrong;
    QTest::newRow("hyphen inside") << "RSSMRA-5T10A562S" << TaxCodeResult::Wrong;
    QTest::newRow("accented letter") << QString::fromUtf8("RSSMR\u00C085T10A562S") << TaxCodeResult::Wrong;
    QTest::newRow("character past Z") << "RSSMRA85T10A562[" << TaxCodeResult::Wrong;
    QTest::newRow("character before 0") << "RSSMRA85T10A56/S" << TaxCodeResult::Wrong;
    QTest::newRow("character between 9 and A") << "RSSMRA85T10A56:S" << TaxCodeResult::Wrong;
    QTest::newRow("character before A") << "RSSMRA85T10A56@S" << TaxCodeResult::Wrong;

    QTest::newRow("empty") << "" << TaxCodeResult::WrongLength;
    QTest::newRow("15 characters") << "RSSMRA85T10A562" << TaxCodeResult::WrongLength;
    QTest::newRow("17 characters") << "RSSMRA85T10A562SX" << TaxCodeResult::WrongLength;
    QTest::newRow("blank at the end is not trimmed here") << "RSSMRA85T10A562S " << TaxCodeResult::WrongLength;
}

void TestValidators::taxCode() {
    QFETCH(QString, code);
    QFETCH(TaxCodeResult, expected);
    QCOMPARE(CheckTaxCode(code), expected);
}

void TestValidators::taxCodeTables() {
    // Every table value, through the check letter: the probe c + 14 x "1" sums odd(c) + 7 and
    // "1" + c + 13 x "1" sums even(c) + 6, so each letter below stands for exactly one value.
    const QString chars = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const QString oddLetters = QStringLiteral("IHMOQUWYACIHMOQUWYACJLZBSKNPTVXRDGFE");
    const QString evenLetters = QStringLiteral("GHIJKLMNOPGHIJKLMNOPQRSTUVWXYZABCDEF");
    for (int i = 0; i < chars.size(); ++i) {
        const QChar c = chars.at(i);
        const QString oddProbe = QString(c) + QString(14, QLatin1Char('1'));
        const QString evenProbe = QStringLiteral("1") + c + QString(13, QLatin1Char('1'));
        QCOMPARE(TaxCodeCheckLetter(oddProbe).value_or(QLatin1Char('?')), oddLetters.at(i));
        QCOMPARE(TaxCodeCheckLetter(evenProbe).value_or(QLatin1Char('?')), evenLetters.at(i));
        QCOMPARE(CheckTaxCode(oddProbe + oddLetters.at(i)), TaxCodeResult::Valid);
    }
    // The published values at the ends of the odd table, read directly.
    QCOMPARE(TaxCodeOddValue(QLatin1Char('0')), 1);
    QCOMPARE(TaxCodeOddValue(QLatin1Char('Z')), 23);
    QCOMPARE(TaxCodeEvenValue(QLatin1Char('Z')), 25);
    QCOMPARE(TaxCodeOddValue(QLatin1Char('a')), -1);
    QCOMPARE(TaxCodeEvenValue(QChar(0x00C0)), -1);
}

void TestValidators::taxCodeCheckLetterNeedsFifteenCharacters() {
    QVERIFY(!TaxCodeCheckLetter(QStringLiteral("RSSMRA85T10A56")).has_value());
    QCOMPARE(TaxCodeCheckLetter(QStringLiteral("RSSMRA85T10A562")).value_or(QLatin1Char('?')), QLatin1Char('S'));
}

void TestValidators::vatNumber_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("valid");

    QTest::newRow("valid, doubled digits past 9") << "01234560587" << true;
    QTest::newRow("valid, check 10 - r") << "12345678903" << true;
    QTest::newRow("valid, remainder 0 gives 0") << "99999999990" << true;
    QTest::newRow("valid, all zeros") << "00000000000" << true;
    QTest::newRow("valid, all fives") << "55555555550" << true;
    QTest::newRow("valid, office 120") << "01234561205" << true;

    QTest::newRow("wrong last digit") << "01234560588" << false;
    QTest::newRow("check 10 instead of 0") << "9999999999"
                                              "1"
                                           << false;
    QTest::newRow("two digits swapped") << "10234560587" << false;
    QTest::newRow("10 digits") << "0123456058" << false;
    QTest::newRow("12 digits") << "012345605870" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("letter inside") << "0123456A587" << false;
    QTest::newRow("letter at the end") << "0123456058A" << false;
    QTest::newRow("blank at the end") << "0123456058 " << false;
    QTest::newRow("sign") << "-1234560587" << false;
    QTest::newRow("Arabic-Indic digits") << QString::fromUtf8(
                                                "\u0660\u0661\u0662\u0663\u0664\u0665\u0666\u0660\u0665\u0668\u0667")
                                         << false;
}

void TestValidators::vatNumber() {
    QFETCH(QString, number);
    QFETCH(bool, valid);
    QCOMPARE(IsValidVatNumber(number), valid);
}

void TestValidators::vatOffice_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");

    QTest::newRow("000 has no row") << "000"
                                    << "";
    QTest::newRow("first") << "001"
                           << "Torino";
    QTest::newRow("Roma 1") << "058"
                            << "Roma 1";
    QTest::newRow("accented name") << "040" << QString::fromUtf8("Forl\u00EC");
    QTest::newRow("name with brackets") << "096"
                                        << "Monza (Milano 2)";
    QTest::newRow("099") << "099"
                         << "Chiavari (Genova 2)";
    QTest::newRow("100") << "100"
                         << "Roma 2";
    QTest::newRow("last of the run") << "102"
                                     << "Napoli 2";
    QTest::newRow("103 has no row") << "103"
                                    << "";
    QTest::newRow("110 has no row") << "110"
                                    << "";
    QTest::newRow("119 has no row") << "119"
                                    << "";
    QTest::newRow("120") << "120"
                         << "Bologna 2";
    QTest::newRow("121") << "121"
                         << "Napoli 2";
    QTest::newRow("122 has no row") << "122"
                                    << "";
    QTest::newRow("999 has no row") << "999"
                                    << "";
    QTest::newRow("exact text: no leading zeros dropped") << "58"
                                                          << "";
    QTest::newRow("exact text: no blanks") << " 58"
                                           << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestValidators::vatOffice() {
    QFETCH(QString, code);
    QFETCH(QString, name);
    QCOMPARE(VatOfficeName(code), name);
}

void TestValidators::vatOfficeTableIsComplete() {
    // The whole list of offices as it is published, checked against every code 000-999.
    const QString list = QString::fromUtf8(
        "001 Torino; 002 Vercelli; 003 Novara; 004 Cuneo; 005 Asti; 006 Alessandria; 007 Aosta; 008 Imperia; "
        "009 Savona; 010 Genova 1; 011 La Spezia; 012 Varese; 013 Como; 014 Sondrio; 015 Milano 1; 016 Bergamo; "
        "017 Brescia 1; 018 Pavia; 019 Cremona; 020 Mantova; 021 Bolzano; 022 Trento; 023 Verona; 024 Vicenza; "
        "025 Belluno; 026 Treviso; 027 Venezia; 028 Padova; 029 Rovigo; 030 Udine; 031 Gorizia; 032 Trieste; "
        "033 Piacenza; 034 Parma; 035 Reggio Emilia; 036 Modena; 037 Bologna 1; 038 Ferrara; 039 Ravenna; "
        "040 Forl\u00EC; 041 Pesaro; 042 Ancona; 043 Macerata; 044 Ascoli Piceno; 045 Massa Carrara; 046 Lucca; "
        "047 Pistoia; 048 Firenze 1; 049 Livorno; 050 Pisa; 051 Arezzo; 052 Siena; 053 Grosseto; 054 Perugia; "
        "055 Terni; 056 Viterbo; 057 Rieti; 058 Roma 1; 059 Latina; 060 Frosinone; 061 Caserta; 062 Benevento; "
        "063 Napoli 1; 064 Avellino; 065 Salerno; 066 Aquila; 067 Teramo; 068 Pescara; 069 Chieti; "
        "070 Campobasso; 071 Foggia; 072 Bari; 073 Taranto; 074 Brindisi; 075 Lecce; 076 Potenza; 077 Matera; "
        "078 Cosenza; 079 Catanzaro; 080 Reggio Calabria; 081 Trapani; 082 Palermo; 083 Messina; "
        "084 Agrigento; 085 Caltanissetta; 086 Enna; 087 Catania; 088 Ragusa; 089 Siracusa; 090 Sassari; "
        "091 Nuoro; 092 Cagliari; 093 Pordenone; 094 Isernia; 095 Oristano; 096 Monza (Milano 2); "
        "097 Prato (Firenze 2); 098 Brescia 2; 099 Chiavari (Genova 2); 100 Roma 2; 101 Bologna 2; "
        "102 Napoli 2; 120 Bologna 2; 121 Napoli 2");
    QHash<QString, QString> expected;
    for (const QString& row : list.split(QStringLiteral("; "))) {
        expected.insert(row.left(3), row.mid(4));
    }
    QCOMPARE(expected.size(), 104);
    for (int n = 0; n <= 999; ++n) {
        const QString code = QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
        QCOMPARE(VatOfficeName(code), expected.value(code));
    }
}

// One reading of a payer code for the editors, the month's fees, the import and the invoices. The rows
// marked "was" are where the former copies answered differently.
void TestValidators::payerCode_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<PayerCodeKind>("kind");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("wrongLength");
    QTest::addColumn<QString>("code");
    using K = PayerCodeKind;

    QTest::newRow("empty") << "" << K::None << false << false << "";
    QTest::newRow("blanks only") << "   " << K::None << false << false << "";
    QTest::newRow("11 digits, right check digit") << "01234560587" << K::VatNumber << true << false << "01234560587";
    QTest::newRow("11 digits, wrong check digit") << "01234560588" << K::VatNumber << false << false << "01234560588";
    // was: the invoice took it for a wrong tax code, the others for a wrong VAT number
    QTest::newRow("10 digits") << "0123456058" << K::VatNumber << false << false << "0123456058";
    QTest::newRow("12 digits") << "012345605870" << K::VatNumber << false << false << "012345605870";
    QTest::newRow("16 characters, right letter") << "RSSMRA85T10A562S" << K::TaxCode << true << false
                                                 << "RSSMRA85T10A562S";
    QTest::newRow("16 characters, wrong letter") << "RSSMRA85T10A562T" << K::TaxCode << false << false
                                                 << "RSSMRA85T10A562T";
    QTest::newRow("15 characters") << "RSSMRA85T10A562" << K::TaxCode << false << true << "RSSMRA85T10A562";
    QTest::newRow("17 characters") << "RSSMRA85T10A562SX" << K::TaxCode << false << true << "RSSMRA85T10A562SX";
    // was: the invoice folded the case, the month's fees did not and found it wrong
    QTest::newRow("lower case") << "rssmra85t10a562s" << K::TaxCode << true << false << "RSSMRA85T10A562S";
    QTest::newRow("blanks around a tax code") << "  RSSMRA85T10A562S \t" << K::TaxCode << true << false
                                              << "RSSMRA85T10A562S";
    QTest::newRow("blanks around a VAT number") << " 01234560587 " << K::VatNumber << true << false
                                                << "01234560587";
    QTest::newRow("blank inside digits") << "012345 60587" << K::TaxCode << false << true << "012345 60587";
    QTest::newRow("blank inside a tax code") << "RSSMRA85T10 A562S" << K::TaxCode << false << true
                                             << "RSSMRA85T10 A562S";
    QTest::newRow("digits with a letter") << "0123456058A" << K::TaxCode << false << true << "0123456058A";
}

void TestValidators::payerCode() {
    QFETCH(QString, typed);
    QFETCH(PayerCodeKind, kind);
    QFETCH(bool, valid);
    QFETCH(bool, wrongLength);
    QFETCH(QString, code);
    const PayerCode p = ReadPayerCode(typed);
    QCOMPARE(p.kind, kind);
    QCOMPARE(p.valid, valid);
    QCOMPARE(p.wrongLength, wrongLength);
    QCOMPARE(p.code, code);
}

QTEST_GUILESS_MAIN(TestValidators)
#include "tst_validators.moc"
