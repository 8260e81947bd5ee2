// The file calls every save goes through, held to the one behaviour both systems must give: bytes
// written as they are, reads and writes at an offset, replacing a file another descriptor still has
// open, errors reported as the C library's, names outside ASCII, and the byte lock between processes.
#include "storage/SystemFile.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>

namespace {
constexpr qint64 kSentinel = qint64(1) << 40;

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

QByteArray ReadAll(int fd) {
    QByteArray out(int(SystemFile::Size(fd)), '\0');
    qint64 done = 0;
    while (done < out.size()) {
        const qint64 n = SystemFile::ReadAt(fd, out.data() + done, out.size() - done, done);
        if (n <= 0)
            return QByteArray();
        done += n;
    }
    return out;
}

// Child mode: tries to take the lock of the file named by CARVENNA_TRYLOCK without waiting.
// Exit 0: taken; 3: another process holds it; 1: anything else.
int RunTryLock() {
    const int fd = SystemFile::Open(Native(qEnvironmentVariable("CARVENNA_TRYLOCK")).constData(),
                                    O_RDWR | SystemFile::kOpenFlags, 0);
    if (fd < 0)
        return 1;
    const int r = SystemFile::LockByte(fd, kSentinel, true, false);
    const int err = errno;
    SystemFile::Close(fd);
    return r == 0 ? 0 : (err == EAGAIN || err == EACCES) ? 3 : 1;
}

int TryLockFromAnotherProcess(const QString& path) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CARVENNA_TRYLOCK", path);
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationFilePath(), {});
    if (!p.waitForFinished(60000))
        return -1;
    return p.exitCode();
}
} // namespace

class TestSystemFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString Path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    // Line ends, a NUL and the byte that ends a text file on Windows go through untouched.
    void bytesAreWrittenAsTheyAre() {
        const QByteArray bytes("a\r\nb\nc\x1A\x00\xFF\r", 11);
        const QString p = Path("bytes.bin");
        const int fd =
            SystemFile::Open(Native(p).constData(), O_RDWR | O_CREAT | O_EXCL | SystemFile::kOpenFlags, 0666);
        QVERIFY(fd >= 0);
        QCOMPARE(SystemFile::WriteAt(fd, bytes.constData(), bytes.size(), 0), qint64(bytes.size()));
        QCOMPARE(SystemFile::Flush(fd), 0);
        QCOMPARE(ReadAll(fd), bytes);
        QVERIFY(SystemFile::IsRegular(fd));
        QCOMPARE(SystemFile::Close(fd), 0);
        QFile f(p);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), bytes);
    }

    // Reads and writes at an offset: a write past the end leaves zeros in the gap, a read at the end
    // gives 0, and cutting the file back drops what followed.
    void positionedReadsWritesAndCutting() {
        const int fd =
            SystemFile::Open(Native(Path("offsets.bin")).constData(), O_RDWR | O_CREAT | SystemFile::kOpenFlags, 0666);
        QVERIFY(fd >= 0);
        QCOMPARE(SystemFile::WriteAt(fd, "XYZ", 3, 5), qint64(3));
        QCOMPARE(SystemFile::WriteAt(fd, "ab", 2, 0), qint64(2));
        QCOMPARE(SystemFile::Size(fd), qint64(8));
        QCOMPARE(ReadAll(fd), QByteArray("ab\0\0\0XYZ", 8));
        char c = '?';
        QCOMPARE(SystemFile::ReadAt(fd, &c, 1, 8), qint64(0));
        QCOMPARE(SystemFile::ReadAt(fd, &c, 1, 6), qint64(1));
        QCOMPARE(c, 'Y');
        QCOMPARE(SystemFile::Truncate(fd, 4), 0);
        QCOMPARE(SystemFile::Size(fd), qint64(4));
        QCOMPARE(ReadAll(fd), QByteArray("ab\0\0", 4));
        QCOMPARE(SystemFile::Close(fd), 0);
    }

    void openErrorsAreTheCLibrarysOwn_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("expected");
        QTest::newRow("missing file") << "missing.ric" << int(O_RDWR) << ENOENT;
        QTest::newRow("missing folder") << "nofolder/x.ric" << int(O_RDWR | O_CREAT) << ENOENT;
        QTest::newRow("created by another meanwhile") << "exists.ric" << int(O_RDWR | O_CREAT | O_EXCL) << EEXIST;
        QTest::newRow("a folder of that name") << "folder" << int(O_RDWR) << EISDIR;
    }
    void openErrorsAreTheCLibrarysOwn() {
        QFETCH(QString, name);
        QFETCH(int, flags);
        QFETCH(int, expected);
        QVERIFY(QDir(m_dir.path()).mkpath("folder"));
        QFile exists(Path("exists.ric"));
        QVERIFY(exists.open(QIODevice::WriteOnly));
        exists.close();
        errno = 0;
        QCOMPARE(SystemFile::Open(Native(Path(name)).constData(), flags | SystemFile::kOpenFlags, 0666), -1);
        QCOMPARE(errno, expected);
    }

    // A save replaces a file that another descriptor (another workstation reading it) still has
    // open: the rename succeeds, the reader keeps the old bytes, and the old descriptor is seen as
    // no longer the file under that name.
    void replacingAFileThatIsOpenElsewhere() {
        const QString target = Path("Trelvani.ini"), fresh = Path("Trelvani.ini.new1");
        const int old = SystemFile::Open(Native(target).constData(), O_RDWR | O_CREAT | SystemFile::kOpenFlags, 0666);
        QVERIFY(old >= 0);
        QCOMPARE(SystemFile::WriteAt(old, "old", 3, 0), qint64(3));
        QVERIFY(SystemFile::StillNamed(old, Native(target).constData()));
        const int fd =
            SystemFile::Open(Native(fresh).constData(), O_WRONLY | O_CREAT | O_EXCL | SystemFile::kOpenFlags, 0666);
        QVERIFY(fd >= 0);
        QCOMPARE(SystemFile::WriteAt(fd, "new!", 4, 0), qint64(4));
        QCOMPARE(SystemFile::Flush(fd), 0);
        QCOMPARE(SystemFile::Close(fd), 0);
        QCOMPARE(SystemFile::Replace(Native(fresh).constData(), Native(target).constData()), 0);
        QVERIFY(!QFileInfo::exists(fresh));
        QVERIFY(!SystemFile::StillNamed(old, Native(target).constData()));
        QCOMPARE(ReadAll(old), QByteArray("old"));
        QCOMPARE(SystemFile::Close(old), 0);
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("new!"));
        // A file still open elsewhere can be removed too (a cancelled save's new file).
        const int open = SystemFile::Open(Native(fresh).constData(), O_RDWR | O_CREAT | SystemFile::kOpenFlags, 0666);
        QVERIFY(open >= 0);
        QCOMPARE(SystemFile::Remove(Native(fresh).constData()), 0);
        SystemFile::Close(open);
        QVERIFY(!QFileInfo::exists(fresh));
        errno = 0;
        QCOMPARE(SystemFile::Remove(Native(fresh).constData()), -1);
        QCOMPARE(errno, ENOENT);
    }

    // Folder and file names as an Italian office writes them reach the disk unchanged.
    void namesBeyondAscii() {
        QVERIFY(QDir(m_dir.path()).mkpath(QString::fromUtf8("Città")));
        const QString p = Path(QString::fromUtf8("Città/Ricevute già pagate.ric"));
        const int fd = SystemFile::Open(Native(p).constData(), O_RDWR | O_CREAT | SystemFile::kOpenFlags, 0666);
        QVERIFY(fd >= 0);
        QCOMPARE(SystemFile::WriteAt(fd, "1", 1, 0), qint64(1));
        QCOMPARE(SystemFile::Close(fd), 0);
        QCOMPARE(QDir(Path(QString::fromUtf8("Città"))).entryList(QDir::Files),
                 QStringList{QString::fromUtf8("Ricevute già pagate.ric")});
    }

    // The sentinel byte's lock keeps out another process while held, and only while held; the file
    // does not grow because of it.
    void lockKeepsOutAnotherProcess() {
        const QString p = Path("2026.ric");
        const int fd = SystemFile::Open(Native(p).constData(), O_RDWR | O_CREAT | SystemFile::kOpenFlags, 0666);
        QVERIFY(fd >= 0);
        QCOMPARE(SystemFile::WriteAt(fd, "record", 6, 0), qint64(6));
        QCOMPARE(TryLockFromAnotherProcess(p), 0);
        QCOMPARE(SystemFile::LockByte(fd, kSentinel, true, true), 0);
        QCOMPARE(TryLockFromAnotherProcess(p), 3);
        QCOMPARE(SystemFile::Size(fd), qint64(6));
        // Another descriptor's reads of the records are not blocked by the lock.
        const int reader = SystemFile::Open(Native(p).constData(), O_RDONLY | SystemFile::kOpenFlags, 0);
        QVERIFY(reader >= 0);
        QCOMPARE(ReadAll(reader), QByteArray("record"));
        SystemFile::Close(reader);
        QCOMPARE(SystemFile::LockByte(fd, kSentinel, false, false), 0);
        QCOMPARE(TryLockFromAnotherProcess(p), 0);
        // Closing the descriptor gives the lock back too.
        QCOMPARE(SystemFile::LockByte(fd, kSentinel, true, true), 0);
        QCOMPARE(SystemFile::Close(fd), 0);
        QCOMPARE(TryLockFromAnotherProcess(p), 0);
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("CARVENNA_TRYLOCK"))
        return RunTryLock();
    QCoreApplication app(argc, argv);
    TestSystemFile t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_systemfile.moc"
