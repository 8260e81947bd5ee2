#include "payments/SddFile.h"
#include "storage/Dates.h"
#include "storage/FileOps.h"
#include "storage/SaveFile.h"
#include "validators/Iban.h"
#include "storage/Text.h"
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamWriter>

namespace payments {
namespace {
const QString kIsoNs = QStringLiteral("urn:iso:std:iso:20022:tech:xsd:pain.008.001.08");
const QString kBodyNs = QStringLiteral("urn:CBI:xsd:CBIBdySDDReq.00.01.01");
const QString kLogNs = QStringLiteral("urn:CBI:xsd:CBISDDReqLogMsg.00.01.01");

QString Decimal(qint64 tenThousandths) {
    const qint64 cents = (tenThousandths + 50) / 100;
    return QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

QDate EasterSunday(int y) {
    // Anonymous Gregorian algorithm.
    const int a = y % 19, b = y / 100, c = y % 100, d = b / 4, e = b % 4, f = (b + 8) / 25, g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30, i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    return QDate(y, (h + l - 7 * m + 114) / 31, (h + l - 7 * m + 114) % 31 + 1);
}

// Writes the elements of the logical message (group header and payment blocks) in namespace `ns`.
class MessageWriter {
public:
    MessageWriter(QXmlStreamWriter& w, const QString& ns) : m_w(w), m_ns(ns) {}
    void Start(const char* name) { m_w.writeStartElement(m_ns, QLatin1String(name)); }
    void End() { m_w.writeEndElement(); }
    void Text(const char* name, const QString& value) { m_w.writeTextElement(m_ns, QLatin1String(name), value); }
    void Amount(const char* name, qint64 v) {
        Start(name);
        m_w.writeAttribute(QStringLiteral("Ccy"), QStringLiteral("EUR"));
        m_w.writeCharacters(Decimal(v));
        End();
    }
    void OrgOther(const QString& id, const QString& issuer) {
        Start("Id");
        Start("OrgId");
        Start("Othr");
        Text("Id", id);
        if (!issuer.isEmpty())
            Text("Issr", issuer);
        End();
        End();
        End();
    }
    void Agent(const char* name, const QString& abi) {
        Start(name);
        Start("FinInstnId");
        if (!abi.isEmpty()) {
            Start("ClrSysMmbId");
            Text("MmbId", abi);
            End();
        } else {
            Start("Othr");
            Text("Id", QStringLiteral("NOTPROVIDED"));
            End();
        }
        End();
        End();
    }
    void Account(const char* name, const QString& iban) {
        Start(name);
        Start("Id");
        Text("IBAN", iban);
        End();
        End();
    }

    void Message(const SddHeader& h, const SddPlan& plan, bool cbi) {
        Start("GrpHdr");
        Text("MsgId", h.messageId);
        Text("CreDtTm", h.created.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
        Text("NbOfTxs", QString::number(plan.collections.size()));
        Text("CtrlSum", Decimal(plan.Total()));
        Start("InitgPty");
        Text("Nm", SepaText(h.creditorName, 70));
        if (!h.creditor.cuc.isEmpty())
            OrgOther(h.creditor.cuc, QStringLiteral("CBI"));
        End();
        End();
        int block = 0;
        for (Sequence seq : {Sequence::First, Sequence::Recurring}) {
            QVector<const SddCollection*> in;
            qint64 sum = 0;
            for (const SddCollection& c : plan.collections)
                if (c.sequence == seq) {
                    in << &c;
                    sum += c.amount;
                }
            if (in.isEmpty())
                continue;
            Start("PmtInf");
            Text("PmtInfId", SepaText(h.messageId, 30) + QStringLiteral("-") + QString::number(++block));
            Text("PmtMtd", QStringLiteral("DD"));
            if (!cbi) {
                Text("NbOfTxs", QString::number(in.size()));
                Text("CtrlSum", Decimal(sum));
            }
            Start("PmtTpInf");
            Start("SvcLvl");
            Text("Cd", QStringLiteral("SEPA"));
            End();
            Start("LclInstrm");
            Text("Cd", QStringLiteral("CORE"));
            End();
            Text("SeqTp", seq == Sequence::First ? QStringLiteral("FRST") : QStringLiteral("RCUR"));
            End();
            Text("ReqdColltnDt", h.dueDate.toString(Qt::ISODate));
            Start("Cdtr");
            Text("Nm", SepaText(h.creditorName, 70));
            End();
            Account("CdtrAcct", h.creditor.iban);
            // Italian banks know the creditor's bank by its ABI code, the IBAN's characters 6 to 10.
            Agent("CdtrAgt", cbi ? h.creditor.iban.mid(5, 5) : QString());
            Text("ChrgBr", QStringLiteral("SLEV"));
            Start("CdtrSchmeId");
            Start("Id");
            Start("PrvtId");
            Start("Othr");
            Text("Id", h.creditor.creditorId);
            Start("SchmeNm");
            Text("Prtry", QStringLiteral("SEPA"));
            End();
            End();
            End();
            End();
            End();
            for (const SddCollection* c : in) {
                Start("DrctDbtTxInf");
                Start("PmtId");
                if (cbi)
                    Text("InstrId", QString::number(c - plan.collections.constData() + 1));
                Text("EndToEndId", c->endToEnd);
                End();
                Amount("InstdAmt", c->amount);
                Start("DrctDbtTx");
                Start("MndtRltdInf");
                Text("MndtId", c->mandateId);
                Text("DtOfSgntr", c->signedOn.toString(Qt::ISODate));
                End();
                End();
                Agent("DbtrAgt", QString());
                Start("Dbtr");
                Text("Nm", SepaText(c->payer, 70));
                End();
                Account("DbtrAcct", c->iban);
                Start("RmtInf");
                Text("Ustrd", c->remittance);
                End();
                End();
            }
            End();
        }
    }

private:
    QXmlStreamWriter& m_w;
    QString m_ns;
};
} // namespace

qint64 SddPlan::Total() const {
    qint64 t = 0;
    for (const SddCollection& c : collections)
        t += c.amount;
    return t;
}

QString SepaText(const QString& s, int max) {
    static const QString extra = QStringLiteral("/-?:().,'+ ");
    QString out;
    const QString plain = s.normalized(QString::NormalizationForm_KD);
    for (QChar c : plain) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        const ushort u = c.unicode();
        const bool ok = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') ||
                        extra.contains(c);
        if (!ok && u == '&')
            out += QLatin1Char('+');
        else
            out += ok ? c : QChar(u' ');
    }
    return TrimText(out.simplified()).left(max).trimmed();
}

QString EndToEndId(const fees::FeeMonth& m, qint64 card, const QString& child) {
    QString letters;
    for (QChar c : UpperAZ(SepaText(child, 70)))
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            letters += c;
    const QString head = QStringLiteral("RT%1%2C%3").arg(m.year).arg(m.TwoDigits()).arg(card);
    return (head + QLatin1Char('-') + letters).left(35);
}

std::optional<EndToEndRef> ParseEndToEndId(const QString& id) {
    static const QRegularExpression re(QStringLiteral("^RT(\\d{4})(\\d{2})C(\\d{1,9})(-|$)"));
    const auto match = re.match(TrimText(id));
    if (!match.hasMatch())
        return std::nullopt;
    EndToEndRef r;
    r.month.year = match.captured(1).toInt();
    r.month.month = match.captured(2).toInt();
    r.card = match.captured(3).toLongLong();
    if (r.month.month < 1 || r.month.month > 12 || r.card < 1)
        return std::nullopt;
    return r;
}

QString RemittanceText(const fees::FeeMonth& m, const QString& child, const QString& taxCode) {
    QString text = QStringLiteral("Retta %1 %2 %3").arg(m.Name()).arg(m.year).arg(UpperAZ(SepaText(child, 140)));
    if (!taxCode.isEmpty())
        text += QStringLiteral(" CF ") + UpperAZ(taxCode);
    return SepaText(text, 140);
}

bool IsBankHoliday(const QDate& d) {
    if (d.dayOfWeek() >= 6)
        return true;
    const int md = d.month() * 100 + d.day();
    if (md == 101 || md == 501 || md == 1225 || md == 1226)
        return true;
    const QDate easter = EasterSunday(d.year());
    return d == easter.addDays(-2) || d == easter.addDays(1);
}

QDate EarliestDueDate(const QDate& today) {
    QDate d = today.addDays(1);
    while (IsBankHoliday(d))
        d = d.addDays(1);
    return d;
}

QDate LatestDeliveryDate(const QDate& due) {
    QDate d = due.addDays(-1);
    while (IsBankHoliday(d))
        d = d.addDays(-1);
    return d;
}

SddPlan PlanCollections(const QVector<fees::FeeLine>& lines, const QVector<int>& which, const Mandates& mandates,
                        const fees::FeeMonth& m) {
    SddPlan plan;
    for (int idx : which) {
        const fees::FeeLine& line = lines[idx];
        auto leave = [&](const QString& reason) { plan.leftOut.push_back({idx, line.parent, line.child, reason}); };
        if (line.state == fees::LineState::Paid) {
            leave(QStringLiteral("già pagata"));
            continue;
        }
        if (line.state == fees::LineState::InDebit) {
            leave(QStringLiteral("già in addebito SDD: ") + line.heldBy);
            continue;
        }
        if (!fees::Issuable(line)) {
            leave(line.reason.isEmpty() ? QStringLiteral("non addebitabile") : line.reason);
            continue;
        }
        const qint64 owed = fees::Owed(line);
        if (owed <= 0) {
            leave(QStringLiteral("importo della retta non leggibile"));
            continue;
        }
        const auto mandate = mandates.Of(line.taxCode);
        if (!mandate) {
            leave(QStringLiteral("nessun mandato SDD per il codice fiscale %1").arg(line.taxCode));
            continue;
        }
        if (!IsValidIban(mandate->iban)) {
            leave(QStringLiteral("l'IBAN del mandato non è valido"));
            continue;
        }
        if (!mandate->signedOn.isValid()) {
            leave(QStringLiteral("il mandato non ha una data di firma valida"));
            continue;
        }
        SddCollection c;
        c.line = idx;
        c.card = line.card;
        c.payer = line.parent;
        c.taxCode = UpperAZ(line.taxCode);
        c.child = line.child;
        c.iban = mandate->iban;
        c.mandateId = mandate->id;
        c.signedOn = mandate->signedOn;
        c.sequence = mandate->firstDone ? Sequence::Recurring : Sequence::First;
        c.amount = owed;
        c.endToEnd = EndToEndId(m, line.card, line.child);
        c.remittance = RemittanceText(m, line.child, line.taxCode);
        plan.collections.push_back(c);
    }
    return plan;
}

QByteArray BuildSddXml(const SddHeader& header, const SddPlan& plan, PaymentSettings::SddFormat format) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument();
    if (format == PaymentSettings::SddFormat::Iso) {
        w.writeDefaultNamespace(kIsoNs);
        w.writeStartElement(kIsoNs, QStringLiteral("Document"));
        w.writeStartElement(kIsoNs, QStringLiteral("CstmrDrctDbtInitn"));
        MessageWriter(w, kIsoNs).Message(header, plan, false);
        w.writeEndElement();
        w.writeEndElement();
    } else {
        w.writeNamespace(kBodyNs, QStringLiteral("BODY"));
        w.writeNamespace(kLogNs, QStringLiteral("PMRQ"));
        w.writeStartElement(kBodyNs, QStringLiteral("CBIBdySDDReq"));
        w.writeStartElement(kBodyNs, QStringLiteral("PhyMsgInf"));
        w.writeTextElement(kBodyNs, QStringLiteral("PhyMsgTpCd"), QStringLiteral("INC-SDDC-01"));
        w.writeTextElement(kBodyNs, QStringLiteral("NbOfLogMsg"), QStringLiteral("1"));
        w.writeEndElement();
        w.writeStartElement(kBodyNs, QStringLiteral("CBIEnvelSDDReqLogMsg"));
        w.writeStartElement(kBodyNs, QStringLiteral("CBISDDReqLogMsg"));
        MessageWriter(w, kLogNs).Message(header, plan, true);
        w.writeEndElement();
        w.writeEndElement();
        w.writeEndElement();
    }
    w.writeEndDocument();
    return out;
}

namespace {
QString Col(const QString& s, int width) {
    return s.left(width).leftJustified(width);
}
QString Euro(qint64 v) {
    const qint64 cents = (v + 50) / 100;
    return QStringLiteral("%1,%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}
} // namespace

QStringList SddListLines(const SddPlan& plan) {
    QStringList out;
    out << Col(QStringLiteral("Pagatore"), 26) + QStringLiteral("  ") + Col(QStringLiteral("Minore"), 24) +
               QStringLiteral("  ") + Col(QStringLiteral("IBAN"), 33) + QStringLiteral("  Tipo  ") +
               QStringLiteral("    Importo");
    for (const SddCollection& c : plan.collections)
        out << Col(c.payer, 26) + QStringLiteral("  ") + Col(c.child, 24) + QStringLiteral("  ") +
                   Col(MaskIban(c.iban), 33) + QStringLiteral("  ") +
                   (c.sequence == Sequence::First ? QStringLiteral("FRST") : QStringLiteral("RCUR")) +
                   QStringLiteral("  ") + Euro(c.amount).rightJustified(11);
    out << QString()
        << QStringLiteral("Addebiti: %1   Totale: € %2").arg(plan.collections.size()).arg(Euro(plan.Total()));
    if (!plan.leftOut.isEmpty()) {
        out << QString() << QStringLiteral("Righe escluse:");
        for (const SddLeftOut& l : plan.leftOut)
            out << Col(l.payer, 26) + QStringLiteral("  ") + Col(l.child, 24) + QStringLiteral("  ") + l.reason;
    }
    return out;
}

QString NextSddPath(const QString& programFolder, const fees::FeeMonth& m) {
    for (int n = 1;; ++n) {
        const QString path = programFolder + QStringLiteral("SDD/SDD_%1_%2_%3.xml").arg(m.year).arg(m.TwoDigits()).arg(n);
        if (!QFileInfo::exists(path))
            return path;
    }
}

} // namespace payments
