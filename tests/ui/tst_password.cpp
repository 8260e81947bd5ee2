// The password window, the change window and the start-up navigation, driven through the real windows.
#include "TestPlatform.h"
#include "app/Avvio.h"
#include "app/CambiaPassword.h"
#include "app/Carvenna.h"
#include "app/Crypt.h"
#include "app/Password.h"
#include "storage/IniFile.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>

namespace {
const QString kWrong = QStringLiteral("Attenzione: password errata.");
const QString kReadError = QStringLiteral("Attenzione: si è verificato un errore durante la procedura di lettura "
                                          "della password. Si consiglia di reinstallare il software.");
const QString kOldWrong = QStringLiteral("Attenzione: vecchia password errata.");
const QString kNotConfirmed = QStringLiteral("Attenzione: la nuova password non è stata confermata correttamente. "
                                             "E' necessario reinserire entrambi i valori.");
const QString kChangeError = QStringLiteral("Attenzione: si è verificato un errore durante la procedura di modifica "
                                            "della password. Si consiglia di reinstallare il software.");
const QString kTooLong = QStringLiteral(
    "Attenzione: la nuova password può contenere al massimo 255 caratteri dell'alfabeto occidentale.");
const QString kDone = QStringLiteral("Modifica della password completata con successo.");

void WriteRaw(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
} // namespace

class TestPassword : public QObject {
    Q_OBJECT
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Carvenna> m_app;

    TfrmPassword& pw() { return *m_app->password(); }
    TfrmCambiaPassword& change() { return *m_app->cambiaPassword(); }

    void Type(QLineEdit* field, const QString& text) {
        field->clear();
        QTest::keyClicks(field, text);
    }
    void Login(const QString& typed) {
        Type(pw().ui.txtPassword, typed);
        QTest::mouseClick(pw().ui.cmdOK, Qt::LeftButton);
    }
    QString PasswordFile() const { return m_tp->Path("unins000.dll"); }

private slots:
    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_app = std::make_unique<Carvenna>(m_tp->platform);
        m_app->Start();
    }
    void cleanup() {
        QVERIFY2(m_tp->messages.shown.isEmpty(), "a message was shown that the test did not expect");
        m_app.reset();
        m_tp.reset();
    }

    void startsOnPasswordWindowOnly() {
        QVERIFY(pw().isVisible());
        QCOMPARE(pw().windowTitle(), QString(" Carvenna - Autenticazione"));
        QVERIFY(!m_app->avvio()->isVisible());
        QVERIFY(!change().isVisible());
        QVERIFY(!pw().ui.cmdOK->isEnabled());
        QCOMPARE(pw().focusWidget(), pw().ui.txtPassword);
        QCOMPARE(pw().ui.txtPassword->echoMode(), QLineEdit::Password);
    }

    void login_data() {
        QTest::addColumn<QByteArray>("file"); // content of the password file; "-" for no file
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // empty: accepted
        const QByteArray stored = "[Accesso]\r\nValore=" + Encipher("CARVENNA").toLatin1() + "\r\n";
        QTest::newRow("right") << stored << "CARVENNA" << "";
        QTest::newRow("lower case") << stored << "carvenna" << "";
        QTest::newRow("blanks around") << stored << "  Carvenna  " << "";
        QTest::newRow("wrong") << stored << "CARVENNB" << kWrong;
        QTest::newRow("case of section and key") << "[ACCESSO]\nvalore = " + Encipher("CARVENNA").toLatin1() + "\n"
                                                 << "carvenna" << "";
        QTest::newRow("odd digit dropped") << "[Accesso]\r\nValore=" + Encipher("CARVENNA").toLatin1() + "F\r\n"
                                           << "carvenna" << "";
        QTest::newRow("missing file") << QByteArray("-") << "CARVENNA" << kWrong;
        QTest::newRow("empty file") << QByteArray() << "CARVENNA" << kWrong;
        QTest::newRow("no key") << QByteArray("[Accesso]\r\nAltro=12\r\n") << "CARVENNA" << kWrong;
        QTest::newRow("not hexadecimal") << QByteArray("[Accesso]\r\nValore=4G21\r\n") << "CARVENNA" << kReadError;
    }
    void login() {
        QFETCH(QByteArray, file);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        if (file != "-")
            WriteRaw(PasswordFile(), file);
        Login(typed);
        if (message.isEmpty()) {
            QVERIFY(m_app->avvio()->isVisible());
            QVERIFY(!pw().isVisible());
            return;
        }
        const auto shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, message);
        QVERIFY(shown[0].kind == Messages::Kind::Plain);
        QVERIFY(pw().isVisible());
        QVERIFY(!m_app->avvio()->isVisible());
        if (message == kWrong) {
            QCOMPARE(pw().ui.txtPassword->text(), QString());
            QCOMPARE(pw().focusWidget(), pw().ui.txtPassword);
        } else {
            QCOMPARE(pw().ui.txtPassword->text(), typed); // the window stays as it was
        }
    }

    void okButtonAndEnter() {
        m_tp->WritePassword("CARVENNA");
        QLineEdit* f = pw().ui.txtPassword;
        QTest::keyClicks(f, "   ");
        QVERIFY(!pw().ui.cmdOK->isEnabled());
        QTest::keyClick(f, Qt::Key_Return); // blank field: Enter does nothing
        QVERIFY(m_tp->messages.shown.isEmpty());
        QVERIFY(pw().isVisible());
        QTest::keyClicks(f, "x");
        QVERIFY(pw().ui.cmdOK->isEnabled());
        QTest::keyClick(f, Qt::Key_Backspace);
        QVERIFY(!pw().ui.cmdOK->isEnabled());
        Type(f, "carvenna");
        QTest::keyClick(f, Qt::Key_Return);
        QVERIFY(m_app->avvio()->isVisible());
    }

    void changePassword() {
        m_tp->WritePassword("CARVENNA");
        QTest::mouseClick(pw().ui.btnCambiaPassword, Qt::LeftButton);
        QVERIFY(change().isVisible());
        QVERIFY(!pw().isVisible());
        QCOMPARE(change().windowTitle(), QString(" Cambia password"));
        QCOMPARE(change().focusWidget(), change().ui.txtPasswordOld);
        QVERIFY(!change().ui.cmdOK->isEnabled());

        // Enter runs round the three fields and never presses OK.
        QTest::keyClicks(change().ui.txtPasswordOld, "carvenna");
        QTest::keyClick(change().ui.txtPasswordOld, Qt::Key_Return);
        QCOMPARE(change().focusWidget(), change().ui.txtPasswordNew);
        QTest::keyClicks(change().ui.txtPasswordNew, " Nuova1 ");
        QTest::keyClick(change().ui.txtPasswordNew, Qt::Key_Return);
        QCOMPARE(change().focusWidget(), change().ui.txtConferma);
        QVERIFY(!change().ui.cmdOK->isEnabled());
        QTest::keyClicks(change().ui.txtConferma, "Nuova1");
        QVERIFY(change().ui.cmdOK->isEnabled());
        QTest::keyClick(change().ui.txtConferma, Qt::Key_Return);
        QCOMPARE(change().focusWidget(), change().ui.txtPasswordOld);
        QVERIFY(m_tp->messages.shown.isEmpty());

        QTest::mouseClick(change().ui.cmdOK, Qt::LeftButton);
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{kDone});
        QCOMPARE(IniRead(PasswordFile(), "Accesso", "Valore"), Encipher("NUOVA1"));
        QVERIFY(!change().isVisible());
        QVERIFY(pw().isVisible());
        QCOMPARE(pw().ui.txtPassword->text(), QString());

        Login("CARVENNA");
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{kWrong});
        Login("nuova1");
        QVERIFY(m_app->avvio()->isVisible());
    }

    void changeRefused_data() {
        QTest::addColumn<QString>("oldPw");
        QTest::addColumn<QString>("newPw");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("message");
        QTest::newRow("wrong old") << "sbagliata" << "abc" << "abc" << kOldWrong;
        QTest::newRow("case counts in the confirmation") << "carvenna" << "abc" << "ABC" << kNotConfirmed;
        QTest::newRow("longer than 255") << "carvenna" << QString(256, 'a') << QString(256, 'a') << kTooLong;
        QTest::newRow("outside western alphabet") << "carvenna" << QStringLiteral("ćiao") << QStringLiteral("ćiao")
                                                  << kTooLong;
    }
    void changeRefused() {
        QFETCH(QString, oldPw);
        QFETCH(QString, newPw);
        QFETCH(QString, confirm);
        QFETCH(QString, message);
        m_tp->WritePassword("CARVENNA");
        const QByteArray before = [&] {
            QFile f(PasswordFile());
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        QTest::mouseClick(pw().ui.btnCambiaPassword, Qt::LeftButton);
        change().ui.txtPasswordOld->setText(oldPw);
        change().ui.txtPasswordNew->setText(newPw);
        change().ui.txtConferma->setText(confirm);
        QTest::mouseClick(change().ui.cmdOK, Qt::LeftButton);
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{message});
        QVERIFY(change().isVisible());
        if (message == kOldWrong) {
            QCOMPARE(change().ui.txtPasswordOld->text(), QString());
            QCOMPARE(change().ui.txtPasswordNew->text(), newPw);
            QCOMPARE(change().focusWidget(), change().ui.txtPasswordOld);
        } else {
            QCOMPARE(change().ui.txtPasswordOld->text(), oldPw);
            QCOMPARE(change().ui.txtPasswordNew->text(), QString());
            QCOMPARE(change().ui.txtConferma->text(), QString());
            QCOMPARE(change().focusWidget(), change().ui.txtPasswordNew);
        }
        QFile f(PasswordFile());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before); // nothing written
    }

    void changeFailsOnUnreadableFile() {
        QDir(m_tp->dir.path()).mkpath("unins000.dll"); // a folder where the file should be
        QTest::mouseClick(pw().ui.btnCambiaPassword, Qt::LeftButton);
        change().ui.txtPasswordOld->setText("x");
        change().ui.txtPasswordNew->setText("y");
        change().ui.txtConferma->setText("y");
        QTest::mouseClick(change().ui.cmdOK, Qt::LeftButton);
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{kChangeError});
        QVERIFY(change().isVisible());
    }

    void closeButtonReturnsToPasswordWindow() {
        pw().ui.txtPassword->setText("abc");
        QTest::mouseClick(pw().ui.btnCambiaPassword, Qt::LeftButton);
        change().ui.txtPasswordOld->setText("typed");
        QTest::mouseClick(change().ui.cmdEsci, Qt::LeftButton);
        QVERIFY(!change().isVisible());
        QVERIFY(pw().isVisible());
        QCOMPARE(pw().ui.txtPassword->text(), QString());
        QCOMPARE(pw().focusWidget(), pw().ui.txtPassword);
        // Shown again, the change window starts empty.
        QTest::mouseClick(pw().ui.btnCambiaPassword, Qt::LeftButton);
        QCOMPARE(change().ui.txtPasswordOld->text(), QString());
    }

    void exitEndsProgram() {
        QTest::mouseClick(pw().ui.cmdEsci, Qt::LeftButton);
        QVERIFY(m_app->HasQuit());
        QVERIFY(!pw().isVisible());
    }

    void closingStartMenuEndsProgram() {
        m_tp->WritePassword("CARVENNA");
        Login("CARVENNA");
        QVERIFY(m_app->avvio()->isVisible());
        m_app->avvio()->close(); // the title-bar button
        QVERIFY(m_app->HasQuit());
        QVERIFY(!pw().isVisible()); // the hidden main window does not keep the program alive
    }
};

QTEST_MAIN(TestPassword)
#include "tst_password.moc"
