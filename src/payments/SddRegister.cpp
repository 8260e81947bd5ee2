#include "payments/SddRegister.h"
#include "payments/Mandates.h"
#include "receipts/AmountWords.h"
#include "storage/Dates.h"
#include "storage/FileOps.h"
#include "storage/JournalLines.h"
#include "storage/RecordFile.h"
#include "storage/SaveFile.h"
#include "storage/Text.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace payments {
namespace {

const QString kFile = QStringLiteral("FILE");
const QString kDebit = QStringLiteral("ADDEBITO");
const QString kOutcome = QStringLiteral("ESITO");
const QString kStatement = QStringLiteral("ESTRATTO");
const QString kWithdrawn = QStringLiteral("ritirato");
const QString kToDeliver = QStringLiteral("da consegnare");
const QString kCollected = QStringLiteral("incassato");
const QString kReturned = QStringLiteral("respinto");

QString MonthText(const fees::FeeMonth& m) {
    return m.TwoDigits() + u'/' + QString::number(m.year);
}

bool ParseMonth(const QString& text, fees::FeeMonth& m) {
    const QStringList parts = text.split(u'/');
    if (parts.size() != 2)
        return false;
    bool okM = false, okY = false;
    m.month = parts[0].toInt(&okM);
    m.year = parts[1].toInt(&okY);
    return okM && okY && parts[0].size() == 2 && parts[1].size() == 4 && m.month >= 1 && m.month <= 12;
}

int MonthIndex(const fees::FeeMonth& m) {
    return m.year * 12 + m.month - 1;
}

QString RegisterPath(const QString& folder) {
    return folder + QLatin1String(SddRegisterName);
}

QString MandatesPath(const QString& folder) {
    return folder + QLatin1String(MandatesFileName);
}

// A file's bytes before a change, to put back when a later step of the same change fails.
struct Snapshot {
    QString path;
    bool existed = false;
    QByteArray bytes;
    bool Take(const QString& p, QString* error) {
        path = p;
        QFile f(p);
        existed = f.exists();
        if (!existed)
            return true;
        if (!f.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("impossibile leggere %1").arg(QFileInfo(p).fileName());
            return false;
        }
        bytes = f.readAll();
        return true;
    }
    void Restore() const {
        if (existed)
            SaveWholeFile(path, bytes);
        else
            QFile::remove(path);
    }
};

// Runs `action` with every other workstation's register changes held off.
template <class F> bool UnderRegisterLock(const QString& folder, QString* error, F action) {
    if (!QDir().mkpath(folder + QStringLiteral("SDD"))) {
        if (error)
            *error = QStringLiteral("impossibile creare la cartella SDD");
        return false;
    }
    RecordFile lock(1);
    if (!lock.OpenOrCreate(folder + QStringLiteral("SDD/Registro_SDD.lock"))) {
        if (error)
            *error = lock.ErrorString();
        return false;
    }
    const bool ok = lock.Locked(action);
    lock.Close();
    return ok;
}

bool RenameFile(const QString& from, const QString& to, QString* error) {
    if (FileOps::Current().Rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    if (error)
        *error = QStringLiteral("impossibile rinominare %1: %2").arg(QFileInfo(from).fileName(),
                                                                       QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

} // namespace

QString DebitStatusText(DebitStatus s) {
    switch (s) {
    case DebitStatus::Pending: return QStringLiteral("in attesa");
    case DebitStatus::Collected: return QStringLiteral("incassato");
    case DebitStatus::Returned: return QStringLiteral("respinto");
    case DebitStatus::Withdrawn: return QStringLiteral("ritirato");
    case DebitStatus::Lapsed: return QStringLiteral("non incassato");
    }
    return QString();
}

bool SddRegister::Parse(const QByteArray& bytes, QString* error) {
    files.clear();
    debits.clear();
    outcomes.clear();
    statementThrough = QDate();
    const QList<QByteArray> lines = bytes.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray& raw = lines[i];
        if (raw.isEmpty() && i == lines.size() - 1)
            break; // the line feed that ends the last line
        QStringList c;
        bool ok = JournalLines::Unseal(raw, c) && !c.isEmpty();
        if (ok && c[0] == kFile && c.size() == 5) {
            SddRegisterFile f;
            f.name = c[1];
            f.due = ParseDate(c[2]);
            f.created = QDateTime::fromString(c[3], Qt::ISODate);
            f.withdrawn = c[4].startsWith(kWithdrawn);
            if (f.withdrawn)
                f.withdrawnOn = ParseDate(c[4].mid(kWithdrawn.size()).trimmed());
            ok = !f.name.isEmpty() && f.due.isValid() && (c[4] == kToDeliver || f.withdrawn) && !File(f.name);
            if (ok)
                files << f;
        } else if (ok && c[0] == kDebit && c.size() == 9) {
            SddRegisterDebit d;
            d.file = c[1];
            d.card = c[2].toLongLong(&ok);
            d.child = c[3];
            const std::optional<qint64> amount = ParseAmountText(c[5]);
            d.endToEnd = c[6];
            d.taxCode = c[7];
            d.sequence = c[8] == QLatin1String("FRST") ? Sequence::First : Sequence::Recurring;
            ok = ok && File(d.file) && ParseMonth(c[4], d.month) && amount && *amount > 0 && !d.endToEnd.isEmpty() &&
                 (c[8] == QLatin1String("FRST") || c[8] == QLatin1String("RCUR"));
            if (ok) {
                d.amount = *amount;
                debits << d;
            }
        } else if (ok && c[0] == kOutcome && c.size() == 5) {
            SddOutcome o;
            o.endToEnd = c[1];
            o.returned = c[2] == kReturned;
            o.booked = ParseDate(c[3]);
            o.reason = c[4];
            ok = !o.endToEnd.isEmpty() && (c[2] == kReturned || c[2] == kCollected) && o.booked.isValid();
            if (ok)
                outcomes << o;
        } else if (ok && c[0] == kStatement && c.size() == 2) {
            statementThrough = ParseDate(c[1]);
            ok = statementThrough.isValid();
        } else {
            ok = false;
        }
        if (!ok) {
            if (error)
                *error = QStringLiteral("il registro degli addebiti SDD (%1) è danneggiato alla riga %2")
                             .arg(QLatin1String(SddRegisterName))
                             .arg(i + 1);
            return false;
        }
    }
    return true;
}

bool SddRegister::Load(const QString& programFolder, QString* error) {
    QFile f(RegisterPath(programFolder));
    if (!f.exists())
        return Parse(QByteArray(), error);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("impossibile leggere il registro degli addebiti SDD (%1): %2")
                         .arg(QLatin1String(SddRegisterName), f.errorString());
        return false;
    }
    return Parse(f.readAll(), error);
}

QByteArray SddRegister::Bytes() const {
    QByteArray out;
    for (const SddRegisterFile& f : files)
        out += JournalLines::Seal(
            {kFile, f.name, FormatDate(f.due), f.created.toString(Qt::ISODate),
             f.withdrawn ? kWithdrawn + u' ' + FormatDate(f.withdrawnOn) : kToDeliver});
    for (const SddRegisterDebit& d : debits)
        out += JournalLines::Seal({kDebit, d.file, QString::number(d.card), d.child, MonthText(d.month),
                                   fees::AmountText(d.amount), d.endToEnd, d.taxCode,
                                   d.sequence == Sequence::First ? QStringLiteral("FRST") : QStringLiteral("RCUR")});
    for (const SddOutcome& o : outcomes)
        out += JournalLines::Seal(
            {kOutcome, o.endToEnd, o.returned ? kReturned : kCollected, FormatDate(o.booked), o.reason});
    if (statementThrough.isValid())
        out += JournalLines::Seal({kStatement, FormatDate(statementThrough)});
    return out;
}

const SddRegisterFile* SddRegister::File(const QString& name) const {
    for (const SddRegisterFile& f : files)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

DebitStatus SddRegister::StatusOf(const SddRegisterDebit& d) const {
    const SddRegisterFile* f = File(d.file);
    if (!f || f->withdrawn)
        return DebitStatus::Withdrawn;
    // The latest word of the statements on this id: a collection can still be returned later.
    const SddOutcome* last = nullptr;
    for (const SddOutcome& o : outcomes)
        if (o.endToEnd == d.endToEnd && o.booked >= f->created.date().addDays(-1) && (!last || o.booked >= last->booked))
            last = &o;
    if (last)
        return last->returned ? DebitStatus::Returned : DebitStatus::Collected;
    // A statement read past the first bank day after the due date without the collection: not collected.
    if (statementThrough.isValid() && statementThrough >= EarliestDueDate(f->due))
        return DebitStatus::Lapsed;
    return DebitStatus::Pending;
}

QVector<SddRegisterDebit> SddRegister::DebitsOf(const QString& name) const {
    QVector<SddRegisterDebit> out;
    for (const SddRegisterDebit& d : debits)
        if (d.file.compare(name, Qt::CaseInsensitive) == 0)
            out << d;
    return out;
}

fees::DebitHolds SddRegister::Holds() const {
    fees::DebitHolds holds;
    for (const SddRegisterDebit& d : debits) {
        const DebitStatus s = StatusOf(d);
        if (s == DebitStatus::Pending || s == DebitStatus::Collected)
            holds.Add(fees::DebitHold{d.child, d.month, d.amount, d.file});
    }
    return holds;
}

QVector<SddRegisterFile> SddRegister::FilesOf(const fees::FeeMonth& m) const {
    QVector<SddRegisterFile> out;
    for (const SddRegisterFile& f : files) {
        const QVector<SddRegisterDebit> in = DebitsOf(f.name);
        if (std::any_of(in.begin(), in.end(), [&](const SddRegisterDebit& d) { return MonthIndex(d.month) == MonthIndex(m); }))
            out << f;
    }
    return out;
}

QString SddRegister::WithdrawProblem(const QString& name, const QDate& today) const {
    const SddRegisterFile* f = File(name);
    if (!f)
        return QStringLiteral("il file %1 non è nel registro degli addebiti SDD").arg(name);
    if (f->withdrawn)
        return QStringLiteral("il file %1 è già stato ritirato").arg(name);
    for (const SddRegisterDebit& d : DebitsOf(name))
        if (StatusOf(d) != DebitStatus::Pending)
            return QStringLiteral("l'estratto conto riporta già gli addebiti del file %1").arg(name);
    if (today > f->due)
        return QStringLiteral("la data di addebito del file %1 (%2) è passata").arg(name, FormatDate(f->due));
    return QString();
}

bool LoadDebitHolds(const QString& programFolder, fees::DebitHolds& holds, QString* error) {
    SddRegister reg;
    if (!reg.Load(FolderWithSlash(programFolder), error))
        return false;
    holds = reg.Holds();
    return true;
}

SddWriteResult WriteSddFile(const QString& programFolder, const SddHeader& header, const SddPlan& plan,
                            PaymentSettings::SddFormat format) {
    SddWriteResult r;
    if (plan.collections.isEmpty()) {
        r.error = QStringLiteral("nessun addebito da inviare");
        return r;
    }
    fees::FeeMonth month{header.dueDate.year(), header.dueDate.month()};
    if (const auto ref = ParseEndToEndId(plan.collections.first().endToEnd))
        month = ref->month;
    UnderRegisterLock(programFolder, &r.error, [&] {
        SddRegister reg;
        if (!reg.Load(programFolder, &r.error))
            return false; // nothing is written while the register cannot be read
        // Under the lock: a month another window or workstation has just put in a file is not asked twice.
        const fees::DebitHolds holds = reg.Holds();
        for (const SddCollection& c : plan.collections) {
            const fees::FeeMonth m = ParseEndToEndId(c.endToEnd) ? ParseEndToEndId(c.endToEnd)->month : month;
            for (const fees::DebitHold& h : holds.Of(c.child))
                if (MonthIndex(h.month) == MonthIndex(m)) {
                    r.error = QStringLiteral("%1 ha già la retta di %2 %3 nel file %4: rileggere l'elenco")
                                  .arg(c.child, m.Name())
                                  .arg(m.year)
                                  .arg(h.file);
                    return false;
                }
        }
        // The next number neither on the disk nor in the register (a withdrawn file keeps its number).
        QString path;
        for (int n = 1;; ++n) {
            path = programFolder + QStringLiteral("SDD/SDD_%1_%2_%3.xml").arg(month.year).arg(month.TwoDigits()).arg(n);
            if (!QFileInfo::exists(path) && !reg.File(QFileInfo(path).fileName()))
                break;
        }
        const QString name = QFileInfo(path).fileName();
        QStringList first;
        for (const SddCollection& c : plan.collections)
            if (c.sequence == Sequence::First && !first.contains(c.taxCode))
                first << c.taxCode;
        Snapshot mandates;
        if (!mandates.Take(MandatesPath(programFolder), &r.error))
            return false;
        reg.files << SddRegisterFile{name, header.dueDate, header.created, false, QDate()};
        for (const SddCollection& c : plan.collections)
            reg.debits << SddRegisterDebit{name,        c.card, c.child, c.taxCode,
                                           ParseEndToEndId(c.endToEnd) ? ParseEndToEndId(c.endToEnd)->month : month,
                                           c.amount,    c.endToEnd, c.sequence};
        // The file, then the flags, then the register; a failed step takes the earlier ones back.
        if (!SaveWholeFile(path, BuildSddXml(header, plan, format), &r.error))
            return false;
        if (!MarkFirstCollections(MandatesPath(programFolder), first, &r.error, true)) {
            QFile::remove(path);
            return false;
        }
        if (!SaveWholeFile(RegisterPath(programFolder), reg.Bytes(), &r.error)) {
            mandates.Restore();
            QFile::remove(path);
            return false;
        }
        r.path = path;
        r.ok = true;
        return true;
    });
    if (!r.ok)
        r.path.clear();
    return r;
}

bool WithdrawSddFile(const QString& programFolder, const QString& name, const QDate& today, QString* error) {
    bool done = false;
    UnderRegisterLock(programFolder, error, [&] {
        SddRegister reg;
        if (!reg.Load(programFolder, error))
            return false;
        if (const QString problem = reg.WithdrawProblem(name, today); !problem.isEmpty()) {
            if (error)
                *error = problem;
            return false;
        }
        // Payers collected FRST in this file are FRST again, unless another live debit of theirs was FRST.
        QStringList first;
        for (const SddRegisterDebit& d : reg.DebitsOf(name))
            if (d.sequence == Sequence::First && !first.contains(d.taxCode))
                first << d.taxCode;
        for (const SddRegisterDebit& d : reg.debits) {
            const DebitStatus s = reg.StatusOf(d);
            if (d.file.compare(name, Qt::CaseInsensitive) != 0 && d.sequence == Sequence::First &&
                (s == DebitStatus::Pending || s == DebitStatus::Collected))
                first.removeAll(d.taxCode);
        }
        for (SddRegisterFile& f : reg.files)
            if (f.name.compare(name, Qt::CaseInsensitive) == 0) {
                f.withdrawn = true;
                f.withdrawnOn = today;
            }
        const QString xml = programFolder + QStringLiteral("SDD/") + name;
        const QString aside = programFolder + QStringLiteral("SDD/") + QFileInfo(name).completeBaseName() +
                              QStringLiteral("_ritirato.xml");
        const bool present = QFileInfo::exists(xml);
        Snapshot mandates;
        if (!mandates.Take(MandatesPath(programFolder), error))
            return false;
        // The file is set aside first, so that it cannot reach the bank by mistake.
        if (present && !RenameFile(xml, aside, error))
            return false;
        const auto putBack = [&] {
            if (present)
                RenameFile(aside, xml, nullptr);
        };
        if (!MarkFirstCollections(MandatesPath(programFolder), first, error, false)) {
            putBack();
            return false;
        }
        if (!SaveWholeFile(RegisterPath(programFolder), reg.Bytes(), error)) {
            mandates.Restore();
            putBack();
            return false;
        }
        done = true;
        return true;
    });
    return done;
}

bool NoteStatement(const QString& programFolder, const StatementData& data, StatementNote* note, QString* error) {
    StatementNote local;
    StatementNote& n = note ? *note : local;
    n = StatementNote{};
    if (!QFileInfo::exists(RegisterPath(programFolder)))
        return true; // no file was ever written: nothing to note
    bool done = false;
    UnderRegisterLock(programFolder, error, [&] {
        SddRegister reg;
        if (!reg.Load(programFolder, error))
            return false;
        // The latest debit not withdrawn with the id: a month debited again keeps its id.
        const auto ours = [&](const QString& e2e) -> const SddRegisterDebit* {
            const SddRegisterDebit* found = nullptr;
            for (const SddRegisterDebit& d : reg.debits)
                if (!e2e.isEmpty() && d.endToEnd == e2e && reg.StatusOf(d) != DebitStatus::Withdrawn)
                    found = &d;
            return found;
        };
        const auto noted = [&](const QString& e2e, bool returned, const QDate& booked) {
            return std::any_of(reg.outcomes.begin(), reg.outcomes.end(), [&](const SddOutcome& o) {
                return o.endToEnd == e2e && o.returned == returned && o.booked == booked;
            });
        };
        bool changed = false;
        // Only a statement that shows our debits one by one can tell that one was not collected: a home
        // banking CSV with the month's collections in one line cannot, and must not free their months.
        bool itemised = false;
        QDate latest;
        for (const Movement& m : data.credits) {
            if (m.booked.isValid() && (!latest.isValid() || m.booked > latest))
                latest = m.booked;
            itemised = itemised || ours(m.endToEnd);
        }
        for (const ReturnedDebit& rd : data.returns) {
            if (rd.booked.isValid() && (!latest.isValid() || rd.booked > latest))
                latest = rd.booked;
            itemised = itemised || ours(rd.endToEnd);
        }
        QDate through = reg.statementThrough;
        if (itemised && latest.isValid() && (!through.isValid() || latest > through))
            through = latest;
        for (const Movement& m : data.credits) {
            if (!ours(m.endToEnd) || noted(m.endToEnd, false, m.booked))
                continue;
            reg.outcomes << SddOutcome{m.endToEnd, false, m.booked, QString()};
            ++n.collected;
            changed = true;
        }
        for (const ReturnedDebit& rd : data.returns) {
            const SddRegisterDebit* d = ours(rd.endToEnd);
            if (!d || noted(rd.endToEnd, true, rd.booked))
                continue;
            reg.outcomes << SddOutcome{rd.endToEnd, true, rd.booked, rd.reason};
            ++n.returned;
            if (d->sequence == Sequence::First && !n.firstAgain.contains(d->taxCode))
                n.firstAgain << d->taxCode;
            changed = true;
        }
        if (through != reg.statementThrough) {
            reg.statementThrough = through;
            changed = true;
        }
        if (!changed) {
            done = true;
            return true;
        }
        Snapshot mandates;
        if (!mandates.Take(MandatesPath(programFolder), error))
            return false;
        if (!MarkFirstCollections(MandatesPath(programFolder), n.firstAgain, error, false))
            return false;
        if (!SaveWholeFile(RegisterPath(programFolder), reg.Bytes(), error)) {
            mandates.Restore();
            return false;
        }
        done = true;
        return true;
    });
    if (!done)
        n = StatementNote{};
    return done;
}

} // namespace payments
