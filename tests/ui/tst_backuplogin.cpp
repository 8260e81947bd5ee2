// The daily copy made after a successful log-in: silent when it works, one warning when it fails.
#include "TestPlatform.h"
#include "app/Avvio.h"
#include "app/Carvenna.h"
#include "app/Password.h"
#include <QDir>
#include <QFile>
#include <QTest>

namespace {
const QString kBackupFailed =
    QStringLiteral("Attenzione: non è stato possibile eseguire la copia di sicurezza giornaliera degli archivi "
                   "nella cartella Backup.\n\r\n\rAccertarsi di possedere i privilegi di scrittura nella cartella "
                   "di installazione del programma e che il disco non sia pieno.");
} // namespace

class TestBackupLogin : public QObject {
    Q_OBJECT
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Carvenna> m_app;

    void Login(const QString& typed) {
        TfrmPassword& pw = *m_app->password();
        m_app->Switch(&pw, m_app->avvio());
        pw.ui.txtPassword->clear();
        QTest::keyClicks(pw.ui.txtPassword, typed);
        QTest::mouseClick(pw.ui.cmdOK, Qt::LeftButton);
    }
    QStringList Days() const {
        return QDir(m_tp->Path("Backup")).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }

private slots:
    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_tp->WritePassword(QStringLiteral("SEGRETO"));
        QFile f(m_tp->Path("2026.ric"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1099, 'r'));
        f.close();
        m_app = std::make_unique<Carvenna>(m_tp->platform);
        m_app->Start();
    }
    void cleanup() {
        m_app.reset();
        m_tp.reset();
    }

    void oneSilentCopyPerDay() {
        Login("segreto");
        QVERIFY(m_app->avvio()->isVisible());
        QCOMPARE(Days(), QStringList{"2026-12-10"});
        QVERIFY(QFile::exists(m_tp->Path("Backup/2026-12-10/2026.ric")));
        QVERIFY(QFile::exists(m_tp->Path("Backup/2026-12-10/unins000.dll")));
        Login("segreto"); // the same day again: nothing more
        m_tp->clock.now = m_tp->clock.now.addDays(1);
        Login("segreto");
        QCOMPARE(Days(), (QStringList{"2026-12-10", "2026-12-11"}));
        QVERIFY(m_tp->messages.shown.isEmpty());
    }

    void noCopyOnAWrongPassword() {
        Login("sbagliata");
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{"Attenzione: password errata."});
        QVERIFY(!QFileInfo::exists(m_tp->Path("Backup")));
    }

    void failureGivesOneWarningAndTheMenu() {
        QFile blocker(m_tp->Path("Backup")); // a file where the folder must go
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Login("segreto");
        QVERIFY(m_app->avvio()->isVisible());
        const auto shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, Messages::Kind::Warning);
        QCOMPARE(shown[0].text, kBackupFailed);
    }
};

QTEST_MAIN(TestBackupLogin)
#include "tst_backuplogin.moc"
