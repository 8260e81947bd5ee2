// The family account and the reminder letters: one family's account read from a year of 100,000
// receipts (target under 50 ms), and 500 letters with their QR codes written to one PDF (target under
// 15 s), each letter prepared, painted and dropped before the next, with the peak memory reported.
#include "BenchData.h"
#include "fees/FeeDocuments.h"
#include "report/ReportPainter.h"
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <benchmark/benchmark.h>

using namespace fees;

namespace {
// Peak resident memory of the process in kB.
double PeakKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble();
    return 0;
}

const QString& School() {
    static const QString folder = [] {
        QDir().mkpath(bench::Folder().filePath(QStringLiteral("conto")));
        const QString f = bench::WriteCards(bench::Folder().filePath(QStringLiteral("conto")), 500, [](int i) {
            RegistryRecord r;
            r.Tiratore = QString("Cognome%1 Nome").arg(i / 2);
            r.CodFisc = QString("CF%1").arg(i / 2); // two children a payer
            r.Armi = QString("Bambino%1").arg(i);
            r.Quota = QStringLiteral("250");
            r.InizioTes = QStringLiteral("01/09/2025");
            return r;
        });
        bench::WriteReceipts(f + QStringLiteral("2026.ric"), 100000, [](int i) {
            ReceiptRecord r = bench::ChildFee(i, 2026, QStringLiteral("00"));
            r.Sport = QStringLiteral("Retta mensile");
            return r;
        });
        return f;
    }();
    return folder;
}

void BM_FamilyAccount(benchmark::State& state) {
    const QString folder = School();
    for (auto _ : state) {
        FamilyAccount a;
        QString error;
        if (!LoadFamilyAccount(folder, 1, FeeMonth{2026, 12}, a, &error))
            state.SkipWithError(error.toUtf8().constData());
        benchmark::DoNotOptimize(a.TotalOwed());
    }
}
BENCHMARK(BM_FamilyAccount)->Unit(benchmark::kMillisecond);

ReminderLetter Letter(int i) {
    ReminderLetter l;
    l.payer = QString("Cognome%1 Nome%1").arg(i);
    l.taxCode = QStringLiteral("RSSMRA80A01H501U");
    l.address = {QStringLiteral("Via Roma 1"), QStringLiteral("00100 Roma")};
    for (int c = 0; c < 2; ++c) {
        ReminderChild child{i * 2 + c, QString("Bambino%1 %2").arg(i).arg(c), {}};
        for (int m = 9; m <= 12; ++m)
            child.months << OwedMonth{FeeMonth{2026, m}, 2500000, 2500000 - (i % 3) * 100000};
        l.children << child;
    }
    return l;
}

// Letters painted onto one PDF as they are prepared: only one letter's pages are held at a time.
void BM_LettersPdf(benchmark::State& state) {
    PaymentSettings account;
    account.iban = QStringLiteral("IT60X0542811101000000123456");
    account.intestatario = QStringLiteral("Scuola dell'infanzia Il Girasole");
    DocumentHeading h{{QStringLiteral("Scuola dell'infanzia Il Girasole"), QStringLiteral("Via dei Fiori 3")},
                      QString(), QDate(2026, 12, 10)};
    const QString path = bench::Folder().filePath(QStringLiteral("solleciti.pdf"));
    for (auto _ : state) {
        QPdfWriter writer(path);
        writer.setResolution(600);
        QPainter painter;
        bool first = true;
        for (int i = 0; i < state.range(0); ++i) {
            report::PreparedReport one;
            AppendLetter(one, Letter(i), FeeMonth{2026, 12}, account, h);
            for (const report::PreparedPage& page : one.pages) {
                writer.setPageLayout(report::PageLayoutOf(page));
                if (first)
                    painter.begin(&writer);
                else
                    writer.newPage();
                first = false;
                report::PaintPage(page, painter, writer.resolution(), writer.resolution());
            }
        }
        painter.end();
    }
    state.counters["peak_kB"] = PeakKb();
    state.counters["pdf_kB"] = QFile(path).size() / 1024.0;
}
BENCHMARK(BM_LettersPdf)->Arg(50)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(1);
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
