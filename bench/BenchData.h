#pragma once
// What the benchmarks share: large archives generated into a temporary folder, the raw block-read
// baseline each measurement is set beside, and a main() that runs the benchmarks with an
// application object on the offscreen platform.
#include "app/HeapSettings.h"
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstring>
#include <functional>

namespace bench {

/// A temporary folder that lives as long as the benchmark process.
inline QTemporaryDir& Folder() {
    static QTemporaryDir dir;
    return dir;
}

/// "dd/mm/<year>": day and month taken in turn from `i`, so a year spreads over every month.
inline QString SpreadDate(int i, int year) {
    return QString("%1/%2/%3").arg(i % 28 + 1, 2, 10, QChar('0')).arg(i % 12 + 1, 2, 10, QChar('0')).arg(year);
}

/// A monthly fee of 100 to 499 euro and `cents`, numbered i + 1 and dated by SpreadDate; the school
/// receives it by bank transfer. The payer, child and period are left to the caller.
inline ReceiptRecord MonthlyFee(int i, int year, const QString& cents) {
    ReceiptRecord r;
    r.NumRic = QString::number(i + 1);
    r.Data = SpreadDate(i, year);
    r.Importo = QString::number(100 + i % 400);
    r.Cents = cents;
    r.Intero = r.Importo + u',' + cents;
    r.Ricevente01 = QStringLiteral("Scuola dell'infanzia Il Girasole");
    r.Sport = QStringLiteral("Retta mensile");
    r.Indirizzo = QStringLiteral("Bonifico bancario");
    return r;
}

/// MonthlyFee for one of 5,000 children, paid by payers "Cognome<n> Nome<m>" under one tax code.
inline ReceiptRecord ChildFee(int i, int year, const QString& cents) {
    ReceiptRecord r = MonthlyFee(i, year, cents);
    r.ImpLettere = QStringLiteral("CENTO");
    r.Pagatore = QString("Cognome%1 Nome%2").arg(i % 5000).arg(i % 97);
    r.CodFisc = QStringLiteral("RSSMRA80A01H501U");
    r.Praticante = QString("Bambino%1").arg(i % 5000);
    return r;
}

/// A card for child i: one tax code, a long note, the child's name in the list of children.
inline RegistryRecord ChildCard(int i) {
    RegistryRecord r;
    r.CodFisc = QStringLiteral("RSSMRA80A01H501U");
    r.Note = QString("Note della scheda %1").arg(i).repeated(5);
    r.Armi = QString("Bambino%1").arg(i);
    return r;
}

/// A receipt of 125,50 euro for December 2026 with every amount field filled, as the editor stores
/// it. The number, date, payer and reason are left to the caller.
inline ReceiptRecord DecemberFee() {
    ReceiptRecord r;
    r.Importo = QStringLiteral("125");
    r.Cents = QStringLiteral("50");
    r.ImpLettere = QStringLiteral("CENTOVENTICINQUE");
    r.CentLettere = QStringLiteral("50");
    r.Intero = QStringLiteral("125,50");
    r.Ricevente01 = QStringLiteral("Scuola dell'infanzia Il Girasole");
    r.CodFisc = QStringLiteral("RSSMRA80A01H501U");
    r.Dal = QStringLiteral("01/12/2026");
    r.Al = QStringLiteral("31/12/2026");
    r.Praticante = QStringLiteral("Rossi Luca Niccolò");
    r.Indirizzo = QStringLiteral("Bonifico bancario");
    return r;
}

/// Writes `count` records made by `make(i)` to `path`, replacing the file. One buffer is reused for
/// every record, as the program's own writer does, so unused bytes carry the previous record's text.
template <class Record, class Make> bool WriteRecords(const QString& path, int count, Make make) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray buf;
    for (int i = 0; i < count; ++i) {
        const Record r = make(i);
        r.Encode(buf);
        if (f.write(buf) != buf.size())
            return false;
    }
    return true;
}

/// A year file of `count` receipts made by `make(i)`; returns `path`.
template <class Make> QString WriteReceipts(const QString& path, int count, Make make) {
    WriteRecords<ReceiptRecord>(path, count, make);
    return path;
}

/// The registry of `count` cards made by `make(i)` in `folder`; returns the folder, ending in '/'.
template <class Make> QString WriteCards(QString folder, int count, Make make) {
    if (!folder.endsWith(u'/'))
        folder += u'/';
    WriteRecords<RegistryRecord>(folder + QLatin1String(RegistryFileName), count, make);
    return folder;
}

/// The floor for any scan of a file: it is read from start to end in `block`-sized reads into one
/// reused buffer. With a `key`, memmem counts its occurrences in each block (the key's length minus
/// one carried over, so no match across blocks is missed) and the count is returned; without one,
/// the number of bytes read is returned.
inline qint64 ScanBlocks(const QString& path, QByteArray& block, const char* key = nullptr) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const size_t klen = key ? std::strlen(key) : 0;
    qint64 read = 0, hits = 0;
    size_t carried = 0;
    for (;;) {
        const qint64 n = f.read(block.data() + carried, block.size() - qint64(carried));
        if (n <= 0)
            break;
        read += n;
        if (klen == 0)
            continue;
        const char* p = block.constData();
        const char* end = p + carried + size_t(n);
        while (const void* m = memmem(p, size_t(end - p), key, klen)) {
            ++hits;
            p = static_cast<const char*>(m) + klen;
        }
        carried = std::min(klen - 1, size_t(end - block.constData()));
        std::memmove(block.data(), end - carried, carried);
    }
    return klen ? hits : read;
}

/// Runs ScanBlocks over `path` with a 1 MiB buffer in every iteration of `state`.
inline void BlockReadBaseline(benchmark::State& state, const QString& path, const char* key = nullptr) {
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (auto _ : state)
        benchmark::DoNotOptimize(ScanBlocks(path, block, key));
}

/// The body of a benchmark's main(): the windows and fonts need an application object (`App`,
/// QApplication or QGuiApplication), shown on the offscreen platform. `beforeQuit` runs while the
/// application still exists: windows kept between benchmarks must be destroyed there, not after it.
/// The heap is configured as the program's main() configures it, so that what is measured is the
/// program's own behaviour and not the order the benchmarks ran in.
template <class App> int RunOffscreen(int argc, char** argv, const std::function<void()>& beforeQuit = {}) {
    ConfigureHeap();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (beforeQuit)
        beforeQuit();
    return 0;
}

} // namespace bench
