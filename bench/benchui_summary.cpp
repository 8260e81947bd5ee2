// The takings summary through its real window: a year of 100,000 receipts listed with no filter and
// with a payer filter matching 1 %, beside the raw block-read baseline in the same binary, and the
// print of a 10,000-row summary prepared and rendered to PDF by the printing double.
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Carvenna.h"
#include "storage/ReceiptFile.h"
#include "summary/MenuRiepCosti.h"
#include "summary/RiepCosti.h"
#include <QApplication>
#include <QFile>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstring>

namespace {

// A year of `count` receipts in the program folder of `tp`; every hundredth is Ferraris Giulia's.
void WriteYear(const TestPlatform& tp, int count) {
    QFile f(tp.Path(QStringLiteral("2026.ric")));
    f.open(QIODevice::WriteOnly);
    QByteArray buf;
    for (int i = 0; i < count; ++i) {
        ReceiptRecord r;
        r.NumRic = QString::number(i + 1);
        r.Data = QString("%1/%2/2026").arg(i % 28 + 1, 2, 10, QChar('0')).arg(i % 12 + 1, 2, 10, QChar('0'));
        r.Importo = QString::number(100 + i % 400);
        r.Cents = "50";
        r.Intero = r.Importo + ",50";
        r.ImpLettere = "CENTO";
        r.Ricevente01 = "Scuola dell'infanzia Il Girasole";
        r.Pagatore =
            i % 100 == 0 ? QStringLiteral("Ferraris Giulia") : QString("Cognome%1 Nome%2").arg(i % 5000).arg(i % 97);
        r.CodFisc = "RSSMRA80A01H501U";
        r.Sport = "Retta mensile";
        r.Dal = "01/09/2026";
        r.Al = "30/09/2026";
        r.Praticante = QString("Bambino%1").arg(i % 5000);
        r.Indirizzo = "Bonifico bancario";
        r.Encode(buf);
        f.write(buf);
    }
}

struct Program {
    TestPlatform tp;
    TestPrinting printing{tp.dir.path()};
    std::unique_ptr<Carvenna> app;
    explicit Program(int receipts) {
        tp.platform.printing = &printing;
        WriteYear(tp, receipts);
        app = std::make_unique<Carvenna>(tp.platform);
        app->Start();
        auto& menu = *app->menuRiepCosti();
        menu.ui.lblDataInizio->setText("01/01/2026");
        menu.ui.lblDataFine->setText("31/12/2026");
        menu.ui.lblFile->setText(tp.Path("2026.ric"));
    }
    TfrmMenuRiepCosti& Menu() { return *app->menuRiepCosti(); }
};

// One year for the baseline and both summaries, so that they read the same file in the same state.
Program& Year100k() {
    static Program p(100000);
    return p;
}

// Reads the file in 1 MiB blocks into one reused buffer and looks for a key in each block.
void BM_SummaryBaselineBlockRead(benchmark::State& state) {
    Program& p = Year100k();
    const char key[] = "Ferraris Giulia";
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (auto _ : state) {
        QFile f(p.tp.Path("2026.ric"));
        f.open(QIODevice::ReadOnly);
        size_t hits = 0;
        for (;;) {
            const qint64 n = f.read(block.data(), block.size());
            if (n <= 0)
                break;
            const char* q = block.constData();
            const char* end = q + n;
            while (const void* m = memmem(q, size_t(end - q), key, sizeof key - 1)) {
                ++hits;
                q = static_cast<const char*>(m) + 1;
            }
        }
        benchmark::DoNotOptimize(hits);
    }
}

// Shows the summary window (the list is built, listed and totalled on showing) and closes it.
void Summary(benchmark::State& state, const QString& payer) {
    Program& p = Year100k();
    p.Menu().ui.txtEsecutore->setText(payer);
    int rows = 0;
    for (auto _ : state) {
        TfrmRiepCosti w(*p.app, p.Menu());
        w.ui.lblFile->setText(p.tp.Path("2026.ric"));
        w.show();
        rows = int(w.Rows().size());
        w.reject();
    }
    state.counters["rows"] = rows;
}

void BM_SummaryNoFilter(benchmark::State& state) {
    Summary(state, QString());
}
void BM_SummaryPayerFilter1pct(benchmark::State& state) {
    Summary(state, QStringLiteral("ferraris"));
}

// "Stampa riepilogo" on a 10,000-row summary: fill, prepare and render every page to PDF.
void BM_SummaryPrint10000Rows(benchmark::State& state) {
    Program p(10000);
    TfrmRiepCosti w(*p.app, p.Menu());
    w.ui.lblFile->setText(p.tp.Path("2026.ric"));
    w.show();
    int pages = 0;
    for (auto _ : state) {
        w.ui.btnStampa->click();
        pages = p.printing.jobs.last().pageCount;
        QFile::remove(p.printing.jobs.last().pdf);
    }
    state.counters["pages"] = pages;
    p.tp.messages.shown.clear();
}

} // namespace

BENCHMARK(BM_SummaryBaselineBlockRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SummaryNoFilter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SummaryPayerFilter1pct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SummaryPrint10000Rows)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
