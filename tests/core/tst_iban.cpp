// IBAN, SEPA creditor identifier and CBI company code checks. The valid IBANs are the banks'
// published examples; the creditor identifiers were worked out by hand (and with a separate
// calculation) from the modulo-97 rule, not with the code under test.
#include "validators/Iban.h"
#include <QtTest>

Q_DECLARE_METATYPE(IbanResult)
Q_DECLARE_METATYPE(CreditorIdResult)

class TestIban : public QObject {
    Q_OBJECT
private slots:
    void iban_data();
    void iban();
    void everySingleCharacterChangeIsCaught();
    void normalise_data();
    void normalise();
    void masked_data();
    void masked();
    void problemsNameTheReason();
    void creditorId_data();
    void creditorId();
    void normaliseCreditorId_data();
    void normaliseCreditorId();
    void makeCreditorIdPassesItsOwnCheck();
    void cuc_data();
    void cuc();
};

void TestIban::iban_data() {
    QTest::addColumn<QString>("iban");
    QTest::addColumn<IbanResult>("expected");

    QTest::newRow("Italy") << "IT60X0542811101000000123456" << IbanResult::Valid;
    QTest::newRow("San Marino") << "SM86U0322509800000000270100" << IbanResult::Valid;
    QTest::newRow("Germany") << "DE89370400440532013000" << IbanResult::Valid;
    QTest::newRow("France, letter in the account") << "FR1420041010050500013M02606" << IbanResult::Valid;
    QTest::newRow("Belgium, shortest in SEPA after Norway") << "BE68539007547034" << IbanResult::Valid;
    QTest::newRow("United Kingdom") << "GB82WEST12345698765432" << IbanResult::Valid;
    QTest::newRow("Netherlands") << "NL91ABNA0417164300" << IbanResult::Valid;

    QTest::newRow("check digits off by one") << "IT61X0542811101000000123456" << IbanResult::WrongCheckDigits;
    QTest::newRow("two account digits swapped") << "IT60X0542811101000000124356" << IbanResult::WrongCheckDigits;
    QTest::newRow("CIN letter changed") << "IT60Y0542811101000000123456" << IbanResult::WrongCheckDigits;
    QTest::newRow("Italian, CIN a digit") << "IT6000542811101000000123456" << IbanResult::WrongFormat;
    QTest::newRow("Italian, letter in the ABI") << "IT60X05428A1101000000123456" << IbanResult::WrongFormat;
    QTest::newRow("check digits are letters") << "ITAAX0542811101000000123456" << IbanResult::WrongFormat;
    QTest::newRow("Italian, one short") << "IT60X054281110100000012345" << IbanResult::WrongLength;
    QTest::newRow("Italian, one more") << "IT60X05428111010000001234567" << IbanResult::WrongLength;
    QTest::newRow("German length for Italy") << "IT89370400440532013000" << IbanResult::WrongLength;
    QTest::newRow("unknown country") << "XX60X0542811101000000123456" << IbanResult::UnknownCountry;
    QTest::newRow("digits where the country goes") << "1260X0542811101000000123456" << IbanResult::UnknownCountry;
    QTest::newRow("one character") << "I" << IbanResult::UnknownCountry;
    QTest::newRow("lower case is not folded here") << "it60x0542811101000000123456" << IbanResult::BadCharacters;
    QTest::newRow("blank inside (not normalised)") << "IT60 X054 2811 1010 0000 0123 456" << IbanResult::BadCharacters;
    QTest::newRow("accented letter") << QString::fromUtf8("IT60\u00C80542811101000000123456")
                                     << IbanResult::BadCharacters;
    QTest::newRow("empty") << "" << IbanResult::Empty;
}

void TestIban::iban() {
    QFETCH(QString, iban);
    QFETCH(IbanResult, expected);
    QCOMPARE(CheckIban(iban), expected);
    QCOMPARE(IsValidIban(iban), expected == IbanResult::Valid);
}

// Modulo 97 catches every single substitution: try them all on one valid IBAN's account part.
void TestIban::everySingleCharacterChangeIsCaught() {
    const QString good = QStringLiteral("IT60X0542811101000000123456");
    for (int i = 15; i < good.size(); ++i)
        for (char c = '0'; c <= '9'; ++c) {
            if (good[i] == QLatin1Char(c))
                continue;
            QString bad = good;
            bad[i] = QLatin1Char(c);
            QVERIFY2(CheckIban(bad) == IbanResult::WrongCheckDigits, qPrintable(bad));
        }
}

void TestIban::normalise_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("grouped by four") << "IT60 X054 2811 1010 0000 0123 456" << "IT60X0542811101000000123456";
    QTest::newRow("lower case, tabs and hyphens") << "it60-x054\t2811 1010 0000 0123 456"
                                                  << "IT60X0542811101000000123456";
    QTest::newRow("no-break space from a web page") << QString::fromUtf8("IT60\u00A0X0542811101000000123456")
                                                    << "IT60X0542811101000000123456";
    QTest::newRow("other characters kept, so the check names them") << "IT60.X054" << "IT60.X054";
}

void TestIban::normalise() {
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QCOMPARE(NormaliseIban(typed), expected);
}

void TestIban::masked_data() {
    QTest::addColumn<QString>("iban");
    QTest::addColumn<QString>("grouped");
    QTest::addColumn<QString>("masked");
    QTest::newRow("Italy") << "IT60X0542811101000000123456" << "IT60 X054 2811 1010 0000 0123 456"
                           << "IT60 **** **** **** **** ***3 456";
    QTest::newRow("Belgium") << "BE68539007547034" << "BE68 5390 0754 7034" << "BE68 **** **** 7034";
    QTest::newRow("too short to hide anything") << "IT60X054" << "IT60 X054" << "IT60 X054";
}

void TestIban::masked() {
    QFETCH(QString, iban);
    QFETCH(QString, grouped);
    QFETCH(QString, masked);
    QCOMPARE(GroupIban(iban), grouped);
    QCOMPARE(MaskIban(iban), masked);
}

void TestIban::problemsNameTheReason() {
    QVERIFY(IbanProblem(IbanResult::Valid).isEmpty());
    QVERIFY(IbanProblem(IbanResult::WrongCheckDigits).contains(QStringLiteral("cifre di controllo")));
    QVERIFY(IbanProblem(IbanResult::WrongLength).contains(QStringLiteral("lunghezza")));
    QVERIFY(IbanProblem(IbanResult::BadCharacters).contains(QStringLiteral("caratteri")));
}

void TestIban::creditorId_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<CreditorIdResult>("expected");
    // 23 characters: IT, check digits, business code, 16-character national identifier.
    QTest::newRow("VAT number with its five zeros") << "IT15ZZZ0000090012340403" << CreditorIdResult::Valid;
    QTest::newRow("code generated by the bank") << "IT66ZZZA1B2C3D4E5F6G7H8" << CreditorIdResult::Valid;
    QTest::newRow("person's tax code") << "IT04ZZZRSSMRA85T10A562S" << CreditorIdResult::Valid;
    QTest::newRow("business code is not in the check") << "IT15ABC0000090012340403" << CreditorIdResult::Valid;
    QTest::newRow("check digits wrong") << "IT16ZZZ0000090012340403" << CreditorIdResult::WrongCheckDigits;
    QTest::newRow("one national character changed") << "IT04ZZZRSSMRA85T10A562T" << CreditorIdResult::WrongCheckDigits;
    QTest::newRow("two national digits swapped") << "IT15ZZZ0000090012340430" << CreditorIdResult::WrongCheckDigits;
    // The short form is read as its padded form (NormaliseCreditorId), never taken as it is.
    QTest::newRow("short form as typed") << "IT91ZZZ01234567897" << CreditorIdResult::WrongFormat;
    QTest::newRow("one character short") << "IT15ZZZ000090012340403" << CreditorIdResult::WrongFormat;
    QTest::newRow("one character more") << "IT15ZZZ00000900123404030" << CreditorIdResult::WrongFormat;
    QTest::newRow("foreign creditor") << "DE98ZZZ09999999999" << CreditorIdResult::WrongFormat;
    QTest::newRow("letters for check digits") << "ITXXZZZ0000090012340403" << CreditorIdResult::WrongFormat;
    QTest::newRow("blank inside") << "IT15 ZZZ0000090012340403" << CreditorIdResult::WrongFormat;
    QTest::newRow("lower case") << "IT15zzz0000090012340403" << CreditorIdResult::WrongFormat;
    QTest::newRow("empty") << "" << CreditorIdResult::Empty;
}

void TestIban::creditorId() {
    QFETCH(QString, id);
    QFETCH(CreditorIdResult, expected);
    QCOMPARE(CheckCreditorId(id), expected);
}

void TestIban::normaliseCreditorId_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("old short form gets its five zeros") << "IT91ZZZ01234567897" << "IT91ZZZ0000001234567897";
    QTest::newRow("short form typed loosely") << " it91 zzz 0123-4567-897 " << "IT91ZZZ0000001234567897";
    QTest::newRow("full form in groups") << "IT15 ZZZ0 0000 9001 2340 403" << "IT15ZZZ0000090012340403";
    QTest::newRow("full form kept") << "IT66ZZZA1B2C3D4E5F6G7H8" << "IT66ZZZA1B2C3D4E5F6G7H8";
    QTest::newRow("18 characters of another country left alone") << "DE98ZZZ09999999999" << "DE98ZZZ09999999999";
    QTest::newRow("empty") << "" << "";
}

void TestIban::normaliseCreditorId() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QCOMPARE(NormaliseCreditorId(typed), stored);
    // A valid short form stays valid once padded: the zeros do not change its check digits.
    if (stored.startsWith(QLatin1String("IT91")))
        QCOMPARE(CheckCreditorId(NormaliseCreditorId(typed)), CreditorIdResult::Valid);
}

void TestIban::makeCreditorIdPassesItsOwnCheck() {
    QCOMPARE(MakeCreditorId(QStringLiteral("90012340403")), QStringLiteral("IT15ZZZ0000090012340403"));
    QCOMPARE(MakeCreditorId(QStringLiteral("A1B2C3D4E5F6G7H8")), QStringLiteral("IT66ZZZA1B2C3D4E5F6G7H8"));
    QCOMPARE(MakeCreditorId(QStringLiteral("RSSMRA85T10A562S")), QStringLiteral("IT04ZZZRSSMRA85T10A562S"));
    QVERIFY(MakeCreditorId(QStringLiteral("0123-4567")).isEmpty());
    QVERIFY(MakeCreditorId(QStringLiteral("RSSMRA85T10A562S"), QStringLiteral("ZZ")).isEmpty());
}

void TestIban::cuc_data() {
    QTest::addColumn<QString>("cuc");
    QTest::addColumn<bool>("valid");
    QTest::newRow("digits and a letter") << "1234567A" << true;
    QTest::newRow("letters") << "ABCDEFGH" << true;
    QTest::newRow("seven") << "1234567" << false;
    QTest::newRow("nine") << "123456789" << false;
    QTest::newRow("lower case") << "1234567a" << false;
    QTest::newRow("blank") << "1234 567" << false;
    QTest::newRow("empty") << "" << false;
}

void TestIban::cuc() {
    QFETCH(QString, cuc);
    QFETCH(bool, valid);
    QCOMPARE(IsValidCuc(cuc), valid);
}

QTEST_APPLESS_MAIN(TestIban)
#include "tst_iban.moc"
