// Every write of the record files and of the whole-file saves, with each of its system calls
// failing in turn as a full disk and as a failing device: the failure is reported, and the files
// hold their old content or the complete new one, never a half-written record that a read counts.
#include "../support/FaultyFileOps.h"
#include "storage/IniFile.h"
#include "storage/RecordFile.h"
#include "storage/SaveFile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <sys/stat.h>

namespace {
QByteArray Record(int size, char fill) {
    QByteArray r(size, fill);
    for (int i = 0; i < size; i += 97)
        r[i] = char('0' + i % 10); // no two pieces of a record alike: a torn or shifted write shows
    return r;
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}
} // namespace

class TestFileFaults : public QObject {
    Q_OBJECT
private slots:
    void recordWrites_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("cablePulled");
        for (int size : {1099, 3189})
            for (bool overwrite : {false, true})
                for (int error : {ENOSPC, EIO})
                    for (bool cablePulled : {false, true})
                        QTest::addRow("%d-byte %s, %s%s", size, overwrite ? "overwrite" : "append",
                                      error == ENOSPC ? "ENOSPC" : "EIO", cablePulled ? ", every call after" : "")
                            << size << overwrite << error << cablePulled;
    }
    // Open, write and close as one save does, with every call failing in turn. With the cable
    // pulled, that call and every one after it fail, so nothing the save tries afterwards can put
    // the old record back: the next open, with the cable back, must.
    void recordWrites() {
        QFETCH(int, size);
        QFETCH(bool, overwrite);
        QFETCH(int, error);
        QFETCH(bool, cablePulled);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("archive"));
        const QByteArray before = Record(size, 'a') + Record(size, 'b') + Record(size, 'c');
        const QByteArray fresh = Record(size, 'n');
        const qint64 target = overwrite ? 1 : 3;
        auto save = [&] {
            RecordFile f(size);
            bool ok = f.OpenOrCreate(path);
            ok = ok && (overwrite ? f.OverwriteRaw(target, fresh) : f.AppendRaw(fresh));
            return f.Close() && ok;
        };

        FaultyFileOps faults;
        faults.sticky = cablePulled;
        QVERIFY(WriteBytes(path, before));
        QVERIFY(save());
        const int calls = faults.calls;
        QVERIFY2(calls >= 4, "the save does not go through the file calls"); // open, pieces, close
        qInfo("%d file calls, each made to fail in turn", calls);

        int repaired = 0;
        for (int n = 1; n <= calls; ++n) {
            QVERIFY(WriteBytes(path, before));
            faults.Arm(n, error);
            const bool ok = save();
            const QString failed = QLatin1String(faults.failed);
            faults.Arm(0, 0);
            QVERIFY2(!ok, qPrintable(QStringLiteral("call %1 (%2) failed unnoticed").arg(n).arg(failed)));
            if (cablePulled) {
                const QByteArray left = Bytes(path);
                RecordFile f(size);
                QVERIFY(f.OpenOrCreate(path));
                QVERIFY(f.Close());
                repaired += Bytes(path) != left ? 1 : 0;
            }
            QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("archive")}); // nothing left beside it

            const QByteArray after = Bytes(path);
            const qint64 whole = after.size() / size;
            for (qint64 i = 0; i < 3; ++i) {
                const QByteArray rec = after.mid(i * size, size);
                const bool keptOrNew = rec == before.mid(i * size, size) || (i == target && rec == fresh);
                QVERIFY2(keptOrNew,
                         qPrintable(QStringLiteral("call %1 (%2): record %3 mixed").arg(n).arg(failed).arg(i + 1)));
            }
            if (overwrite)
                QCOMPARE(after.size(), before.size());
            else
                QVERIFY2(whole == 3 || (whole == 4 && after.mid(3 * size, size) == fresh),
                         qPrintable(QStringLiteral("call %1: %2 whole records").arg(n).arg(whole)));

            // Space again: the next append lands right after the whole records, over any torn tail.
            RecordFile f(size);
            QVERIFY(f.OpenOrCreate(path));
            qint64 position = 0;
            QVERIFY(f.AppendRaw(Record(size, 'z'), &position));
            QCOMPARE(position, whole + 1);
            QVERIFY(f.Close());
            QCOMPARE(Bytes(path).size(), (whole + 1) * size);
        }
        // A cut overwrite leaves a torn record that only the next open can mend.
        if (cablePulled && overwrite)
            QVERIFY2(repaired > 0, "no overwrite was left torn: the repair was never exercised");
    }

    void batchAppend_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("tornTail");
        for (int error : {ENOSPC, EIO})
            for (bool tornTail : {false, true})
                QTest::addRow("%s%s", error == ENOSPC ? "ENOSPC" : "EIO", tornTail ? ", torn tail" : "")
                    << error << tornTail;
    }
    // A batch of appends with each of its calls failing in turn: the archive stays byte for byte
    // as before, a torn trailing record included, and the failure is reported.
    void batchAppend() {
        QFETCH(int, error);
        QFETCH(bool, tornTail);
        const int size = 1099;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("archive"));
        const QByteArray before = Record(size, 'a') + Record(size, 'b') + (tornTail ? QByteArray(300, 't') : "");
        QByteArray batch;
        for (char c : {'n', 'o', 'p', 'q'})
            batch += Record(size, c);
        auto save = [&] {
            RecordFile f(size);
            qint64 first = 0;
            bool ok = f.OpenOrCreate(path) && f.AppendBatchRaw([&](qint64 count, QByteArray& recs) {
                recs = batch;
                return count == 2;
            }, &first);
            return f.Close() && ok && first == 3;
        };

        FaultyFileOps faults;
        QVERIFY(WriteBytes(path, before));
        QVERIFY(save());
        QCOMPARE(Bytes(path), before.left(2 * size) + batch);
        const int calls = faults.calls;
        QVERIFY2(calls >= 4, "the batch does not go through the file calls");
        for (int n = 1; n <= calls; ++n) {
            QVERIFY(WriteBytes(path, before));
            faults.Arm(n, error);
            const bool ok = save();
            const QString failed = QLatin1String(faults.failed);
            faults.Arm(0, 0);
            if (failed == QLatin1String("close") && Bytes(path) == before.left(2 * size) + batch)
                continue; // the batch was whole on the disk before the descriptor's close failed
            QVERIFY2(!ok, qPrintable(QStringLiteral("call %1 (%2) failed unnoticed").arg(n).arg(failed)));
            QVERIFY2(Bytes(path) == before, qPrintable(QStringLiteral("call %1 (%2) changed the file").arg(n).arg(failed)));
            QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("archive")});
        }
    }

    void wholeFileSaves_data() {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<int>("error");
        for (bool existing : {true, false})
            for (int error : {ENOSPC, EIO})
                QTest::addRow("%s file, %s", existing ? "existing" : "new", error == ENOSPC ? "ENOSPC" : "EIO")
                    << existing << error;
    }
    // A settings write (every line rewritten) with each call failing: the old file stays byte for
    // byte, or no file at all when there was none, and no new file is left beside it.
    void wholeFileSaves() {
        QFETCH(bool, existing);
        QFETCH(int, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Trelvani.ini"));
        const QByteArray before = "[Ricevute]\r\nInizio=41\r\n; keep me\r\n" + QByteArray(3000, 'x') + "\r\n";
        auto reset = [&] {
            QFile::remove(path);
            return !existing || WriteBytes(path, before);
        };

        FaultyFileOps faults;
        QVERIFY(reset());
        QVERIFY(IniWrite(path, QStringLiteral("Ricevute"), QStringLiteral("Inizio"), QStringLiteral("42")));
        QCOMPARE(IniRead(path, QStringLiteral("Ricevute"), QStringLiteral("Inizio")), QStringLiteral("42"));
        const int calls = faults.calls;
        QVERIFY2(calls >= 5, "the save does not go through the file calls"); // open, pieces, flush, close, rename
        qInfo("%d file calls, each made to fail in turn", calls);
        const QStringList entries = Entries(dir.path());

        for (int n = 1; n <= calls; ++n) {
            QVERIFY(reset());
            faults.Arm(n, error);
            QString why;
            const bool ok =
                IniWrite(path, QStringLiteral("Ricevute"), QStringLiteral("Inizio"), QStringLiteral("42"), &why);
            const QString failed = QLatin1String(faults.failed);
            faults.Arm(0, 0);
            QVERIFY2(!ok, qPrintable(QStringLiteral("call %1 (%2) failed unnoticed").arg(n).arg(failed)));
            QVERIFY2(why.contains(QString::fromLocal8Bit(strerror(error))), qPrintable(why));
            QCOMPARE(QFileInfo::exists(path), existing);
            if (existing)
                QCOMPARE(Bytes(path), before);
            QCOMPARE(Entries(dir.path()), existing ? entries : QStringList());
        }
    }

    // The new file takes the place of the old one with the old one's permissions (a shared
    // settings file stays readable to the other workstations), and a link keeps pointing at it.
    void saveKeepsPermissionsAndLinks() {
        QTemporaryDir dir;
        const QString real = dir.filePath(QStringLiteral("real.ini"));
        const QString link = dir.filePath(QStringLiteral("link.ini"));
        QVERIFY(WriteBytes(real, "old"));
        QVERIFY(::chmod(QFile::encodeName(real).constData(), 0664) == 0);
        QVERIFY(QFile::link(real, link));
        QVERIFY(SaveWholeFile(link, "new"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(Bytes(real), QByteArray("new"));
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(real).constData(), &st) == 0);
        QCOMPARE(int(st.st_mode & 0777), 0664);
        QCOMPARE(Entries(dir.path()), QStringList({QStringLiteral("link.ini"), QStringLiteral("real.ini")}));
    }

    // A new file that a killed save left behind is removed by a later save once it is an hour
    // old; a younger one may be another workstation's save in progress and stays.
    void saveRemovesStaleNewFiles() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Scheda_Iscritto_3.jpg"));
        QVERIFY(WriteBytes(path + ".new123", "stale"));
        QVERIFY(WriteBytes(path + ".new456", "recent"));
        QVERIFY(WriteBytes(dir.filePath(QStringLiteral("Scheda_Iscritto_31.jpg.new7")), "another card"));
        {
            QFile stale(path + ".new123");
            QVERIFY(stale.open(QIODevice::ReadWrite));
            QVERIFY(
                stale.setFileTime(QDateTime::currentDateTime().addSecs(-2 * 3600), QFileDevice::FileModificationTime));
        }
        QVERIFY(SaveWholeFile(path, "photo"));
        QCOMPARE(Entries(dir.path()),
                 QStringList({QStringLiteral("Scheda_Iscritto_3.jpg"), QStringLiteral("Scheda_Iscritto_3.jpg.new456"),
                              QStringLiteral("Scheda_Iscritto_31.jpg.new7")}));
    }

    void saveRefusesAFolder() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Logo.bmp"));
        QVERIFY(QDir().mkdir(path));
        QString why;
        QVERIFY(!SaveWholeFile(path, "bytes", &why));
        QVERIFY(!why.isEmpty());
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("Logo.bmp")});
    }
};

QTEST_GUILESS_MAIN(TestFileFaults)
#include "tst_filefaults.moc"
