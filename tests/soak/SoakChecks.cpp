#include "SoakChecks.h"
#include "einvoice/CreditNote.h"
#include "einvoice/InvoiceFiles.h"
#include "fees/FeeLedger.h"
#include "fees/MonthFees.h"
#include "payments/Mandates.h"
#include "payments/PaymentMatch.h"
#include "payments/SddFile.h"
#include "receipts/Cancellation.h"
#include "registry/CardImport.h"
#include "storage/Dates.h"
#include "storage/HistoryJournal.h"
#include "storage/JournalLines.h"
#include "storage/RecordChanges.h"
#include "storage/Text.h"
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace soak {
namespace {
QStringList YearFiles(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("[0-9][0-9][0-9][0-9].ric")}, QDir::Files, QDir::Name);
}

QByteArray ReadAll(const QString& path, bool* ok = nullptr) {
    QFile f(path);
    const bool opened = f.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    return opened ? f.readAll() : QByteArray();
}

// The copies a restore kept of `fileName` as it was just before it was replaced, with the school day of
// the restore.
struct KeptCopy {
    QString path;
    QDate day; // the school day of the restore
};
QVector<KeptCopy> KeptBeforeRestore(const QString& folder, const QString& fileName) {
    QVector<KeptCopy> out;
    const QDir backup(folder + QStringLiteral("Backup"));
    for (const QString& day : backup.entryList({QStringLiteral("*-prima-del-ripristino*")}, QDir::Dirs)) {
        const QFileInfo f(backup.filePath(day) + u'/' + fileName);
        if (f.exists())
            out << KeptCopy{f.filePath(), QDate::fromString(day.left(10), Qt::ISODate)};
    }
    return out;
}

// Every whole record of a record file read straight from its bytes.
QVector<QByteArray> Records(const QByteArray& bytes, int size) {
    QVector<QByteArray> out;
    for (qint64 at = 0; at + size <= bytes.size(); at += size)
        out << bytes.mid(at, size);
    return out;
}

QString Key(const QString& number, const QString& child) {
    return TrimText(number) + u'|' + LowerAZ(TrimText(child));
}

// The receipts of a year file, by number and child, as `Key` makes them.
QSet<QString> ReceiptKeys(const QString& path) {
    QSet<QString> keys;
    for (const QByteArray& r : Records(ReadAll(path), ReceiptRecord::Size)) {
        const ReceiptRecord rec = ReceiptRecord::Decode(r.constData());
        keys.insert(Key(rec.NumRic, rec.Praticante));
    }
    return keys;
}

QSet<QString> CardKeys(const QString& path) {
    QSet<QString> keys;
    for (const QByteArray& r : Records(ReadAll(path), RegistryRecord::Size)) {
        const RegistryRecord c = RegistryRecord::Decode(r.constData());
        keys.insert(CardKey(c));
    }
    return keys;
}
} // namespace

void CheckReceipts(const QString& folder, CheckReport& report) {
    for (const QString& name : YearFiles(folder)) {
        const QString path = folder + name;
        // An overwrite a kill cut short is settled by the next workstation that opens the file, as here.
        RecordFile settle(ReceiptRecord::Size);
        if (!settle.OpenOrCreate(path) || !settle.Close())
            report.violations << QStringLiteral("%1: non si apre (%2)").arg(name, settle.ErrorString());
        if (QFileInfo::exists(RecordFile::IntentPath(path)))
            report.violations << QStringLiteral("%1: sovrascrittura interrotta non sistemata all'apertura").arg(name);
        const QVector<QByteArray> records = Records(ReadAll(path), ReceiptRecord::Size);
        report.receipts += int(records.size());
        QHash<QString, qint64> numbers;
        for (int i = 0; i < records.size(); ++i) {
            const QByteArray& raw = records[i];
            for (const FieldSpec& f : ReceiptRecord::Layout())
                if (quint8(raw[f.offset]) > f.width)
                    report.violations << QStringLiteral("%1 pos. %2: campo %3 rovinato").arg(name).arg(i + 1).arg(QLatin1String(f.name));
            const ReceiptRecord r = ReceiptRecord::Decode(raw.constData());
            if (r.NumRic.isEmpty() || !IsValidDate(r.Data) || r.Cents.size() != 2 ||
                r.Intero != r.Importo + u',' + r.Cents || r.Pagatore.isEmpty())
                report.violations << QStringLiteral("%1 pos. %2: ricevuta non leggibile (n. '%3', data '%4', importo '%5')")
                                         .arg(name).arg(i + 1).arg(r.NumRic, r.Data, r.Intero);
            if (numbers.contains(r.NumRic))
                report.violations << QStringLiteral("%1: numero %2 dato due volte (pos. %3 e %4)")
                                         .arg(name, r.NumRic).arg(numbers.value(r.NumRic)).arg(i + 1);
            else
                numbers.insert(r.NumRic, i + 1);
        }
    }
}

void CheckJournals(const QString& folder, int kills, CheckReport& report) {
    const QString storico = folder + QStringLiteral("Storico/");
    struct Archive {
        QString path;
        const QVector<FieldSpec>* layout;
        int size;
    };
    QHash<QString, Archive> archives;
    for (const QString& name : YearFiles(folder))
        archives.insert(name + QStringLiteral(".log"), {folder + name, &ReceiptRecord::Layout(), ReceiptRecord::Size});
    archives.insert(QLatin1String(RegistryFileName) + QStringLiteral(".log"),
                    {folder + QLatin1String(RegistryFileName), &RegistryRecord::Layout(), RegistryRecord::Size});

    for (const QString& name : QDir(storico).entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name)) {
        const QByteArray all = ReadAll(storico + name);
        QList<QByteArray> lines = all.split('\n');
        if (!lines.isEmpty() && !lines.last().isEmpty())
            ++report.tornLines; // a kill tore the last line; the next writer closes it
        lines.removeLast();
        const bool sealed = !name.endsWith(QLatin1String(".movimenti.log"));
        // The history of each record: the newest entry's new and old hash, with its time.
        struct Newest {
            QByteArray newHash, oldHash;
            QDateTime when;
            QString id;
        };
        QHash<qint64, Newest> newest;
        QSet<QString> marked;
        for (int i = 0; i < lines.size(); ++i) {
            const QByteArray& line = lines[i];
            if (!sealed) {
                const int columns = int(line.split('\t').size());
                if (columns != 4 && columns != 6)
                    report.violations << QStringLiteral("Storico/%1 riga %2: non intera").arg(name).arg(i + 1);
                continue;
            }
            if (JournalLines::IsClosedTornLine(line)) {
                ++report.tornLines;
                continue;
            }
            QStringList c;
            if (!JournalLines::Unseal(line, c)) {
                report.violations << QStringLiteral("Storico/%1 riga %2: rovinata").arg(name).arg(i + 1);
                continue;
            }
            if (!archives.contains(name))
                continue;
            if (c.value(0) == QLatin1String("X")) {
                marked.insert(c.value(1));
            } else if (c.value(0) == QLatin1String("E") && c.size() >= 10) {
                const Archive& a = archives[name];
                Newest n;
                n.id = c[1];
                n.when = JournalLines::StampFrom(c, 2).when;
                n.newHash = c[7].toLatin1();
                n.oldHash = RecordHash(*a.layout, QByteArray::fromBase64(c[8].toLatin1()));
                newest.insert(c[5].toLongLong(), n);
            }
        }
        if (!archives.contains(name))
            continue;
        // Every record changed through the history holds what its newest entry wrote, or what it held
        // before that entry when the write never happened (a kill between the two, or a mark says so).
        const Archive& a = archives[name];
        const QVector<QByteArray> records = Records(ReadAll(a.path), a.size);
        const QVector<KeptCopy> kept = KeptBeforeRestore(folder, QFileInfo(a.path).fileName());
        for (auto it = newest.cbegin(); it != newest.cend(); ++it) {
            const qint64 p = it.key();
            if (p < 1 || p > records.size())
                continue; // beyond the file: a restore put back a shorter one
            const QByteArray now = RecordHash(*a.layout, records[p - 1]);
            const Newest& n = it.value();
            if (now == n.newHash || now == n.oldHash)
                continue;
            // Put back from a copy on the school day of that change or later (the stamp's day is the
            // workstation's school day, as is the day in the name of the folder the restore kept).
            bool restoredSince = false;
            for (const KeptCopy& k : kept)
                restoredSince = restoredSince || k.day >= n.when.date();
            if (!restoredSince)
                report.violations << QStringLiteral("%1 pos. %2: il record non è quello dell'ultima modifica nello storico (%3)")
                                         .arg(QFileInfo(a.path).fileName()).arg(p).arg(n.id);
        }
    }
    if (report.tornLines > kills)
        report.violations << QStringLiteral("%1 righe di giornale spezzate con soli %2 processi interrotti")
                                 .arg(report.tornLines).arg(kills);
}

void CheckInvoices(const QString& folder, CheckReport& report) {
    QVector<RegisterEntry> reg;
    QString why;
    if (!ReadRegister(RegisterPath(folder), reg, &why)) {
        report.violations << QStringLiteral("registro delle fatture non leggibile: ") + why;
        return;
    }
    const QString dir = InvoiceFolder(folder);
    QSet<QString> registered;
    QHash<QString, const RegisterEntry*> byFile;
    for (const RegisterEntry& e : reg) {
        registered.insert(e.file);
        byFile.insert(e.file, &e);
        if (!QFileInfo::exists(dir + e.file))
            report.violations << QStringLiteral("FatturaPA: %1 nel registro ma non nella cartella").arg(e.file);
    }
    // A file without its register line is what a kill left between the two; the next writer sets it aside,
    // so it can only be newer than every registered file.
    const auto number = [](const QString& file) { return file.section(u'_', -1).section(u'.', 0, 0).toInt(); };
    int newestRegistered = 0;
    for (const RegisterEntry& e : reg)
        newestRegistered = qMax(newestRegistered, number(e.file));
    for (const QString& f : QDir(dir).entryList({QStringLiteral("*.xml")}, QDir::Files))
        if (!registered.contains(f) && number(f) < newestRegistered)
            report.violations << QStringLiteral("FatturaPA: %1 nella cartella ma non nel registro").arg(f);

    // The receipts the register names, by year.
    QHash<QString, QVector<QByteArray>> years;
    const auto receiptAt = [&](const QString& year, qint64 position) -> std::optional<ReceiptRecord> {
        if (!years.contains(year))
            years.insert(year, Records(ReadAll(folder + year + QStringLiteral(".ric")), ReceiptRecord::Size));
        const QVector<QByteArray>& recs = years[year];
        if (position < 1 || position > recs.size())
            return std::nullopt;
        return ReceiptRecord::Decode(recs[position - 1].constData());
    };
    // Whether a restore made on or after `since` replaced the receipt as it was then, `cancelled` or not:
    // the receipts were put back from a day before or after that document while the register stayed.
    const auto replacedByRestore = [&](const QString& year, qint64 position, const QString& number, bool cancelled,
                                       const QDate& since) {
        for (const KeptCopy& k : KeptBeforeRestore(folder, year + QStringLiteral(".ric"))) {
            if (k.day < since)
                continue;
            const QVector<QByteArray> recs = Records(ReadAll(k.path), ReceiptRecord::Size);
            if (position <= recs.size()) {
                const ReceiptRecord r = ReceiptRecord::Decode(recs[position - 1].constData());
                if (TrimText(r.NumRic) == number && IsCancelled(r) == cancelled)
                    return true;
            }
        }
        return false;
    };
    for (const RegisterEntry& e : reg) {
        if (!e.IsCreditNote())
            continue;
        const RegisterEntry* invoice = byFile.value(e.collegata);
        if (!invoice) {
            report.violations << QStringLiteral("nota di credito %1: la fattura %2 non è nel registro").arg(e.file, e.collegata);
            continue;
        }
        const std::optional<ReceiptRecord> r = receiptAt(invoice->year, invoice->position);
        if (!r || TrimText(r->NumRic) != invoice->numero)
            continue; // the position holds another receipt: its year was put back from a copy
        if (!IsCancelled(*r) &&
            !replacedByRestore(invoice->year, invoice->position, invoice->numero, true, ParseDate(e.written)))
            report.violations << QStringLiteral("nota di credito %1: la ricevuta n. %2 (%3, pos. %4) non è annullata")
                                     .arg(e.file, invoice->numero, invoice->year).arg(invoice->position);
    }
    // Every cancelled receipt whose invoice still stands.
    for (const RegisterEntry& e : reg) {
        if (e.IsCreditNote())
            continue;
        const std::optional<ReceiptRecord> r = receiptAt(e.year, e.position);
        if (!r || TrimText(r->NumRic) != e.numero || !IsCancelled(*r))
            continue;
        const std::optional<RegisterEntry> standing = InvoiceToCredit(reg, e.year, e.position);
        if (standing && standing->file == e.file &&
            !replacedByRestore(e.year, e.position, e.numero, false, ParseDate(e.written)))
            report.violations << QStringLiteral("ricevuta n. %1 (%2, pos. %3) annullata con la fattura %4 senza nota di credito")
                                     .arg(e.numero, e.year).arg(e.position).arg(e.file);
    }
}

void CheckDirectDebits(const QString& folder, CheckReport& report) {
    // The months of each child in the direct-debit files.
    static const QRegularExpression e2e(QStringLiteral("<(?:\\w+:)?EndToEndId>([^<]+)<"));
    QHash<QString, QString> debited; // card and month -> file
    const QString sdd = folder + QStringLiteral("SDD/");
    for (const QString& f : QDir(sdd).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name)) {
        const QString text = QString::fromUtf8(ReadAll(sdd + f));
        auto it = e2e.globalMatch(text);
        while (it.hasNext()) {
            const auto ref = payments::ParseEndToEndId(it.next().captured(1));
            if (!ref)
                continue;
            const QString key = QStringLiteral("scheda %1, %2 %3").arg(ref->card).arg(ref->month.Name()).arg(ref->month.year);
            if (debited.contains(key) && debited.value(key) != f)
                report.violations << QStringLiteral("%1 addebitata in due file SDD: %2 e %3").arg(key, debited.value(key), f);
            else
                debited.insert(key, f);
        }
    }
}

void CheckMovements(const QString& folder, CheckReport& report) {
    // The movements behind receipts still stored and not cancelled: each behind one receipt at most, and
    // every movement the statement calls used behind a receipt of its own amount and payer.
    const QString storico = folder + QStringLiteral("Storico/");
    for (const QString& name : QDir(storico).entryList({QStringLiteral("*.movimenti.log")}, QDir::Files)) {
        const QString year = name.left(4);
        const QVector<QByteArray> recs = Records(ReadAll(folder + year + QStringLiteral(".ric")), ReceiptRecord::Size);
        QHash<QString, QSet<qint64>> own;
        for (const QByteArray& raw : ReadAll(storico + name).split('\n')) {
            const QStringList c = QString::fromUtf8(raw).split(u'\t');
            if (c.size() < 4)
                continue;
            const qint64 p = c[1].toLongLong();
            if (p < 1 || p > recs.size())
                continue;
            const ReceiptRecord r = ReceiptRecord::Decode(recs[p - 1].constData());
            const qint64 cents = (c[3].toLongLong() + 50) / 100;
            const QString amount = QStringLiteral("%1,%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
            if (TrimText(r.NumRic) != c[2] || IsCancelled(r) || TrimText(r.Intero) != amount ||
                (c.size() >= 6 && (TrimText(r.Data) != c[4] || UpperAZ(TrimText(r.CodFisc)) != c[5])))
                continue;
            own[c[0]].insert(p);
            if (own[c[0]].size() == 2)
                report.violations << QStringLiteral("movimento %1 registrato da due ricevute in %2.ric").arg(c[0], year);
        }
        for (const QString& key : payments::UsedMovements(folder, year.toInt()))
            if (!own.contains(key) && QFileInfo(storico + name).exists() && key.size() > 0 &&
                ReadAll(storico + name).contains(key.toUtf8()))
                report.violations << QStringLiteral("movimento %1 dato per registrato in %2.ric senza una ricevuta sua")
                                         .arg(key, year);
    }
}

void CheckMonthRule(const QString& folder, const QDate& today, CheckReport& report) {
    QVector<RegistryRecord> cards;
    RegistryFile reg;
    if (!reg.OpenOrCreate(folder) || !reg.ReadAll(cards)) {
        report.violations << QStringLiteral("anagrafica non leggibile: ") + reg.ErrorString();
        return;
    }
    reg.Close();
    report.cards = int(cards.size());
    QVector<int> years;
    for (const QString& name : YearFiles(folder))
        years << name.left(4).toInt();
    fees::ChildReceipts receipts;
    QString error;
    if (!receipts.Load(folder, years, nullptr, &error)) {
        report.violations << QStringLiteral("ricevute non leggibili: ") + error;
        return;
    }
    const QStringList words = fees::ReadFeeWords(folder);
    QHash<QString, int> children;
    for (const RegistryRecord& c : cards)
        ++children[fees::ChildKey(c.Armi)];
    const fees::FeeMonth month{today.year(), today.month()};
    const fees::MonthList list = fees::BuildMonthList(folder, folder + QStringLiteral("%1.ric").arg(today.year()), month);
    QHash<qint64, const fees::FeeLine*> lines;
    for (const fees::FeeLine& l : list.lines)
        lines.insert(l.card, &l);
    for (int i = 0; i < cards.size(); ++i) {
        const RegistryRecord& c = cards[i];
        if (children.value(fees::ChildKey(c.Armi)) != 1)
            continue; // two cards of one child: the rule cannot tell whose fee a receipt pays
        const fees::CardTerms terms{TrimText(c.Armi), fees::FeeAmount(c.Quota), TrimText(c.Ente)};
        if (terms.fee <= 0)
            continue;
        const QVector<fees::ChildReceipt> mine = receipts.Of(c.Armi);
        qint64 sum = 0;
        for (const fees::ChildReceipt& r : mine)
            if (r.problem.isEmpty() && fees::IsFeeCause(r.cause, terms.cause, words))
                sum += r.amount;
        const fees::ChildAccount account =
            fees::Allocate(mine, terms, fees::FeeMonth{2020, 1}, fees::FeeMonth{2032, 12}, words);
        if (account.TotalPaid() + account.TotalCredit() != sum)
            report.violations << QStringLiteral("%1: le rette pagano %2 + credito %3, le ricevute sommano %4")
                                     .arg(TrimText(c.Armi), fees::AmountText(account.TotalPaid()),
                                          fees::AmountText(account.TotalCredit()), fees::AmountText(sum));
        const fees::FeeLine* line = lines.value(i + 1);
        const fees::MonthDue* due = account.Month(month);
        if (line && due && line->due == due->due && line->paid != due->paid)
            report.violations << QStringLiteral("%1, %2 %3: il mese risulta pagato %4 nell'elenco e %5 nel conto")
                                     .arg(TrimText(c.Armi), month.Name()).arg(month.year)
                                     .arg(fees::AmountText(line->paid), fees::AmountText(due->paid));
    }
}

void CheckNothingLost(const RunFolders& run, CheckReport& report) {
    const QString folder = run.Program();
    QHash<QString, QSet<QString>> receiptsNow, receiptsKept;
    const auto receiptKnown = [&](const QString& year, const QString& key) {
        const QString name = year + QStringLiteral(".ric");
        if (!receiptsNow.contains(year)) {
            receiptsNow.insert(year, ReceiptKeys(folder + name));
            QSet<QString> kept;
            for (const KeptCopy& k : KeptBeforeRestore(folder, name))
                kept.unite(ReceiptKeys(k.path));
            receiptsKept.insert(year, kept);
        }
        return receiptsNow[year].contains(key) || receiptsKept[year].contains(key);
    };
    const QString registry = QLatin1String(RegistryFileName);
    QSet<QString> cards = CardKeys(folder + registry);
    for (const KeptCopy& k : KeptBeforeRestore(folder, registry))
        cards.unite(CardKeys(k.path));

    struct MandateSave {
        QString id;
        qint64 start, end;
    };
    QHash<QString, QVector<MandateSave>> mandates;
    for (const QStringList& a : ReadAcks(run.Log())) {
        const QString kind = a.value(0);
        if (kind == QLatin1String("R") && a.size() == 4 && !receiptKnown(a[1], Key(a[2], a[3])))
            report.violations << QStringLiteral("ricevuta n. %1 del %2 (%3) salvata e poi persa").arg(a[2], a[1], a[3]);
        else if (kind == QLatin1String("C") && a.size() == 3) {
            RegistryRecord card;
            card.CodFisc = a[1];
            card.Armi = a[2];
            if (!cards.contains(CardKey(card)))
                report.violations << QStringLiteral("scheda di %1 (%2) importata e poi persa").arg(a[2], a[1]);
        }
        else if (kind == QLatin1String("M") && a.size() == 5)
            mandates[a[1]] << MandateSave{a[2], a[3].toLongLong(), a[4].toLongLong()};
    }
    payments::Mandates file;
    QString error;
    if (!file.Load(folder + QLatin1String(payments::MandatesFileName), &error)) {
        report.violations << QStringLiteral("mandati non leggibili: ") + error;
        return;
    }
    // The mandate of each payer is the one saved last, or one saved while that save was going on.
    for (auto it = mandates.cbegin(); it != mandates.cend(); ++it) {
        const QVector<MandateSave>& saves = it.value();
        const MandateSave* last = &saves.first();
        for (const MandateSave& s : saves)
            if (s.end > last->end)
                last = &s;
        QSet<QString> allowed;
        for (const MandateSave& s : saves)
            if (s.end >= last->start)
                allowed.insert(s.id);
        // A save whose note a kill prevented: its id carries the moment it was made (MND-<ws>-<ms>-<n>).
        const std::optional<payments::Mandate> m = file.Of(it.key());
        const bool unnotedLater = m && m->id.section(u'-', 2, 2).toLongLong() >= last->start;
        if (!m || !(allowed.contains(m->id) || unnotedLater))
            report.violations << QStringLiteral("mandato di %1: salvato %2, nel file %3")
                                     .arg(it.key(), last->id, m ? m->id : QStringLiteral("nessuno"));
    }
    report.restores = int(QDir(folder + QStringLiteral("Backup")).entryList({QStringLiteral("*-prima-del-ripristino*")}, QDir::Dirs).size());
}

CheckReport CheckAll(const RunFolders& run, int kills, const QDate& today) {
    CheckReport report;
    const QString folder = run.Program();
    CheckReceipts(folder, report);
    CheckJournals(folder, kills, report);
    CheckInvoices(folder, report);
    CheckDirectDebits(folder, report);
    CheckMovements(folder, report);
    CheckMonthRule(folder, today, report);
    CheckNothingLost(run, report);
    return report;
}

} // namespace soak
