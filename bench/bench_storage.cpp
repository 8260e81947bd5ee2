// Scanning the archives: a 100,000-receipt year and a 20,000-card registry, measured beside a raw
// baseline in the same binary (read the file's bytes and memmem a key over them).
#include "BenchData.h"
#include "storage/Lists.h"

namespace {
QString ReceiptPath() {
    static const QString path = bench::WriteReceipts(bench::Folder().filePath("2026.ric"), 100000,
                                                     [](int i) { return bench::ChildFee(i, 2026, "00"); });
    return path;
}

QString RegistryFolder() {
    static const QString folder = bench::WriteCards(bench::Folder().path(), 20000, [](int i) {
        RegistryRecord r = bench::ChildCard(i);
        r.Tiratore = QString("Genitore%1 Nome").arg(i);
        r.Studio = "31/08/2026";
        return r;
    });
    return folder;
}

// The fastest plain scan: memmem over the file read in blocks.
void BM_ReceiptsBaselineMemmem(benchmark::State& state) {
    bench::BlockReadBaseline(state, ReceiptPath(), "Cognome4242 ");
}

void BM_ReceiptsCriterionMatch(benchmark::State& state) {
    const auto& layout = ReceiptRecord::Layout();
    const RecordMatcher matcher({layout[ReceiptField::Pagatore]}, {"cognome4242 "});
    for (auto _ : state) {
        ReceiptFile f;
        f.OpenOrCreate(ReceiptPath());
        QVector<ReceiptRecord> found;
        f.Raw().Scan([&](qint64, const char* rec) {
            if (matcher.Matches(rec))
                found.append(ReceiptRecord::Decode(rec));
            return true;
        });
        f.Close();
        benchmark::DoNotOptimize(found.size());
    }
}

void BM_ReceiptsReadAll(benchmark::State& state) {
    for (auto _ : state) {
        ReceiptFile f;
        f.OpenOrCreate(ReceiptPath());
        QVector<ReceiptRecord> all;
        f.ReadAll(all);
        f.Close();
        benchmark::DoNotOptimize(all.size());
    }
}

// How the scanning readers work: every record decoded in turn into one reused record.
void BM_ReceiptsDecodeEach(benchmark::State& state) {
    for (auto _ : state) {
        ReceiptFile f;
        f.OpenOrCreate(ReceiptPath());
        ReceiptRecord r;
        qint64 chars = 0;
        f.Raw().Scan([&](qint64, const char* rec) {
            r.DecodeFrom(rec);
            chars += r.Pagatore.size();
            return true;
        });
        f.Close();
        benchmark::DoNotOptimize(chars);
    }
}

void BM_RegistryBaselineMemmem(benchmark::State& state) {
    bench::BlockReadBaseline(state, RegistryFolder() + RegistryFileName, "Genitore4242 ");
}

void BM_RegistryCriterionMatch(benchmark::State& state) {
    const auto& layout = RegistryRecord::Layout();
    const RecordMatcher matcher({layout[RegistryField::Tiratore]}, {"genitore4242 "});
    for (auto _ : state) {
        RegistryFile f;
        f.OpenOrCreate(RegistryFolder());
        QVector<RegistryRecord> found;
        f.Raw().Scan([&](qint64, const char* rec) {
            if (matcher.Matches(rec))
                found.append(RegistryRecord::Decode(rec));
            return true;
        });
        f.Close();
        benchmark::DoNotOptimize(found.size());
    }
}

void BM_RegistryReadAll(benchmark::State& state) {
    for (auto _ : state) {
        RegistryFile f;
        f.OpenOrCreate(RegistryFolder());
        QVector<RegistryRecord> all;
        f.ReadAll(all);
        f.Close();
        benchmark::DoNotOptimize(all.size());
    }
}
} // namespace

BENCHMARK(BM_ReceiptsBaselineMemmem)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReceiptsCriterionMatch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReceiptsReadAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReceiptsDecodeEach)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegistryBaselineMemmem)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegistryCriterionMatch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegistryReadAll)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
