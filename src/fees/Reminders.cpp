#include "fees/Reminders.h"
#include "payments/SddRegister.h"
#include "storage/FixedField.h"
#include "storage/ReceiptFile.h"
#include "storage/RecordFile.h"
#include "storage/Text.h"
#include "validators/Iban.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace fees {

qint64 ReminderChild::Owed() const {
    qint64 total = 0;
    for (const OwedMonth& m : months)
        total += m.owed;
    return total;
}

qint64 ReminderLetter::Total() const {
    qint64 total = 0;
    for (const ReminderChild& c : children)
        total += c.Owed();
    return total;
}

QString ReminderLetter::MonthsText() const {
    QStringList parts;
    for (const ReminderChild& c : children) {
        QStringList months;
        for (const OwedMonth& m : c.months)
            months << m.month.Name() + u' ' + QString::number(m.month.year);
        parts << c.child + QStringLiteral(": ") + months.join(QStringLiteral(", "));
    }
    return parts.join(QStringLiteral("; "));
}

ReminderSet BuildReminders(const QVector<RegistryRecord>& cards, const QVector<qint64>& chosen,
                           const ChildReceipts& receipts, const FeeMonth& upTo, const QStringList& feeWords,
                           const DebitHolds& holds) {
    ReminderSet out;
    out.upTo = upTo;
    QSet<QString> payersDone;
    for (qint64 number : chosen) {
        if (number < 1 || number > cards.size())
            continue;
        const RegistryRecord& c = cards[int(number - 1)];
        ReminderSkip skip{number, TrimText(c.Tiratore), TrimText(c.Armi), QString()};
        const QString key = PayerKey(c.CodFisc);
        if (key.isEmpty())
            skip.reason = QStringLiteral("codice fiscale mancante");
        else if (skip.child.isEmpty())
            skip.reason = QStringLiteral("minore mancante");
        else if (CardFee(c) <= 0)
            skip.reason = QStringLiteral("quota assente o pari a zero");
        if (!skip.reason.isEmpty()) {
            out.skipped << skip;
            continue;
        }
        // One letter per payer: the first chosen card of a payer brings in all its children.
        if (payersDone.contains(key))
            continue;
        payersDone.insert(key);
        const FamilyAccount account = BuildFamilyAccount(cards, int(number - 1), receipts, upTo, feeWords, holds);
        ReminderLetter letter;
        letter.payer = account.payer;
        letter.taxCode = account.taxCode;
        const QString street = TrimText(c.Indirizzo);
        const QString town = (TrimText(c.Cap) + u' ' + TrimText(c.Citta)).trimmed();
        if (!street.isEmpty())
            letter.address << street;
        if (!town.isEmpty())
            letter.address << town;
        for (const AccountSection& s : account.sections) {
            letter.unreadable += s.account.unreadable;
            ReminderChild child{s.card, s.child, {}};
            for (const MonthDue& m : s.account.months)
                if (m.ToAsk() > 0)
                    child.months << OwedMonth{m.month, m.due, m.ToAsk()};
            if (!child.months.isEmpty())
                letter.children << child;
        }
        if (letter.children.isEmpty()) {
            skip.reason = QStringLiteral("nulla da sollecitare fino a %1 %2").arg(upTo.Name()).arg(upTo.year);
            out.skipped << skip;
            continue;
        }
        out.letters << letter;
    }
    return out;
}

bool LoadReminders(const QString& programFolder, const QVector<qint64>& chosen, const FeeMonth& upTo,
                   ReminderSet& out, QString* error) {
    auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    const QString folder = FolderWithSlash(programFolder);
    QVector<RegistryRecord> cards;
    if (!ReadFeeCards(folder, cards, error))
        return false;
    QVector<int> family;
    QSet<QString> children;
    for (qint64 number : chosen) {
        if (number < 1 || number > cards.size())
            continue;
        for (int i : FamilyCards(cards, int(number - 1))) {
            family << i;
            if (!TrimText(cards[i].Armi).isEmpty())
                children.insert(ChildKey(cards[i].Armi));
        }
    }
    ChildReceipts receipts;
    QString why;
    if (!receipts.Load(folder, AccountYears(cards, family, upTo), &children, &why))
        return fail(QStringLiteral("Impossibile leggere l'archivio delle ricevute: %1").arg(why));
    DebitHolds holds;
    if (!payments::LoadDebitHolds(folder, holds, &why))
        return fail(QStringLiteral("Impossibile leggere il registro degli addebiti SDD: %1").arg(why));
    out = BuildReminders(cards, chosen, receipts, upTo, ReadFeeWords(folder), holds);
    return true;
}

QString ReminderCause(const ReminderLetter& letter, const FeeMonth& upTo) {
    QStringList names;
    for (const ReminderChild& c : letter.children)
        names << c.child;
    QString cause = QStringLiteral("Rette fino a %1 %2 - %3").arg(upTo.Name()).arg(upTo.year).arg(names.join(", "));
    if (!letter.taxCode.isEmpty())
        cause += QStringLiteral(" - ") + UpperAZ(letter.taxCode);
    // The tax code matters most to whoever matches the transfer: cut the names, not the code.
    if (cause.size() > 140) {
        const QString tail = letter.taxCode.isEmpty() ? QString() : QStringLiteral(" - ") + UpperAZ(letter.taxCode);
        cause = cause.left(140 - tail.size()).trimmed() + tail;
    }
    return cause;
}

EpcTransfer EpcPayload(const PaymentSettings& account, qint64 amount, const QString& remittance) {
    EpcTransfer out;
    // The IBAN as typed on paper or by hand: blanks and letter case do not make it wrong.
    PaymentSettings normal = account;
    normal.iban = NormaliseIban(account.iban);
    out.problem = CheckTransferAccount(normal);
    if (!out.problem.isEmpty())
        return out;
    const qint64 cents = (amount + 50) / 100;
    if (cents < 1 || cents > 99999999999LL) {
        out.problem = QStringLiteral("importo non valido per il pagamento con codice QR");
        return out;
    }
    if (remittance.size() > 140) {
        out.problem = QStringLiteral("causale più lunga di 140 caratteri");
        return out;
    }
    const QString euro = QStringLiteral("EUR%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QChar(u'0'));
    out.payload = QStringList{QStringLiteral("BCD"), QStringLiteral("002"), QStringLiteral("1"), QStringLiteral("SCT"),
                              QString(), TrimText(account.intestatario), normal.iban, euro, QString(),
                              QString(), remittance}
                      .join(u'\n');
    return out;
}

QString ReminderLogPath(const QString& programFolder, int year) {
    return QDir(programFolder).filePath(QStringLiteral("Storico/%1.solleciti.log").arg(year));
}

bool NoteReminders(const QString& programFolder, int year, const QVector<ReminderNote>& notes,
                   const JournalStamp& stamp, QString* error) {
    QByteArray lines;
    for (const ReminderNote& n : notes)
        lines += JournalLines::Seal({QStringLiteral("S"), n.date.toString(Qt::ISODate), n.payer, n.taxCode, n.months,
                                     QString::number(n.amount), n.how, stamp.when.toString(Qt::ISODate),
                                     stamp.workstation, stamp.user});
    return JournalLines::AppendUnderYearLock(QDir(programFolder).filePath(QStringLiteral("%1.ric").arg(year)),
                                             ReminderLogPath(programFolder, year), lines, error);
}

QVector<ReminderNote> ReadReminderNotes(const QString& programFolder, const QVector<int>& years,
                                        const QString& taxCode, int* damaged) {
    QVector<ReminderNote> out;
    const QString wanted = PayerKey(taxCode);
    int bad = 0;
    for (int year : years) {
        QFile f(ReminderLogPath(programFolder, year));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        // A line torn by a crash (closed by the next writer, or still the last) was never written whole.
        JournalLines::Scan(f, 0, [&](qint64, const QByteArray& line) {
            if (line.isEmpty() || JournalLines::IsClosedTornLine(line))
                return;
            QStringList c;
            if (!JournalLines::Unseal(line, c) || c.size() < 7 || c[0] != QLatin1String("S")) {
                ++bad;
                return;
            }
            if (!wanted.isEmpty() && PayerKey(c[3]) != wanted)
                return;
            out << ReminderNote{QDate::fromString(c[1], Qt::ISODate), c[2], c[3], c[4], c[5].toLongLong(), c[6]};
        });
    }
    if (damaged)
        *damaged = bad;
    return out;
}

} // namespace fees
