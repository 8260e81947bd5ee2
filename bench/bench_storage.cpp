// Scanning the archives: a 100,000-receipt year and a 20,000-card registry, measured beside a raw
// baseline in the same binary (read the file's bytes and memmem a key over them).
#include "storage/Lists.h"
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cstring>

namespace {
QTemporaryDir& Dir() {
    static QTemporaryDir dir;
    return dir;
}

QString ReceiptPath() {
    static QString path = [] {
        const QString p = Dir().path() + "/2026.ric";
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        QByteArray buf;
        for (int i = 0; i < 100000; ++i) {
            ReceiptRecord r;
            r.NumRic = QString::number(i + 1);
            r.Data = QString("%1/%2/2026").arg(i % 28 + 1, 2, 10, QChar('0')).arg(i % 12 + 1, 2, 10, QChar('0'));
            r.Importo = QString::number(100 + i % 400);
            r.Cents = "00";
            r.Intero = r.Importo + ",00";
            r.ImpLettere = "CENTO";
            r.Ricevente01 = "Scuola dell'infanzia Il Girasole";
            r.Pagatore = QString("Cognome%1 Nome%2").arg(i % 5000).arg(i % 97);
            r.CodFisc = "RSSMRA80A01H501U";
            r.Sport = "Retta mensile";
            r.Praticante = QString("Bambino%1").arg(i % 5000);
            r.Indirizzo = "Bonifico bancario";
            r.Encode(buf);
            f.write(buf);
        }
        return p;
    }();
    return path;
}

QString RegistryFolder() {
    static QString folder = [] {
        const QString p = Dir().path() + "/Archivio_Iscritti.pro";
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        QByteArray buf;
        for (int i = 0; i < 20000; ++i) {
            RegistryRecord r;
            r.Tiratore = QString("Genitore%1 Nome").arg(i);
            r.CodFisc = "RSSMRA80A01H501U";
            r.Studio = "31/08/2026";
            r.Note = QString("Note della scheda %1").arg(i).repeated(5);
            r.Armi = QString("Bambino%1").arg(i);
            r.Encode(buf);
            f.write(buf);
        }
        return Dir().path();
    }();
    return folder;
}

// The fastest plain scan: the file read in 1 MiB blocks into one reused buffer, memmem over
// each block (the key's length minus one carried over, so no match across blocks is missed).
void Baseline(benchmark::State& state, const QString& path, const char* key) {
    const size_t klen = std::strlen(key);
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (auto _ : state) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        size_t hits = 0, carried = 0;
        for (;;) {
            const qint64 n = f.read(block.data() + carried, block.size() - qint64(carried));
            if (n <= 0)
                break;
            const char* p = block.constData();
            const char* end = p + carried + size_t(n);
            while (const void* m = memmem(p, size_t(end - p), key, klen)) {
                ++hits;
                p = static_cast<const char*>(m) + klen;
            }
            carried = std::min(klen - 1, size_t(end - block.constData()));
            std::memmove(block.data(), end - carried, carried);
        }
        benchmark::DoNotOptimize(hits);
    }
}

void BM_ReceiptsBaselineMemmem(benchmark::State& state) { Baseline(state, ReceiptPath(), "Cognome4242 "); }

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
    Baseline(state, RegistryFolder() + "/Archivio_Iscritti.pro", "Genitore4242 ");
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
