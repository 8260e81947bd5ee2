// Report engine timings: the receipt from template to PDF (target: under 50 ms per print), and a long
// list for comparison. The receipt print reads only the receipt on screen, never the year's file, so
// its cost is the same whatever the year holds.
#include "report/PreparedReport.h"
#include "report/ReportPainter.h"
#include "report/ReportTemplate.h"
#include <QBuffer>
#include <QGuiApplication>
#include <QPdfWriter>
#include <benchmark/benchmark.h>

using namespace report;

namespace {

void FillReceipt(ReportTemplate& t) {
    static const QList<QPair<QString, QString>> values = {
        {"txtNumRic", "Ricevuta n. 1270"},
        {"txtData", "Data:  14/03/2026"},
        {"txtRicevente01", "Asilo Nido Girotondo Società Cooperativa Sociale"},
        {"txtRicevente02", "Via Giuseppe Garibaldi 12"},
        {"txtRicevente03", "20121 Milano (MI)"},
        {"txtRicevente04", "P.IVA 01234567890"},
        {"txtPagatore", "Niccolò Fabbrì"},
        {"txtCodFisc", "FBBNCL80A01F205X"},
        {"txtSport", "Retta mensile più pasti e laboratorio di musica"},
        {"txtDal", "01/03/2026"},
        {"txtAl", "31/03/2026"},
        {"txtPraticante", "Fabbrì Lucìa"},
        {"txtLuogoNasc", "Forlì"},
        {"txtDataNasc", "02/02/2023"},
        {"txtIndirizzo", "Bonifico bancario"},
        {"txtImpLettere", "TRECENTOVENTICINQUE/50"},
        {"txtImporto", "325"},
        {"txtCents", "50"},
    };
    static const QImage logo = [] {
        QImage img(297, 184, QImage::Format_RGB32);
        img.fill(QColor(30, 80, 200));
        return img;
    }();
    for (const QString& suffix : {QString(), QStringLiteral("_B")}) {
        t.SetPicture("imgLogo" + suffix, logo);
        for (const auto& v : values)
            t.SetText(v.first + suffix, v.second);
    }
}

bool WritePdf(const PreparedReport& prepared) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(1200);
    const bool ok = PaintReport(prepared, writer);
    benchmark::DoNotOptimize(buffer.size());
    return ok;
}

// What one click on "Stampa" costs in the engine: the window's own template copy, filling both copies,
// preparing, and painting the page onto a PDF writer (a printer costs the same painting).
void BM_ReceiptLoadFillPrepareRender(benchmark::State& state) {
    for (auto _ : state) {
        ReportTemplate t = *ReportTemplate::Load(":/printing/templates/receipt.json");
        FillReceipt(t);
        if (!t.Prepare() || !WritePdf(t.Prepared()))
            state.SkipWithError("receipt failed");
    }
}
BENCHMARK(BM_ReceiptLoadFillPrepareRender)->Unit(benchmark::kMillisecond);

void BM_ReceiptLoadTemplate(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ReportTemplate::Load(":/printing/templates/receipt.json"));
}
BENCHMARK(BM_ReceiptLoadTemplate)->Unit(benchmark::kMillisecond);

void BM_ReceiptPrepare(benchmark::State& state) {
    ReportTemplate t = *ReportTemplate::Load(":/printing/templates/receipt.json");
    FillReceipt(t);
    for (auto _ : state)
        benchmark::DoNotOptimize(t.Prepare());
}
BENCHMARK(BM_ReceiptPrepare)->Unit(benchmark::kMillisecond);

void BM_ReceiptRenderPdf(benchmark::State& state) {
    ReportTemplate t = *ReportTemplate::Load(":/printing/templates/receipt.json");
    FillReceipt(t);
    t.Prepare();
    for (auto _ : state)
        WritePdf(t.Prepared());
}
BENCHMARK(BM_ReceiptRenderPdf)->Unit(benchmark::kMillisecond);

// A list print of N lines, for comparison with the receipt.
void BM_ListPrepareRender(benchmark::State& state) {
    const int n = int(state.range(0));
    ReportTemplate t = *ReportTemplate::Load(":/printing/templates/list.json");
    t.SetText("txtTitolo", "Riepilogo ricevute emesse");
    t.SetText("txtPagina", "Stampa eseguita in data 14/03/2026 alle ore 10:30:00");
    t.ClearLines("txtRiepilogo");
    for (int i = 0; i < n; ++i)
        t.AddLine(
            "txtRiepilogo",
            QStringLiteral("Ric. n. %1  Data: 14/03/2026  Pagatore di prova %2  Causale: retta").arg(i, -12).arg(i, 6));
    t.SetHeight("txtRiepilogo", n * 12.822);
    t.SetHeight("MasterData", n * 12.822 + 10);
    for (auto _ : state) {
        t.Prepare();
        WritePdf(t.Prepared());
    }
    state.counters["pages"] = t.Prepared().PageCount();
}
BENCHMARK(BM_ListPrepareRender)->Arg(200)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Page preparation alone of a long list: the time must grow in proportion to the lines.
void BM_ListPrepare(benchmark::State& state) {
    const int n = int(state.range(0));
    ReportTemplate t = *ReportTemplate::Load(":/printing/templates/list.json");
    t.ClearLines("txtRiepilogo");
    QStringList lines;
    for (int i = 0; i < n; ++i)
        lines << QStringLiteral("Ric. n. %1  Data: 14/03/2026  Pagatore di prova %2  Causale: retta").arg(i, -12).arg(i, 6);
    t.FindObject("txtRiepilogo")->lines = lines;
    t.SetHeight("txtRiepilogo", n * 12.822);
    t.SetHeight("MasterData", n * 12.822 + 10);
    for (auto _ : state)
        t.Prepare();
    state.counters["pages"] = t.Prepared().PageCount();
}
BENCHMARK(BM_ListPrepare)->Arg(2000)->Arg(10000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts need the GUI application
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
