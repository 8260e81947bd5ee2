// Printing the receipt shown in the editor, through the real windows, for years of different
// sizes: the cost must not grow with the number of receipts the year holds, since the print reads
// only what the editor shows. Each iteration renders both copies to a PDF.
#include "BenchData.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Carvenna.h"
#include "printing/StampaRic.h"
#include "receipts/Ricevuta.h"
#include <QApplication>

namespace {
void WriteYear(const QString& path, int receipts) {
    bench::WriteReceipts(path, receipts, [](int i) {
        ReceiptRecord r = bench::DecemberFee();
        r.NumRic = QString::number(i + 1);
        r.Data = QStringLiteral("10/12/2026");
        r.Pagatore = QStringLiteral("Rossi Mario");
        r.Sport = QStringLiteral("Retta mensile");
        return r;
    });
}

void BM_PrintReceiptOfYear(benchmark::State& state) {
    const int receipts = int(state.range(0));
    TestPlatform tp;
    TestPrinting printing(tp.dir.path());
    tp.platform.printing = &printing;
    const QString year = tp.Path(QStringLiteral("2026.ric"));
    WriteYear(year, receipts);
    Carvenna app(tp.platform);
    app.Start();
    TfrmRicevuta* editor = app.ricevuta();
    editor->ui.lblFile->setText(year);
    editor->show();
    editor->ui.cmdUltimo->click(); // the last receipt of the year on screen
    for (auto _ : state) {
        TfrmStampaRic w(app, editor);
        w.show();
        w.ui.btnStampa->click();
    }
    if (printing.jobs.size() != int(state.iterations()) || printing.LastPdf().isEmpty())
        state.SkipWithError("the receipt was not printed");
    state.counters["receipts"] = receipts;
}
} // namespace

BENCHMARK(BM_PrintReceiptOfYear)->Arg(1)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return bench::RunOffscreen<QApplication>(argc, argv);
}
