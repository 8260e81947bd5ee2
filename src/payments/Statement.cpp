#include "payments/Statement.h"
#include "payments/SddFile.h"
#include "registry/CardImport.h"
#include "storage/Dates.h"
#include "storage/Text.h"
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <memory>

namespace payments {
namespace {

// A small element tree by local names: a statement is read whole (a month is a few thousand entries),
// and the CBI envelope or the namespaces' versions do not matter to what is looked up.
struct Node {
    QString name, text, ccy;
    std::vector<std::unique_ptr<Node>> children;
    const Node* Child(const char* n) const {
        for (const auto& c : children)
            if (c->name == QLatin1String(n))
                return c.get();
        return nullptr;
    }
    QVector<const Node*> All(const char* n) const {
        QVector<const Node*> out;
        for (const auto& c : children)
            if (c->name == QLatin1String(n))
                out << c.get();
        return out;
    }
    // The text at a path of child names ("Refs/EndToEndId"); empty when a step is missing.
    QString At(const char* path) const {
        const Node* n = this;
        for (const QByteArray& step : QByteArray(path).split('/')) {
            n = n->Child(step.constData());
            if (!n)
                return QString();
        }
        return TrimText(n->text);
    }
    const Node* Find(const char* n) const {
        if (name == QLatin1String(n))
            return this;
        for (const auto& c : children)
            if (const Node* f = c->Find(n))
                return f;
        return nullptr;
    }
};

std::unique_ptr<Node> Parse(const QByteArray& xml, QString* error) {
    QXmlStreamReader r(xml);
    auto root = std::make_unique<Node>();
    QVector<Node*> stack{root.get()};
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            auto n = std::make_unique<Node>();
            n->name = r.name().toString();
            n->ccy = r.attributes().value(QLatin1String("Ccy")).toString();
            Node* raw = n.get();
            stack.last()->children.push_back(std::move(n));
            stack << raw;
        } else if (r.isEndElement()) {
            stack.removeLast();
        } else if (r.isCharacters() && !r.isWhitespace()) {
            stack.last()->text += r.text();
        }
    }
    if (r.hasError()) {
        *error = QStringLiteral("il file è danneggiato o incompleto (%1, riga %2).")
                     .arg(r.errorString())
                     .arg(r.lineNumber());
        return nullptr;
    }
    return root;
}

std::optional<qint64> XmlAmount(const QString& text) {
    static const QRegularExpression re(QStringLiteral("^(\\d{1,12})(?:\\.(\\d{1,5}))?$"));
    const auto m = re.match(TrimText(text));
    if (!m.hasMatch())
        return std::nullopt;
    const QString frac = m.captured(2).leftJustified(4, u'0').left(4);
    return m.captured(1).toLongLong() * 10000 + frac.toLongLong();
}

QDate XmlDate(const Node* n) {
    if (!n)
        return QDate();
    QString t = n->At("Dt");
    if (t.isEmpty())
        t = n->At("DtTm").left(10);
    return QDate::fromString(t, Qt::ISODate);
}

QString Remittance(const Node* tx) {
    QStringList parts;
    if (const Node* rmt = tx ? tx->Child("RmtInf") : nullptr)
        for (const Node* u : rmt->All("Ustrd"))
            parts << TrimText(u->text);
    return parts.join(QLatin1Char(' '));
}

} // namespace

QString ReturnReasonText(const QString& code) {
    static const QHash<QString, QString> table = {
        {"AC01", QStringLiteral("IBAN errato")},
        {"AC04", QStringLiteral("conto chiuso")},
        {"AC06", QStringLiteral("conto bloccato")},
        {"AC13", QStringLiteral("conto di un consumatore non ammesso")},
        {"AG01", QStringLiteral("addebito non consentito sul conto")},
        {"AG02", QStringLiteral("codice operazione non valido")},
        {"AM04", QStringLiteral("fondi insufficienti")},
        {"AM05", QStringLiteral("addebito duplicato")},
        {"BE05", QStringLiteral("creditore non riconosciuto")},
        {"FF01", QStringLiteral("formato non valido")},
        {"MD01", QStringLiteral("mandato assente")},
        {"MD02", QStringLiteral("dati del mandato mancanti o errati")},
        {"MD06", QStringLiteral("rimborso richiesto dal debitore")},
        {"MD07", QStringLiteral("debitore deceduto")},
        {"MS02", QStringLiteral("rifiutato dal debitore")},
        {"MS03", QStringLiteral("motivo non indicato dalla banca")},
        {"RC01", QStringLiteral("codice BIC errato")},
        {"RR01", QStringLiteral("dati del debitore mancanti")},
        {"SL01", QStringLiteral("servizio specifico della banca del debitore")},
    };
    const QString c = UpperAZ(TrimText(code));
    return table.value(c, c.isEmpty() ? QStringLiteral("motivo non indicato") : c);
}

StatementData ReadCamt053(const QByteArray& xml) {
    StatementData out;
    QString error;
    const auto root = Parse(xml, &error);
    if (!root) {
        out.error = error;
        return out;
    }
    const Node* doc = root->children.empty() ? nullptr : root->children.front().get();
    const Node* stmtRoot = root->Find("BkToCstmrStmt");
    // Inside the CBI envelope the statement sits in the logical message, without BkToCstmrStmt.
    const Node* firstStmt = root->Find("Stmt");
    if (!doc || !firstStmt) {
        out.error = QStringLiteral("il file non è un estratto conto (camt.053).");
        return out;
    }
    out.format = stmtRoot && doc->name == QLatin1String("Document") ? QStringLiteral("camt.053")
                                                                   : QStringLiteral("camt.053 (CBI)");
    const Node* parent = stmtRoot ? stmtRoot : nullptr;
    QVector<const Node*> stmts;
    if (parent)
        stmts = parent->All("Stmt");
    else {
        // Every Stmt of the envelope, wherever the logical messages put them.
        std::function<void(const Node*)> collect = [&](const Node* n) {
            for (const auto& c : n->children) {
                if (c->name == QLatin1String("Stmt"))
                    stmts << c.get();
                else
                    collect(c.get());
            }
        };
        collect(root.get());
    }
    for (const Node* stmt : stmts) {
        const QString accountCcy = stmt->At("Acct/Ccy");
        if (!accountCcy.isEmpty() && accountCcy != QLatin1String("EUR")) {
            out.error = QStringLiteral("l'estratto conto è in un'altra valuta (%1): si leggono solo conti in euro.")
                            .arg(accountCcy);
            return out;
        }
        for (const Node* e : stmt->All("Ntry")) {
            const Node* amt = e->Child("Amt");
            const auto entryAmount = amt ? XmlAmount(amt->text) : std::nullopt;
            if (!entryAmount) {
                out.error = QStringLiteral("l'estratto conto è danneggiato: un movimento non ha un importo leggibile.");
                return out;
            }
            if (!amt->ccy.isEmpty() && amt->ccy != QLatin1String("EUR")) {
                out.error = QStringLiteral("l'estratto conto contiene movimenti in un'altra valuta (%1).").arg(amt->ccy);
                return out;
            }
            const QString sts = e->At("Sts").isEmpty() ? e->At("Sts/Cd") : e->At("Sts");
            if (!sts.isEmpty() && sts != QLatin1String("BOOK"))
                continue; // pending or informative entries are not money on the account yet
            const bool credit = e->At("CdtDbtInd") == QLatin1String("CRDT");
            const bool reversal = e->At("RvslInd") == QLatin1String("true");
            const QDate booked = XmlDate(e->Child("BookgDt"));
            const QDate value = XmlDate(e->Child("ValDt"));
            const QString family = e->At("BkTxCd/Domn/Fmly/Cd");
            const QString entryRef = !e->At("AcctSvcrRef").isEmpty() ? e->At("AcctSvcrRef") : e->At("NtryRef");
            QVector<const Node*> txs;
            for (const Node* d : e->All("NtryDtls"))
                txs += d->All("TxDtls");
            const bool single = txs.size() <= 1;
            if (txs.isEmpty())
                txs << nullptr;
            int k = 0;
            for (const Node* tx : txs) {
                ++k;
                qint64 amount = *entryAmount;
                if (tx && !single) {
                    const QString t = !tx->At("AmtDtls/TxAmt/Amt").isEmpty() ? tx->At("AmtDtls/TxAmt/Amt")
                                                                               : tx->At("Amt");
                    const auto a = XmlAmount(t);
                    if (!a) {
                        out.error = QStringLiteral("l'estratto conto è danneggiato: una riga di dettaglio non ha un "
                                                   "importo leggibile.");
                        return out;
                    }
                    amount = *a;
                }
                const QString e2e = tx ? tx->At("Refs/EndToEndId") : QString();
                const QString payer = tx ? (!tx->At("RltdPties/Dbtr/Nm").isEmpty() ? tx->At("RltdPties/Dbtr/Nm")
                                                                                 : tx->At("RltdPties/Dbtr/Pty/Nm"))
                                         : QString();
                const bool returned = (tx && tx->Child("RtrInf")) || (reversal && !credit);
                if (!credit) {
                    if (returned || ParseEndToEndId(e2e)) {
                        ReturnedDebit r;
                        r.booked = booked;
                        r.amount = amount;
                        r.endToEnd = e2e;
                        r.payer = payer;
                        r.reasonCode = tx ? tx->At("RtrInf/Rsn/Cd") : QString();
                        r.reason = ReturnReasonText(r.reasonCode);
                        out.returns << r;
                    } else {
                        ++out.debits;
                    }
                    continue;
                }
                Movement m;
                m.booked = booked;
                m.value = value.isValid() ? value : booked;
                m.amount = amount;
                m.payer = payer;
                m.remittance = Remittance(tx);
                if (m.remittance.isEmpty())
                    m.remittance = e->At("AddtlNtryInf");
                m.endToEnd = e2e == QLatin1String("NOTPROVIDED") ? QString() : e2e;
                const QString txRef = tx ? tx->At("Refs/AcctSvcrRef") : QString();
                m.bankRef = !txRef.isEmpty() ? txRef
                            : entryRef.isEmpty() ? QString()
                            : single ? entryRef
                                     : entryRef + QStringLiteral("/") + QString::number(k);
                m.directDebit = family == QLatin1String("RDDT") || ParseEndToEndId(m.endToEnd).has_value();
                out.credits << m;
            }
        }
    }
    if (out.credits.isEmpty()) {
        out.error = out.returns.isEmpty() && out.debits == 0
                        ? QStringLiteral("l'estratto conto non contiene movimenti.")
                        : QStringLiteral("l'estratto conto contiene solo addebiti: nessun incasso da registrare.");
        return out;
    }
    return out;
}

QVector<CsvRole> GuessCsvRoles(const QStringList& header) {
    QVector<CsvRole> roles;
    bool haveDate = false;
    for (const QString& cell : header) {
        const QString h = MatchFold(cell);
        CsvRole r = CsvRole::None;
        if (h.contains(QLatin1String("valuta")) && h.contains(QLatin1String("data")))
            r = CsvRole::ValueDate;
        else if (h.startsWith(QLatin1String("data")) && !haveDate)
            r = CsvRole::Date;
        else if (h == QLatin1String("divisa") || h == QLatin1String("valuta") || h == QLatin1String("currency"))
            r = CsvRole::Currency;
        else if (h.startsWith(QLatin1String("descrizione")) || h.startsWith(QLatin1String("causale")) ||
                 h.startsWith(QLatin1String("dettagli")) || h.startsWith(QLatin1String("operazione")))
            r = CsvRole::Description;
        else if (h.startsWith(QLatin1String("importo")) || h == QLatin1String("amount"))
            r = CsvRole::Amount;
        else if (h.startsWith(QLatin1String("dare")) || h.startsWith(QLatin1String("addebit")) ||
                 h.startsWith(QLatin1String("uscit")))
            r = CsvRole::Debit;
        else if (h.startsWith(QLatin1String("avere")) || h.startsWith(QLatin1String("accredit")) ||
                 h.startsWith(QLatin1String("entrat")))
            r = CsvRole::Credit;
        else if (h.startsWith(QLatin1String("ordinante")) || h.startsWith(QLatin1String("controparte")))
            r = CsvRole::Payer;
        if (r == CsvRole::Date)
            haveDate = true;
        if (r != CsvRole::None && roles.contains(r) && r != CsvRole::Description)
            r = CsvRole::None; // the first column of a role wins
        roles << r;
    }
    return roles;
}

QString CsvRoleName(CsvRole role) {
    switch (role) {
    case CsvRole::None: return QStringLiteral("(non usata)");
    case CsvRole::Date: return QStringLiteral("Data");
    case CsvRole::ValueDate: return QStringLiteral("Data valuta");
    case CsvRole::Description: return QStringLiteral("Descrizione");
    case CsvRole::Amount: return QStringLiteral("Importo (con segno)");
    case CsvRole::Debit: return QStringLiteral("Dare (addebiti)");
    case CsvRole::Credit: return QStringLiteral("Avere (accrediti)");
    case CsvRole::Payer: return QStringLiteral("Ordinante");
    case CsvRole::Currency: return QStringLiteral("Divisa");
    }
    return QString();
}

std::optional<qint64> ParseBankAmount(const QString& text) {
    QString t = TrimText(text);
    t.remove(QChar(0x20AC)).remove(QLatin1String("EUR")).remove(QLatin1Char(' ')).remove(QChar(0xA0));
    bool negative = false;
    if (t.startsWith(u'(') && t.endsWith(u')')) {
        negative = true;
        t = t.mid(1, t.size() - 2);
    }
    if (t.startsWith(u'-') || t.startsWith(u'+')) {
        negative = negative || t.startsWith(u'-');
        t = t.mid(1);
    } else if (t.endsWith(u'-')) {
        negative = true;
        t.chop(1);
    }
    static const QRegularExpression it(QStringLiteral("^\\d{1,3}(\\.\\d{3})*(,\\d{1,4})?$|^\\d+(,\\d{1,4})?$"));
    static const QRegularExpression en(QStringLiteral("^\\d{1,3}(,\\d{3})*(\\.\\d{1,4})?$|^\\d+(\\.\\d{1,4})?$"));
    QString intPart, frac;
    if (it.match(t).hasMatch()) {
        const int comma = t.indexOf(u',');
        intPart = (comma < 0 ? t : t.left(comma)).remove(u'.');
        frac = comma < 0 ? QString() : t.mid(comma + 1);
    } else if (en.match(t).hasMatch()) {
        const int dot = t.indexOf(u'.');
        intPart = (dot < 0 ? t : t.left(dot)).remove(u',');
        frac = dot < 0 ? QString() : t.mid(dot + 1);
    } else {
        return std::nullopt;
    }
    if (intPart.isEmpty() || intPart.size() > 12)
        return std::nullopt;
    const qint64 v = intPart.toLongLong() * 10000 + frac.leftJustified(4, u'0').toLongLong();
    return negative ? -v : v;
}

StatementData ReadBankCsv(const CsvSheet& sheet, const QVector<CsvRole>& roles, int* skipped) {
    StatementData out;
    out.format = QStringLiteral("CSV");
    auto col = [&](CsvRole r) { return roles.indexOf(r); };
    const int date = col(CsvRole::Date), valueDate = col(CsvRole::ValueDate), amount = col(CsvRole::Amount);
    const int debit = col(CsvRole::Debit), credit = col(CsvRole::Credit), currency = col(CsvRole::Currency);
    const int payer = col(CsvRole::Payer);
    if ((date < 0 && valueDate < 0) || (amount < 0 && credit < 0)) {
        out.error = QStringLiteral("non si riconoscono le colonne della data e dell'importo: indicarle nella tabella "
                                   "delle colonne.");
        return out;
    }
    int bad = 0;
    for (int i = 1; i < sheet.rows.size(); ++i) {
        const QStringList& row = sheet.rows[i];
        auto cell = [&](int c) { return c >= 0 ? TrimText(row.value(c)) : QString(); };
        QString d1, d2, why;
        const bool okDate = NormaliseImportDate(cell(date >= 0 ? date : valueDate), &d1, &why);
        const bool okValue = valueDate >= 0 && NormaliseImportDate(cell(valueDate), &d2, &why);
        std::optional<qint64> v;
        if (amount >= 0) {
            v = ParseBankAmount(cell(amount));
        } else {
            const QString c = cell(credit), d = cell(debit);
            if (!c.isEmpty()) {
                v = ParseBankAmount(c);
                if (v)
                    v = qAbs(*v);
            } else if (!d.isEmpty()) {
                v = ParseBankAmount(d);
                if (v)
                    v = -qAbs(*v);
            }
        }
        if (!okDate || !v) {
            ++bad;
            continue;
        }
        const QString ccy = UpperAZ(cell(currency));
        if (!ccy.isEmpty() && ccy != QLatin1String("EUR")) {
            out.error = QStringLiteral("l'estratto conto contiene movimenti in un'altra valuta (%1).").arg(ccy);
            out.credits.clear();
            return out;
        }
        if (*v <= 0) {
            ++out.debits;
            continue;
        }
        QStringList desc;
        for (int c = 0; c < roles.size(); ++c)
            if (roles[c] == CsvRole::Description && !cell(c).isEmpty())
                desc << cell(c);
        Movement m;
        m.booked = ParseDate(d1);
        m.value = okValue ? ParseDate(d2) : m.booked;
        m.amount = *v;
        m.payer = cell(payer);
        m.remittance = desc.join(QLatin1Char(' '));
        static const QRegularExpression e2e(QStringLiteral("\\bRT\\d{6}C\\d{1,9}-[A-Z]*"));
        m.endToEnd = e2e.match(UpperAZ(m.remittance)).captured(0);
        m.directDebit = !m.endToEnd.isEmpty();
        out.credits << m;
    }
    if (skipped)
        *skipped = bad;
    if (out.credits.isEmpty())
        out.error = out.debits > 0 ? QStringLiteral("l'estratto conto contiene solo addebiti: nessun incasso da "
                                                    "registrare.")
                                   : QStringLiteral("il file non contiene movimenti leggibili.");
    return out;
}

StatementData ReadStatementFile(const QString& path, const QString& office, ProgramRunner& runner,
                                CsvSheet* sheetOut, QVector<CsvRole>* rolesOut) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        StatementData out;
        out.error = QStringLiteral("impossibile leggere il file.");
        return out;
    }
    const QByteArray head = f.peek(512);
    const QByteArray trimmed = head.startsWith("\xEF\xBB\xBF") ? head.mid(3).trimmed() : head.trimmed();
    if (trimmed.startsWith('<'))
        return ReadCamt053(f.readAll());
    f.close();
    const CsvSheet sheet = ReadSheetFile(path, office, runner);
    if (!sheet.error.isEmpty() || sheet.rows.size() < 2) {
        StatementData out;
        out.error = sheet.error.isEmpty() ? QStringLiteral("il file non è un estratto conto riconosciuto.")
                                          : sheet.error;
        return out;
    }
    const QVector<CsvRole> roles = GuessCsvRoles(sheet.rows.first());
    if (sheetOut)
        *sheetOut = sheet;
    if (rolesOut)
        *rolesOut = roles;
    return ReadBankCsv(sheet, roles);
}

} // namespace payments
