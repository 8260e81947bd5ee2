// Exporting a year of 100,000 receipts through the real window: opening it (the grid loads the
// whole year) and writing Ricevute.xls. Beside it, in the same run, the floor for the same work:
// reading the year file in blocks plus writing a file of the document's size in one write loop.
// The window's run also reports the process's peak resident memory against the year file's size.
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "export/ExpRic.h"
#include "export/ExportGrid.h"
#include "receipts/Ricevuta.h"
#include "storage/ReceiptFile.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {
constexpr int kReceipts = 100000;

struct Year {
    TestPlatform tp;
    QString path;
    Year() {
        path = tp.Path(QStringLiteral("2026.ric"));
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        QByteArray buf;
        for (int i = 0; i < kReceipts; ++i) {
            ReceiptRecord r;
            r.NumRic = QString::number(i + 1);
            r.Data = QStringLiteral("%1/%2/2026").arg(i % 28 + 1, 2, 10, QChar('0')).arg(i % 12 + 1, 2, 10, QChar('0'));
            r.Importo = QStringLiteral("125");
            r.Cents = QStringLiteral("50");
            r.ImpLettere = QStringLiteral("CENTOVENTICINQUE");
            r.CentLettere = QStringLiteral("50");
            r.Intero = QStringLiteral("125,50");
            r.Ricevente01 = QStringLiteral("Scuola dell'infanzia Il Girasole");
            r.Pagatore = QStringLiteral("Rossi & Figli %1").arg(i);
            r.CodFisc = QStringLiteral("RSSMRA80A01H501U");
            r.Sport = QStringLiteral("Retta mensile di frequenza");
            r.Dal = QStringLiteral("01/12/2026");
            r.Al = QStringLiteral("31/12/2026");
            r.Praticante = QStringLiteral("Rossi Luca Niccolò");
            r.LuogoNasc = QStringLiteral("Città di Castello");
            r.DataNasc = QStringLiteral("02/02/2023");
            r.Indirizzo = QStringLiteral("Bonifico bancario");
            r.Encode(buf);
            f.write(buf);
        }
    }
};

Year& TheYear() {
    static Year y;
    return y;
}

qint64 g_documentSize = 0;

double PeakRssMiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0; // kilobytes on Linux
}

// Registered first, so the peak memory it reports is its own and not a later benchmark's.
void BM_ExportWindowYear(benchmark::State& state) {
    Year& y = TheYear();
    const double before = PeakRssMiB();
    Carvenna app(y.tp.platform);
    app.Start();
    app.ricevuta()->ui.lblFile->setText(y.path);
    double loadMs = 0, writeMs = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        TfrmExpRic w(app);
        w.show(); // loads the year into the grid
        loadMs += t.nsecsElapsed() / 1e6;
        t.restart();
        y.tp.messages.answers << true << false;
        w.ui.cmdEsporta->click();
        writeMs += t.nsecsElapsed() / 1e6;
        if (y.tp.messages.Take().size() != 2 || w.Grid().rowCount() != kReceipts) {
            state.SkipWithError("the export did not complete");
            break;
        }
    }
    g_documentSize = QFileInfo(y.tp.Path(QStringLiteral("Ricevute.xls"))).size();
    state.counters["open_ms"] = loadMs / double(state.iterations());
    state.counters["export_ms"] = writeMs / double(state.iterations());
    state.counters["year_MiB"] = double(QFileInfo(y.path).size()) / (1 << 20);
    state.counters["document_MiB"] = double(g_documentSize) / (1 << 20);
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    state.counters["rss_before_MiB"] = before;
}
BENCHMARK(BM_ExportWindowYear)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor: the year read in 1 MiB blocks, and a file of the document's size written in one loop.
void BM_BaselineReadYearWriteDocument(benchmark::State& state) {
    Year& y = TheYear();
    const QString out = y.tp.Path(QStringLiteral("baseline.bin"));
    QByteArray block(1 << 20, 'x');
    for (auto _ : state) {
        QFile in(y.path);
        in.open(QIODevice::ReadOnly);
        qint64 read = 0;
        for (qint64 n; (n = in.read(block.data(), block.size())) > 0;)
            read += n;
        QFile f(out);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        for (qint64 left = g_documentSize; left > 0; left -= block.size())
            f.write(block.constData(), qMin<qint64>(left, block.size()));
        f.close();
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(BM_BaselineReadYearWriteDocument)->Unit(benchmark::kMillisecond)->Iterations(5);
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication a(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
