// A month's fees for a school of 500 children against two years of 100,000 receipts each (the month's
// year and the year before, which the month rule reads): building the list (set beside the raw read of
// the registry and both years), issuing 500 receipts in one batch, and printing them to one
// 500-page PDF, with the growth of the process's peak memory while printing.
#include "BenchData.h"
#include "fees/MonthFees.h"
#include "printing/ReceiptBatchPrint.h"
#include "receipts/DefaultLogo.h"
#include "report/ReportPainter.h"
#include <QApplication>
#include <QFile>
#include <sys/resource.h>

namespace {

constexpr int kCards = 500;
constexpr int kReceipts = 100000;
const fees::FeeMonth kMonth{2026, 12};

QString Folder() {
    return bench::Folder().path() + u'/';
}

RegistryRecord FeeCard(int i) {
    RegistryRecord r = bench::ChildCard(i);
    r.Tiratore = QStringLiteral("Cognome%1 Nome%2").arg(i).arg(i % 97);
    r.Quota = QStringLiteral("%1,50").arg(100 + i % 300);
    r.InizioTes = QStringLiteral("01/09/2026");
    r.FineTes = QStringLiteral("30/06/2027");
    r.Ente = QStringLiteral("Retta mensile");
    r.FinePor = QStringLiteral("Bonifico bancario");
    return r;
}

// The registry and a year in which every 500th child's receipts fall in December among others.
void WriteArchives() {
    static bool written = false;
    if (written)
        return;
    bench::WriteCards(Folder(), kCards, FeeCard);
    bench::WriteReceipts(Folder() + QStringLiteral("2026.ric"), kReceipts, [](int i) {
        ReceiptRecord r = bench::ChildFee(i, 2026, QStringLiteral("50"));
        r.Dal = bench::SpreadDate(i, 2026);
        r.Al = r.Dal;
        return r;
    });
    bench::WriteReceipts(Folder() + QStringLiteral("2025.ric"), kReceipts, [](int i) {
        ReceiptRecord r = bench::ChildFee(i, 2025, QStringLiteral("50"));
        r.Dal = bench::SpreadDate(i, 2025);
        r.Al = r.Dal;
        return r;
    });
    written = true;
}

qint64 PeakKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void BM_FeesRawRead(benchmark::State& state) {
    WriteArchives();
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bench::ScanBlocks(Folder() + RegistryFileName, block));
        benchmark::DoNotOptimize(bench::ScanBlocks(Folder() + QStringLiteral("2025.ric"), block));
        benchmark::DoNotOptimize(bench::ScanBlocks(Folder() + QStringLiteral("2026.ric"), block));
    }
}

void BM_FeesList(benchmark::State& state) {
    WriteArchives();
    qint64 lines = 0;
    for (auto _ : state) {
        const fees::MonthList list = fees::BuildMonthList(Folder(), Folder() + QStringLiteral("2026.ric"), kMonth);
        lines = list.lines.size();
        if (list.outcome != fees::ListOutcome::Listed || list.receipts != kReceipts)
            state.SkipWithError("the archives were not read");
    }
    state.counters["lines"] = double(lines);
}

void BM_FeesIssue500(benchmark::State& state) {
    WriteArchives();
    const QString year = Folder() + QStringLiteral("issue.ric");
    QFile::remove(year);
    const fees::MonthList list = fees::BuildMonthList(Folder(), year, kMonth);
    QVector<int> which;
    for (int i = 0; i < list.lines.size(); ++i)
        which << i;
    fees::IssueRequest req;
    req.month = kMonth;
    req.issueDate = QDate(2026, 12, 1);
    req.receiver = {QStringLiteral("Scuola dell'infanzia Il Girasole")};
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(year);
        state.ResumeTiming();
        const fees::IssueResult r = fees::IssueFees(year, list.lines, which, req);
        if (!r.ok || r.issued.size() != kCards)
            state.SkipWithError("the batch was not issued");
    }
}

void BM_FeesPrint500(benchmark::State& state) {
    QVector<ReceiptRecord> receipts;
    for (int i = 0; i < kCards; ++i) {
        ReceiptRecord r = bench::DecemberFee();
        r.NumRic = QString::number(i + 1);
        r.Data = QStringLiteral("01/12/2026");
        r.Pagatore = QStringLiteral("Cognome%1 Nome%2").arg(i).arg(i % 97);
        r.Sport = QStringLiteral("Retta mensile");
        receipts << r;
    }
    const QImage logo = DefaultLogo();
    const QString pdf = Folder() + QStringLiteral("Ricevute_2026_12.pdf");
    const qint64 before = PeakKb();
    qint64 prepared = 0;
    for (auto _ : state) {
        report::PreparedReport doc;
        QString error;
        const bool ok = PrepareReceipts(receipts, logo, doc, &error);
        prepared = PeakKb();
        if (!ok || !report::SavePdf(doc, pdf, &error) || doc.PageCount() != kCards)
            state.SkipWithError(qPrintable(error));
    }
    // Growth of the peak once the pages are prepared, and at the end of the printing.
    state.counters["prepared_growth_MB"] = double(prepared - before) / 1024.0;
    state.counters["peak_growth_MB"] = double(PeakKb() - before) / 1024.0;
    state.counters["pdf_MB"] = double(QFile(pdf).size()) / (1024.0 * 1024.0);
}

} // namespace

BENCHMARK(BM_FeesRawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FeesList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FeesIssue500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FeesPrint500)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    return bench::RunOffscreen<QApplication>(argc, argv);
}
