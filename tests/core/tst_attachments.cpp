// Copying a document into the attachments folder: replacing, failing without harm, copying onto itself.
#include "registry/Attachments.h"
#include <QtTest>

namespace {
void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

class tst_attachments : public QObject {
    Q_OBJECT

private slots:
    void copyAndReplace_data();
    void copyAndReplace();
    void failureLeavesTheEarlierFile();
    void copyOntoItself();
    void paths();
};

void tst_attachments::copyAndReplace_data() {
    QTest::addColumn<QByteArray>("earlier"); // null: no file of that name yet
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("new file") << QByteArray() << QByteArray("contenuto");
    QTest::newRow("replaces a longer file") << QByteArray(5000, 'x') << QByteArray("corto");
    QTest::newRow("empty document") << QByteArray("vecchio") << QByteArray("");
    QTest::newRow("larger than one block") << QByteArray() << QByteArray(3 * 1024 * 1024 + 17, 'a');
}

void tst_attachments::copyAndReplace() {
    QFETCH(QByteArray, earlier);
    QFETCH(QByteArray, bytes);
    QTemporaryDir from, to;
    Write(from.filePath("doc è.pdf"), bytes);
    if (!earlier.isNull())
        Write(to.filePath("doc è.pdf"), earlier);
    QString error;
    QVERIFY2(CopyAttachment(from.filePath("doc è.pdf"), to.path(), &error), qPrintable(error));
    QCOMPARE(Read(to.filePath("doc è.pdf")), bytes);
    QCOMPARE(QDir(to.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"doc è.pdf"});
}

void tst_attachments::failureLeavesTheEarlierFile() {
    QTemporaryDir from, to;
    Write(to.filePath("referto.pdf"), "referto di un'altra scheda");
    QString error;
    QVERIFY(!CopyAttachment(from.filePath("referto.pdf"), to.path(), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(Read(to.filePath("referto.pdf")), QByteArray("referto di un'altra scheda"));
    QCOMPARE(QDir(to.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"referto.pdf"});
    // A folder that does not exist.
    Write(from.filePath("a.pdf"), "a");
    QVERIFY(!CopyAttachment(from.filePath("a.pdf"), to.filePath("manca"), &error));
}

void tst_attachments::copyOntoItself() {
    QTemporaryDir dir;
    Write(dir.filePath("a.pdf"), "contenuto");
    QVERIFY(CopyAttachment(dir.filePath("a.pdf"), dir.path()));
    QCOMPARE(Read(dir.filePath("a.pdf")), QByteArray("contenuto"));
}

void tst_attachments::paths() {
    QCOMPARE(AttachmentsFolder("/scuola/"), QStringLiteral("/scuola/Documenti_Allegati"));
    QCOMPARE(AttachmentShellPath("/scuola/", "Carta d'identità.pdf"),
             QDir::toNativeSeparators("\"/scuola/Documenti_Allegati/Carta d'identità.pdf\""));
}

QTEST_GUILESS_MAIN(tst_attachments)
#include "tst_attachments.moc"
