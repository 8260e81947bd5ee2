// The register of electronic invoices at a busy school's size: the window "Fatture elettroniche" opened
// and filtered by month on 5,000 lines (target: under 100 ms), the upload package of 500 invoices
// (under 2 s) and 500 notifications of the exchange system read (under 2 s).
#include "BenchData.h"
#include "InvoiceFixtures.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "einvoice/FattureElettroniche.h"
#include "einvoice/FiscalData.h"
#include "einvoice/InvoiceFiles.h"
#include "einvoice/SdiNotice.h"
#include "einvoice/SdiPackage.h"
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>

namespace {
// `count` real invoice files with their register, one receipt each, spread over the year's months.
QStringList WriteYear(TestPlatform& tp, Carvenna& app, int count) {
    SaveFiscalData(app.SettingsPath(), InvoiceSchool());
    QVector<InvoiceJob> jobs;
    for (int i = 0; i < count; ++i) {
        ReceiptRecord r = bench::DecemberFee();
        r.NumRic = QString::number(i + 1);
        r.Data = QDate(2026, 1 + i % 12, 10).toString(QStringLiteral("dd/MM/yyyy"));
        r.Importo = QStringLiteral("350");
        r.Cents = QStringLiteral("00");
        r.CodFisc = QStringLiteral("RSSMRA80A01H501U");
        r.Sport = QStringLiteral("Retta mensile");
        r.Indirizzo = QStringLiteral("Bonifico");
        jobs << InvoiceJob{r, i + 1, InvoiceRossi()};
    }
    Q_UNUSED(tp);
    return WriteInvoices(app.ProgramFolder(), app.SettingsPath(), QStringLiteral("2026"), jobs, QDate(2026, 12, 10))
        .files;
}

void BM_RegisterWindow(benchmark::State& state) {
    const int count = int(state.range(0));
    TestPlatform tp;
    Carvenna app(tp.platform);
    app.Start();
    // The window reads the register only: its lines are written directly, a quarter of them with states.
    QVector<RegisterEntry> reg;
    for (int i = 0; i < count; ++i) {
        RegisterEntry e;
        e.file = QStringLiteral("IT01234567897_%1.xml").arg(ProgressivoText(i + 1));
        e.year = QStringLiteral("2026");
        e.numero = QString::number(i + 1);
        e.position = i + 1;
        e.payer = QStringLiteral("ROSSI MARIO");
        e.total = QStringLiteral("350,00");
        e.written = QStringLiteral("10/12/2026");
        e.tipo = QStringLiteral("TD01");
        e.documento = e.numero;
        e.dataDocumento = QDate(2026, 1 + i % 12, 1 + i % 28).toString(QStringLiteral("dd/MM/yyyy"));
        e.bollo = QStringLiteral("SI");
        e.stato = i % 4 == 0 ? QStringLiteral("Consegnata il 12/12/2026") : QString();
        reg << e;
    }
    QDir().mkpath(InvoiceFolder(app.ProgramFolder()));
    SaveRegister(RegisterPath(app.ProgramFolder()), reg);
    for (auto _ : state) {
        TfrmFattureElettroniche w(app, QStringLiteral("2026"), nullptr);
        w.txtMese->setCurrentIndex(0); // the whole year
        w.txtMese->setCurrentIndex(6);
        if (w.Model().rowCount() != count / 12 + (count % 12 > 5 ? 1 : 0)) {
            state.SkipWithError("wrong number of lines for June");
            break;
        }
    }
    state.counters["lines"] = count;
}

void BM_Package(benchmark::State& state) {
    const int count = int(state.range(0));
    TestPlatform tp;
    Carvenna app(tp.platform);
    app.Start();
    const QStringList files = WriteYear(tp, app, count);
    const QString regPath = RegisterPath(app.ProgramFolder());
    QFile f(regPath);
    f.open(QIODevice::ReadOnly);
    const QByteArray unsent = f.readAll();
    f.close();
    for (auto _ : state) {
        state.PauseTiming();
        for (const QString& zip : QDir(InvoiceFolder(app.ProgramFolder())).entryList({QStringLiteral("*.zip")}))
            QFile::remove(InvoiceFolder(app.ProgramFolder()) + zip);
        QFile out(regPath);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(unsent);
        out.close();
        SaveFiscalData(app.SettingsPath(), InvoiceSchool());
        state.ResumeTiming();
        const PackageResult r = WritePackages(app.ProgramFolder(), app.SettingsPath(), files);
        if (!r.failure.isEmpty()) {
            state.SkipWithError(qPrintable(r.failure));
            break;
        }
    }
    state.counters["invoices"] = count;
}

void BM_Notices(benchmark::State& state) {
    const int count = int(state.range(0));
    TestPlatform tp;
    Carvenna app(tp.platform);
    app.Start();
    const QStringList files = WriteYear(tp, app, count);
    const QString regPath = RegisterPath(app.ProgramFolder());
    QFile f(regPath);
    f.open(QIODevice::ReadOnly);
    const QByteArray before = f.readAll();
    f.close();
    const QString in = tp.Path(QStringLiteral("ricevute/"));
    QDir().mkpath(in);
    QStringList paths;
    for (const QString& file : files) {
        const QString path = in + file.chopped(4) + QStringLiteral("_RC_001.xml");
        QFile n(path);
        n.open(QIODevice::WriteOnly);
        n.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ns3:RicevutaConsegna xmlns:ns3=\"%1\" "
                               "versione=\"1.0\"><IdentificativoSdI>1</IdentificativoSdI><NomeFile>%2</NomeFile>"
                               "<Hash>ab</Hash><DataOraRicezione>2026-12-10T09:00:00.000+01:00</DataOraRicezione>"
                               "<DataOraConsegna>2026-12-11T09:00:00.000+01:00</DataOraConsegna>"
                               "<MessageId>7</MessageId></ns3:RicevutaConsegna>\n")
                    .arg(QLatin1String(SdiMessagesNamespace), file)
                    .toUtf8());
        paths << path;
    }
    for (auto _ : state) {
        state.PauseTiming();
        QFile out(regPath);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(before);
        out.close();
        state.ResumeTiming();
        const NoticeResult r = ApplySdiNotices(app.ProgramFolder(), paths);
        if (r.applied.size() != count) {
            state.SkipWithError(qPrintable(QStringLiteral("not every notice applied: ") + r.refused.value(0)));
            break;
        }
    }
    state.counters["notices"] = count;
}
} // namespace

BENCHMARK(BM_RegisterWindow)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Package)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Notices)->Arg(500)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return bench::RunOffscreen<QApplication>(argc, argv);
}
