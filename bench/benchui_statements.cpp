// Yearly statements: the table of a year of 100,000 receipts (5,000 families) beside the raw
// block-read baseline in the same binary, and all statements of 500 families prepared and rendered to
// PDF by the printing double.
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Carvenna.h"
#include "storage/ReceiptFile.h"
#include "summary/StatementPrint.h"
#include "summary/Statements.h"
#include <QApplication>
#include <QFile>
#include <benchmark/benchmark.h>
#include <cstring>

namespace {

// `count` receipts spread over `families` payers and children, methods in turn.
QString WriteYear(const TestPlatform& tp, const QString& name, int count, int families) {
    const QString path = tp.Path(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QByteArray buf;
    static const char* methods[] = {"Bonifico bancario", "Contanti", "", "Carta di credito"};
    for (int i = 0; i < count; ++i) {
        const int fam = i % families;
        ReceiptRecord r;
        r.NumRic = QString::number(i + 1);
        r.Data = QString("%1/%2/2025").arg(i % 28 + 1, 2, 10, QChar('0')).arg(i % 12 + 1, 2, 10, QChar('0'));
        r.Importo = QString::number(100 + i % 400);
        r.Cents = "50";
        r.Intero = r.Importo + ",50";
        r.Ricevente01 = "Scuola dell'infanzia Il Girasole";
        r.Pagatore = QString("Cognome%1 Nome%1").arg(fam);
        r.CodFisc = QString("CGN%1A01H501U").arg(fam, 5, 10, QChar('0'));
        r.Sport = "Retta mensile";
        r.Dal = "01/09/2025";
        r.Al = "30/09/2025";
        r.Praticante = QString("Bambino%1").arg(fam);
        r.Indirizzo = methods[i % 4];
        r.Encode(buf);
        f.write(buf);
    }
    return path;
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
    const QString path = Year100k();
    const char key[] = "Contanti";
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (auto _ : state) {
        QFile f(path);
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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
