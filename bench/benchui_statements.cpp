// Yearly statements: the table of a year of 100,000 receipts (5,000 families) beside the raw
// block-read baseline in the same binary, and all statements of 500 families prepared and rendered to
// PDF by the printing double.
#include "BenchData.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Carvenna.h"
#include "summary/StatementPrint.h"
#include "summary/Statements.h"
#include <QApplication>
#include <QFile>

namespace {

// `count` receipts spread over `families` payers and children, methods in turn.
QString WriteYear(const TestPlatform& tp, const QString& name, int count, int families) {
    return bench::WriteReceipts(tp.Path(name), count, [families](int i) {
        static const char* methods[] = {"Bonifico bancario", "Contanti", "", "Carta di credito"};
        const int fam = i % families;
        ReceiptRecord r = bench::MonthlyFee(i, 2025, "50");
        r.Pagatore = QString("Cognome%1 Nome%1").arg(fam);
        r.CodFisc = QString("CGN%1A01H501U").arg(fam, 5, 10, QChar('0'));
        r.Dal = "01/09/2025";
        r.Al = "30/09/2025";
        r.Praticante = QString("Bambino%1").arg(fam);
        r.Indirizzo = methods[i % 4];
        return r;
    });
}

TestPlatform& Platform() {
    static TestPlatform tp;
    return tp;
}

const QString& Year100k() {
    static const QString path = WriteYear(Platform(), "2025.ric", 100000, 5000);
    return path;
}

void BM_StatementsBaselineBlockRead(benchmark::State& state) {
    bench::BlockReadBaseline(state, Year100k(), "Contanti");
}

void BM_StatementsTable100k(benchmark::State& state) {
    const QString path = Year100k();
    qint64 groups = 0;
    for (auto _ : state) {
        const YearStatements s = BuildYearStatements(path, 2025);
        groups = s.groups.size();
    }
    state.counters["groups"] = double(groups);
}

// "Stampa tutte" for 500 families of 12 receipts: fill, prepare and render every page to PDF.
void BM_StatementsPrint500Families(benchmark::State& state) {
    TestPlatform& tp = Platform();
    TestPrinting printing(tp.dir.path());
    const YearStatements s = BuildYearStatements(WriteYear(tp, "2024.ric", 6000, 500), 2025);
    auto rep = LoadStatementTemplate();
    StatementHeading h;
    h.year = 2025;
    h.receiver = {"Scuola dell'infanzia Il Girasole", "Via Roma 1", "27100 Pavia", "P. IVA 01234567890"};
    h.date = QDate(2026, 2, 10);
    h.place = "Pavia";
    int pages = 0;
    for (auto _ : state) {
        report::PreparedReport doc;
        PrepareStatements(*rep, h, s.groups, doc);
        printing.Print(doc, nullptr);
        pages = printing.jobs.last().pageCount;
        QFile::remove(printing.jobs.last().pdf);
    }
    state.counters["pages"] = pages;
}

} // namespace

BENCHMARK(BM_StatementsBaselineBlockRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatementsTable100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatementsPrint500Families)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv) {
    return bench::RunOffscreen<QApplication>(argc, argv);
}
