// The search and expiry lists over a 100,000-receipt year and a 20,000-card registry, beside the raw
// block-read baseline in the same binary; and "Trova" from the first to the last of 100,000 lines.
#include "search/ListLines.h"
#include "storage/Lists.h"
#include <QFile>
#include <QStringListModel>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

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
            r.Dal = "01/03/2026";
            r.Al = "31/03/2026";
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
            r.Tiratore = QString("Genitore%1 Nome").arg((i * 7919) % 20000);
            r.CodFisc = "RSSMRA80A01H501U";
            r.Cel = "333 1234567";
            r.Gruppo = "Nonna";
            r.Studio = "31/08/2025";
            r.FineTes = "31/08/2025";
            r.Tessera = QString::number(i);
            r.Quota = "90,00";
            r.Note = QString("Note della scheda %1").arg(i).repeated(5);
            r.Armi = QString("Bambino%1").arg(i);
            r.Encode(buf);
            f.write(buf);
        }
        return Dir().path() + "/";
    }();
    return folder;
}

// Reads the whole file in 1 MiB blocks into one buffer and touches every block: the floor for any scan.
void Baseline(benchmark::State& state, const QString& path) {
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (auto _ : state) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        qint64 sum = 0;
        for (;;) {
            const qint64 n = f.read(block.data(), block.size());
            if (n <= 0)
                break;
            sum += block.at(int(n) - 1);
        }
        benchmark::DoNotOptimize(sum);
    }
}

void BM_ReceiptsBaseline(benchmark::State& state) {
    Baseline(state, ReceiptPath());
}
void BM_RegistryBaseline(benchmark::State& state) {
    Baseline(state, RegistryFolder() + "Archivio_Iscritti.pro");
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

BENCHMARK_MAIN();
