#include "einvoice/Invoice.h"
#include "einvoice/LatinText.h"
#include "storage/Text.h"
#include "validators/PayerCode.h"
#include <QXmlStreamWriter>

namespace {

// Brings one text field into the schema's letters and length; on failure sets the error once.
class FieldCheck {
public:
    FieldCheck(const QString& receipt, QStringList& notes, QString& error)
        : m_receipt(receipt), m_notes(notes), m_error(error) {}

    QString operator()(const QString& label, const QString& value, int maxLen, bool required,
                       CharRange range = CharRange::Latin1, bool cut = false) {
        if (!m_error.isEmpty())
            return QString();
        const LatinResult r = ToSchemaLatin(value, range);
        if (!r.missing.isEmpty()) {
            Fail(QStringLiteral("il campo \"%1\" contiene caratteri che la fattura elettronica non ammette (%2).")
                     .arg(label, r.missing));
            return QString();
        }
        QString text = r.text;
        if (required && text.isEmpty()) {
            Fail(QStringLiteral("manca il campo \"%1\".").arg(label));
            return QString();
        }
        if (text.size() > maxLen) {
            if (!cut) {
                Fail(QStringLiteral("il campo \"%1\" supera i %2 caratteri ammessi.").arg(label).arg(maxLen));
                return QString();
            }
            text = text.left(maxLen).trimmed();
        }
        if (r.changed || text != r.text)
            m_notes << QStringLiteral("%1: \"%2\" scritto come \"%3\"").arg(label, TrimText(value), text);
        return text;
    }
    void Fail(const QString& what) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("Ricevuta n. %1: %2").arg(m_receipt, what);
    }

private:
    QString m_receipt;
    QStringList& m_notes;
    QString& m_error;
};

QDate ParseDate(const QString& s) {
    return QDate::fromString(TrimText(s), QStringLiteral("dd/MM/yyyy"));
}
} // namespace

QString Invoice::FileName() const {
    return QStringLiteral("IT%1_%2.xml").arg(school.TransmitterCode(), progressivo);
}

std::optional<qint64> ReceiptCents(const ReceiptRecord& r) {
    const QString euro = TrimText(r.Importo).isEmpty() ? QStringLiteral("0") : TrimText(r.Importo);
    const QString cents = TrimText(r.Cents).isEmpty() ? QStringLiteral("00") : TrimText(r.Cents);
    if (!OnlyDigits(euro) || euro.size() > 9 || !OnlyDigits(cents) || cents.size() != 2)
        return std::nullopt;
    return euro.toLongLong() * 100 + cents.toLongLong();
}

QString PaymentMethodCode(const QString& method) {
    const QString m = method.toLower();
    if (m.contains(QLatin1String("bonifico")))
        return QStringLiteral("MP05");
    if (m.contains(QLatin1String("contant")))
        return QStringLiteral("MP01");
    if (m.contains(QLatin1String("assegno")))
        return QStringLiteral("MP02");
    if (m.contains(QLatin1String("carta")) || m.contains(QLatin1String("bancomat")))
        return QStringLiteral("MP08");
    return QString();
}

QString ProgressivoText(int n) {
    return QString::number(n).rightJustified(5, QLatin1Char('0'));
}

std::optional<std::pair<QString, QString>> SplitSurnameName(const QString& fullName) {
    const QStringList words = TrimText(fullName).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() != 2)
        return std::nullopt;
    return std::make_pair(words[0], words[1]);
}

QString InvoiceRefusal(const ReceiptRecord& r) {
    if (IsCancelled(r))
        return QStringLiteral("la ricevuta è annullata: nessuna fattura.");
    const std::optional<qint64> cents = ReceiptCents(r);
    if (!cents)
        return QStringLiteral("l'importo \"%1\" non è leggibile.").arg(TrimText(r.Intero));
    if (*cents <= 0)
        return QStringLiteral("l'importo è zero: nessuna fattura.");
    return CheckPayerCode(r.CodFisc);
}

QString InvoiceLineText(const ReceiptRecord& receipt, const QString& childTaxCode) {
    static const char* const kMonths[] = {"gennaio", "febbraio", "marzo",     "aprile",  "maggio",   "giugno",
                                          "luglio",  "agosto",   "settembre", "ottobre", "novembre", "dicembre"};
    QString text = TrimText(receipt.Sport);
    QString typedPeriod; // a period that is not two valid dates stays at the end as typed
    const QDate from = ParseDate(TrimText(receipt.Dal)), to = ParseDate(TrimText(receipt.Al));
    if (from.isValid() && to.isValid() && from <= to) {
        // The months of the period, unless the cause already names them; the year, unless it says it.
        const QString lower = text.toLower();
        const QString first = QString::fromLatin1(kMonths[from.month() - 1]);
        const QString last = QString::fromLatin1(kMonths[to.month() - 1]);
        const bool sameMonth = from.year() == to.year() && from.month() == to.month();
        if (!lower.contains(first) || !(sameMonth || lower.contains(last)))
            text += u' ' + (sameMonth                  ? first
                            : from.year() == to.year() ? first + u'-' + last
                                                       : first + u' ' + QString::number(from.year()) + u'-' + last);
        if (!lower.contains(QString::number(to.year())))
            text += u' ' + QString::number(to.year());
        text = TrimText(text);
    } else if (!TrimText(receipt.Dal).isEmpty() || !TrimText(receipt.Al).isEmpty()) {
        typedPeriod = QStringLiteral(" dal %1 al %2").arg(TrimText(receipt.Dal), TrimText(receipt.Al));
    }
    if (const QString child = TrimText(receipt.Praticante); !child.isEmpty()) {
        text += QStringLiteral(" - ") + child;
        if (!TrimText(childTaxCode).isEmpty())
            text += QStringLiteral(", C.F. ") + TrimText(childTaxCode);
    }
    return text + typedPeriod;
}

std::optional<Invoice> BuildInvoice(const FiscalData& school, const ReceiptRecord& receipt, const InvoicePayer& payer,
                                    int progressivo, QString* error, const QString& childTaxCode) {
    Invoice inv;
    QString err;
    const QString number = TrimText(receipt.NumRic);
    FieldCheck field(number, inv.transliterated, err);
    auto done = [&]() -> std::optional<Invoice> {
        if (!err.isEmpty()) {
            if (error)
                *error = err;
            return std::nullopt;
        }
        return inv;
    };

    if (QString e = CheckFiscalData(school); !e.isEmpty()) {
        if (error)
            *error = e;
        return std::nullopt;
    }
    if (progressivo < 1 || progressivo > 99999) {
        if (error)
            *error = QStringLiteral("Il numero di trasmissione %1 è fuori dall'intervallo 1-99999: "
                                    "correggerlo nei dati fiscali.")
                         .arg(progressivo);
        return std::nullopt;
    }
    if (QString why = InvoiceRefusal(receipt); !why.isEmpty()) {
        field.Fail(why);
        return done();
    }
    const std::optional<qint64> cents = ReceiptCents(receipt);
    inv.data = ParseDate(receipt.Data);
    if (!inv.data.isValid() || inv.data.year() < 1970) {
        field.Fail(QStringLiteral("la data \"%1\" non è valida.").arg(TrimText(receipt.Data)));
        return done();
    }

    // The school: its texts were checked for presence and form; here for letters and length.
    inv.school = school;
    inv.school.denominazione = field(QStringLiteral("Denominazione della scuola"), school.denominazione, 80, true);
    inv.school.indirizzo = field(QStringLiteral("Indirizzo della scuola"), school.indirizzo, 60, true);
    inv.school.comune = field(QStringLiteral("Comune della scuola"), school.comune, 60, true);
    inv.school.riferimentoNormativo =
        field(QStringLiteral("Riferimento normativo"), school.riferimentoNormativo, 100, true);
    inv.progressivo = ProgressivoText(progressivo);

    // The payer.
    const PayerCode payerCode = ReadPayerCode(receipt.CodFisc); // checked with the refusals above
    inv.payerCode = payerCode.code;
    inv.payerIsVat = payerCode.kind == PayerCodeKind::VatNumber;
    if (!payer.denominazione.isEmpty() || payer.cognome.isEmpty()) {
        inv.payer.denominazione = field(QStringLiteral("Denominazione del pagatore"), payer.denominazione, 80, true);
    } else {
        inv.payer.cognome = field(QStringLiteral("Cognome del pagatore"), payer.cognome, 60, true);
        inv.payer.nome = field(QStringLiteral("Nome del pagatore"), payer.nome, 60, true);
    }
    inv.payer.indirizzo =
        field(QStringLiteral("Indirizzo del pagatore"), payer.indirizzo, 60, true, CharRange::Latin1, true);
    inv.payer.comune = field(QStringLiteral("Comune del pagatore"), payer.comune, 60, true);
    inv.payer.nazione = UpperAZ(TrimText(payer.nazione));
    if (inv.payer.nazione.isEmpty())
        inv.payer.nazione = QStringLiteral("IT");
    if (err.isEmpty() && !TwoCapitals(inv.payer.nazione))
        field.Fail(QStringLiteral("la nazione del pagatore va indicata con il codice di due lettere (IT)."));
    inv.payer.cap = TrimText(payer.cap);
    if (err.isEmpty() && (inv.payer.cap.size() != 5 || !OnlyDigits(inv.payer.cap))) {
        // Foreign addresses carry the conventional 00000.
        if (inv.payer.nazione != QLatin1String("IT"))
            inv.payer.cap = QStringLiteral("00000");
        else
            field.Fail(QStringLiteral("il CAP del pagatore \"%1\" deve avere cinque cifre.").arg(inv.payer.cap));
    }
    inv.payer.provincia = UpperAZ(TrimText(payer.provincia));
    if (err.isEmpty() && !inv.payer.provincia.isEmpty() && !TwoCapitals(inv.payer.provincia))
        field.Fail(QStringLiteral("la provincia del pagatore va indicata con la sigla di due lettere."));

    // The document.
    inv.numero = field(QStringLiteral("Numero della ricevuta"), number, 20, true, CharRange::BasicLatin);
    const bool stampDue = *cents > StampThresholdCents;
    const bool stampCharged = stampDue && school.bolloACarico == FiscalData::StampBearer::Payer;
    inv.datiBollo = stampDue && school.bolloVirtuale;

    InvoiceLine fee;
    fee.dal = ParseDate(receipt.Dal);
    fee.al = ParseDate(receipt.Al);
    fee.descrizione = field(QStringLiteral("Causale"), InvoiceLineText(receipt, childTaxCode), 1000, true);
    if (!fee.dal.isValid() || !fee.al.isValid() || fee.al < fee.dal)
        fee.dal = fee.al = QDate(); // the period stays in the description only
    fee.cents = *cents;
    fee.natura = QStringLiteral("N4");
    inv.lines << fee;
    inv.summaries << InvoiceSummary{QStringLiteral("N4"), *cents, inv.school.riferimentoNormativo};
    inv.totalCents = *cents;
    if (stampCharged) {
        inv.lines << InvoiceLine{QStringLiteral("Imposta di bollo"), QDate(), QDate(), StampCents,
                                 QStringLiteral("N1")};
        inv.summaries << InvoiceSummary{QStringLiteral("N1"), StampCents, QStringLiteral("Escluso art. 15 DPR 633/72")};
        inv.totalCents += StampCents;
    }
    inv.modalitaPagamento = PaymentMethodCode(TrimText(receipt.Indirizzo));
    return done();
}

QString DecimalAmount(qint64 cents) {
    const QString sign = cents < 0 ? QStringLiteral("-") : QString();
    cents = qAbs(cents);
    return sign + QString::number(cents / 100) + QLatin1Char('.') +
           QString::number(cents % 100).rightJustified(2, QLatin1Char('0'));
}

QByteArray InvoiceXml(const Invoice& inv) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument(QStringLiteral("1.0"));
    const QString ns = QStringLiteral("http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2");
    w.writeNamespace(ns, QStringLiteral("p"));
    w.writeNamespace(QStringLiteral("http://www.w3.org/2000/09/xmldsig#"), QStringLiteral("ds"));
    w.writeStartElement(ns, QStringLiteral("FatturaElettronica"));
    w.writeAttribute(QStringLiteral("versione"), QStringLiteral("FPR12"));
    auto el = [&w](const char* name, const QString& text) { w.writeTextElement(QLatin1String(name), text); };
    auto open = [&w](const char* name) { w.writeStartElement(QLatin1String(name)); };
    auto close = [&w] { w.writeEndElement(); };
    auto address = [&](const QString& street, const QString& cap, const QString& town, const QString& prov,
                       const QString& country) {
        el("Indirizzo", street);
        el("CAP", cap);
        el("Comune", town);
        if (!prov.isEmpty())
            el("Provincia", prov);
        el("Nazione", country);
    };

    open("FatturaElettronicaHeader");
    open("DatiTrasmissione");
    open("IdTrasmittente");
    el("IdPaese", QStringLiteral("IT"));
    el("IdCodice", inv.school.TransmitterCode());
    close();
    el("ProgressivoInvio", inv.progressivo);
    el("FormatoTrasmissione", QStringLiteral("FPR12"));
    el("CodiceDestinatario", QStringLiteral("0000000"));
    close();

    open("CedentePrestatore");
    open("DatiAnagrafici");
    open("IdFiscaleIVA");
    el("IdPaese", QStringLiteral("IT"));
    el("IdCodice", inv.school.partitaIva);
    close();
    if (!inv.school.codiceFiscale.isEmpty())
        el("CodiceFiscale", inv.school.codiceFiscale);
    open("Anagrafica");
    el("Denominazione", inv.school.denominazione);
    close();
    el("RegimeFiscale", inv.school.regimeFiscale);
    close();
    open("Sede");
    address(inv.school.indirizzo, inv.school.cap, inv.school.comune, inv.school.provincia, inv.school.nazione);
    close();
    close();

    open("CessionarioCommittente");
    open("DatiAnagrafici");
    if (inv.payerIsVat) {
        open("IdFiscaleIVA");
        el("IdPaese", QStringLiteral("IT"));
        el("IdCodice", inv.payerCode);
        close();
    } else {
        el("CodiceFiscale", inv.payerCode);
    }
    open("Anagrafica");
    if (!inv.payer.denominazione.isEmpty()) {
        el("Denominazione", inv.payer.denominazione);
    } else {
        el("Nome", inv.payer.nome);
        el("Cognome", inv.payer.cognome);
    }
    close();
    close();
    open("Sede");
    address(inv.payer.indirizzo, inv.payer.cap, inv.payer.comune, inv.payer.provincia, inv.payer.nazione);
    close();
    close();
    close(); // header

    open("FatturaElettronicaBody");
    open("DatiGenerali");
    open("DatiGeneraliDocumento");
    el("TipoDocumento", QStringLiteral("TD01"));
    el("Divisa", QStringLiteral("EUR"));
    el("Data", inv.data.toString(Qt::ISODate));
    el("Numero", inv.numero);
    if (inv.datiBollo) {
        open("DatiBollo");
        el("BolloVirtuale", QStringLiteral("SI"));
        el("ImportoBollo", DecimalAmount(StampCents));
        close();
    }
    el("ImportoTotaleDocumento", DecimalAmount(inv.totalCents));
    close();
    close();

    open("DatiBeniServizi");
    int n = 0;
    for (const InvoiceLine& l : inv.lines) {
        open("DettaglioLinee");
        el("NumeroLinea", QString::number(++n));
        el("Descrizione", l.descrizione);
        el("Quantita", QStringLiteral("1.00"));
        el("UnitaMisura", QStringLiteral("servizio")); // a quantity without its unit is flagged by readers
        if (l.dal.isValid() && l.al.isValid()) {
            el("DataInizioPeriodo", l.dal.toString(Qt::ISODate));
            el("DataFinePeriodo", l.al.toString(Qt::ISODate));
        }
        el("PrezzoUnitario", DecimalAmount(l.cents));
        el("PrezzoTotale", DecimalAmount(l.cents));
        el("AliquotaIVA", QStringLiteral("0.00"));
        el("Natura", l.natura);
        close();
    }
    for (const InvoiceSummary& s : inv.summaries) {
        open("DatiRiepilogo");
        el("AliquotaIVA", QStringLiteral("0.00"));
        el("Natura", s.natura);
        el("ImponibileImporto", DecimalAmount(s.cents));
        el("Imposta", QStringLiteral("0.00"));
        el("RiferimentoNormativo", s.riferimento);
        close();
    }
    close();

    if (!inv.modalitaPagamento.isEmpty()) {
        open("DatiPagamento");
        el("CondizioniPagamento", QStringLiteral("TP02"));
        open("DettaglioPagamento");
        el("ModalitaPagamento", inv.modalitaPagamento);
        el("ImportoPagamento", DecimalAmount(inv.totalCents));
        close();
        close();
    }
    close(); // body
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}
