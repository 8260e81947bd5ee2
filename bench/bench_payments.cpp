// The month's direct-debit file for 500 payers: the plan over the month's lines and mandates, the XML
// in both formats, and the whole write with the mandates' first-collection flags (target: under 1 s).
// Matching a statement of 2,000 credits against 500 cards and 100,000 receipts (target: under 1 s).
#include "BenchData.h"
#include "payments/PaymentMatch.h"
#include "payments/SddFile.h"
#include "storage/IniFile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {
const fees::FeeMonth kMonth{2026, 10};

struct School {
    QVector<fees::FeeLine> lines;
    QVector<int> which;
    payments::Mandates mandates;
};

// 500 payers with a mandate each, half of them still to make their first collection.
const School& Payers() {
    static const School s = [] {
        School s;
        for (int i = 0; i < 500; ++i) {
            fees::FeeLine l;
            l.card = i + 1;
            l.parent = QStringLiteral("Genitore %1").arg(i);
            l.taxCode = QStringLiteral("TAX%1").arg(i, 13, 10, QLatin1Char('0'));
            l.child = QStringLiteral("Minore Numero %1").arg(i);
            l.due = 2500000;
            l.state = fees::LineState::ToIssue;
            s.lines << l;
            s.which << i;
            s.mandates.Put({l.taxCode, QStringLiteral("IT60X0542811101000000123456"), QStringLiteral("M-%1").arg(i),
                            QDate(2026, 9, 1), i % 2 == 0});
        }
        return s;
    }();
    return s;
}

payments::SddHeader Header() {
    payments::SddHeader h;
    h.creditor.iban = QStringLiteral("IT60X0542811101000000123456");
    h.creditor.intestatario = QStringLiteral("Asilo Nido Il Girasole");
    h.creditor.creditorId = QStringLiteral("IT91ZZZ0000001234567897");
    h.creditor.cuc = QStringLiteral("1234567A");
    h.creditorName = h.creditor.intestatario;
    h.dueDate = QDate(2026, 10, 5);
    h.created = QDateTime(QDate(2026, 10, 1), QTime(9, 0));
    h.messageId = QStringLiteral("SDD-BENCH");
    return h;
}

void BM_SddPlanAndXml500(benchmark::State& state) {
    const School& s = Payers();
    const auto format = state.range(0) ? PaymentSettings::SddFormat::Cbi : PaymentSettings::SddFormat::Iso;
    for (auto _ : state) {
        const payments::SddPlan plan = payments::PlanCollections(s.lines, s.which, s.mandates, kMonth);
        benchmark::DoNotOptimize(payments::BuildSddXml(Header(), plan, format));
    }
}
BENCHMARK(BM_SddPlanAndXml500)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The whole step as the window runs it: plan, file written whole, 250 FRST flags saved.
void BM_SddWriteFile500(benchmark::State& state) {
    const School& s = Payers();
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    const QString mandates = folder + QLatin1String(payments::MandatesFileName);
    const QString kept = folder + QStringLiteral("mandati.orig");
    IniDocument doc; // the mandates file as the office keeps it: 500 sections
    for (const fees::FeeLine& l : s.lines) {
        const payments::Mandate m = *s.mandates.Of(l.taxCode);
        doc.Set(m.taxCode, QStringLiteral("IBAN"), m.iban);
        doc.Set(m.taxCode, QStringLiteral("Mandato"), m.id);
        doc.Set(m.taxCode, QStringLiteral("Data firma"), QStringLiteral("01/09/2026"));
        doc.Set(m.taxCode, QStringLiteral("Primo addebito"), m.firstDone ? QStringLiteral("SI") : QStringLiteral("NO"));
    }
    doc.Save(kept);
    for (auto _ : state) {
        state.PauseTiming();
        QDir(folder + QStringLiteral("SDD")).removeRecursively();
        QFile::remove(mandates);
        QFile::copy(kept, mandates);
        state.ResumeTiming();
        const payments::SddPlan plan = payments::PlanCollections(s.lines, s.which, s.mandates, kMonth);
        if (!payments::WriteSddFile(folder, Header(), plan, PaymentSettings::SddFormat::Cbi).ok)
            state.SkipWithError("not written");
    }
}
BENCHMARK(BM_SddWriteFile500)->Unit(benchmark::kMillisecond);

// A school of 500 cards (fee 250,00, distinct tax codes) with 100,000 receipts in the year, and a
// statement of 2,000 credits: a quarter collections by end-to-end id, the rest transfers naming a tax
// code, a child or only the payer, some of them not matching anything.
const QString& MatchFolder() {
    static const QString folder = [] {
        QDir().mkpath(bench::Folder().filePath("match"));
        const QString f = bench::WriteCards(bench::Folder().filePath("match"), 500, [](int i) {
            RegistryRecord r = bench::ChildCard(i);
            r.Tiratore = QStringLiteral("Genitore%1 Cognome").arg(i);
            r.CodFisc = QStringLiteral("RSSMRA80A01H%1U").arg(i, 3, 10, QLatin1Char('0'));
            r.Quota = QStringLiteral("250,00");
            r.InizioTes = QStringLiteral("01/09/2026");
            return r;
        });
        bench::WriteReceipts(f + "2026.ric", 100000, [](int i) { return bench::ChildFee(i, 2026, "00"); });
        return f;
    }();
    return folder;
}

QVector<payments::Movement> Credits() {
    QVector<payments::Movement> out;
    for (int i = 0; i < 2000; ++i) {
        payments::Movement m;
        m.booked = m.value = QDate(2026, 12, 1 + i % 28);
        m.amount = 2500000;
        m.bankRef = QStringLiteral("REF%1").arg(i);
        const int card = i % 500;
        switch (i % 4) {
        case 0: m.endToEnd = payments::EndToEndId({2026, 12}, card + 1, QStringLiteral("Bambino%1").arg(card)); break;
        case 1: m.remittance = QStringLiteral("Retta cf RSSMRA80A01H%1U").arg(card, 3, 10, QLatin1Char('0')); break;
        case 2: m.remittance = QStringLiteral("Retta dicembre Bambino%1").arg(card); break;
        default: m.payer = QStringLiteral("Sconosciuto %1").arg(i); m.remittance = QStringLiteral("bonifico"); break;
        }
        out << m;
    }
    return out;
}

// What the window does on opening a statement: the months owed from the receipts, the movements used,
// the matching.
void BM_MatchStatement2000(benchmark::State& state) {
    const QString folder = MatchFolder();
    const QVector<payments::Movement> credits = Credits();
    for (auto _ : state) {
        const QVector<payments::DueCard> cards = payments::LoadDueCards(folder, {2026, 12});
        const QSet<QString> used = payments::UsedMovements(folder, 2026);
        const QVector<payments::Proposal> p = payments::MatchMovements(credits, cards, used);
        if (p.size() != credits.size() || cards.size() != 500)
            state.SkipWithError("wrong result");
    }
}
BENCHMARK(BM_MatchStatement2000)->Unit(benchmark::kMillisecond);

// The matching alone, once the cards' months are known.
void BM_MatchOnly2000(benchmark::State& state) {
    const QVector<payments::DueCard> cards = payments::LoadDueCards(MatchFolder(), {2026, 12});
    const QVector<payments::Movement> credits = Credits();
    for (auto _ : state)
        benchmark::DoNotOptimize(payments::MatchMovements(credits, cards, {}));
}
BENCHMARK(BM_MatchOnly2000)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
