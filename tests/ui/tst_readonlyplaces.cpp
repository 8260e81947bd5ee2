// A working day in a damaged program folder: a folder where a data file should be (or a file where
// a folder should be), a folder the file layer may not write (EROFS, EACCES), a read-only file
// system and a full one (small tmpfs mounts, where the test may mount). Every window opens; every
// write either works and is on the disk, or says so with its own message and changes nothing; no
// record or setting that was there before is lost.
#include "CardChecks.h"
#include "FaultyFileOps.h"
#include "FolderState.h"
#include "MessageTexts.h"
#include "TestPlatform.h"
#include "app/Avvio.h"
#include "app/CambiaPassword.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "app/Crypt.h"
#include "app/Password.h"
#include "export/ExpRic.h"
#include "export/ExpTiratori.h"
#include "receipts/Logo.h"
#include "receipts/MenuRicevute.h"
#include "receipts/Numerazione.h"
#include "receipts/ReceiptSettings.h"
#include "receipts/Ricevuta.h"
#include "registry/AllegaCartella.h"
#include "registry/Attachments.h"
#include "registry/Tiratori.h"
#include "storage/IniFile.h"
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include "summary/Attestazioni.h"
#include "summary/MenuRiepCosti.h"
#include <QImage>
#include <QProcess>
#include <QScopeGuard>
#include <QtTest>
#include <fcntl.h>

namespace {
const QString kDay = QStringLiteral("Backup/2026-12-10/");

// The file layer refusing every write, as a folder shared read-only or without write permission
// does: opening for writing, and renaming.
class RefusingFileOps : public FileOps {
public:
    explicit RefusingFileOps(int error) : m_error(error), m_previous(FileOps::Install(this)) {}
    ~RefusingFileOps() override { FileOps::Install(m_previous); }
    int Open(const char* path, int flags, mode_t mode) override {
        if (flags & (O_WRONLY | O_RDWR | O_CREAT)) {
            errno = m_error;
            return -1;
        }
        return FileOps::Open(path, flags, mode);
    }
    int Rename(const char*, const char*) override {
        errno = m_error;
        return -1;
    }

private:
    int m_error;
    FileOps* m_previous;
};

// A small tmpfs mounted on a folder of its own, unmounted (even lazily) when the test ends.
class TmpfsMount {
public:
    QTemporaryDir dir;
    QString error; // why it could not be mounted

    bool Mount() {
        if (!dir.isValid())
            return Fail(QStringLiteral("no temporary folder"));
        if (Run({QStringLiteral("mount"), QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                 QStringLiteral("size=4m,mode=0755"), QStringLiteral("tmpfs"), dir.path()}))
            m_mounted = true;
        return m_mounted;
    }
    bool MakeReadOnly() {
        return Run({QStringLiteral("mount"), QStringLiteral("-o"), QStringLiteral("remount,ro"), dir.path()});
    }
    ~TmpfsMount() {
        if (m_mounted && !Run({QStringLiteral("umount"), dir.path()}))
            Run({QStringLiteral("umount"), QStringLiteral("-l"), dir.path()});
    }

private:
    bool Fail(const QString& why) {
        error = why;
        return false;
    }
    bool Run(const QStringList& command) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(command.first(), command.mid(1));
        if (!p.waitForFinished(20000))
            return Fail(command.first() + QStringLiteral(" did not finish"));
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return Fail(QString::fromLocal8Bit(p.readAll()).trimmed());
        return true;
    }
    bool m_mounted = false;
};

enum Action { Backup = 1, Receipt = 2, Card = 4, Numbering = 8, Password = 16, Export = 32, Attachment = 64 };
const int kAll = Backup | Receipt | Card | Numbering | Password | Export | Attachment;
} // namespace

class TestReadOnlyPlaces : public QObject {
    Q_OBJECT
    std::unique_ptr<TestPlatform> m_tp;
    QString m_folder;
    QTemporaryDir m_outside; // the document to attach comes from elsewhere
    QByteArray m_year, m_registry, m_logo;

    QString P(const QString& name) const { return m_folder + name; }

    // The program folder of an office that has worked for a while.
    void Fill() {
        {
            ReceiptFile f;
            QVERIFY(f.OpenOrCreate(P(QStringLiteral("2026.ric"))));
            for (int i = 1; i <= 3; ++i) {
                ReceiptRecord r;
                r.NumRic = QString::number(i);
                r.Data = QStringLiteral("0%1/12/2026").arg(i);
                r.Pagatore = QStringLiteral("Pagatore %1").arg(i);
                r.CodFisc = QStringLiteral("RSSMRA80A01H501U");
                r.Intero = QStringLiteral("100,00");
                QVERIFY(f.AppendRecord(r));
            }
            QVERIFY(f.Close());
        }
        QVERIFY(AppendPlainCards(m_folder, 2));
        const QString ini = P(QStringLiteral("Trelvani.ini"));
        QVERIFY(IniWrite(ini, ReceiptSettings::NumberingSection(), ReceiptSettings::NumberingStartKey(),
                         QStringLiteral("41")));
        QVERIFY(
            IniWrite(ini, QStringLiteral("Ricevente"), QStringLiteral("Riga1"), QStringLiteral("Scuola Arcobaleno")));
        QImage logo(40, 30, QImage::Format_RGB32);
        logo.fill(Qt::darkGreen);
        QVERIFY(logo.save(P(QStringLiteral("Logo.bmp")), "BMP"));
        m_year = Bytes(P(QStringLiteral("2026.ric")));
        m_registry = Bytes(P(QString::fromLatin1(RegistryFileName)));
        m_logo = Bytes(P(QStringLiteral("Logo.bmp")));
        QVERIFY(Put(m_outside.filePath(QStringLiteral("certificato.pdf")), QByteArray(5000, 'c')));
    }

    void WritePassword() {
        const QString path = m_folder + QStringLiteral("unins000.dll");
        QVERIFY(
            IniWrite(path, QStringLiteral("Accesso"), QStringLiteral("Valore"), Encipher(QStringLiteral("SEGRETO"))));
    }

    // Runs the day in `folder`; `mustFail` names the writes that cannot work there, every other
    // write must work. Each failure is told with the action's own message.
    void OfficeDay(int mustFail) {
        Platform platform = m_tp->platform;
        platform.programFolder = m_folder;
        Carvenna app(platform);
        app.Start();
        RecordingMessages& messages = m_tp->messages;
        auto fails = [&](Action a) { return (mustFail & a) != 0; };
        auto expect = [&](const char* what, const QStringList& shown) {
            const QStringList got = messages.TakeTexts();
            QVERIFY2(got == shown, qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(what), got.join(" | "))));
        };
        const QString unreadable =
            QStringLiteral("Attenzione: si è verificato un errore durante la procedura di lettura della password. "
                           "Si consiglia di reinstallare il software.");
        const bool passwordReadable = QFileInfo(P(QStringLiteral("unins000.dll"))).isFile();

        // Log-in, and with it the day's copy.
        TfrmPassword& pw = *app.password();
        pw.ui.txtPassword->setText(QStringLiteral("segreto"));
        pw.ui.cmdOK->click();
        if (!passwordReadable) {
            expect("log-in", {unreadable});
            app.Switch(app.avvio(), &pw); // the rest of the day as if logged in
        } else {
            expect("log-in and copy", fails(Backup) ? QStringList{kBackupFailed} : QStringList());
            QVERIFY(app.avvio()->isVisible());
            QCOMPARE(QFileInfo(P(kDay)).isDir(), !fails(Backup));
            if (!fails(Backup) && !fails(Receipt))
                QCOMPARE(Bytes(P(kDay + QStringLiteral("2026.ric"))), m_year);
        }

        // Every window opens and shows what it can read.
        app.avvio()->ui.imgApp01->click();
        QVERIFY(app.tiratori()->isVisible());
        app.Switch(app.avvio(), app.tiratori());
        app.avvio()->ui.imgApp03->click();
        QVERIFY(app.menuRiepCosti()->isVisible());
        app.Switch(app.avvio(), app.menuRiepCosti());
        app.avvio()->ui.imgApp02->click();
        QVERIFY(app.menuRicevute()->isVisible());
        app.menuRicevute()->ui.txtAnnoPreventivi->setText(QStringLiteral("2026"));
        app.menuRicevute()->ui.btnApriPreventivi->click();
        TfrmRicevuta* editor = app.ricevuta();
        QVERIFY(editor->isVisible());
        messages.Take(); // what the opening windows could not read is theirs to say
        std::vector<std::unique_ptr<QWidget>> windows;
        windows.emplace_back(new TfrmNumerazione(app, editor));
        windows.emplace_back(new TfrmLogo(app, editor));
        windows.emplace_back(new TfrmExpTiratori(app, app.tiratori()));
        auto* statements = new TfrmAttestazioni(app, 2026, app.menuRiepCosti());
        statements->ui.lblFile->setText(P(QStringLiteral("2026.ric")));
        windows.emplace_back(statements);
        windows.emplace_back(new TfrmAllegaCartella(app, app.tiratori()));
        for (const auto& w : windows) {
            w->show();
            QVERIFY2(w->isVisible(), w->metaObject()->className());
        }
        const QStringList opening = messages.TakeTexts();
        for (const QString& text : opening)
            QVERIFY2(text.startsWith(QStringLiteral("Attenzione")), qPrintable(text));

        // A new receipt.
        editor->ui.lblPosizione->clear();
        editor->ui.txtNumRic->setText(QStringLiteral("4"));
        editor->ui.txtData->setText(QStringLiteral("10/12/2026"));
        editor->ui.txtPagatore->setText(QStringLiteral("Bianchi Anna"));
        editor->ui.txtCodFisc->setText(QStringLiteral("BNCNNA80A41H501X"));
        editor->ui.txtSport->setText(QStringLiteral("Retta di dicembre"));
        editor->ui.txtDal->setText(QStringLiteral("01/12/2026"));
        editor->ui.txtAl->setText(QStringLiteral("31/12/2026"));
        editor->ui.cmdSalva->click();
        expect("receipt", {fails(Receipt) ? ArchiveAccessError() : kInserted});
        if (QFileInfo(P(QStringLiteral("2026.ric"))).isFile()) {
            const QByteArray year = Bytes(P(QStringLiteral("2026.ric")));
            // A torn tail that a full disk left after the records is not one of them.
            QCOMPARE(year.size() / ReceiptRecord::Size, 3 + (fails(Receipt) ? 0 : 1));
            QVERIFY(year.startsWith(m_year));
        }

        // A new card.
        TfrmTiratori* cards = app.tiratori();
        cards->ui.lblPosizione->clear();
        cards->ui.txtTiratore->setText(QStringLiteral("Rossi Mario"));
        cards->ui.txtCodFisc->setText(QStringLiteral("RSSMRA80A01H501U"));
        cards->ui.txtStudio->setText(QStringLiteral("31/08/2027"));
        cards->ui.txtEnte->setText(QStringLiteral("Retta mensile"));
        cards->ui.txtTessera->setText(QStringLiteral("A-17"));
        cards->ui.txtQuota->setText(QStringLiteral("150"));
        cards->ui.txtFineTes->setText(QStringLiteral("30/06/2027"));
        cards->ui.txtArmi->setText(QStringLiteral("Rossi Luca"));
        cards->ui.cmdSalva->click();
        expect("card", {fails(Card) ? ArchiveAccessError() : kInserted});
        if (QFileInfo(P(QString::fromLatin1(RegistryFileName))).isFile()) {
            const QByteArray registry = Bytes(P(QString::fromLatin1(RegistryFileName)));
            QCOMPARE(registry.size() / RegistryRecord::Size, 2 + (fails(Card) ? 0 : 1));
            QVERIFY(registry.startsWith(m_registry));
        }

        // The receipt numbering.
        auto* numbering = static_cast<TfrmNumerazione*>(windows[0].get());
        numbering->ui.lblMemory->setText(QStringLiteral("ricevute"));
        numbering->ui.txtInizio->setText(QStringLiteral("42"));
        numbering->ui.btnApplica->click();
        expect("numbering", fails(Numbering) ? QStringList{SettingsNotSaved()} : QStringList());
        const QString ini = P(QStringLiteral("Trelvani.ini"));
        if (QFileInfo(ini).isFile()) {
            QCOMPARE(IniRead(ini, ReceiptSettings::NumberingSection(), ReceiptSettings::NumberingStartKey()),
                     fails(Numbering) ? QStringLiteral("41") : QStringLiteral("42"));
            QCOMPARE(IniRead(ini, QStringLiteral("Ricevente"), QStringLiteral("Riga1")),
                     QStringLiteral("Scuola Arcobaleno"));
        }

        // The password.
        TfrmCambiaPassword& change = *app.cambiaPassword();
        app.Switch(&change, app.password());
        change.ui.txtPasswordOld->setText(QStringLiteral("segreto"));
        change.ui.txtPasswordNew->setText(QStringLiteral("nuova"));
        change.ui.txtConferma->setText(QStringLiteral("nuova"));
        change.ui.cmdOK->click();
        expect("password", {fails(Password) ? kPasswordFailed : kPasswordDone});
        if (passwordReadable) {
            QString stored;
            QVERIFY(ReadStoredPassword(P(QStringLiteral("unins000.dll")), stored));
            QCOMPARE(stored, fails(Password) ? QStringLiteral("SEGRETO") : QStringLiteral("NUOVA"));
        }

        // The registry export.
        const bool exportWasFolder = QFileInfo(P(QStringLiteral("Archivio_Anagrafico.xls"))).isDir();
        messages.answers.clear();
        messages.answers << true << false;
        static_cast<TfrmExpTiratori*>(windows[2].get())->ui.cmdEsporta->click();
        expect("export", {ExportWindow::ExportQuestion(),
                          fails(Export) ? ExportWindow::ExportFailed() : ExportWindow::ExportedQuestion()});
        QCOMPARE(QFileInfo(P(QStringLiteral("Archivio_Anagrafico.xls"))).isDir(), exportWasFolder);
        if (!fails(Export))
            QVERIFY(Bytes(P(QStringLiteral("Archivio_Anagrafico.xls"))).endsWith("</html>"));
        else if (!exportWasFolder)
            QVERIFY(!QFileInfo::exists(P(QStringLiteral("Archivio_Anagrafico.xls"))));

        // An attached document.
        auto* attach = static_cast<TfrmAllegaCartella*>(windows[4].get());
        m_tp->fileDialogs.answers.enqueue(m_outside.filePath(QStringLiteral("certificato.pdf")));
        attach->ui.btnSfoglia01->click();
        expect("attachment", fails(Attachment) ? QStringList{TfrmAllegaCartella::CopyFailedWarning()} : QStringList());
        const QString copy = AttachmentsFolder(m_folder) + QStringLiteral("/certificato.pdf");
        QCOMPARE(attach->ui.txtFile01->text(), fails(Attachment) ? QString() : QStringLiteral("certificato.pdf"));
        QCOMPARE(QFileInfo(copy).isFile(), !fails(Attachment));

        // Nothing that was there is lost.
        if (QFileInfo(P(QStringLiteral("Logo.bmp"))).isFile())
            QCOMPARE(Bytes(P(QStringLiteral("Logo.bmp"))), m_logo);
        windows.clear();
        QVERIFY(m_tp->messages.shown.isEmpty());
    }

private slots:
    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_folder = m_tp->platform.programFolder;
    }
    void cleanup() {
        m_tp->messages.Take();
        m_tp.reset();
    }

    // The program folder as it should be: every write of the day works.
    void soundFolder() {
        Fill();
        WritePassword();
        OfficeDay(0);
    }

    void somethingInTheWay_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("folder"); // a folder in place of a file, or a file in place of a folder
        QTest::addColumn<int>("mustFail");
        QTest::newRow("year file") << "2026.ric" << true << int(Receipt);
        QTest::newRow("registry file") << QString::fromLatin1(RegistryFileName) << true << int(Card);
        QTest::newRow("settings") << "Trelvani.ini" << true << int(Numbering);
        QTest::newRow("password file") << "unins000.dll" << true << int(Password);
        QTest::newRow("logo") << "Logo.bmp" << true << 0;
        QTest::newRow("export file") << "Archivio_Anagrafico.xls" << true << int(Export);
        QTest::newRow("attachments folder") << "Documenti_Allegati" << false << int(Attachment);
        QTest::newRow("backup folder") << "Backup" << false << int(Backup);
    }
    void somethingInTheWay() {
        QFETCH(QString, name);
        QFETCH(bool, folder);
        QFETCH(int, mustFail);
        Fill();
        WritePassword();
        const QString path = P(name);
        QFile::remove(path);
        if (folder) {
            QVERIFY(QDir().mkpath(path + QStringLiteral("/inside")));
        } else {
            QVERIFY(Put(path, "in the way"));
        }
        OfficeDay(mustFail);
        // What stood in the way is left as it was.
        if (folder)
            QVERIFY(QFileInfo(path + QStringLiteral("/inside")).isDir());
        else
            QCOMPARE(Bytes(path), QByteArray("in the way"));
    }

    void folderRefusesWrites_data() {
        QTest::addColumn<int>("error");
        QTest::newRow("read-only folder") << int(EROFS);
        QTest::newRow("no write permission") << int(EACCES);
    }
    // Runs always: the file layer refuses every write the way such a folder does. Only the copy's
    // folders, made outside the file layer, can still appear.
    void folderRefusesWrites() {
        QFETCH(int, error);
        Fill();
        WritePassword();
        RefusingFileOps refuse(error);
        OfficeDay(kAll);
    }

    // A real read-only file system: needs a mount (root with CAP_SYS_ADMIN).
    void readOnlyFileSystem() {
        TmpfsMount mount;
        if (!mount.Mount())
            QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here (%1): run as root with the right to mount")
                                 .arg(mount.error)));
        m_folder = mount.dir.path() + QLatin1Char('/');
        Fill();
        WritePassword();
        QVERIFY2(mount.MakeReadOnly(), qPrintable(mount.error));
        QVERIFY(!Put(P(QStringLiteral("probe")), "x"));
        OfficeDay(kAll);
    }

    // A full file system: every write that needs room fails and says so; nothing is lost.
    void fullFileSystem() {
        TmpfsMount mount;
        if (!mount.Mount())
            QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here (%1): run as root with the right to mount")
                                 .arg(mount.error)));
        m_folder = mount.dir.path() + QLatin1Char('/');
        Fill();
        WritePassword();
        {
            QFile filler(P(QStringLiteral("riempimento")));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'f');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        QVERIFY(!Put(P(QStringLiteral("probe")), QByteArray(4096, 'x')));
        QFile::remove(P(QStringLiteral("probe")));
        OfficeDay(kAll);
    }
};

QTEST_MAIN(TestReadOnlyPlaces)
#include "tst_readonlyplaces.moc"
