// The days in Backup/ and what they hold, putting one file back (aside copy first, damaged copies and
// a lock held elsewhere refused, a failure at any call leaving the current file), and the copy of the
// whole program folder.
#include "../support/FaultyFileOps.h"
#include "../support/TestFiles.h"
#include "backup/BackupRestore.h"
#include "storage/ReceiptFile.h"
#include "storage/RecordFile.h"
#include "storage/RegistryFile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {
using testfiles::Read;
using testfiles::Write;
using testfiles::Entries;

QByteArray Records(int size, int count, char fill) {
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += QByteArray(size, char(fill + i));
    return out;
}

const QDate kToday(2026, 12, 11);

// Another workstation holding the archive's lock: a separate process, since a process never waits
// for its own record locks.
class LockHolder {
public:
    explicit LockHolder(const QString& path) {
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            RecordFile f(ReceiptRecord::Size);
            f.OpenOrCreate(path);
            f.Locked([&] {
                char c = 'x';
                (void)!::write(ready[1], &c, 1);
                (void)!::read(release[0], &c, 1); // until the test lets go
                return true;
            });
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        m_release = release[1];
        char c;
        m_holding = ::read(ready[0], &c, 1) == 1;
        ::close(ready[0]);
    }
    ~LockHolder() {
        if (m_release >= 0)
            ::close(m_release);
        if (m_pid > 0)
            ::waitpid(m_pid, nullptr, 0);
    }
    bool Holding() const { return m_holding; }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_holding = false;
};
} // namespace

class TestBackupRestore : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
    QString P(const QString& name) const { return m_folder + name; }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_folder = m_dir->path() + u'/';
    }

    void listsTheDaysAndWhatTheyHold() {
        Write(P("Backup/2026-12-08/2026.ric"), Records(ReceiptRecord::Size, 3, 'a'));
        Write(P("Backup/2026-12-10/2026.ric"), Records(ReceiptRecord::Size, 5, 'a'));
        Write(P("Backup/2026-12-10/2025.ric"), Records(ReceiptRecord::Size, 1, 'a') + "torn");
        Write(P("Backup/2026-12-10/Archivio_Iscritti.pro"), Records(RegistryRecord::Size, 2, 'a'));
        Write(P("Backup/2026-12-10/Trelvani.ini"), "[Ricevente]\r\n");
        Write(P("Backup/2026-12-10/unins000.dll"), "[Accesso]\r\n");
        Write(P("Backup/2026-12-10/Storico/2026.log"), "journal"); // folders inside a day are not files of it
        Write(P("Backup/2026-12-10-prima-del-ripristino/2026.ric"), Records(ReceiptRecord::Size, 1, 'a'));
        Write(P("Backup/2026-12-10-prima-del-ripristino-2/2026.ric"), Records(ReceiptRecord::Size, 1, 'a'));
        Write(P("Backup/.in-corso-2026-12-11/2026.ric"), "half a copy");
        Write(P("Backup/vecchi/2020.ric"), "the user's own");
        Write(P("Backup/2026-13-01/2026.ric"), "no such day");
        Write(P("Backup/note.txt"), "the user's own");

        const QVector<BackupDay> days = ListBackupDays(m_folder);
        QStringList labels;
        for (const BackupDay& d : days)
            labels << d.Label();
        QCOMPARE(labels, (QStringList{"10/12/2026, prima del ripristino (2)", "10/12/2026, prima del ripristino",
                                      "10/12/2026", "08/12/2026"}));
        const BackupDay& day = days[2];
        QCOMPARE(day.folder, P("Backup/2026-12-10"));
        QStringList files;
        for (const BackupFileInfo& f : day.files)
            files << QStringLiteral("%1 %2 %3").arg(f.name).arg(f.size).arg(f.Contents());
        QCOMPARE(files, (QStringList{"2025.ric 1103 danneggiato: 1103 byte non sono un multiplo di 1099",
                                     "2026.ric 5495 5 ricevute", "Archivio_Iscritti.pro 6378 2 schede",
                                     "Trelvani.ini 13 impostazioni", "unins000.dll 11 password"}));
        QVERIFY(ListBackupDays(P("altrove/")).isEmpty());
    }

    void restoresOneFileKeepingTheCurrentOneAside_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        QTest::newRow("a year of receipts") << "2026.ric" << ReceiptRecord::Size;
        QTest::newRow("the registry") << "Archivio_Iscritti.pro" << RegistryRecord::Size;
        QTest::newRow("the settings") << "Trelvani.ini" << 1;
    }
    void restoresOneFileKeepingTheCurrentOneAside() {
        QFETCH(QString, name);
        QFETCH(int, size);
        const QByteArray old = Records(size, 4, 'a'), now = Records(size, 7, 'k'), later = Records(size, 8, 'r');
        Write(P("Backup/2026-12-09/" + name), old);
        Write(P(name), now);
        Write(P("Backup/2026-12-09/altro.ric"), "untouched");

        RestoreOutcome r = RestoreBackupFile(m_folder, P("Backup/2026-12-09"), name, kToday);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(Read(P(name)), old);
        QCOMPARE(r.savedTo, P("Backup/2026-12-11-prima-del-ripristino"));
        QCOMPARE(Read(r.savedTo + u'/' + name), now);
        QCOMPARE(Entries(r.savedTo), QStringList{name});
        QCOMPARE(Read(P("Backup/2026-12-09/" + name)), old);

        // Work goes on after the restore, then the same day is put back again: the first aside copy stays.
        Write(P(name), later);
        r = RestoreBackupFile(m_folder, P("Backup/2026-12-09"), name, kToday);
        QVERIFY(r.ok);
        QCOMPARE(r.savedTo, P("Backup/2026-12-11-prima-del-ripristino-2"));
        QCOMPARE(Read(r.savedTo + u'/' + name), later);
        QCOMPARE(Read(P("Backup/2026-12-11-prima-del-ripristino/" + name)), now);
        QCOMPARE(Read(P(name)), old);
        QVERIFY(!QFile::exists(RecordFile::IntentPath(P(name))));
    }

    void aFileThatNoLongerExistsIsPutBack() {
        Write(P("Backup/2026-12-09/2024.ric"), Records(ReceiptRecord::Size, 2, 'a'));
        const RestoreOutcome r = RestoreBackupFile(m_folder, P("Backup/2026-12-09"), "2024.ric", kToday);
        QVERIFY(r.ok);
        QVERIFY(r.savedTo.isEmpty());
        QCOMPARE(Read(P("2024.ric")), Records(ReceiptRecord::Size, 2, 'a'));
        QVERIFY(!QFileInfo::exists(P("Backup/2026-12-11-prima-del-ripristino")));
    }

    void refusesADamagedCopy() {
        const QByteArray now = Records(RegistryRecord::Size, 3, 'k');
        Write(P("Archivio_Iscritti.pro"), now);
        Write(P("Backup/2026-12-09/Archivio_Iscritti.pro"), Records(RegistryRecord::Size, 2, 'a') + "x");
        const RestoreOutcome r = RestoreBackupFile(m_folder, P("Backup/2026-12-09"), "Archivio_Iscritti.pro", kToday);
        QVERIFY(!r.ok);
        QCOMPARE(r.error, QStringLiteral("Il file Archivio_Iscritti.pro della copia è danneggiato: la sua lunghezza "
                                         "(6379 byte) non è un multiplo di 3189 byte, la lunghezza di un record."));
        QCOMPARE(Read(P("Archivio_Iscritti.pro")), now);
        QCOMPARE(Entries(P("Backup")), QStringList{"2026-12-09"});
    }

    void refusesWhileAnotherWorkstationHoldsTheLock() {
        const QByteArray now = Records(ReceiptRecord::Size, 3, 'k');
        Write(P("2026.ric"), now);
        Write(P("Backup/2026-12-09/2026.ric"), Records(ReceiptRecord::Size, 1, 'a'));
        {
            LockHolder other(P("2026.ric"));
            QVERIFY(other.Holding());
            RecordFile f(ReceiptRecord::Size);
            QVERIFY(f.OpenOrCreate(P("2026.ric")));
            bool busy = false, ran = false;
            QVERIFY(!f.TryLocked([&] { return ran = true; }, &busy));
            QVERIFY(busy);
            QVERIFY(!ran);
            f.Close();

            const RestoreOutcome r = RestoreBackupFile(m_folder, P("Backup/2026-12-09"), "2026.ric", kToday);
            QVERIFY(!r.ok);
            QVERIFY(r.busy);
            QCOMPARE(Read(P("2026.ric")), now);
            QCOMPARE(Entries(P("Backup")), QStringList{"2026-12-09"});
        }
        const RestoreOutcome r = RestoreBackupFile(m_folder, P("Backup/2026-12-09"), "2026.ric", kToday);
        QVERIFY(r.ok);
        QVERIFY(!r.busy);
        QCOMPARE(Read(P("2026.ric")), Records(ReceiptRecord::Size, 1, 'a'));
    }

    // Every file call of a restore failing in turn: the current file is the old one or the copy, whole.
    void failureAtAnyCallLeavesTheCurrentFile() {
        const QByteArray now = Records(ReceiptRecord::Size, 6, 'k'), old = Records(ReceiptRecord::Size, 2, 'a');
        int failures = 0;
        for (int n = 1; n < 100; ++n) {
            QDir(P("Backup")).removeRecursively();
            Write(P("2026.ric"), now);
            Write(P("Backup/2026-12-09/2026.ric"), old);
            RestoreOutcome r;
            const char* failed = nullptr;
            {
                FaultyFileOps faults;
                faults.Arm(n, n % 2 ? EIO : ENOSPC);
                r = RestoreBackupFile(m_folder, P("Backup/2026-12-09"), "2026.ric", kToday);
                failed = faults.failed;
            }
            if (!failed) {
                QVERIFY(r.ok);
                QCOMPARE(Read(P("2026.ric")), old);
                QVERIFY(failures > 2);
                return;
            }
            ++failures;
            const QByteArray current = Read(P("2026.ric"));
            if (r.ok) {
                QCOMPARE(current, old); // a failed close after the rename: the copy is in place
                continue;
            }
            QVERIFY(!r.error.isEmpty());
            QVERIFY2(current == now, qPrintable(QStringLiteral("call %1 (%2)").arg(n).arg(failed)));
            QCOMPARE(Entries(m_folder).filter(".new"), QStringList());
        }
        QFAIL("the restore never got through");
    }

    void photosOfCardsTheRegistryNoLongerHasGoAside() {
        Write(P("Archivio_Iscritti.pro"), Records(RegistryRecord::Size, 4, 'k'));
        Write(P("Backup/2026-12-09/Archivio_Iscritti.pro"), Records(RegistryRecord::Size, 2, 'a'));
        for (int n : {1, 2, 3, 4, 10})
            Write(CardPhotoPath(m_folder, n), "photo " + QByteArray::number(n));
        const RestoreOutcome r = RestoreBackupFile(m_folder, P("Backup/2026-12-09"), "Archivio_Iscritti.pro", kToday);
        QVERIFY(r.ok);
        QCOMPARE(Entries(P("Anagrafica")), (QStringList{"Scheda_Iscritto_1.jpg", "Scheda_Iscritto_2.jpg"}));
        QCOMPARE(Entries(r.savedTo + "/Anagrafica"),
                 (QStringList{"Scheda_Iscritto_10.jpg", "Scheda_Iscritto_3.jpg", "Scheda_Iscritto_4.jpg"}));
        QCOMPARE(Read(r.savedTo + "/Anagrafica/Scheda_Iscritto_3.jpg"), QByteArray("photo 3"));
    }

    void copiesTheWholeFolder() {
        QTemporaryDir stick;
        Write(P("carvenna"), "#!/bin/sh\n");
        QFile::setPermissions(P("carvenna"), QFile::permissions(P("carvenna")) | QFile::ExeOwner);
        Write(P("2026.ric"), Records(ReceiptRecord::Size, 3, 'a'));
        Write(P("Archivio_Iscritti.pro"), Records(RegistryRecord::Size, 2, 'a'));
        Write(P("Anagrafica/Scheda_Iscritto_1.jpg"), "photo");
        Write(P("Documenti_Allegati/certificato medico.pdf"), QByteArray(300000, 'd'));
        Write(P("Backup/2026-12-10/2026.ric"), Records(ReceiptRecord::Size, 2, 'a'));
        const QString target = stick.filePath("Carvenna 2026-12-11");
        QVector<qint64> seen;
        qint64 total = 0;
        const FolderCopyOutcome r = CopyProgramFolder(m_folder, target, [&](qint64 done, qint64 all) {
            seen << done;
            total = all;
            return true;
        });
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.folder, QDir(stick.path()).canonicalPath() + "/Carvenna 2026-12-11");
        QCOMPARE(Entries(stick.path()), QStringList{"Carvenna 2026-12-11"});
        for (const QString& name : {"carvenna", "2026.ric", "Archivio_Iscritti.pro", "Anagrafica/Scheda_Iscritto_1.jpg",
                                    "Documenti_Allegati/certificato medico.pdf", "Backup/2026-12-10/2026.ric"})
            QCOMPARE(Read(target + u'/' + name), Read(P(name)));
        QVERIFY(QFileInfo(target + "/carvenna").isExecutable());
        QCOMPARE(seen.first(), 0);
        QCOMPARE(seen.last(), total);
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        QCOMPARE(seen.size(), 7);

        // Refused: a name already there, a place inside the program folder.
        FolderCopyOutcome again = CopyProgramFolder(m_folder, target);
        QVERIFY(!again.ok);
        QVERIFY(again.error.contains("esiste già"));
        again = CopyProgramFolder(m_folder, P("Backup/copia"));
        QVERIFY(!again.ok);
        QVERIFY(again.error.contains("dentro la cartella del programma"));
    }

    // Stopped by the user or by a failing call: nothing under the final name, no work folder left.
    void anUnfinishedCopyLeavesNothing() {
        QTemporaryDir stick;
        Write(P("2026.ric"), Records(ReceiptRecord::Size, 3, 'a'));
        Write(P("Anagrafica/Scheda_Iscritto_1.jpg"), "photo");
        Write(P("Trelvani.ini"), "[Ricevente]\r\n");
        const QString target = stick.filePath("Carvenna");
        int steps = 0;
        FolderCopyOutcome r = CopyProgramFolder(m_folder, target, [&](qint64, qint64) { return ++steps < 3; });
        QVERIFY(!r.ok);
        QVERIFY(r.cancelled);
        QCOMPARE(Entries(stick.path()), QStringList());
        int failures = 0;
        for (int n = 1; n < 100; ++n) {
            const char* failed = nullptr;
            {
                FaultyFileOps faults;
                faults.Arm(n, ENOSPC);
                r = CopyProgramFolder(m_folder, target);
                failed = faults.failed;
            }
            if (!failed) {
                QVERIFY(r.ok);
                QVERIFY(failures > 3);
                return;
            }
            ++failures;
            if (r.ok) {
                // Only closing a file that was read may fail unnoticed: what it gave is already written.
                QCOMPARE(QByteArray(failed), QByteArray("close"));
                for (const QString& name : {"2026.ric", "Anagrafica/Scheda_Iscritto_1.jpg", "Trelvani.ini"})
                    QCOMPARE(Read(target + u'/' + name), Read(P(name)));
                QVERIFY(QDir(target).removeRecursively());
                continue;
            }
            QVERIFY(!r.error.isEmpty());
            QCOMPARE(Entries(stick.path()), QStringList());
        }
        QFAIL("the copy never got through");
    }
};

QTEST_GUILESS_MAIN(TestBackupRestore)
#include "tst_backuprestore.moc"
