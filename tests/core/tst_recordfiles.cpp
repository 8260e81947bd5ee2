// Record layouts byte for byte, the record files and their failure cases, and concurrent appends
// from several processes.
#include "../support/FaultyFileOps.h"
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QTest>
#include <cstdio>

namespace {
QByteArray ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A field at `offset` as the file holds it: length byte, then the Windows-1252 text.
QByteArray FieldAt(const QByteArray& rec, int offset) {
    const int n = static_cast<unsigned char>(rec.at(offset));
    return rec.mid(offset + 1, n);
}

ReceiptRecord Sample(int i) {
    ReceiptRecord r;
    r.NumRic = QString::number(i);
    r.Data = "10/12/2026";
    r.Importo = "125";
    r.Cents = "50";
    r.ImpLettere = "CENTOVENTICINQUE";
    r.CentLettere = "50";
    r.Intero = "125,50";
    r.Ricevente01 = "Scuola dell'infanzia";
    r.Pagatore = QString("Rossi Mario %1").arg(i);
    r.CodFisc = "RSSMRA80A01H501U";
    r.Sport = "Retta mensile";
    r.Dal = "01/12/2026";
    r.Al = "31/12/2026";
    r.Praticante = "Rossi Luca";
    r.Indirizzo = "Bonifico";
    return r;
}

// Child process of the concurrency test: appends `count` records tagged with its id.
int RunAppender() {
    const QString path = qEnvironmentVariable("CARVENNA_APPEND_FILE");
    const int id = qEnvironmentVariableIntValue("CARVENNA_APPEND_ID");
    const int count = qEnvironmentVariableIntValue("CARVENNA_APPEND_COUNT");
    for (int k = 0; k < count; ++k) {
        ReceiptFile f;
        ReceiptRecord r = Sample(k);
        r.NumRic = QString("%1-%2").arg(id).arg(k);
        r.Indirizzo = QString("%1-%2;").arg(id).arg(k).repeated(20);
        if (!f.OpenOrCreate(path) || !f.AppendRecord(r) || !f.Close())
            return 1;
    }
    return 0;
}

// Child process of the restore test: holds the archive's lock, signals it with a marker file, then
// puts a new file under the archive's name as a restore from a backup does, and lets the lock go.
int RunRestorer() {
    const QString path = qEnvironmentVariable("CARVENNA_APPEND_FILE");
    RecordFile f(ReceiptRecord::Size);
    const bool ok = f.OpenOrCreate(path) && f.Locked([&] {
        QFile marker(path + ".locked");
        marker.open(QIODevice::WriteOnly);
        marker.close();
        QThread::msleep(300); // the parent's append is now waiting on the old file
        QFile restored(path + ".restored");
        QByteArray bytes, buf;
        for (int i = 1; i <= 3; ++i) {
            Sample(100 + i).Encode(buf);
            bytes += buf;
        }
        return restored.open(QIODevice::WriteOnly) && restored.write(bytes) == bytes.size() &&
               restored.flush() && ::rename(QFile::encodeName(restored.fileName()).constData(),
                                            QFile::encodeName(path).constData()) == 0;
    });
    return ok && f.Close() ? 0 : 1;
}

// Child process of the numbering test: appends `count` batches of three receipts whose numbers
// come from the record count taken under the lock, as a month's batch numbers its receipts.
int RunBatchAppender() {
    const QString path = qEnvironmentVariable("CARVENNA_APPEND_FILE");
    const int count = qEnvironmentVariableIntValue("CARVENNA_APPEND_COUNT");
    for (int k = 0; k < count; ++k) {
        RecordFile f(ReceiptRecord::Size);
        const bool ok = f.OpenOrCreate(path) && f.AppendBatchRaw([](qint64 before, QByteArray& recs) {
            QByteArray buf;
            for (int i = 0; i < 3; ++i) {
                Sample(int(before) + 1 + i).Encode(buf);
                recs += buf;
            }
            return true;
        });
        if (!ok || !f.Close()) {
            fprintf(stderr, "batch %d: %s\n", k, qPrintable(f.ErrorString()));
            return 1;
        }
    }
    return 0;
}
} // namespace

class TestRecordFiles : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString Path(const QString& n) const { return m_dir.path() + "/" + n; }

private slots:
    void receiptLayoutOffsets_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("width");
        // Offsets and widths of the stored receipt, as other programs and older files expect them.
        const int table[][2] = {{0, 30},   {31, 10},  {42, 8},   {51, 2},   {54, 250}, {305, 2},  {308, 11},
                                {320, 50}, {371, 50}, {422, 50}, {473, 50}, {524, 50}, {575, 16}, {592, 120},
                                {713, 10}, {724, 10}, {735, 50}, {786, 50}, {837, 10}, {848, 250}};
        for (int i = 0; i < 20; ++i)
            QTest::addRow("%s", ReceiptRecord::Layout()[i].name) << i << table[i][0] << table[i][1];
    }
    void receiptLayoutOffsets() {
        QFETCH(int, field);
        QFETCH(int, offset);
        QFETCH(int, width);
        // A record written independently of the codec: every field filled to its width with a
        // letter of its own, so a wrong offset or width reads the neighbour's letter.
        QByteArray rec(ReceiptRecord::Size, '\0');
        const int table[][2] = {{0, 30},   {31, 10},  {42, 8},   {51, 2},   {54, 250}, {305, 2},  {308, 11},
                                {320, 50}, {371, 50}, {422, 50}, {473, 50}, {524, 50}, {575, 16}, {592, 120},
                                {713, 10}, {724, 10}, {735, 50}, {786, 50}, {837, 10}, {848, 250}};
        for (int i = 0; i < 20; ++i) {
            rec[table[i][0]] = char(table[i][1]);
            for (int b = 0; b < table[i][1]; ++b)
                rec[table[i][0] + 1 + b] = char('A' + i);
        }
        QCOMPARE(table[19][0] + table[19][1] + 1, ReceiptRecord::Size);
        const ReceiptRecord r = ReceiptRecord::Decode(rec.constData());
        QCOMPARE(*r.Fields()[field], QString(width, QChar('A' + field)));
        // And the encoder puts each value back at the same place.
        QByteArray out;
        r.Encode(out);
        QCOMPARE(out.size(), ReceiptRecord::Size);
        QCOMPARE(out.mid(offset, width + 1), rec.mid(offset, width + 1));
    }

    void registryLayoutOffsets() {
        const int table[][2] = {
            {0, 50},     {51, 1},     {53, 10},    {64, 50},    {115, 50},   {166, 120},  {287, 50},   {338, 10},
            {349, 50},   {400, 16},   {417, 50},   {468, 120},  {589, 120},  {710, 120},  {831, 50},   {882, 30},
            {913, 30},   {944, 50},   {995, 50},   {1046, 10},  {1057, 10},  {1068, 50},  {1119, 50},  {1170, 10},
            {1181, 250}, {1432, 250}, {1683, 250}, {1934, 250}, {2185, 250}, {2436, 250}, {2687, 250}, {2938, 250}};
        QByteArray rec(RegistryRecord::Size, '\0');
        for (int i = 0; i < 32; ++i) {
            rec[table[i][0]] = char(table[i][1]);
            for (int b = 0; b < table[i][1]; ++b)
                rec[table[i][0] + 1 + b] = char('A' + (i % 26));
        }
        QCOMPARE(table[31][0] + table[31][1] + 1, RegistryRecord::Size);
        const RegistryRecord r = RegistryRecord::Decode(rec.constData());
        for (int i = 0; i < 32; ++i) {
            QCOMPARE(RegistryRecord::Layout()[i].offset, table[i][0]);
            QCOMPARE(*r.Fields()[i], QString(table[i][1], QChar('A' + (i % 26))));
        }
        QByteArray out;
        r.Encode(out);
        QCOMPARE(out, rec);
    }

    void receiptRoundTripWithLeftoverBytes() {
        // Whatever the bytes after each length byte hold, the record reads back field for field.
        QByteArray buf(ReceiptRecord::Size, '\xAA');
        const ReceiptRecord r = Sample(7);
        r.Encode(buf);
        QCOMPARE(ReceiptRecord::Decode(buf.constData()), r);
        QCOMPARE(FieldAt(buf, 308), QByteArray("125,50"));
        QCOMPARE(buf.at(308 + 1 + 6), '\xAA');
    }

    void decodeIntoReusedRecord() {
        // A scan decodes record after record into one record: nothing of the previous one may stay.
        ReceiptRecord long1 = Sample(1);
        long1.Indirizzo = QString(250, 'x');
        long1.Pagatore = QStringLiteral("Bianchi Nicolò €");
        ReceiptRecord short2 = Sample(2);
        short2.Indirizzo.clear();
        short2.Pagatore = "Re";
        QByteArray a, b;
        long1.Encode(a);
        short2.Encode(b);
        ReceiptRecord r;
        r.DecodeFrom(a.constData());
        QCOMPARE(r, long1);
        r.DecodeFrom(b.constData());
        QCOMPARE(r, short2);
        QVERIFY(r.Indirizzo.isEmpty());
        RegistryRecord card;
        card.Note = QStringLiteral("àèì");
        card.Tiratore = "Rossi";
        QByteArray c;
        card.Encode(c);
        RegistryRecord back;
        back.Tiratore = QString(50, 'z');
        back.DecodeFrom(c.constData());
        QCOMPARE(back, card);
    }

    void cutToWidth() {
        ReceiptRecord r = Sample(1);
        r.NumRic = QString(31, '1');
        r.Indirizzo = QString(251, 'x');
        r.CodFisc = "RSSMRA80A01H501UX";
        r.Pagatore = "  Rossi  ";
        QByteArray buf;
        r.Encode(buf);
        QCOMPARE(FieldAt(buf, 0), QByteArray(30, '1'));
        QCOMPARE(FieldAt(buf, 848), QByteArray(250, 'x'));
        QCOMPARE(FieldAt(buf, 575), QByteArray("RSSMRA80A01H501U"));
        QCOMPARE(FieldAt(buf, 524), QByteArray("Rossi"));
    }

    void newFileIsCreatedEmpty() {
        ReceiptFile f;
        const QString p = Path("2031.ric");
        QVERIFY(f.OpenOrCreate(p));
        QCOMPARE(f.RecordCount(), 0);
        QVERIFY(f.Close());
        QVERIFY(QFile::exists(p));
        QCOMPARE(QFileInfo(p).size(), 0);
    }

    void partialTrailingRecord() {
        const QString p = Path("partial.ric");
        QByteArray bytes;
        for (int i = 1; i <= 2; ++i) {
            QByteArray rec;
            Sample(i).Encode(rec);
            bytes += rec;
        }
        bytes += QByteArray(500, 'z');
        WriteFile(p, bytes);
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(p));
        QCOMPARE(f.RecordCount(), 2);
        ReceiptRecord r;
        QVERIFY(f.ReadRecord(1, r));
        QCOMPARE(r.NumRic, QString("2"));
        QVERIFY(!f.ReadRecord(2, r)); // the partial record is not a record
        QVector<ReceiptRecord> all;
        QVERIFY(f.ReadAll(all));
        QCOMPARE(all.size(), 2);
        // An append writes over the partial bytes, at index RecordCount.
        qint64 pos = 0;
        QVERIFY(f.AppendRecord(Sample(3), &pos));
        QCOMPARE(pos, 3);
        QVERIFY(f.Close());
        QCOMPARE(QFileInfo(p).size(), 3 * ReceiptRecord::Size);
    }

    void zeroLengthAndOverwrite() {
        const QString p = Path("five.ric");
        WriteFile(p, QByteArray());
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(p));
        QVERIFY(!f.OverwriteRecord(0, Sample(1))); // nothing to overwrite in an empty file
        for (int i = 1; i <= 5; ++i)
            QVERIFY(f.AppendRecord(Sample(i)));
        QVERIFY(f.Close());
        const QByteArray before = ReadFile(p);
        QVERIFY(f.OpenOrCreate(p));
        ReceiptRecord changed = Sample(3);
        changed.Pagatore = QStringLiteral("Bianchi Nicolò");
        QVERIFY(f.OverwriteRecord(2, changed));
        QVERIFY(f.Close());
        const QByteArray after = ReadFile(p);
        QCOMPARE(after.size(), before.size());
        const int s = ReceiptRecord::Size;
        QCOMPARE(after.left(2 * s), before.left(2 * s));
        QCOMPARE(after.mid(3 * s), before.mid(3 * s));
        QCOMPARE(FieldAt(after.mid(2 * s, s), 524), QByteArray("Bianchi Nicol\xf2"));
    }

    void unusableFile_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("folder in place of the file") << "folder.ric";
        QTest::newRow("missing parent folder") << "nofolder/2026.ric";
    }
    void unusableFile() {
        QFETCH(QString, name);
        QDir(m_dir.path()).mkpath("folder.ric");
        ReceiptFile f;
        QVERIFY(!f.OpenOrCreate(Path(name)));
        QVERIFY(!f.ErrorString().isEmpty());
        QCOMPARE(f.RecordCount(), -1);
        QVERIFY(!f.AppendRecord(Sample(1)));
        QVERIFY(QFileInfo(Path("folder.ric")).isDir()); // never replaced by an empty file
    }

    void shortWriteIsAFailure() {
        const QString p = Path("short.ric");
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(p));
        QVERIFY(f.AppendRecord(Sample(1)));
        RecordFile::InjectShortWrite(100);
        QVERIFY(!f.AppendRecord(Sample(2)));
        QVERIFY(f.ErrorString().contains("short write"));
        QCOMPARE(f.RecordCount(), 1); // the partial record does not count
        QVERIFY(f.AppendRecord(Sample(2)));
        QCOMPARE(f.RecordCount(), 2);
        f.Close();
    }

    // An overwrite cut by a pulled cable leaves the old record's bytes beside the archive; the
    // next open puts a torn record back to the old one, and leaves anything else as it finds it.
    void interruptedOverwrite_data() {
        QTest::addColumn<int>("keep");       // bytes of the new record that reached the archive
        QTest::addColumn<QString>("since");  // what happened to the folder before the next open
        QTest::addColumn<QString>("expect"); // record 2 after the next open: old, new, torn or other
        const auto row = [](const char* name, int keep, const char* since, const char* expect) {
            QTest::newRow(name) << keep << QString::fromLatin1(since) << QString::fromLatin1(expect);
        };
        row("torn between the two changed fields", 400, "", "old");
        row("cut after the first byte", 1, "", "old");
        row("written whole, then the flush failed", ReceiptRecord::Size, "", "new");
        row("nothing written", 0, "", "old");
        row("archive restored from a backup since", 400, "restored", "other");
        row("archive shortened since", 400, "shortened", "");
        row("damaged intent file", 400, "damaged", "torn");
    }
    void interruptedOverwrite() {
        QFETCH(int, keep);
        QFETCH(QString, since);
        QFETCH(QString, expect);
        QTemporaryDir dir; // each case on a folder of its own
        const QString p = dir.filePath("cut.ric");
        const QString intent = RecordFile::IntentPath(p);
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(p));
        for (int i = 1; i <= 3; ++i)
            QVERIFY(f.AppendRecord(Sample(i)));
        QVERIFY(f.Close());
        const QByteArray before = ReadFile(p);
        const int s = ReceiptRecord::Size;
        ReceiptRecord fresh = Sample(2);
        fresh.Intero = "999,99";                                              // before byte 400
        fresh.Pagatore = QStringLiteral("Bianchi Nicolò, pagatore cambiato"); // after it
        {
            CableCut cut(p, size_t(keep));
            QVERIFY(f.OpenOrCreate(p));
            QVERIFY(!f.OverwriteRecord(1, fresh));
            f.Close();
        }
        QVERIFY(QFile::exists(intent));
        const QByteArray left = ReadFile(p);
        QCOMPARE(left.mid(s + keep), before.mid(s + keep)); // the cut fell there
        if (keep == 400)
            QVERIFY(left != before); // the new payment reached the record, the new payer did not

        if (since == "restored") { // record 2 is now another one, written elsewhere
            ReceiptRecord r = Sample(2);
            r.Pagatore = QStringLiteral("Verdi Anna");
            ReceiptFile elsewhere;
            QVERIFY(elsewhere.OpenOrCreate(dir.filePath("elsewhere.ric")));
            QVERIFY(elsewhere.AppendRecord(r));
            QVERIFY(elsewhere.Close());
            WriteFile(p, before.left(s) + ReadFile(dir.filePath("elsewhere.ric")) + before.mid(2 * s));
        } else if (since == "shortened") {
            WriteFile(p, before.left(s));
        } else if (since == "damaged") {
            const QByteArray bytes = ReadFile(intent);
            WriteFile(intent, bytes.left(bytes.size() - 1));
        }
        const QByteArray ahead = ReadFile(p);

        ReceiptFile again;
        QVERIFY(again.OpenOrCreate(p));
        QVERIFY(!QFile::exists(intent));
        ReceiptRecord r;
        const QByteArray after = ReadFile(p);
        if (since == "shortened") {
            QCOMPARE(after, ahead);
            return;
        }
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.left(s), before.left(s));
        QCOMPARE(after.mid(2 * s), before.mid(2 * s));
        QVERIFY(again.ReadRecord(1, r));
        if (expect == "old")
            QCOMPARE(after, before);
        else if (expect == "new")
            QVERIFY(r == fresh);
        else
            QCOMPARE(after, ahead); // not an interrupted overwrite it can vouch for: left alone
        QVERIFY(again.Close());
    }

    // A workstation whose cable was pulled mid-overwrite leaves its intent file while another one
    // has the archive open: that one's next overwrite settles it before writing its own.
    void anotherWorkstationsCutOverwriteIsSettledFirst() {
        const QString p = Path("shared-cut.ric");
        ReceiptFile other;
        QVERIFY(other.OpenOrCreate(p));
        for (int i = 1; i <= 3; ++i)
            QVERIFY(other.AppendRecord(Sample(i)));
        ReceiptRecord fresh = Sample(2);
        fresh.Intero = "999,99";
        fresh.Pagatore = QStringLiteral("Bianchi Nicolò");
        {
            CableCut cut(p, 400); // between the two changed fields
            ReceiptFile cutOff;
            QVERIFY(cutOff.OpenOrCreate(p));
            QVERIFY(!cutOff.OverwriteRecord(1, fresh));
        }
        ReceiptRecord third = Sample(3);
        third.Pagatore = QStringLiteral("Verdi Anna");
        QVERIFY(other.OverwriteRecord(2, third));
        QVERIFY(!QFile::exists(RecordFile::IntentPath(p)));
        ReceiptRecord r;
        QVERIFY(other.ReadRecord(1, r));
        QCOMPARE(r.Intero, Sample(2).Intero); // the cut one is the old one again
        QCOMPARE(r.Pagatore, Sample(2).Pagatore);
        QVERIFY(other.ReadRecord(2, r));
        QCOMPARE(r.Pagatore, third.Pagatore);
        QVERIFY(other.Close());
    }

    void registryFileAndPhotoPath() {
        const QString folder = m_dir.path() + "/reg";
        QDir().mkpath(folder);
        RegistryFile f;
        QVERIFY(f.OpenOrCreate(folder));
        QCOMPARE(f.RecordCount(), 0);
        RegistryRecord r;
        r.Tiratore = QString(51, 'x');
        r.CodFisc = "rssmra80a01h501u";
        r.Quota = "0,00";
        qint64 card = 0;
        QVERIFY(f.AppendRecord(r, &card));
        QCOMPARE(card, 1);
        RegistryRecord back;
        QVERIFY(f.ReadRecord(0, back));
        QCOMPARE(back.Tiratore, QString(50, 'x'));
        QCOMPARE(back.Quota, QString("0,00"));
        QVERIFY(f.Close());
        QVERIFY(QFile::exists(folder + "/Archivio_Iscritti.pro"));
        QCOMPARE(CardPhotoPath(folder, 1), folder + "/Anagrafica/Scheda_Iscritto_1.jpg");
        QCOMPARE(CardPhotoPath(folder + "/", 10), folder + "/Anagrafica/Scheda_Iscritto_10.jpg");
    }

    void concurrentAppendsKeepEveryRecord() {
        const QString p = Path("shared.ric");
        const int processes = 4, each = 500;
        QList<QProcess*> procs;
        for (int id = 0; id < processes; ++id) {
            auto* proc = new QProcess(this);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("CARVENNA_APPENDER", "1");
            env.insert("CARVENNA_APPEND_FILE", p);
            env.insert("CARVENNA_APPEND_ID", QString::number(id));
            env.insert("CARVENNA_APPEND_COUNT", QString::number(each));
            proc->setProcessEnvironment(env);
            proc->start(QCoreApplication::applicationFilePath(), {});
            procs << proc;
        }
        for (QProcess* proc : procs) {
            QVERIFY(proc->waitForFinished(120000));
            QCOMPARE(proc->exitCode(), 0);
        }
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(p));
        QVector<ReceiptRecord> all;
        QVERIFY(f.ReadAll(all));
        f.Close();
        QCOMPARE(QFileInfo(p).size(), qint64(processes * each) * ReceiptRecord::Size);
        QSet<QString> seen;
        for (const ReceiptRecord& r : all) {
            QVERIFY2(r.Indirizzo == QString("%1;").arg(r.NumRic).repeated(20).left(250), qPrintable(r.NumRic));
            seen.insert(r.NumRic);
        }
        QCOMPARE(seen.size(), processes * each);
    }

    // Batches from several processes, numbered from the count under the lock: every number is its
    // record's position, so none is given twice and none is skipped.
    void concurrentBatchesNumberWithoutGaps() {
        const QString p = Path("batches.ric");
        const int processes = 3, each = 60;
        QList<QProcess*> procs;
        for (int id = 0; id < processes; ++id) {
            auto* proc = new QProcess(this);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("CARVENNA_BATCH_APPENDER", "1");
            env.insert("CARVENNA_APPEND_FILE", p);
            env.insert("CARVENNA_APPEND_COUNT", QString::number(each));
            proc->setProcessEnvironment(env);
            proc->start(QCoreApplication::applicationFilePath(), {});
            procs << proc;
        }
        for (QProcess* proc : procs) {
            QVERIFY(proc->waitForFinished(120000));
            QVERIFY2(proc->exitCode() == 0, proc->readAllStandardError().constData());
        }
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(p));
        QVector<ReceiptRecord> all;
        QVERIFY(f.ReadAll(all));
        f.Close();
        QCOMPARE(all.size(), processes * each * 3);
        for (int i = 0; i < all.size(); ++i)
            QCOMPARE(all[i].NumRic, QString::number(i + 1));
    }

    // An append that waited while another workstation restored the archive from a backup lands in the
    // restored file, not in the old one the restore took off the archive's name.
    void appendAfterARestoreLandsInTheRestoredFile() {
        const QString p = Path("restored.ric");
        QFile::remove(p);
        QFile::remove(p + ".locked");
        {
            ReceiptFile f;
            QVERIFY(f.OpenOrCreate(p));
            QVERIFY(f.AppendRecord(Sample(1)) && f.AppendRecord(Sample(2)));
            QVERIFY(f.Close());
        }
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(p)); // opened before the restore, as a save in progress would be
        QProcess restorer;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("CARVENNA_RESTORER", "1");
        env.insert("CARVENNA_APPEND_FILE", p);
        restorer.setProcessEnvironment(env);
        restorer.start(QCoreApplication::applicationFilePath(), {});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(p + ".locked"), 20000);
        qint64 position = 0;
        QVERIFY(f.AppendRecord(Sample(7), &position));
        QVERIFY(f.Close());
        QVERIFY(restorer.waitForFinished(20000));
        QCOMPARE(restorer.exitCode(), 0);
        QCOMPARE(position, 4);
        ReceiptFile back;
        QVERIFY(back.OpenOrCreate(p));
        QVector<ReceiptRecord> all;
        QVERIFY(back.ReadAll(all));
        back.Close();
        QCOMPARE(all.size(), 4);
        QCOMPARE(all[0].NumRic, QString("101"));
        QCOMPARE(all[3].NumRic, QString("7"));
    }

    // Appends and overwrites inside a locked action do not take the lock again nor let it go:
    // a check and its write stay one step, and the action's refusal is the call's result.
    void lockedActionNestsWrites() {
        const QString p = Path("locked.ric");
        QFile::remove(p);
        RecordFile f(ReceiptRecord::Size);
        QVERIFY(f.OpenOrCreate(p));
        QByteArray a, b;
        Sample(1).Encode(a);
        Sample(2).Encode(b);
        qint64 position = 0;
        QVERIFY(f.Locked([&] { return f.AppendRaw(a, &position) && f.OverwriteRaw(0, b) && f.AppendRaw(a); }));
        QCOMPARE(position, 1);
        QCOMPARE(f.RecordCount(), 2);
        QVERIFY(!f.Locked([&] { return f.SetError("refused"); }));
        QCOMPARE(f.ErrorString(), QString("refused"));
        // The lock is free again: a batch refused by its builder writes nothing.
        QVERIFY(!f.AppendBatchRaw([](qint64, QByteArray&) { return false; }));
        QCOMPARE(f.RecordCount(), 2);
        QVERIFY(f.Close());
        QCOMPARE(ReadFile(p), b + a);
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("CARVENNA_APPENDER"))
        return RunAppender();
    if (qEnvironmentVariableIsSet("CARVENNA_BATCH_APPENDER"))
        return RunBatchAppender();
    if (qEnvironmentVariableIsSet("CARVENNA_RESTORER"))
        return RunRestorer();
    QCoreApplication app(argc, argv);
    TestRecordFiles t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_recordfiles.moc"
