// Saving over a receipt of a 100,000-receipt year with its history entry, beside the plain overwrite it
// extends; reading the history of one receipt from a journal of 100,000 entries, through its index and
// without it.
#include "BenchData.h"
#include "storage/AuditedSave.h"
#include "storage/FileOps.h"
#include "storage/HistoryJournal.h"
#include <QDir>

namespace {
QString YearPath() {
    static const QString path = bench::WriteReceipts(bench::Folder().filePath("2026.ric"), 100000,
                                                     [](int i) { return bench::ChildFee(i, 2026, "00"); });
    return path;
}

// Receipt 50,000 with its payer alternating, so every save writes a change.
QByteArray Changed(const QByteArray& rec, int k) {
    ReceiptRecord r = ReceiptRecord::Decode(rec.constData());
    r.Pagatore = QStringLiteral("Pagatore variante %1").arg(k % 2);
    QByteArray out = rec;
    r.Encode(out);
    return out;
}

const JournalStamp kStamp{QDateTime(QDate(2026, 12, 10), QTime(10, 0)), QStringLiteral("PC1"), QStringLiteral("anna")};

// Today's overwrite: the locked write with its intent file, flushed.
void BM_OverwritePlain(benchmark::State& state) {
    RecordFile f(ReceiptRecord::Size);
    f.OpenOrCreate(YearPath());
    QByteArray rec;
    f.ReadRaw(49999, rec);
    int k = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(f.OverwriteRaw(49999, Changed(rec, ++k)));
    f.Close();
}

// The same save checked against the loaded record, with its entry appended and flushed first.
void BM_OverwriteWithHistory(benchmark::State& state) {
    const QString path = YearPath();
    RecordFile f(ReceiptRecord::Size);
    f.OpenOrCreate(path);
    QByteArray loaded;
    f.ReadRaw(49999, loaded);
    int k = 0;
    for (auto _ : state) {
        const QByteArray next = Changed(loaded, ++k);
        const OverwriteOutcome out = AuditedOverwrite(f, path, ReceiptRecord::Layout(), 49999, loaded, next, false,
                                                      kStamp, QStringLiteral("modifica"));
        if (out.result != OverwriteOutcome::Written)
            state.SkipWithError("save refused");
        loaded = next;
    }
    f.Close();
}

// Writes the journal without flushing each line: only the building of the test data is sped up.
class NoFlush : public FileOps {
public:
    int Fsync(int) override { return 0; }
};

// A journal of 100,000 entries over 1,000 receipts (100 each), in a folder of its own.
QString JournalArchive() {
    static const QString archive = [] {
        const QString folder = bench::Folder().filePath("storico100k");
        QDir().mkpath(folder);
        const QString path = folder + "/2026.ric";
        QByteArray rec;
        bench::ChildFee(1, 2026, "00").Encode(rec);
        QFile archiveFile(path); // the archive beside its journal: the index is rebuilt under its lock
        archiveFile.open(QIODevice::WriteOnly);
        archiveFile.close();
        HistoryJournal journal(path, ReceiptRecord::Layout());
        NoFlush fast;
        FileOps* previous = FileOps::Install(&fast);
        for (int i = 0; i < 100000; ++i) {
            HistoryEntry e;
            e.stamp = kStamp;
            e.position = i % 1000 + 1;
            e.kind = QStringLiteral("modifica");
            e.newHash = RecordHash(ReceiptRecord::Layout(), rec);
            e.oldRecord = rec;
            e.changes = {{QStringLiteral("Pagatore"), QStringLiteral("Prima %1").arg(i), QStringLiteral("Dopo")}};
            journal.Append(e);
        }
        FileOps::Install(previous);
        return path;
    }();
    return archive;
}

// index 1: the index is there. 0: it was lost before every opening, so each reading goes through the
// whole journal and rebuilds it. 2: it was lost once; the first opening rebuilt it, the ones timed follow.
void BM_HistoryOfOneReceipt(benchmark::State& state) {
    const QString path = JournalArchive();
    const int mode = int(state.range(0));
    const QString idx = HistoryPath(path) + ".idx";
    QFile::remove(idx + ".off");
    QFile::copy(idx, idx + ".off");
    HistoryJournal journal(path, ReceiptRecord::Layout());
    if (mode == 2) {
        QFile::remove(idx);
        QVector<HistoryEntry> first;
        journal.Read(500, first);
        if (!QFile::exists(idx))
            state.SkipWithError("the index was not rebuilt");
    }
    for (auto _ : state) {
        if (mode == 0) {
            state.PauseTiming();
            QFile::remove(idx);
            state.ResumeTiming();
        }
        QVector<HistoryEntry> entries;
        journal.Read(500, entries);
        if (entries.size() != 100)
            state.SkipWithError("wrong number of entries");
    }
    QFile::remove(idx);
    QFile::rename(idx + ".off", idx);
}
} // namespace

BENCHMARK(BM_OverwritePlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OverwriteWithHistory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryOfOneReceipt)->Arg(1)->ArgName("index")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryOfOneReceipt)->Arg(0)->ArgName("index")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryOfOneReceipt)->Arg(2)->ArgName("index")->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
