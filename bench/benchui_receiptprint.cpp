// Printing the receipt shown in the editor, through the real windows, for years of different
// sizes: the cost must not grow with the number of receipts the year holds, since the print reads
// only what the editor shows. Each iteration renders both copies to a PDF.
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Carvenna.h"
#include "printing/StampaRic.h"
#include "receipts/Ricevuta.h"
#include "storage/ReceiptFile.h"
#include <QApplication>
#include <QFile>
#include <benchmark/benchmark.h>

namespace {
void WriteYear(const QString& path, int receipts) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QByteArray buf;
    for (int i = 0; i < receipts; ++i) {
        ReceiptRecord r;
        r.NumRic = QString::number(i + 1);
        r.Data = QStringLiteral("10/12/2026");
        r.Importo = QStringLiteral("125");
        r.Cents = QStringLiteral("50");
        r.ImpLettere = QStringLiteral("CENTOVENTICINQUE");
        r.CentLettere = QStringLiteral("50");
        r.Intero = QStringLiteral("125,50");
        r.Ricevente01 = QStringLiteral("Scuola dell'infanzia Il Girasole");
        r.Pagatore = QStringLiteral("Rossi Mario");
        r.CodFisc = QStringLiteral("RSSMRA80A01H501U");
        r.Sport = QStringLiteral("Retta mensile");
        r.Dal = QStringLiteral("01/12/2026");
        r.Al = QStringLiteral("31/12/2026");
        r.Praticante = QStringLiteral("Rossi Luca Niccolò");
        r.Indirizzo = QStringLiteral("Bonifico bancario");
        r.Encode(buf);
        f.write(buf);
    }
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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
