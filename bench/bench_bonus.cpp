// The nursery-bonus documents of a whole school: 500 children (two a payer) with a year of 100,000
// receipts, the set read from the program folder (registry, children's codes, three years' files, the
// paying receipts' details) and one PDF written per family, each family's pages prepared, written and
// dropped before the next (target: under 15 s for the school, memory flat: the peak with 500 children
// about that with 100).
#include "BenchData.h"
#include "fees/BonusDocuments.h"
#include "registry/ChildTaxCodes.h"
#include "report/ReportPainter.h"
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace fees;

namespace {
double PeakKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble();
    return 0;
}

constexpr int kChildren = 500;

const QString& School() {
    static const QString folder = [] {
        QDir().mkpath(bench::Folder().filePath(QStringLiteral("bonus")));
        const QString f = bench::WriteCards(bench::Folder().filePath(QStringLiteral("bonus")), kChildren, [](int i) {
            RegistryRecord r;
            r.Tiratore = QString("Cognome%1 Nome").arg(i / 2);
            r.CodFisc = QString("RSSMRA80A01H%1U").arg(i / 2, 3, 10, QChar('0')); // two children a payer
            r.Armi = QString("Bambino%1").arg(i);
            r.Quota = QStringLiteral("250");
            r.Ente = QStringLiteral("Retta mensile");
            r.InizioTes = QStringLiteral("01/09/2025");
            return r;
        });
        QVector<ChildTaxCode> codes;
        for (int i = 0; i < kChildren; i += 3) // a third of the children with a code kept
            codes << ChildTaxCode{i + 1, QString("Bambino%1").arg(i), QStringLiteral("RSSLCU24C12H501K")};
        SaveChildTaxCodes(ChildTaxCodesPath(f), codes);
        // 200 receipts a child over the year: the fee of each month, then meals and credits.
        bench::WriteReceipts(f + QStringLiteral("2026.ric"), 100000, [](int i) {
            ReceiptRecord r = bench::MonthlyFee(i, 2026, QStringLiteral("00"));
            const int child = i % kChildren, month = (i / kChildren) % 12 + 1;
            r.Praticante = QString("Bambino%1").arg(child);
            r.Pagatore = QString("Cognome%1 Nome").arg(child / 2);
            r.CodFisc = QString("RSSMRA80A01H%1U").arg(child / 2, 3, 10, QChar('0'));
            const QDate first(2026, month, 1);
            r.Dal = first.toString(QStringLiteral("dd/MM/yyyy"));
            r.Al = first.addMonths(1).addDays(-1).toString(QStringLiteral("dd/MM/yyyy"));
            if ((i / kChildren / 12) % 3 == 2) // every third round of the months: meals, apart from the fee
                r.Sport = QStringLiteral("Mensa");
            r.Indirizzo = QString("Bonifico bancario del %1, rif. %2").arg(r.Dal).arg(i);
            return r;
        });
        return f;
    }();
    return folder;
}

// Reading the set alone.
void BM_BonusSet(benchmark::State& state) {
    const QString folder = School();
    for (auto _ : state) {
        BonusSet set;
        QString error;
        if (!LoadBonusSet(folder, 2026, {}, set, &error))
            state.SkipWithError(error.toUtf8().constData());
        benchmark::DoNotOptimize(set.Children());
    }
}
BENCHMARK(BM_BonusSet)->Unit(benchmark::kMillisecond);

// The pages of every family laid out, not written: what the layout costs apart from the PDF.
void BM_BonusPages(benchmark::State& state) {
    BonusSet set;
    QString error;
    if (!LoadBonusSet(School(), 2026, {}, set, &error))
        state.SkipWithError(error.toUtf8().constData());
    const DocumentHeading h{
        {QStringLiteral("Scuola dell'infanzia Il Girasole")}, QStringLiteral("Roma"), QDate(2027, 1, 15)};
    qint64 pages = 0;
    for (auto _ : state) {
        pages = 0;
        for (const BonusFamily& f : set.families)
            pages += qint64(PrepareBonusFamily(f, 2026, h).pages.size());
    }
    state.counters["pages"] = double(pages);
}
BENCHMARK(BM_BonusPages)->Unit(benchmark::kMillisecond);

// The set read, then one PDF per family of the first `range(0)` children's families.
void BM_BonusPdfs(benchmark::State& state) {
    const QString folder = School();
    const QString out = bench::Folder().filePath(QStringLiteral("Bonus_nido"));
    const DocumentHeading h{{QStringLiteral("Scuola dell'infanzia Il Girasole"), QStringLiteral("Via dei Fiori 3"),
                             QStringLiteral("00100 Roma (RM)"), QStringLiteral("C.F. 97123450580")},
                            QStringLiteral("Roma"),
                            QDate(2027, 1, 15)};
    qint64 pages = 0, files = 0;
    for (auto _ : state) {
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        BonusSet set;
        QString error;
        if (!LoadBonusSet(folder, 2026, {}, set, &error))
            state.SkipWithError(error.toUtf8().constData());
        pages = files = 0;
        for (const BonusFamily& f : set.families) {
            if (files * 2 >= state.range(0))
                break;
            const report::PreparedReport doc = PrepareBonusFamily(f, 2026, h);
            if (!report::SavePdf(doc, out + u'/' + BonusPdfName(f, 2026), &error, 600))
                state.SkipWithError(error.toUtf8().constData());
            pages += qint64(doc.pages.size());
            ++files;
        }
    }
    state.counters["pages"] = double(pages);
    state.counters["files"] = double(files);
    state.counters["peak_kB"] = PeakKb();
}
// The smaller run first: the peak it leaves is what the whole school must stay near.
BENCHMARK(BM_BonusPdfs)->Arg(100)->Arg(kChildren)->Unit(benchmark::kMillisecond)->Iterations(1);
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
