// Which program folder the installed command works in, and how a new folder is made ready.
#include "app/Crypt.h"
#include "app/ProgramFolder.h"
#include "storage/IniFile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_programfolder : public QObject {
    Q_OBJECT

private slots:
    void choice_data();
    void choice();
    void newFolderGetsTheFirstPassword();
    void existingPasswordIsKept();
    void folderThatCannotBeMadeFails();
};

void tst_programfolder::choice_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("environment");
    QTest::addColumn<bool>("passwordBesideExecutable");
    QTest::addColumn<QString>("expected"); // "EXE" = the executable's folder; "" = an error
    QTest::addColumn<QString>("errorPart");

    const QStringList none;
    QTest::newRow("option wins over environment")
        << QStringList{"--cartella", "/srv/scuola"} << "/mnt/altro" << true << "/srv/scuola/"
        << "";
    QTest::newRow("option with =") << QStringList{"--cartella=/srv/scuola/"} << "" << false << "/srv/scuola/"
                                   << "";
    QTest::newRow("relative option from current folder")
        << QStringList{"--cartella", "dati/../ufficio"} << "" << false << "/home/anna/lavoro/ufficio/"
        << "";
    QTest::newRow("environment over executable folder") << none << "/mnt/condivisa" << true << "/mnt/condivisa/"
                                                        << "";
    QTest::newRow("blank environment ignored") << none << "  " << false << "/home/anna/Carvenna/"
                                               << "";
    QTest::newRow("copy installed in its program folder") << none << "" << true << "EXE"
                                                          << "";
    QTest::newRow("installed command without folder") << none << "" << false << "/home/anna/Carvenna/"
                                                      << "";
    QTest::newRow("option without folder") << QStringList{"--cartella"} << "" << false << ""
                                           << "dopo --cartella";
    QTest::newRow("option with empty folder") << QStringList{"--cartella="} << "" << false << ""
                                              << "dopo --cartella";
    QTest::newRow("unknown option") << QStringList{"--cartela", "/srv"} << "" << false << ""
                                    << "Opzione sconosciuta: --cartela";
}

void tst_programfolder::choice() {
    QFETCH(QStringList, args);
    QFETCH(QString, environment);
    QFETCH(bool, passwordBesideExecutable);
    QFETCH(QString, expected);
    QFETCH(QString, errorPart);

    QTemporaryDir exe;
    QVERIFY(exe.isValid());
    if (passwordBesideExecutable)
        QVERIFY(WritePasswordFile(exe.filePath(PasswordFileName()), FirstPassword()));
    const ProgramFolderChoice c = ChooseProgramFolder(args, environment, exe.path(), QStringLiteral("/home/anna"),
                                                      QStringLiteral("/home/anna/lavoro"));
    if (expected.isEmpty()) {
        QVERIFY(c.folder.isEmpty());
        QVERIFY2(c.error.contains(errorPart), qPrintable(c.error));
        return;
    }
    QVERIFY2(c.error.isEmpty(), qPrintable(c.error));
    QCOMPARE(c.folder, expected == QLatin1String("EXE") ? exe.path() + u'/' : expected);
}

void tst_programfolder::newFolderGetsTheFirstPassword() {
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("a/b/Carvenna/"));
    QString error;
    QVERIFY2(PrepareProgramFolder(folder, &error), qPrintable(error));
    QVERIFY(QFileInfo(folder).isDir());
    // The password window reads it back as the first password.
    const auto stored = IniRead(folder + PasswordFileName(), QStringLiteral("Accesso"), QStringLiteral("Valore"));
    QCOMPARE(Decipher(stored).value_or(QString()), FirstPassword());
}

void tst_programfolder::existingPasswordIsKept() {
    QTemporaryDir folder;
    const QString file = folder.filePath(PasswordFileName());
    QVERIFY(WritePasswordFile(file, QStringLiteral("segreta")));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    QVERIFY(PrepareProgramFolder(folder.path()));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void tst_programfolder::folderThatCannotBeMadeFails() {
    QTemporaryDir root;
    QFile blocker(root.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString error;
    QVERIFY(!PrepareProgramFolder(root.filePath(QStringLiteral("file/Carvenna")), &error));
    QVERIFY2(error.contains(QLatin1String("Impossibile creare la cartella")), qPrintable(error));
}

QTEST_GUILESS_MAIN(tst_programfolder)
#include "tst_programfolder.moc"
