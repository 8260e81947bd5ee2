// The daily copy of the archives and settings into Backup/<yyyy-mm-dd>/, across days.
#include "../support/FaultyFileOps.h"
#include "../support/TestFiles.h"
#include "storage/Backup.h"
#include "storage/ReceiptFile.h"
#include "storage/RecordFile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
using testfiles::Read;
using testfiles::Write;
using testfiles::Entries;

const QDate kDay(2026, 12, 10);
} // namespace

class TestBackup : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;

    QString P(const QString& name) const { return m_folder + name; }

    // A program folder with everything the program keeps, copied or not.
    void FillFolder(const QByteArray& tag) {
        Write(P("2025.ric"), "receipts 2025 " + tag);
        Write(P("2026.ric"), "receipts 2026 " + tag);
        Write(P("Archivio_Iscritti.pro"), "cards " + tag);
        Write(P("Trelvani.ini"), "[Numerazione Ricevute]\r\nInizio=" + tag + "\r\n");
        Write(P("unins000.dll"), "[Accesso]\r\nValore=8A4F\r\n");
        Write(P("Mandati_SDD.ini"), "[RSSMRA85T10A562S]\r\nMandato=M-" + tag + "\r\n");
        Write(P("copia.ric"), "not a year file");
        Write(P("Logo.bmp"), "logo");
        Write(P("Anagrafica/Scheda_Iscritto_1.jpg"), "photo");
        Write(P("Documenti_Allegati/certificato.pdf"), "document");
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_folder = m_dir->path() + QLatin1Char('/');
    }

    void copiesArchivesAndSettingsOnly() {
        FillFolder("a");
        const BackupResult r = RunDailyBackup(m_folder, kDay);
        QCOMPARE(r.outcome, BackupResult::Copied);
        QCOMPARE(Entries(P("Backup")), QStringList{"2026-12-10"});
        const QString day = P("Backup/2026-12-10/");
        QCOMPARE(BackupDayFolder(m_folder, kDay) + QLatin1Char('/'), day);
        // Photos, attachments, the logo and other .ric files stay out.
        QCOMPARE(Entries(day), (QStringList{"2025.ric", "2026.ric", "Archivio_Iscritti.pro", "Mandati_SDD.ini",
                                             "Trelvani.ini", "unins000.dll"}));
        for (const QString& name : Entries(day))
            QCOMPARE(Read(day + name), Read(P(name)));
    }

    void oneCopyPerDayKeepsTheMorningState() {
        FillFolder("morning");
        QCOMPARE(RunDailyBackup(m_folder, kDay).outcome, BackupResult::Copied);
        FillFolder("evening"); // a receipt saved over by mistake later that day
        QCOMPARE(RunDailyBackup(m_folder, kDay).outcome, BackupResult::AlreadyDone);
        QCOMPARE(Read(P("Backup/2026-12-10/2026.ric")), QByteArray("receipts 2026 morning"));
        QCOMPARE(RunDailyBackup(m_folder, kDay.addDays(1)).outcome, BackupResult::Copied);
        QCOMPARE(Read(P("Backup/2026-12-11/2026.ric")), QByteArray("receipts 2026 evening"));
        QCOMPARE(Read(P("Backup/2026-12-10/2026.ric")), QByteArray("receipts 2026 morning"));
    }

    // The morning's copy is made after a save that a crash cut short last night has been settled:
    // the copy holds the old record, never the torn one.
    void copiesAnArchiveWithAnInterruptedOverwriteSettled() {
        FillFolder("a");
        const int size = ReceiptRecord::Size;
        QByteArray before;
        for (char c : {'a', 'b', 'c'})
            before += QByteArray(size, c);
        Write(P("2026.ric"), before);
        // The cable is pulled 400 bytes into record 2: it is left torn, with the saved old and new
        // record beside the archive.
        QByteArray torn;
        {
            CableCut cut(P("2026.ric"), 400);
            RecordFile f(size);
            QVERIFY(f.OpenOrCreate(P("2026.ric")));
            QVERIFY(!f.OverwriteRaw(1, QByteArray(size, 'n')));
            f.Close();
            const QByteArray left = Read(P("2026.ric"));
            if (left != before && left.mid(size, size) != QByteArray(size, 'n'))
                torn = left;
        }
        QVERIFY2(!torn.isEmpty(), "no cut left the record torn");
        QVERIFY(QFile::exists(RecordFile::IntentPath(P("2026.ric"))));

        QCOMPARE(RunDailyBackup(m_folder, kDay).outcome, BackupResult::Copied);
        QCOMPARE(Read(P("Backup/2026-12-10/2026.ric")), before);
        QCOMPARE(Read(P("2026.ric")), before);
        QVERIFY(!QFile::exists(RecordFile::IntentPath(P("2026.ric"))));
        QVERIFY(!Entries(P("Backup/2026-12-10")).contains("2026.ric.ripristino"));
    }

    void keepsTheLastThirtyDays() {
        Write(P("Backup/notes.txt"), "the user's own file");
        Write(P("Backup/vecchi/2020.ric"), "the user's own folder");
        Write(P("Backup/2027-06-01/2026.ric"), "copy from a clock set ahead");
        // 45 days in a row, with a day the program was not used (no log-in, no copy).
        for (int i = 0; i < 45; ++i) {
            if (i == 40)
                continue;
            FillFolder(QByteArray::number(i));
            QCOMPARE(RunDailyBackup(m_folder, kDay.addDays(i)).outcome, BackupResult::Copied);
        }
        const QDate last = kDay.addDays(44);
        QStringList expected;
        for (int i = 15; i < 45; ++i)
            if (i != 40)
                expected << kDay.addDays(i).toString("yyyy-MM-dd");
        expected << "2027-06-01"
                 << "notes.txt"
                 << "vecchi";
        expected.sort();
        QCOMPARE(Entries(P("Backup")), expected);
        // Each day's copy holds that day's files: yesterday's receipts can be taken back.
        QCOMPARE(Read(BackupDayFolder(m_folder, last.addDays(-1)) + "/2026.ric"), QByteArray("receipts 2026 43"));
        QCOMPARE(Read(BackupDayFolder(m_folder, kDay.addDays(15)) + "/Trelvani.ini"),
                 QByteArray("[Numerazione Ricevute]\r\nInizio=15\r\n"));
    }

    void aCopyCutShortIsStartedAfresh() {
        FillFolder("a");
        Write(P("Backup/.in-corso-2026-12-10/2026.ric"), "half"); // left by a crash during today's copy
        Write(P("Backup/.in-corso-2026-12-01/2026.ric"), "half"); // and one from an earlier day
        QCOMPARE(RunDailyBackup(m_folder, kDay).outcome, BackupResult::Copied);
        QCOMPARE(Entries(P("Backup")), QStringList{"2026-12-10"});
        QCOMPARE(Read(P("Backup/2026-12-10/2026.ric")), QByteArray("receipts 2026 a"));
    }

    void failureLeavesNoPartialDay_data() {
        QTest::addColumn<QString>("blocker"); // a file standing where a folder must go
        QTest::newRow("Backup is a file") << "Backup";
        QTest::newRow("the day is a file") << "Backup/2026-12-10";
    }
    void failureLeavesNoPartialDay() {
        QFETCH(QString, blocker);
        FillFolder("a");
        Write(P(blocker), "in the way");
        const BackupResult r = RunDailyBackup(m_folder, kDay);
        QCOMPARE(r.outcome, BackupResult::Failed);
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(Read(P(blocker)), QByteArray("in the way"));
        if (QFileInfo(P("Backup")).isDir())
            QCOMPARE(Entries(P("Backup")), QStringList{"2026-12-10"}); // the blocking file only, no work folder
        // Once the way is clear, the next log-in makes the copy.
        QVERIFY(QFile::remove(P(blocker)));
        QCOMPARE(RunDailyBackup(m_folder, kDay).outcome, BackupResult::Copied);
    }

    // The journals go with the archives, each whole; the journal index and other files there stay out.
    void copiesTheJournals() {
        FillFolder("a");
        Write(P("Storico/2026.ric.log"), "E\tentry\n");
        Write(P("Storico/Archivio_Iscritti.pro.log"), "E\tcard entry\n");
        Write(P("Storico/2026.stampe.log"), "P\tprint\n");
        Write(P("Storico/2026.ric.log.idx"), "index");
        Write(P("Storico/appunti.txt"), "notes");
        const BackupResult r = RunDailyBackup(m_folder, kDay);
        QCOMPARE(r.outcome, BackupResult::Copied);
        const QString day = P("Backup/2026-12-10/");
        QCOMPARE(Entries(day + "Storico"),
                 (QStringList{"2026.ric.log", "2026.stampe.log", "Archivio_Iscritti.pro.log"}));
        for (const QString& name : Entries(day + "Storico"))
            QCOMPARE(Read(day + "Storico/" + name), Read(P("Storico/" + name)));
        QVERIFY(r.copied.contains("Storico/2026.ric.log"));
    }

    void emptyFolderCopiesWhatThereIs() {
        const BackupResult r = RunDailyBackup(m_folder, kDay);
        QCOMPARE(r.outcome, BackupResult::Copied);
        QVERIFY(r.copied.isEmpty());
        QVERIFY(QFileInfo(P("Backup/2026-12-10")).isDir());
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
