// The desktop's way to a mail program: the real xdg-email builds the message for the mail program named in
// MAILER (a script here that keeps what it was given); a mail program that fails and a machine without
// xdg-email are told as failures with their reason.
#include "app/DesktopPlatform.h"
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class tst_desktopMail : public QObject {
    Q_OBJECT
private slots:
    void compose_data();
    void compose();
};

void tst_desktopMail::compose_data() {
    // "keeps", "fails", "unset" for a desktop that names no mail program, "none" for a PATH without xdg-email
    QTest::addColumn<QString>("mailer");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("error");
    QTest::newRow("mail program takes the message") << "keeps" << true << "";
    QTest::newRow("mail program fails") << "fails" << false
                                        << "Il programma di posta elettronica non si è aperto (xdg-email: codice di "
                                           "uscita 4)";
    QTest::newRow("no mail program configured")
        << "unset" << false << "Nessun programma di posta elettronica è configurato sul computer.";
    QTest::newRow("no xdg-email") << "none" << false << "xdg-email non disponibile (pacchetto xdg-utils)";
    // A desktop whose hand-off never returns (a text browser waiting for a terminal): told after the wait.
    QTest::newRow("hand-off never returns")
        << "hangs" << false
        << "Il programma di posta elettronica non si è aperto entro 1 secondo: sul computer potrebbe non esserne "
           "configurato nessuno.";
}

void tst_desktopMail::compose() {
    QFETCH(QString, mailer);
    QFETCH(bool, opened);
    QFETCH(QString, error);
    if (QStandardPaths::findExecutable("xdg-email").isEmpty())
        QSKIP("xdg-email is not installed: scripts/install-deps.sh installs xdg-utils");
    QTemporaryDir dir;
    const QString got = dir.filePath("got");
    const QString script = dir.filePath("mailer.sh");
    {
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(mailer == "fails" ? "#!/bin/sh\nexit 1\n"
                                  : "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/got\"\n");
        f.close();
        QVERIFY(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    }
    const QString attachment = dir.filePath("Ricevuta 1.pdf");
    {
        QFile f(attachment);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const QByteArray oldPath = qgetenv("PATH"), oldMailer = qgetenv("MAILER");
    auto restore = qScopeGuard([&] {
        qputenv("PATH", oldPath);
        if (oldMailer.isNull())
            qunsetenv("MAILER");
        else
            qputenv("MAILER", oldMailer);
    });
    qputenv("MAILER", QFile::encodeName(script));
    if (mailer == "none")
        qputenv("PATH", QFile::encodeName(dir.path()));
    if (mailer == "hangs") {
        QVERIFY(QDir(dir.path()).mkdir("bin"));
        QFile f(dir.filePath("bin/xdg-email"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nexec sleep 30\n");
        f.close();
        QVERIFY(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        qputenv("PATH", QFile::encodeName(dir.filePath("bin")) + ':' + oldPath);
    }
    if (mailer == "unset") {
        // What xdg-email does on a desktop without a mail program: its helpers complain, then it gives up.
        QVERIFY(QDir(dir.path()).mkdir("bin"));
        QFile f(dir.filePath("bin/xdg-email"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\necho 'xdg-open: 882: www-browser: not found' >&2\n"
                "echo \"xdg-email: no method available for opening 'mailto:$1'\" >&2\nexit 3\n");
        f.close();
        QVERIFY(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        qputenv("PATH", QFile::encodeName(dir.filePath("bin")) + ':' + oldPath);
    }

    DesktopShell shell;
    shell.mailWaitMs = 700;
    // The window keeps living while the hand-off runs: its timers fire during the wait.
    int ticks = 0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&ticks] { ++ticks; });
    clock.start(50);
    QElapsedTimer took;
    took.start();
    QString why;
    const bool ok = shell.Compose({"mario@example.it", "Ricevuta n. 127 del 10/12/2026",
                                   QStringLiteral("Gentile Rossì,\n\nin allegato la ricevuta."), attachment},
                                  &why);
    QCOMPARE(ok, opened);
    if (mailer == "hangs") {
        QVERIFY(took.elapsed() >= 600 && took.elapsed() < 5000);
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    }
    if (!opened) {
        QVERIFY2(why.startsWith(error), qPrintable(why));
        return;
    }
    QFile f(got);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString mailto = QString::fromUtf8(f.readAll());
    const int attach = mailto.indexOf("&attach=");
    QVERIFY2(attach > 0, qPrintable(mailto));
    QCOMPARE(mailto.left(attach),
             QStringLiteral("mailto:mario@example.it?subject=Ricevuta%20n.%20127%20del%2010/12/2026"
                            "&body=Gentile%20Ross%C3%AC%2C%0D%0A%0D%0Ain%20allegato%20la%20ricevuta."));
    QCOMPARE(QUrl::fromPercentEncoding(mailto.mid(attach + 8).toUtf8()), attachment);
}

QTEST_MAIN(tst_desktopMail)
#include "tst_desktopMail.moc"
