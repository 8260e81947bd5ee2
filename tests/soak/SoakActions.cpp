#include "SoakActions.h"
#include "backup/BackupRestore.h"
#include "einvoice/CreditNote.h"
#include "einvoice/InvoiceFiles.h"
#include "einvoice/InvoicePlan.h"
#include "fees/FeeLedger.h"
#include "fees/MonthFees.h"
#include "fees/Reminders.h"
#include "payments/Mandates.h"
#include "payments/PaymentMatch.h"
#include "payments/PaymentSettings.h"
#include "payments/SddFile.h"
#include "payments/Statement.h"
#include "receipts/Cancellation.h"
#include "receipts/ReceiptAmount.h"
#include "registry/CardImport.h"
#include "storage/AuditedSave.h"
#include "storage/Backup.h"
#include "storage/Dates.h"
#include "storage/RecordChanges.h"
#include "storage/Text.h"
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <functional>

namespace soak {
namespace {
qint64 NowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

// The office's answer to "another workstation changed this record": back to editing, show theirs, or
// save ours over it.
enum ConflictAnswer { Back, ShowOther, SaveOver };

// Saves `rec` over record `index` of `path` as the editors do: only over what was loaded, and on a
// conflict the office's answer decides.
bool SaveOverLoaded(const QString& path, const QVector<FieldSpec>& layout, int recordSize, qint64 index,
                    const QByteArray& loaded, const QByteArray& rec, const JournalStamp& stamp, const QString& kind,
                    ConflictAnswer answer) {
    RecordFile file(recordSize);
    if (!file.OpenOrCreate(path))
        return false;
    OverwriteOutcome out =
        AuditedOverwrite(file, path, layout, index, CanonicalRecord(layout, loaded), rec, false, stamp, kind);
    if (out.result == OverwriteOutcome::Conflict) {
        file.Close();
        if (answer != SaveOver)
            return false;
        if (!file.OpenOrCreate(path))
            return false;
        out = AuditedOverwrite(file, path, layout, index, QByteArray(), rec, true, stamp, kind);
    }
    return file.Close() && out.result == OverwriteOutcome::Written;
}

bool ReadStored(const QString& path, int recordSize, qint64* count, qint64 index, QByteArray* bytes) {
    RecordFile file(recordSize);
    if (!file.OpenOrCreate(path))
        return false;
    *count = file.RecordCount();
    bool ok = *count >= 0;
    if (ok && bytes && index >= 0 && index < *count)
        ok = file.ReadRaw(index, *bytes);
    return file.Close() && ok;
}

QVector<RegistryRecord> ReadCards(const QString& folder) {
    QVector<RegistryRecord> cards;
    RegistryFile reg;
    if (reg.OpenOrCreate(folder))
        reg.ReadAll(cards);
    reg.Close();
    return cards;
}

QString EuroText(qint64 tenThousandths) {
    const qint64 cents = (tenThousandths + 50) / 100;
    return QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

// One credit entry of a camt.053 statement: a transfer, or a direct-debit collection with its transactions.
QByteArray TransferEntry(const QString& ref, const QDate& day, qint64 amount, const QString& payer,
                         const QString& text) {
    const QByteArray d = day.toString(Qt::ISODate).toUtf8();
    return "<Ntry><NtryRef>" + ref.toUtf8() + "</NtryRef><Amt Ccy=\"EUR\">" + EuroText(amount).toUtf8() +
           "</Amt><CdtDbtInd>CRDT</CdtDbtInd><Sts>BOOK</Sts><BookgDt><Dt>" + d + "</Dt></BookgDt><ValDt><Dt>" + d +
           "</Dt></ValDt><AcctSvcrRef>" + ref.toUtf8() +
           "</AcctSvcrRef><BkTxCd><Domn><Cd>PMNT</Cd><Fmly><Cd>RCDT</Cd><SubFmlyCd>ESCT</SubFmlyCd></Fmly></Domn>"
           "</BkTxCd><NtryDtls><TxDtls><Refs><EndToEndId>NOTPROVIDED</EndToEndId></Refs><RltdPties><Dbtr><Nm>" +
           payer.toUtf8() + "</Nm></Dbtr></RltdPties><RmtInf><Ustrd>" + text.toUtf8() +
           "</Ustrd></RmtInf></TxDtls></NtryDtls></Ntry>";
}

QByteArray CollectionEntry(const QString& ref, const QDate& day, const QVector<QPair<QString, qint64>>& debits) {
    const QByteArray d = day.toString(Qt::ISODate).toUtf8();
    qint64 total = 0;
    QByteArray tx;
    for (const auto& debit : debits) {
        total += debit.second;
        tx += "<TxDtls><Refs><EndToEndId>" + debit.first.toUtf8() + "</EndToEndId></Refs><AmtDtls><TxAmt><Amt "
              "Ccy=\"EUR\">" + EuroText(debit.second).toUtf8() + "</Amt></TxAmt></AmtDtls></TxDtls>";
    }
    return "<Ntry><Amt Ccy=\"EUR\">" + EuroText(total).toUtf8() + "</Amt><CdtDbtInd>CRDT</CdtDbtInd><Sts>BOOK</Sts>"
           "<BookgDt><Dt>" + d + "</Dt></BookgDt><ValDt><Dt>" + d + "</Dt></ValDt><AcctSvcrRef>" + ref.toUtf8() +
           "</AcctSvcrRef><BkTxCd><Domn><Cd>PMNT</Cd><Fmly><Cd>RDDT</Cd><SubFmlyCd>ESDD</SubFmlyCd></Fmly></Domn>"
           "</BkTxCd><NtryDtls>" + tx + "</NtryDtls></Ntry>";
}

QByteArray StatementXml(const QString& id, const QDate& day, const QByteArray& entries) {
    const QByteArray d = day.toString(Qt::ISODate).toUtf8();
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\"><BkToCstmrStmt><GrpHdr><MsgId>" +
           id.toUtf8() + "</MsgId><CreDtTm>" + d + "T18:00:00</CreDtTm></GrpHdr><Stmt><Id>" + id.toUtf8() +
           "</Id><CreDtTm>" + d + "T18:00:00</CreDtTm><Acct><Id><IBAN>IT60X0542811101000000123456</IBAN></Id><Ccy>EUR"
           "</Ccy></Acct>" + entries + "</Stmt></BkToCstmrStmt></Document>";
}

// The debits of an SDD file as the bank credits them: end-to-end id and amount of each.
QVector<QPair<QString, qint64>> DebitsOf(const QByteArray& xml) {
    static const QRegularExpression e2e(QStringLiteral("<(?:\\w+:)?EndToEndId>([^<]+)<"));
    static const QRegularExpression amt(QStringLiteral("<(?:\\w+:)?InstdAmt[^>]*>([^<]+)<"));
    const QString text = QString::fromUtf8(xml);
    QVector<QPair<QString, qint64>> out;
    auto ids = e2e.globalMatch(text);
    auto amounts = amt.globalMatch(text);
    while (ids.hasNext() && amounts.hasNext()) {
        const auto a = payments::ParseBankAmount(amounts.next().captured(1));
        out << qMakePair(ids.next().captured(1), a.value_or(0));
    }
    return out;
}
} // namespace

Workstation::Workstation(const RunFolders& run, int number, quint64 seed, const QDate& today, bool restores)
    : m_run(run), m_folder(run.Program()), m_number(number), m_rng(seed), m_today(today), m_restores(restores) {}

QStringList Workstation::Actions() {
    return {QStringLiteral("ricevuta"),  QStringLiteral("modifica"), QStringLiteral("annulla"),
            QStringLiteral("fatture"),   QStringLiteral("rette"),    QStringLiteral("solleciti"),
            QStringLiteral("sdd"),       QStringLiteral("estratto"), QStringLiteral("scheda"),
            QStringLiteral("importa"),   QStringLiteral("mandato"),  QStringLiteral("copia"),
            QStringLiteral("ripristino")};
}

bool Workstation::Do(const QString& action) {
    const QVector<std::function<void()>> run = {
        [this] { NewReceipt(); },    [this] { EditReceipt(); }, [this] { CancelReceipt(); },
        [this] { Invoices(); },      [this] { MonthBatch(); },  [this] { Reminders(); },
        [this] { DirectDebits(); },  [this] { Statement(); },   [this] { EditCard(); },
        [this] { ImportCards(); },   [this] { EditMandate(); }, [this] { Backup(); },
        [this] { Restore(); }};
    const int i = int(Actions().indexOf(action));
    if (i < 0)
        return false;
    run[i]();
    return true;
}

int Workstation::Run(double seconds) {
    // How often an office does each thing: receipts and their edits most, a restore very rarely.
    const int weights[] = {22, 12, 4, 5, 4, 4, 3, 4, 7, 2, 3, 3, 1};
    QElapsedTimer t;
    t.start();
    int done = 0;
    while (t.elapsed() < seconds * 1000) {
        std::discrete_distribution<int> pick(std::begin(weights), std::end(weights));
        int a = pick(m_rng);
        if (a == 12 && !(m_restores && Chance(m_rng, 0.4)))
            a = 0;
        Do(Actions()[a]);
        ++done;
        Pause(40);
    }
    return done;
}

void Workstation::Pause(int maxMs) {
    QThread::msleep(ulong(Uniform(m_rng, 0, maxMs)));
}

void Workstation::Done(const QString& action) {
    Ack(m_run.AckPath(m_number), {QStringLiteral("O"), action});
}

JournalStamp Workstation::Stamp() const {
    return {QDateTime(m_today, QTime::currentTime()), QStringLiteral("POSTAZIONE-%1").arg(m_number),
            QStringLiteral("soak")};
}

QString Workstation::YearPath() const {
    return m_folder + QStringLiteral("%1.ric").arg(m_today.year());
}

QString Workstation::Settings() const {
    return m_folder + QStringLiteral("Trelvani.ini");
}

qint64 Workstation::NumberingStart() const {
    return ReadNumberingStart(Settings()).start.value_or(1);
}

// ---- Receipts -------------------------------------------------------------------------------------

void Workstation::NewReceipt() {
    const QVector<RegistryRecord> cards = ReadCards(m_folder);
    if (cards.isEmpty())
        return;
    const RegistryRecord& card = cards[Uniform(m_rng, 0, int(cards.size()) - 1)];
    // "Nuovo": the number proposed from the count at this moment.
    qint64 count = 0;
    if (!ReadStored(YearPath(), ReceiptRecord::Size, &count, -1, nullptr))
        return;
    NumberProposal proposal;
    proposal.start = NumberingStart();
    proposal.count = count;
    proposal.number = QString::number(proposal.start + count);
    Pause(60); // the office fills the receipt in

    const fees::FeeMonth month{m_today.year(), m_today.month()};
    const qint64 fee = fees::FeeAmount(card.Quota);
    const int kind = Uniform(m_rng, 0, 9);
    ReceiptRecord rec;
    QString euro = QString::number(fee / 10000), cents = QStringLiteral("%1").arg(fee / 100 % 100, 2, 10, QLatin1Char('0'));
    if (kind < 6) {
        rec.Sport = fees::DefaultCause(month);
        if (kind == 5) // a payment of half the month
            euro = QString::number(fee / 20000), cents = QStringLiteral("%1").arg(fee / 200 % 100, 2, 10, QLatin1Char('0'));
    } else {
        rec.Sport = kind < 9 ? QStringLiteral("Gita scolastica") : QStringLiteral("Iscrizione anno scolastico");
        euro = QString::number(Uniform(m_rng, 10, 90));
        cents = QStringLiteral("00");
    }
    const ReceiptAmount amount = AmountFromBoxes(euro, cents);
    rec.NumRic = proposal.number;
    rec.Data = FormatDate(m_today);
    rec.Importo = amount.Importo;
    rec.Cents = amount.Cents;
    rec.ImpLettere = amount.ImpLettere;
    rec.CentLettere = amount.CentLettere;
    rec.Intero = amount.Intero;
    const QStringList receiver = ReadReceiverLines(Settings());
    rec.Ricevente01 = receiver.value(0);
    rec.Ricevente02 = receiver.value(1);
    rec.Ricevente03 = receiver.value(2);
    rec.Ricevente04 = receiver.value(3);
    rec.Pagatore = card.Tiratore;
    rec.CodFisc = card.CodFisc;
    rec.Dal = FormatDate(month.First());
    rec.Al = FormatDate(month.Last());
    rec.Praticante = card.Armi;
    rec.LuogoNasc = card.Porto;
    rec.DataNasc = card.InizioPor;
    rec.Indirizzo = QStringLiteral("Contanti");

    ReceiptFile file;
    if (!file.OpenOrCreate(YearPath()))
        return;
    const AppendOutcome out = AppendReceiptChecked(file, rec, proposal, false);
    // A number another receipt already has: the office answers No and types another one later.
    if (!file.Close() || (out.result != AppendOutcome::Written && out.result != AppendOutcome::Renumbered))
        return;
    Ack(m_run.AckPath(m_number),
        {QStringLiteral("R"), QString::number(m_today.year()), out.number, TrimText(card.Armi)});
    Done(QStringLiteral("ricevuta"));
}

void Workstation::EditReceipt() {
    qint64 count = 0;
    if (!ReadStored(YearPath(), ReceiptRecord::Size, &count, -1, nullptr) || count == 0)
        return;
    const qint64 index = Uniform(m_rng, 0, int(count) - 1);
    QByteArray loaded;
    if (!ReadStored(YearPath(), ReceiptRecord::Size, &count, index, &loaded) || loaded.isEmpty())
        return;
    ReceiptRecord rec = ReceiptRecord::Decode(loaded.constData());
    Pause(80); // the office changes the payment method on screen
    static const char* methods[] = {"Contanti", "Bancomat", "Assegno", "Bonifico bancario"};
    rec.Indirizzo = QStringLiteral("%1 (postazione %2)").arg(QString::fromLatin1(methods[Uniform(m_rng, 0, 3)])).arg(m_number);
    QByteArray bytes = loaded;
    rec.Encode(bytes);
    if (SaveOverLoaded(YearPath(), ReceiptRecord::Layout(), ReceiptRecord::Size, index, loaded, bytes, Stamp(),
                       QStringLiteral("modifica"), ConflictAnswer(Uniform(m_rng, 0, 2))))
        Done(QStringLiteral("modifica"));
}

void Workstation::CancelReceipt() {
    qint64 count = 0;
    if (!ReadStored(YearPath(), ReceiptRecord::Size, &count, -1, nullptr) || count == 0)
        return;
    const qint64 index = Uniform(m_rng, 0, int(count) - 1);
    QByteArray stored;
    if (!ReadStored(YearPath(), ReceiptRecord::Size, &count, index, &stored) || stored.isEmpty())
        return;
    const ReceiptRecord current = ReceiptRecord::Decode(stored.constData());
    if (IsCancelled(current))
        return;
    // An invoiced receipt goes with the credit note of its invoice: the office is told of the invoice
    // standing now, and the register is held from the credit note to the receipt's save.
    QVector<RegisterEntry> reg;
    if (!ReadRegister(RegisterPath(m_folder), reg))
        return;
    const QString year = QString::number(m_today.year());
    const std::optional<RegisterEntry> invoice = InvoiceToCredit(reg, year, index + 1);
    Pause(60); // the reason is typed
    CreditNoteWriter credit(m_folder, Settings());
    if (!credit.WriteForCancellation(year, index + 1, invoice, m_today, nullptr))
        return;
    QByteArray bytes = stored;
    CancelledReceipt(current, QStringLiteral("emessa per errore")).Encode(bytes);
    if (SaveOverLoaded(YearPath(), ReceiptRecord::Layout(), ReceiptRecord::Size, index, stored, bytes, Stamp(),
                       QStringLiteral("annullamento"), ConflictAnswer(Uniform(m_rng, 0, 2))))
        Done(QStringLiteral("annulla"));
    else
        credit.UndoUnlessCancelled(YearPath(), index + 1);
}

void Workstation::Invoices() {
    qint64 count = 0;
    if (!ReadStored(YearPath(), ReceiptRecord::Size, &count, -1, nullptr) || count == 0)
        return;
    QList<qint64> chosen;
    for (int i = Uniform(m_rng, 1, 3); i > 0; --i)
        chosen << Uniform(m_rng, 1, int(count));
    InvoicePlan plan;
    if (plan.Load(m_folder, YearPath(), chosen) != InvoicePlan::Failure::None)
        return;
    // Receipts invoiced before: most times the office says not to invoice them again.
    if (plan.AlreadyInvoiced() > 0 && Chance(m_rng, 0.8))
        plan.SkipInvoiced();
    while (const std::optional<PayerQuestion> q = plan.NextQuestion()) {
        InvoicePayer p = q->payer;
        if (p.indirizzo.isEmpty())
            p.indirizzo = QStringLiteral("Via Manzoni 1");
        if (p.cap.isEmpty())
            p.cap = QStringLiteral("20121");
        if (p.comune.isEmpty())
            p.comune = QStringLiteral("Milano");
        if (p.provincia.isEmpty())
            p.provincia = QStringLiteral("MI");
        if (!q->firm && p.nome.isEmpty())
            p.nome = QStringLiteral("NOME");
        if (!q->firm && p.cognome.isEmpty())
            p.cognome = QStringLiteral("COGNOME");
        plan.Answer(p);
    }
    const QVector<InvoiceJob> jobs = plan.Jobs();
    if (jobs.isEmpty())
        return;
    Pause(40);
    const InvoiceBatchResult r = WriteInvoices(m_folder, Settings(), QString::number(m_today.year()), jobs, m_today);
    if (r.failure.isEmpty())
        Done(QStringLiteral("fatture"));
}

// ---- Fees -----------------------------------------------------------------------------------------

void Workstation::MonthBatch() {
    const fees::FeeMonth month{m_today.year(), m_today.month()};
    const fees::MonthList list = fees::BuildMonthList(m_folder, YearPath(), month);
    if (list.outcome != fees::ListOutcome::Listed)
        return;
    QVector<int> which;
    for (int i = 0; i < list.lines.size(); ++i)
        if (list.lines[i].ticked && fees::Issuable(list.lines[i]) && Chance(m_rng, 0.6))
            which << i;
    if (which.isEmpty())
        return;
    fees::IssueRequest req;
    req.month = month;
    req.issueDate = m_today;
    req.receiver = ReadReceiverLines(Settings());
    req.numberingStart = NumberingStart();
    req.listedCount = list.receipts;
    req.feeWords = fees::ReadFeeWords(m_folder);
    Pause(80); // the office looks the list over
    const fees::IssueResult r = fees::IssueFees(YearPath(), list.lines, which, req);
    if (!r.ok)
        return;
    for (int k = 0; k < r.issued.size(); ++k)
        Ack(m_run.AckPath(m_number), {QStringLiteral("R"), QString::number(m_today.year()),
                                      QString::number(r.firstNumber + k), list.lines[r.issued[k]].child});
    Done(QStringLiteral("rette"));
}

void Workstation::Reminders() {
    const QVector<RegistryRecord> cards = ReadCards(m_folder);
    QVector<qint64> chosen;
    for (int i = 0; i < cards.size(); ++i)
        if (Chance(m_rng, 0.3))
            chosen << i + 1;
    if (chosen.isEmpty())
        return;
    const fees::FeeMonth upTo{m_today.year(), m_today.month()};
    fees::ReminderSet set;
    QString error;
    if (!fees::LoadReminders(m_folder, chosen, upTo, set, &error) || set.letters.isEmpty())
        return;
    QVector<fees::ReminderNote> notes;
    for (const fees::ReminderLetter& l : set.letters)
        notes << fees::ReminderNote{m_today, l.payer, l.taxCode, l.MonthsText(), l.Total(), QStringLiteral("stampa")};
    Pause(40); // the letters print
    if (fees::NoteReminders(m_folder, upTo.year, notes, Stamp(), &error))
        Done(QStringLiteral("solleciti"));
}

// ---- Being paid -----------------------------------------------------------------------------------

void Workstation::DirectDebits() {
    const fees::FeeMonth month{m_today.year(), m_today.month()};
    const fees::MonthList list = fees::BuildMonthList(m_folder, YearPath(), month);
    if (list.outcome != fees::ListOutcome::Listed)
        return;
    QVector<int> which;
    for (int i = 0; i < list.lines.size(); ++i)
        if (list.lines[i].ticked)
            which << i;
    payments::Mandates mandates;
    if (!mandates.Load(m_folder + QLatin1String(payments::MandatesFileName)))
        return;
    const payments::SddPlan plan = payments::PlanCollections(list.lines, which, mandates, month);
    if (plan.collections.isEmpty())
        return;
    const PaymentSettings settings = LoadPaymentSettings(Settings());
    payments::SddHeader h;
    h.creditor = settings;
    h.creditorName = settings.intestatario;
    h.dueDate = payments::EarliestDueDate(m_today);
    h.created = QDateTime(m_today, QTime::currentTime());
    h.messageId = QStringLiteral("SDD-%1-%2-%3").arg(h.created.toString(QStringLiteral("yyyyMMddHHmmsszzz"))).arg(m_number).arg(Uniform(m_rng, 0, 9999));
    Pause(60);
    if (payments::WriteSddFile(m_folder, h, plan, settings.formato).ok)
        Done(QStringLiteral("sdd"));
}

void Workstation::Statement() {
    QDir().mkpath(m_run.Statements());
    QByteArray xml;
    const QStringList earlier = QDir(m_run.Statements()).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
    if (!earlier.isEmpty() && Chance(m_rng, 0.25)) {
        // The same statement downloaded and read a second time.
        QFile f(m_run.Statements() + earlier[Uniform(m_rng, 0, int(earlier.size()) - 1)]);
        if (!f.open(QIODevice::ReadOnly))
            return;
        xml = f.readAll();
    } else {
        const QVector<RegistryRecord> cards = ReadCards(m_folder);
        if (cards.isEmpty())
            return;
        const QString id = QStringLiteral("EC-%1-%2-%3").arg(m_number).arg(NowMs()).arg(Uniform(m_rng, 0, 999));
        QByteArray entries;
        for (int i = Uniform(m_rng, 1, 4); i > 0; --i) {
            const RegistryRecord& c = cards[Uniform(m_rng, 0, int(cards.size()) - 1)];
            const qint64 fee = fees::FeeAmount(c.Quota);
            entries += TransferEntry(QStringLiteral("%1-B%2").arg(id).arg(i), m_today, fee, TrimText(c.Tiratore),
                                     QStringLiteral("Retta %1 %2 CF %3").arg(ItalianMonthName(m_today.month()),
                                                                              TrimText(c.Armi), TrimText(c.CodFisc)));
        }
        // A collection of an SDD file, credited whole.
        const QStringList sdd = QDir(m_folder + QStringLiteral("SDD")).entryList({QStringLiteral("*.xml")}, QDir::Files);
        if (!sdd.isEmpty() && Chance(m_rng, 0.5)) {
            QFile f(m_folder + QStringLiteral("SDD/") + sdd[Uniform(m_rng, 0, int(sdd.size()) - 1)]);
            if (f.open(QIODevice::ReadOnly)) {
                const auto debits = DebitsOf(f.readAll());
                if (!debits.isEmpty())
                    entries += CollectionEntry(id + QStringLiteral("-SDD"), m_today, debits);
            }
        }
        xml = StatementXml(id, m_today, entries);
        QFile out(m_run.Statements() + id + QStringLiteral(".xml"));
        if (out.open(QIODevice::WriteOnly))
            out.write(xml);
    }
    const payments::StatementData data = payments::ReadCamt053(xml);
    if (!data.error.isEmpty() || data.credits.isEmpty())
        return;
    // Only this year's movements become this year's receipts; the window reads the year they are dated in.
    const int year = data.credits.first().value.year();
    const fees::FeeMonth upTo{year, 12};
    QString error;
    const QVector<payments::DueCard> cards = payments::LoadDueCards(m_folder, upTo, &error);
    if (!error.isEmpty())
        return;
    const QSet<QString> used = payments::UsedMovements(m_folder, year);
    const QVector<payments::Proposal> proposals = payments::MatchMovements(data.credits, cards, used);
    Pause(80); // the office checks the matches
    const payments::PaymentIssue r = payments::IssuePayments(m_folder, year, data.credits, proposals, cards,
                                                             ReadReceiverLines(Settings()), NumberingStart());
    if (!r.ok)
        return;
    for (int k = 0; k < r.issued.size(); ++k)
        Ack(m_run.AckPath(m_number), {QStringLiteral("R"), QString::number(year), QString::number(r.firstNumber + k),
                                      TrimText(cards[proposals[r.issued[k]].card].line.child)});
    Done(QStringLiteral("estratto"));
}

// ---- Registry and mandates ------------------------------------------------------------------------

void Workstation::EditCard() {
    const QString path = m_folder + QLatin1String(RegistryFileName);
    qint64 count = 0;
    if (!ReadStored(path, RegistryRecord::Size, &count, -1, nullptr) || count == 0)
        return;
    const qint64 index = Uniform(m_rng, 0, int(count) - 1);
    QByteArray loaded;
    if (!ReadStored(path, RegistryRecord::Size, &count, index, &loaded) || loaded.isEmpty())
        return;
    RegistryRecord card = RegistryRecord::Decode(loaded.constData());
    Pause(80);
    card.Tel = QStringLiteral("02%1").arg(Uniform(m_rng, 1000000, 9999999));
    card.Note = QStringLiteral("Aggiornata dalla postazione %1").arg(m_number);
    if (Chance(m_rng, 0.2)) {
        static const char* fees[] = {"180,00", "250,00", "320,50", "275,00"};
        card.Quota = QString::fromLatin1(fees[Uniform(m_rng, 0, 3)]);
    }
    QByteArray bytes = loaded;
    card.Encode(bytes);
    if (SaveOverLoaded(path, RegistryRecord::Layout(), RegistryRecord::Size, index, loaded, bytes, Stamp(),
                       QStringLiteral("modifica"), ConflictAnswer(Uniform(m_rng, 0, 2))))
        Done(QStringLiteral("scheda"));
}

void Workstation::ImportCards() {
    CsvSheet sheet;
    sheet.delimiter = u';';
    QStringList header;
    QVector<int> mapping;
    for (int f = 0; f < kImportFieldCount; ++f) {
        header << QStringLiteral("Campo %1").arg(f);
        mapping << f;
    }
    sheet.rows << header;
    sheet.rowNumbers << 1;
    const QVector<RegistryRecord> existing = ReadCards(m_folder);
    for (int i = Uniform(m_rng, 1, 3); i > 0; --i) {
        // Sometimes a family already in the registry comes in again from the sheet.
        RegistryRecord card = !existing.isEmpty() && Chance(m_rng, 0.3)
                                  ? existing[Uniform(m_rng, 0, int(existing.size()) - 1)]
                                  : RandomCard(m_rng, 1000 * m_number + Uniform(m_rng, 0, 999) * 1000000 + ++m_serial);
        QStringList row;
        const QVector<const QString*> fields = std::as_const(card).Fields();
        for (int f = 0; f < kImportFieldCount; ++f)
            row << *fields[f];
        sheet.rows << row;
        sheet.rowNumbers << int(sheet.rows.size());
    }
    QVector<ImportRow> rows = CheckImportRows(sheet, mapping, true);
    RecordFile reg(RegistryRecord::Size);
    QSet<QString> keys;
    if (!reg.OpenOrCreate(m_folder + QLatin1String(RegistryFileName)) || !ExistingCardKeys(reg, &keys))
        return;
    reg.Close();
    MarkExistingCards(rows, keys);
    Pause(60);
    const ImportOutcome out = AppendImportedCards(m_folder, rows, true);
    if (!out.ok)
        return;
    // The cards appended: the good rows not already there, in order; told apart by their key.
    QSet<QString> seen = keys;
    for (const ImportRow& r : rows)
        if (r.Good() && !seen.contains(CardKey(r.card))) {
            seen.insert(CardKey(r.card));
            Ack(m_run.AckPath(m_number), {QStringLiteral("C"), r.card.CodFisc, r.card.Armi});
        }
    Done(QStringLiteral("importa"));
}

void Workstation::EditMandate() {
    const QVector<RegistryRecord> cards = ReadCards(m_folder);
    if (cards.isEmpty())
        return;
    const RegistryRecord& card = cards[Uniform(m_rng, 0, int(cards.size()) - 1)];
    const QString path = m_folder + QLatin1String(payments::MandatesFileName);
    const qint64 start = NowMs();
    payments::Mandates all;
    if (!all.Load(path))
        return;
    payments::Mandate m;
    m.taxCode = UpperAZ(TrimText(card.CodFisc));
    m.iban = MakeItalianIban(Uniform(m_rng, 1, 999999));
    m.id = QStringLiteral("MND-%1-%2-%3").arg(m_number).arg(NowMs()).arg(++m_serial);
    m.signedOn = m_today.addDays(-Uniform(m_rng, 0, 10));
    if (!payments::CheckMandate(m, all, m_today).isEmpty())
        return;
    Pause(60);
    if (!payments::SaveMandate(path, m))
        return;
    Ack(m_run.AckPath(m_number), {QStringLiteral("M"), m.taxCode, m.id, QString::number(start), QString::number(NowMs())});
    Done(QStringLiteral("mandato"));
}

// ---- Copies ---------------------------------------------------------------------------------------

void Workstation::Backup() {
    if (RunDailyBackup(m_folder, m_today).outcome != BackupResult::Failed)
        Done(QStringLiteral("copia"));
}

void Workstation::Restore() {
    QVector<BackupDay> days;
    for (const BackupDay& d : ListBackupDays(m_folder))
        if (!d.beforeRestore && d.day < m_today)
            days << d;
    if (days.isEmpty())
        return;
    const BackupDay& day = days[Uniform(m_rng, 0, int(days.size()) - 1)];
    QStringList names;
    for (const BackupFileInfo& f : day.files)
        if (f.recordSize > 0)
            names << f.name;
    if (names.isEmpty())
        return;
    const QString name = names[Uniform(m_rng, 0, int(names.size()) - 1)];
    const RestoreOutcome out = RestoreBackupFile(m_folder, day.folder, name, m_today);
    if (!out.ok)
        return;
    Ack(m_run.AckPath(m_number), {QStringLiteral("X"), name, out.savedTo, QString::number(NowMs())});
    Done(QStringLiteral("ripristino"));
}

} // namespace soak
