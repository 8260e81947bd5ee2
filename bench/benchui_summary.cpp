// The takings summary through its real window: a year of 100,000 receipts listed with no filter and
// with a payer filter matching 1 %, beside the raw block-read baseline in the same binary, and the
// print of a 10,000-row summary prepared and rendered to PDF by the printing double.
#include "BenchData.h"
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Carvenna.h"
#include "summary/MenuRiepCosti.h"
#include "summary/RiepCosti.h"
#include <QApplication>
#include <QFile>

namespace {

// A year of `count` receipts in the program folder of `tp`; every hundredth is Ferraris Giulia's.
void WriteYear(const TestPlatform& tp, int count) {
    bench::WriteReceipts(tp.Path(QStringLiteral("2026.ric")), count, [](int i) {
        ReceiptRecord r = bench::ChildFee(i, 2026, "50");
        if (i % 100 == 0)
            r.Pagatore = QStringLiteral("Ferraris Giulia");
        r.Dal = "01/09/2026";
        r.Al = "30/09/2026";
        return r;
    });
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
// main() destroys it while the application object still exists.
std::unique_ptr<Program>& TheYear() {
    static std::unique_ptr<Program> p;
    return p;
}
Program& Year100k() {
    if (!TheYear())
        TheYear() = std::make_unique<Program>(100000);
    return *TheYear();
}

void BM_SummaryBaselineBlockRead(benchmark::State& state) {
    bench::BlockReadBaseline(state, Year100k().tp.Path("2026.ric"), "Ferraris Giulia");
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
    return bench::RunOffscreen<QApplication>(argc, argv, [] { TheYear().reset(); });
}
