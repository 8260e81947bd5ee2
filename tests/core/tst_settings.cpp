// INI settings files and the password scrambling.
#include "app/Crypt.h"
#include "storage/IniFile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
} // namespace

class TestSettings : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString Path(const QString& n) const { return m_dir.path() + "/" + n; }

private slots:
    void read_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("crlf") << QByteArray("[Ricevente]\r\nRigo 1=Asilo Nido\r\n") << "Ricevente" << "Rigo 1"
                              << "Asilo Nido";
        QTest::newRow("lf") << QByteArray("[Ricevente]\nRigo 1=Asilo Nido\n") << "Ricevente" << "Rigo 1"
                            << "Asilo Nido";
        QTest::newRow("blanks around =") << QByteArray("[Numerazione Ricevute]\r\n  Inizio  =  100  \r\n")
                                         << "Numerazione Ricevute" << "Inizio" << "100";
        QTest::newRow("section in other case") << QByteArray("[RICEVENTE]\r\nrigo 2=Via Roma\r\n") << "Ricevente"
                                               << "Rigo 2" << "Via Roma";
        QTest::newRow("windows-1252") << QByteArray("[Ricevente]\r\nRigo 1=Citt\xe0 \x80\r\n") << "Ricevente"
                                      << "Rigo 1" << QStringLiteral("Città €");
        QTest::newRow("utf-8 with bom") << QByteArray("\xef\xbb\xbf[Ricevente]\r\nRigo 1=Citt\xc3\xa0\r\n")
                                        << "Ricevente" << "Rigo 1" << QStringLiteral("Città");
        QTest::newRow("key in another section") << QByteArray("[Altro]\r\nRigo 1=no\r\n[Ricevente]\r\n")
                                                << "Ricevente" << "Rigo 1" << "";
        QTest::newRow("missing key") << QByteArray("[Ricevente]\r\n") << "Ricevente" << "Rigo 3" << "";
        QTest::newRow("value with =") << QByteArray("[A]\r\nk=a=b\r\n") << "A" << "k" << "a=b";
    }
    void read() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QString p = Path("read.ini");
        WriteFile(p, file);
        bool ok = false;
        QCOMPARE(IniRead(p, section, key, &ok), value);
        QVERIFY(ok);
    }

    void missingOrUnreadableFile() {
        bool ok = false;
        QCOMPARE(IniRead(Path("none.ini"), "A", "b", &ok), QString());
        QVERIFY(ok); // a missing file simply reads as empty
        QDir(m_dir.path()).mkpath("dir.ini");
        QCOMPARE(IniRead(Path("dir.ini"), "A", "b", &ok), QString());
        QVERIFY(!ok);
        QString error;
        QVERIFY(!IniWrite(Path("dir.ini"), "A", "b", "c", &error));
        QVERIFY(!error.isEmpty());
    }

    void writeKeepsEverythingElse() {
        const QString p = Path("keep.ini");
        WriteFile(p, "; commento\n[Numerazione Ricevute]\nInizio=5\n\n[RICEVENTE]\nRigo 1=Vecchio\nAltro=x\n");
        QVERIFY(IniWrite(p, "Ricevente", "Rigo 1", QStringLiteral("Asilo Città")));
        QVERIFY(IniWrite(p, "Ricevente", "Rigo 2", "Via Roma 1"));
        QVERIFY(IniWrite(p, "Accesso", "Valore", "ABCD"));
        QCOMPARE(ReadFile(p), QByteArray("; commento\r\n[Numerazione Ricevute]\r\nInizio=5\r\n\r\n[RICEVENTE]\r\n"
                                         "Rigo 1=Asilo Citt\xe0\r\nAltro=x\r\nRigo 2=Via Roma 1\r\n\r\n"
                                         "[Accesso]\r\nValore=ABCD\r\n"));
        QCOMPARE(IniRead(p, "Ricevente", "Rigo 1"), QStringLiteral("Asilo Città"));
    }

    void writeCreatesFile() {
        const QString p = Path("new.ini");
        QVERIFY(IniWrite(p, "Numerazione Ricevute", "Inizio", "1"));
        QCOMPARE(ReadFile(p), QByteArray("[Numerazione Ricevute]\r\nInizio=1\r\n"));
    }

    void bomFileIsRewrittenAsWindows1252() {
        const QString p = Path("bom.ini");
        WriteFile(p, "\xef\xbb\xbf[Ricevente]\nRigo 1=Citt\xc3\xa0\n");
        QVERIFY(IniWrite(p, "Ricevente", "Rigo 2", "x"));
        QCOMPARE(ReadFile(p), QByteArray("[Ricevente]\r\nRigo 1=Citt\xe0\r\nRigo 2=x\r\n"));
    }

    void bomFileWithCharactersBeyondWindows1252StaysUtf8() {
        // "Dvořák" has no Windows-1252 form: written as Windows-1252 it would come back "Dvo?ák".
        const QString p = Path("bom-utf8.ini");
        WriteFile(p, "\xef\xbb\xbf[Ricevente]\r\nRigo 1=Dvo\xc5\x99\xc3\xa1k\r\n");
        QVERIFY(IniWrite(p, "Ricevente", "Rigo 2", QStringLiteral("Città")));
        QCOMPARE(ReadFile(p), QByteArray("\xef\xbb\xbf[Ricevente]\r\nRigo 1=Dvo\xc5\x99\xc3\xa1k\r\nRigo 2=Citt\xc3\xa0\r\n"));
        QCOMPARE(IniRead(p, "Ricevente", "Rigo 1"), QStringLiteral("Dvořák"));
    }

    void scrambling_data() {
        QTest::addColumn<QString>("plain");
        QTest::newRow("empty") << "";
        QTest::newRow("first password") << "CARVENNA";
        QTest::newRow("blanks and digits") << " A1 b2 ";
        QTest::newRow("latin1") << QStringLiteral("ÀÈ\u00A4ÿ");
        QString all;
        for (int c = 1; c < 256; ++c)
            all += QChar(c);
        QTest::newRow("every code below 256") << all;
    }
    void scrambling() {
        QFETCH(QString, plain);
        const QString hex = Encipher(plain);
        QCOMPARE(hex.size(), plain.size() * 2);
        QVERIFY(QRegularExpression("^[0-9A-F]*$").match(hex).hasMatch());
        const auto back = Decipher(hex);
        QVERIFY(back.has_value());
        QCOMPARE(*back, plain);
        QCOMPARE(*Decipher(hex.toLower()), plain);
    }
    void scramblingHidesText() {
        // Equal letters at different places scramble differently: the key runs on.
        const QString hex = Encipher("AAAA");
        QVERIFY(hex.mid(0, 2) != hex.mid(2, 2) || hex.mid(2, 2) != hex.mid(4, 2));
    }
    void decipherOddAndBad() {
        const QString hex = Encipher("CARVENNA");
        QCOMPARE(*Decipher(hex + "7"), QString("CARVENNA")); // the last odd digit is ignored
        QCOMPARE(*Decipher(hex.left(5)), QString("CA"));
        QVERIFY(!Decipher("ZZ").has_value());
        QVERIFY(!Decipher(hex.left(4) + "G1").has_value());
        QCOMPARE(*Decipher(""), QString());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
