// The journals beside the archives: history entries read back newest first through the index or without
// it, torn and damaged lines, the overwrite and its entry never out of step under injected faults, the
// print journal, and new receipt numbers checked under the lock.
#include "../support/FaultyFileOps.h"
#include "storage/AuditedSave.h"
#include "storage/HistoryJournal.h"
#include "storage/PrintJournal.h"
#include "storage/ReceiptFile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
ReceiptRecord Sample(int i) {
    ReceiptRecord r;
    r.NumRic = QString::number(i);
    r.Data = QStringLiteral("10/03/2026");
    r.Importo = QStringLiteral("100");
    r.Cents = QStringLiteral("00");
    r.Intero = QStringLiteral("100,00");
    r.Pagatore = QStringLiteral("Pagatore %1").arg(i);
    r.CodFisc = QStringLiteral("CF%1").arg(i);
    r.Sport = QStringLiteral("Retta");
    r.Dal = QStringLiteral("01/03/2026");
    r.Al = QStringLiteral("31/03/2026");
    return r;
}

QByteArray Encoded(const ReceiptRecord& r) {
    QByteArray b;
    r.Encode(b);
    return b;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Append(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::Append));
    QCOMPARE(f.write(bytes), bytes.size());
}

const JournalStamp kStamp{QDateTime(QDate(2026, 12, 10), QTime(9, 15, 0)), QStringLiteral("PC-SEGRETERIA"),
                          QStringLiteral("anna")};
} // namespace

class TstJournal : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_archive;

    // A year of `count` receipts and a fresh journal.
    void Year(int count) {
        QDir(m_dir.path() + QStringLiteral("/Storico")).removeRecursively();
        m_archive = m_dir.filePath(QStringLiteral("2026.ric"));
        QFile::remove(m_archive);
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(m_archive));
        for (int i = 1; i <= count; ++i)
            QVERIFY(f.AppendRecord(Sample(i)));
        QVERIFY(f.Close());
    }
    // Overwrites receipt `pos` with its payer changed to `payer`, as a save does.
    OverwriteOutcome Change(qint64 pos, const QString& payer) {
        RecordFile f(ReceiptRecord::Size);
        QByteArray old;
        if (!f.OpenOrCreate(m_archive) || !f.ReadRaw(pos - 1, old))
            return {};
        ReceiptRecord r = ReceiptRecord::Decode(old.constData());
        r.Pagatore = payer;
        OverwriteOutcome out = AuditedOverwrite(f, m_archive, ReceiptRecord::Layout(), pos - 1, old, Encoded(r), false,
                                                kStamp, QStringLiteral("modifica"));
        f.Close();
        return out;
    }
    QVector<HistoryEntry> History(qint64 pos, int* damaged = nullptr) {
        HistoryJournal j(m_archive, ReceiptRecord::Layout());
        QVector<HistoryEntry> out;
        const QByteArray current = ReadAll(m_archive).mid((pos - 1) * ReceiptRecord::Size, ReceiptRecord::Size);
        if (!j.Read(pos, out, current, damaged))
            qWarning("journal not readable");
        return out;
    }

private slots:
    // Entries come back newest first, texts with tabs, line breaks and backslashes intact, whether the
    // index is sound, missing, garbage, cut short or behind the journal.
    void readBack_data() {
        QTest::addColumn<QString>("index");
        for (const char* c : {"sound", "missing", "garbage", "cut short", "behind", "missing, then appended"})
            QTest::addRow("%s", c) << c;
    }
    void readBack() {
        QFETCH(QString, index);
        Year(4);
        const QString odd = QStringLiteral("Tab\there \\n not a break\nnext line è€");
        for (const QString& payer : {QStringLiteral("Uno"), odd, QStringLiteral("Tre")}) {
            QCOMPARE(Change(2, payer).result, OverwriteOutcome::Written);
            QCOMPARE(Change(3, payer + QStringLiteral(" bis")).result, OverwriteOutcome::Written);
        }
        const QString idx = HistoryPath(m_archive) + QStringLiteral(".idx");
        QByteArray idxBytes = ReadAll(idx);
        QCOMPARE(idxBytes.size(), 6 * 16);
        if (index == QLatin1String("missing"))
            QFile::remove(idx);
        if (index == QLatin1String("garbage"))
            idxBytes.fill('\x7f');
        if (index == QLatin1String("cut short"))
            idxBytes.chop(20);
        if (index == QLatin1String("behind"))
            idxBytes.chop(3 * 16); // the last entries were never indexed
        if (index != QLatin1String("missing") && index != QLatin1String("sound")) {
            QFile f(idx);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(idxBytes);
        }
        if (index == QLatin1String("missing, then appended")) {
            // An index lost from a journal is not started again half way: it would hide the older lines.
            QFile::remove(idx);
            QCOMPARE(Change(1, QStringLiteral("Dopo")).result, OverwriteOutcome::Written);
            QVERIFY(!QFile::exists(idx));
        }
        int damaged = -1;
        const QVector<HistoryEntry> h = History(2, &damaged);
        QCOMPARE(damaged, 0);
        QCOMPARE(h.size(), 3);
        QCOMPARE(h[0].changes.size(), 1);
        QCOMPARE(h[0].changes[0].before, odd);
        QCOMPARE(h[0].changes[0].after, QStringLiteral("Tre"));
        QCOMPARE(h[1].changes[0].after, odd);
        QCOMPARE(h[2].changes[0].before, QStringLiteral("Pagatore 2"));
        QCOMPARE(h[2].oldRecord, Encoded(Sample(2)));
        QCOMPARE(h[0].stamp.when, kStamp.when);
        QCOMPARE(h[0].stamp.workstation, kStamp.workstation);
        QCOMPARE(h[0].stamp.user, kStamp.user);
        QCOMPARE(h[0].position, 2);
        QVERIFY(h[0].applied && h[2].applied);
        QCOMPARE(History(3).size(), 3);
        QCOMPARE(History(1).size(), index == QLatin1String("missing, then appended") ? 1 : 0);

        // A missing or unsound index was rebuilt whole by the first reading; one that only lags behind
        // the journal (its tail is read from the journal) is left as it was.
        const int lines = index == QLatin1String("missing, then appended") ? 7 : 6;
        const qint64 expected = index == QLatin1String("behind")      ? 3 * 16
                                : index == QLatin1String("cut short") ? 6 * 16 - 20
                                                                      : lines * 16;
        QCOMPARE(ReadAll(idx).size(), expected);
        const QVector<HistoryEntry> again = History(2);
        QCOMPARE(again.size(), 3);
        QCOMPARE(again[0].changes[0].after, QStringLiteral("Tre"));
    }

    // A line cut by a crash is passed over without a warning and closed by the next entry; a line
    // damaged in the middle of the journal is passed over and counted.
    void tornAndDamagedLines() {
        Year(3);
        QCOMPARE(Change(1, QStringLiteral("A")).result, OverwriteOutcome::Written);
        const QString log = HistoryPath(m_archive);
        Append(log, QByteArrayLiteral("E\tcut-by-a-crash\t2026-12-10 09:"));
        int damaged = -1;
        QCOMPARE(History(1, &damaged).size(), 1);
        QCOMPARE(damaged, 0);
        QCOMPARE(Change(1, QStringLiteral("B")).result, OverwriteOutcome::Written);
        QCOMPARE(History(1, &damaged).size(), 2);
        QCOMPARE(damaged, 0);
        QVERIFY(ReadAll(log).contains("09:!\n")); // the torn line was closed, not continued

        // One byte of the first entry changed: that entry is skipped and reported, the others stay.
        QByteArray bytes = ReadAll(log);
        bytes[40] = bytes[40] == 'x' ? 'y' : 'x';
        QFile f(log);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        const QVector<HistoryEntry> h = History(1, &damaged);
        QCOMPARE(damaged, 1);
        QCOMPARE(h.size(), 1);
        QCOMPARE(h[0].changes[0].after, QStringLiteral("B"));
    }

    // Another workstation's change since the record was loaded stops the overwrite with nothing
    // written, and hands back that version.
    void changedMeanwhile() {
        Year(3);
        RecordFile f(ReceiptRecord::Size);
        QVERIFY(f.OpenOrCreate(m_archive));
        QByteArray loaded;
        QVERIFY(f.ReadRaw(1, loaded));
        QCOMPARE(Change(2, QStringLiteral("Altra postazione")).result, OverwriteOutcome::Written);
        const QByteArray before = ReadAll(m_archive);
        ReceiptRecord mine = Sample(2);
        mine.Sport = QStringLiteral("Mia modifica");
        const OverwriteOutcome out = AuditedOverwrite(f, m_archive, ReceiptRecord::Layout(), 1, loaded, Encoded(mine),
                                                      false, kStamp, QStringLiteral("modifica"));
        QCOMPARE(out.result, OverwriteOutcome::Conflict);
        QCOMPARE(ReceiptRecord::Decode(out.current.constData()).Pagatore, QStringLiteral("Altra postazione"));
        QCOMPARE(ReadAll(m_archive), before);
        QCOMPARE(History(2).size(), 1);
        // Bytes after the texts are no change: a record loaded with other leftovers still matches.
        QByteArray leftovers = out.current;
        leftovers[25] = 'z';
        QCOMPARE(AuditedOverwrite(f, m_archive, ReceiptRecord::Layout(), 1, leftovers, Encoded(mine), false, kStamp,
                                  QStringLiteral("modifica"))
                     .result,
                 OverwriteOutcome::Written);
        f.Close();
    }

    // Each file call of an overwrite and its entry made to fail in turn: the record changes only with
    // an applied entry, and an entry whose record did not change is never an applied one.
    void faultAtEveryCall_data() {
        QTest::addColumn<int>("error");
        QTest::addRow("ENOSPC") << ENOSPC;
        QTest::addRow("EIO") << EIO;
    }
    void faultAtEveryCall() {
        QFETCH(int, error);
        Year(3);
        QCOMPARE(Change(2, QStringLiteral("Primo")).result, OverwriteOutcome::Written);
        int calls = 0;
        {
            FaultyFileOps count;
            QCOMPARE(Change(2, QStringLiteral("Conta")).result, OverwriteOutcome::Written);
            calls = count.calls;
        }
        QVERIFY(calls >= 6);
        for (int n = 1; n <= calls; ++n) {
            const QByteArray before = ReadAll(m_archive).mid(ReceiptRecord::Size, ReceiptRecord::Size);
            const int entries = History(2).size();
            OverwriteOutcome out;
            {
                FaultyFileOps faults;
                faults.Arm(n, error);
                out = Change(2, QStringLiteral("Prova %1").arg(n));
            }
            const QString what = QStringLiteral("call %1").arg(n);
            const QByteArray after = ReadAll(m_archive).mid(ReceiptRecord::Size, ReceiptRecord::Size);
            const QVector<HistoryEntry> h = History(2);
            int applied = 0;
            for (int i = 0; i < h.size() - entries; ++i)
                applied += h[i].applied;
            const bool changed = after != before;
            QVERIFY2(after == before ||
                         ReceiptRecord::Decode(after.constData()).Pagatore == QStringLiteral("Prova %1").arg(n),
                     qPrintable(what + ": the record is neither old nor new"));
            if (out.historyMissing) // the journal could not be opened: saved, and said so
                QVERIFY2(changed && applied == 0 && out.result == OverwriteOutcome::Written, qPrintable(what));
            else
                QVERIFY2(applied == (changed ? 1 : 0), qPrintable(what + QStringLiteral(": %1 applied").arg(applied)));
            QVERIFY2(changed == (out.result == OverwriteOutcome::Written) || !out.historyMissing, qPrintable(what));
        }
        int damaged = -1;
        History(2, &damaged);
        QCOMPARE(damaged, 0); // failed writes were cut back, never left as half lines
    }

    // The print journal: a receipt printed before with the same texts is a copy; other bytes after the
    // texts do not matter; another position or other texts are an original. A failed note leaves no line.
    void printJournal() {
        Year(2);
        const QString folder = m_dir.path(), year = QStringLiteral("2026");
        QFile::remove(PrintJournal::PathFor(folder, year));
        QByteArray rec = Encoded(Sample(1));
        QVERIFY(!PrintJournal::WasPrinted(folder, year, 1, rec));
        QVERIFY(PrintJournal::Note(folder, year, 1, rec, kStamp));
        rec[20] = 'q'; // after the number's text
        QVERIFY(PrintJournal::WasPrinted(folder, year, 1, rec));
        QVERIFY(!PrintJournal::WasPrinted(folder, year, 2, rec));
        QVERIFY(!PrintJournal::WasPrinted(folder, year, 1, Encoded(Sample(3))));
        const QByteArray lines = ReadAll(PrintJournal::PathFor(folder, year));
        for (int n = 1; n <= 4; ++n) {
            FaultyFileOps faults;
            faults.Arm(n, EIO);
            const bool noted = PrintJournal::Note(folder, year, 2, Encoded(Sample(2)), kStamp);
            const QByteArray now = ReadAll(PrintJournal::PathFor(folder, year));
            QVERIFY2(now == lines || (noted && now.startsWith(lines)), qPrintable(QString::number(n)));
            QFile f(PrintJournal::PathFor(folder, year));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(lines);
        }
    }

    // The number "Nuovo" proposed, taken meanwhile: the next number no stored receipt has.
    void proposedNumberTaken() {
        Year(3);
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(m_archive));
        ReceiptRecord typed = Sample(5); // a number typed by hand on another workstation
        QVERIFY(f.AppendRecord(typed));
        const NumberProposal proposal{QStringLiteral("4"), 1, 3};
        AppendOutcome out = AppendReceiptChecked(f, Sample(4), proposal, false);
        QCOMPARE(out.result, AppendOutcome::Renumbered);
        QCOMPARE(out.number, QStringLiteral("6")); // 1 + 4 is taken by the typed one
        QCOMPARE(out.position, 5);
        out = AppendReceiptChecked(f, Sample(5), NumberProposal(), false);
        QCOMPARE(out.result, AppendOutcome::NumberTaken);
        QCOMPARE(out.clashPosition, 4);
        QCOMPARE(out.clash.Pagatore, QStringLiteral("Pagatore 5"));
        QCOMPARE(f.RecordCount(), 5);
        QCOMPARE(AppendReceiptChecked(f, Sample(5), NumberProposal(), true).result, AppendOutcome::Written);
        QVERIFY(f.Close());
    }
};

QTEST_GUILESS_MAIN(TstJournal)
#include "tst_journal.moc"
