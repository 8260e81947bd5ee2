// A month's invoices in one go: 500 receipts of 500 families with complete registry cards, through
// the command of the month window (target: under 5 s). Each iteration starts from an empty FatturaPA
// folder, so every receipt is read, its payer found, its file saved whole and registered.
#include "BenchData.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "einvoice/EmettiFattura.h"
#include "einvoice/FiscalData.h"
#include "einvoice/InvoiceFiles.h"
#include <QApplication>
#include <QDir>

namespace {
// A valid tax code for family `i`: fifteen characters and their check letter.
QString TaxCode(int i) {
    static const int odd[36] = {1,  0,  5, 7, 9,  13, 15, 17, 19, 21, 1,  0,  5,  7,  9,  13, 15, 17,
                                19, 21, 2, 4, 18, 20, 11, 3,  6,  8,  12, 14, 16, 10, 22, 25, 24, 23};
    const QString first = QStringLiteral("RSSMRA80A01H%1").arg(i, 3, 10, QLatin1Char('0'));
    int sum = 0;
    for (int k = 0; k < 15; ++k) {
        const QChar c = first[k];
        const int idx = c.isDigit() ? c.digitValue() : 10 + (c.unicode() - 'A');
        sum += k % 2 == 0 ? odd[idx] : (c.isDigit() ? c.digitValue() : c.unicode() - 'A');
    }
    return first + QChar('A' + sum % 26);
}

void BM_MonthOfInvoices(benchmark::State& state) {
    const int count = int(state.range(0));
    TestPlatform tp;
    Carvenna app(tp.platform);
    app.Start();
    FiscalData school;
    school.denominazione = QStringLiteral("Asilo Nido Il Girasole");
    school.partitaIva = QStringLiteral("01234567897");
    school.indirizzo = QStringLiteral("Via Roma 12");
    school.cap = QStringLiteral("20121");
    school.comune = QStringLiteral("Milano");
    const QString year = tp.Path(QStringLiteral("2026.ric"));
    bench::WriteReceipts(year, count, [](int i) {
        ReceiptRecord r = bench::DecemberFee();
        r.NumRic = QString::number(i + 1);
        r.Data = QStringLiteral("10/12/2026");
        r.Importo = QStringLiteral("350");
        r.Cents = QStringLiteral("00");
        r.Pagatore = QStringLiteral("ROSSI MARIO");
        r.CodFisc = TaxCode(i);
        r.Sport = QStringLiteral("Retta mensile");
        r.Dal = QStringLiteral("01/12/2026");
        r.Al = QStringLiteral("31/12/2026");
        r.Indirizzo = QStringLiteral("Bonifico");
        return r;
    });
    bench::WriteCards(tp.dir.path() + QLatin1Char('/'), count, [](int i) {
        RegistryRecord c = bench::ChildCard(i);
        c.Tiratore = QStringLiteral("ROSSI MARIO");
        c.CodFisc = TaxCode(i);
        c.Indirizzo = QStringLiteral("Via Verdi 3");
        c.Cap = QStringLiteral("20100");
        c.Citta = QStringLiteral("Milano (MI)");
        c.Nazione = QStringLiteral("Italia");
        return c;
    });
    QList<qint64> positions;
    for (int i = 1; i <= count; ++i)
        positions << i;
    for (auto _ : state) {
        state.PauseTiming();
        QDir(InvoiceFolder(app.ProgramFolder())).removeRecursively();
        SaveFiscalData(app.SettingsPath(), school);
        tp.messages.Take();
        state.ResumeTiming();
        if (EmettiFatture(app, nullptr, year, positions) != count) {
            state.SkipWithError(qPrintable(QStringLiteral("not every invoice was written: ") +
                                           tp.messages.TakeTexts().join(QLatin1Char(' '))));
            break;
        }
    }
    state.counters["invoices"] = count;
}
} // namespace

BENCHMARK(BM_MonthOfInvoices)->Arg(500)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return bench::RunOffscreen<QApplication>(argc, argv);
}
