// The school's payment data in Trelvani.ini ("Pagamenti"): read and write beside the other sections,
// and the checks that name the wrong field.
#include "payments/PaymentSettings.h"
#include "validators/Iban.h"
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

PaymentSettings Good() {
    PaymentSettings s;
    s.iban = QStringLiteral("IT60X0542811101000000123456");
    s.intestatario = QStringLiteral("Asilo Nido Il Girasole");
    s.creditorId = QStringLiteral("IT91ZZZ0000001234567897");
    s.cuc = QStringLiteral("1234567A");
    return s;
}
} // namespace

class TestPaymentSettings : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString Ini() const { return m_dir.path() + QStringLiteral("/Trelvani.ini"); }

private slots:
    void missingFileGivesEmptyDataAndCbi() {
        const PaymentSettings s = LoadPaymentSettings(m_dir.path() + QStringLiteral("/none.ini"));
        QVERIFY(s.iban.isEmpty() && s.intestatario.isEmpty() && s.creditorId.isEmpty() && s.cuc.isEmpty());
        QCOMPARE(s.formato, PaymentSettings::SddFormat::Cbi);
    }

    void roundTripKeepsOtherSections() {
        QFile f(Ini());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Ricevente]\r\nRigo 1=Asilo\r\n[Dati Fiscali]\r\nDenominazione=Asilo\r\n");
        f.close();
        PaymentSettings s = Good();
        s.formato = PaymentSettings::SddFormat::Iso;
        QVERIFY(SavePaymentSettings(Ini(), s));
        const QByteArray bytes = ReadFile(Ini());
        QVERIFY(bytes.startsWith("[Ricevente]\r\nRigo 1=Asilo\r\n[Dati Fiscali]\r\nDenominazione=Asilo\r\n"));
        QVERIFY(bytes.contains("[Pagamenti]\r\n"));
        QVERIFY(bytes.contains("IBAN=IT60X0542811101000000123456\r\n"));
        QVERIFY(bytes.contains("Identificativo creditore=IT91ZZZ0000001234567897\r\n"));
        QVERIFY(bytes.contains("Formato SDD=ISO\r\n"));
        const PaymentSettings back = LoadPaymentSettings(Ini());
        QCOMPARE(back.iban, s.iban);
        QCOMPARE(back.intestatario, s.intestatario);
        QCOMPARE(back.creditorId, s.creditorId);
        QCOMPARE(back.cuc, s.cuc);
        QCOMPARE(back.formato, PaymentSettings::SddFormat::Iso);
    }

    // A file typed by hand: IBAN in groups, lower case, format in any case.
    void readsHandTypedValues() {
        QFile f(Ini());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[PAGAMENTI]\r\niban = it60 x054 2811 1010 0000 0123 456\r\ncuc=1234567a\r\nformato sdd=iso\r\n"
                "identificativo creditore=IT91ZZZ01234567897\r\n");
        f.close();
        const PaymentSettings s = LoadPaymentSettings(Ini());
        QCOMPARE(s.iban, QStringLiteral("IT60X0542811101000000123456"));
        // An old short creditor identifier is read as its 23-character form, which the bank takes.
        QCOMPARE(s.creditorId, QStringLiteral("IT91ZZZ0000001234567897"));
        QCOMPARE(CheckCreditorId(s.creditorId), CreditorIdResult::Valid);
        QCOMPARE(s.cuc, QStringLiteral("1234567A"));
        QCOMPARE(s.formato, PaymentSettings::SddFormat::Iso);
        QCOMPARE(SddFormatFromKey(QStringLiteral("qualcosa")), PaymentSettings::SddFormat::Cbi);
    }

    void checks_data() {
        QTest::addColumn<int>("field");   // which field to spoil
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("cbi");
        QTest::addColumn<QString>("settingsProblem"); // what "Dati fiscali" says (blank fields allowed)
        QTest::addColumn<QString>("sddProblem");      // what the direct-debit file says
        // field: 0 none, 1 IBAN, 2 holder, 3 creditor id, 4 CUC
        QTest::newRow("all good") << 0 << "" << true << "" << "";
        QTest::newRow("wrong IBAN") << 1 << "IT61X0542811101000000123456" << true << "IBAN della scuola"
                                    << "IBAN della scuola";
        QTest::newRow("no IBAN") << 1 << "" << true << "" << "IBAN della scuola";
        QTest::newRow("holder of 71") << 2 << QString(71, QLatin1Char('A')) << true << "intestatario" << "intestatario";
        QTest::newRow("holder of 70") << 2 << QString(70, QLatin1Char('A')) << true << "" << "";
        QTest::newRow("no holder") << 2 << "" << true << "" << "intestatario";
        QTest::newRow("wrong creditor id") << 3 << "IT92ZZZ01234567897" << true << "identificativo creditore"
                                           << "identificativo creditore";
        QTest::newRow("no creditor id") << 3 << "" << true << "" << "identificativo creditore";
        QTest::newRow("short CUC") << 4 << "1234567" << true << "CUC" << "CUC";
        QTest::newRow("no CUC, CBI") << 4 << "" << true << "" << "CUC";
        QTest::newRow("no CUC, ISO") << 4 << "" << false << "" << "";
    }

    void checks() {
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(bool, cbi);
        QFETCH(QString, settingsProblem);
        QFETCH(QString, sddProblem);
        PaymentSettings s = Good();
        s.formato = cbi ? PaymentSettings::SddFormat::Cbi : PaymentSettings::SddFormat::Iso;
        QString* fields[] = {nullptr, &s.iban, &s.intestatario, &s.creditorId, &s.cuc};
        if (fields[field])
            *fields[field] = value;
        const QString a = CheckPaymentSettings(s);
        const QString b = CheckSddCreditor(s);
        QVERIFY2(settingsProblem.isEmpty() ? a.isEmpty() : a.contains(settingsProblem, Qt::CaseInsensitive),
                 qPrintable(a));
        QVERIFY2(sddProblem.isEmpty() ? b.isEmpty() : b.contains(sddProblem, Qt::CaseInsensitive), qPrintable(b));
    }

    // What "Dati fiscali" keeps: each wrong field its stored value, every right one what was typed.
    void keepsTheRightFields_data() {
        QTest::addColumn<QStringList>("typed"); // IBAN, holder, creditor id, CUC
        QTest::addColumn<QStringList>("wrong");
        QTest::addColumn<QStringList>("kept");
        const QString iban = "IT60X0542811101000000123456", cid = "IT15ZZZ0000090012340403";
        QTest::newRow("all right") << QStringList{iban, "Asilo", cid, "1234567A"} << QStringList{}
                                   << QStringList{iban, "Asilo", cid, "1234567A"};
        QTest::newRow("wrong creditor id keeps the new IBAN")
            << QStringList{iban, "Asilo", "IT16ZZZ0000090012340403", "1234567A"} << QStringList{"creditorId"}
            << QStringList{iban, "Asilo", "OLDCID", "1234567A"};
        QTest::newRow("wrong IBAN keeps the new creditor id")
            << QStringList{"IT61X0542811101000000123456", "Asilo", cid, ""} << QStringList{"iban"}
            << QStringList{"OLDIBAN", "Asilo", cid, ""};
        QTest::newRow("two wrong")
            << QStringList{"IT61X0542811101000000123456", QString(71, u'A'), cid, "123"}
            << QStringList{"iban", "intestatario", "cuc"} << QStringList{"OLDIBAN", "Old holder", cid, "OLDCUC00"};
        QTest::newRow("blank fields are not wrong") << QStringList{"", "", "", ""} << QStringList{}
                                                    << QStringList{"", "", "", ""};
    }

    void keepsTheRightFields() {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, wrong);
        QFETCH(QStringList, kept);
        PaymentSettings t;
        t.iban = typed[0], t.intestatario = typed[1], t.creditorId = typed[2], t.cuc = typed[3];
        PaymentSettings stored;
        stored.iban = "OLDIBAN", stored.intestatario = "Old holder", stored.creditorId = "OLDCID";
        stored.cuc = "OLDCUC00";
        const QVector<FieldProblem> problems = PaymentFieldProblems(t);
        QStringList named;
        for (const FieldProblem& p : problems) {
            named << p.field;
            QVERIFY(!p.message.isEmpty());
        }
        QCOMPARE(named, wrong);
        const PaymentSettings k = KeepRightFields(t, stored, problems);
        QCOMPARE((QStringList{k.iban, k.intestatario, k.creditorId, k.cuc}), kept);
    }
};

QTEST_APPLESS_MAIN(TestPaymentSettings)
#include "tst_paymentsettings.moc"
