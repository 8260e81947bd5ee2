// The search and expiry lists over a 100,000-receipt year and a 20,000-card registry, beside the raw
// block-read baseline in the same binary; and "Trova" from the first to the last of 100,000 lines.
#include "BenchData.h"
#include "search/ListLines.h"
#include "storage/Lists.h"
#include <QCoreApplication>
#include <QStringListModel>

namespace {
QString ReceiptPath() {
    static const QString path = bench::WriteReceipts(bench::Folder().filePath("2026.ric"), 100000, [](int i) {
        ReceiptRecord r = bench::ChildFee(i, 2026, "00");
        r.Dal = "01/03/2026";
        r.Al = "31/03/2026";
        return r;
    });
    return path;
}

QString RegistryFolder() {
    static const QString folder = bench::WriteCards(bench::Folder().path(), 20000, [](int i) {
        RegistryRecord r = bench::ChildCard(i);
        r.Tiratore = QString("Genitore%1 Nome").arg((i * 7919) % 20000);
        r.Cel = "333 1234567";
        r.Gruppo = "Nonna";
        r.Studio = "31/08/2025";
        r.FineTes = "31/08/2025";
        r.Tessera = QString::number(i);
        r.Quota = "90,00";
        return r;
    });
    return folder;
}

// The floor for any scan: the whole file read in 1 MiB blocks into one buffer.
void BM_ReceiptsBaseline(benchmark::State& state) {
    bench::BlockReadBaseline(state, ReceiptPath());
}
void BM_RegistryBaseline(benchmark::State& state) {
    bench::BlockReadBaseline(state, RegistryFolder() + RegistryFileName);
}

// Search and show: the lines are built and handed to the list's model, as the window does.
void ReceiptSearch(benchmark::State& state, const ReceiptCriteria& c) {
    QStringListModel model;
    qint64 n = 0;
    for (auto _ : state) {
        RecordList list;
        SearchReceipts(ReceiptPath(), c, list);
        model.setStringList(list.lines);
        n = list.lines.size();
    }
    state.counters["lines"] = double(n);
}
void BM_ReceiptSearchAll(benchmark::State& state) {
    ReceiptSearch(state, ReceiptCriteria());
}
void BM_ReceiptSearchOnePercent(benchmark::State& state) {
    ReceiptCriteria c;
    c.Pagatore = " NOME42"; // "Cognome42.." must not match
    ReceiptSearch(state, c);
}

void BM_RegistrySearchAll(benchmark::State& state) {
    QStringListModel model;
    for (auto _ : state) {
        RecordList list;
        SearchCards(RegistryFolder(), CardCriteria(), list);
        model.setStringList(list.lines);
    }
}
void Expired(benchmark::State& state, ExpiryKind kind) {
    QStringListModel model;
    qint64 n = 0;
    for (auto _ : state) {
        RecordList list;
        ExpiredCards(RegistryFolder(), kind, QDate(2026, 12, 10), list);
        model.setStringList(list.lines);
        n = list.lines.size();
    }
    state.counters["lines"] = double(n);
}
void BM_ExpiredCertificates(benchmark::State& state) {
    Expired(state, ExpiryKind::Certificate);
}
void BM_ExpiredEnrolments(benchmark::State& state) {
    Expired(state, ExpiryKind::Enrolment);
}

// "Trova" with a key that only the last of 100,000 lines holds, from the first line.
void BM_FindFirstToLast(benchmark::State& state) {
    RecordList list;
    SearchReceipts(ReceiptPath(), ReceiptCriteria(), list);
    list.lines.last() += QStringLiteral(" chiaveunica");
    for (auto _ : state) {
        ListFinder finder;
        benchmark::DoNotOptimize(finder.Find(list.lines, 0, QStringLiteral("CHIAVEUNICA")));
    }
}

BENCHMARK(BM_ReceiptsBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReceiptSearchAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReceiptSearchOnePercent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegistryBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegistrySearchAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpiredCertificates)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpiredEnrolments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindFirstToLast)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) {
    return bench::RunOffscreen<QCoreApplication>(argc, argv);
}
