#include "einvoice/CourtesyCopy.h"
#include "report/ReportTemplate.h"
#include <QDate>
#include <QHash>
#include <QVector>
#include <QXmlStreamReader>

using namespace report;

namespace {
// The invoice's values by element path below the root; the lines and summaries one map each.
struct ReadInvoice {
    QHash<QString, QString> values;
    QVector<QHash<QString, QString>> lines, summaries;
};

bool Read(const QByteArray& xml, ReadInvoice& out, QString* error) {
    QXmlStreamReader r(xml);
    QStringList path;
    QString text;
    const QString linePath = QStringLiteral("FatturaElettronicaBody/DatiBeniServizi/DettaglioLinee");
    const QString sumPath = QStringLiteral("FatturaElettronicaBody/DatiBeniServizi/DatiRiepilogo");
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            path << r.name().toString();
            text.clear();
            const QString p = path.mid(1).join(QLatin1Char('/'));
            if (p == linePath)
                out.lines.append(QHash<QString, QString>());
            else if (p == sumPath)
                out.summaries.append(QHash<QString, QString>());
        } else if (r.isCharacters()) {
            text += r.text();
        } else if (r.isEndElement()) {
            const QString p = path.mid(1).join(QLatin1Char('/'));
            if (!text.trimmed().isEmpty()) {
                if (p.startsWith(linePath + QLatin1Char('/')) && !out.lines.isEmpty())
                    out.lines.last().insert(p.mid(linePath.size() + 1), text);
                else if (p.startsWith(sumPath + QLatin1Char('/')) && !out.summaries.isEmpty())
                    out.summaries.last().insert(p.mid(sumPath.size() + 1), text);
                else if (!out.values.contains(p))
                    out.values.insert(p, text);
            }
            text.clear();
            path.removeLast();
        }
    }
    if (r.hasError() || out.lines.isEmpty() ||
        !out.values.contains(QStringLiteral("FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/Numero"))) {
        if (error)
            *error = r.hasError() ? r.errorString() : QStringLiteral("non è una fattura elettronica");
        return false;
    }
    return true;
}

QString Euro(const QString& decimal) {
    QString s = decimal;
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

QString ItalianDate(const QString& iso) {
    const QDate d = QDate::fromString(iso, Qt::ISODate);
    return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : iso;
}

// Breaks `text` into lines of at most `width` characters at blanks (memos never wrap by themselves).
QStringList Wrap(const QString& text, int width) {
    QStringList lines;
    QString cur;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!cur.isEmpty() && cur.size() + 1 + word.size() > width) {
            lines << cur;
            cur.clear();
        }
        cur += (cur.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        while (cur.size() > width) {
            lines << cur.left(width);
            cur = cur.mid(width);
        }
    }
    if (!cur.isEmpty())
        lines << cur;
    return lines;
}

class Page {
public:
    explicit Page(ReportPage& page) : m_page(page) {}
    // A memo at (x, y) mm of `w` x `h` mm.
    ReportObject& Memo(const QString& name, double x, double y, double w, double h, const QStringList& lines,
                       double points = 10, bool bold = false, HAlign align = HAlign::Left) {
        ReportObject o;
        o.kind = ObjectKind::Memo;
        o.name = name;
        o.rect = QRectF(x * UnitsPerMm, y * UnitsPerMm, w * UnitsPerMm, h * UnitsPerMm);
        o.lines = lines;
        o.font.family = QStringLiteral("Arial");
        o.font.height = -points / 0.75;
        o.font.bold = bold;
        o.hAlign = align;
        m_page.objects.push_back(o);
        return m_page.objects.back();
    }
    void Box(double x, double y, double w, double h) {
        ReportObject o;
        o.kind = ObjectKind::Shape;
        o.name = QStringLiteral("Shape%1").arg(m_page.objects.size());
        o.rect = QRectF(x * UnitsPerMm, y * UnitsPerMm, w * UnitsPerMm, h * UnitsPerMm);
        m_page.objects.push_back(o);
    }
    void Rule(double x, double y, double w) {
        ReportObject o;
        o.kind = ObjectKind::Line;
        o.name = QStringLiteral("Line%1").arg(m_page.objects.size());
        o.rect = QRectF(x * UnitsPerMm, y * UnitsPerMm, w * UnitsPerMm, 0);
        m_page.objects.push_back(o);
    }

private:
    ReportPage& m_page;
};

// Line height in mm of a 10-point text.
constexpr double kLine = 4.8;
} // namespace

std::optional<PreparedReport> PrepareCourtesyCopy(const QByteArray& xml, const QString& year, QString* error) {
    ReadInvoice inv;
    if (!Read(xml, inv, error))
        return std::nullopt;
    auto v = [&inv](const char* path) { return inv.values.value(QLatin1String(path)); };
    const QString doc = QStringLiteral("FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/");
    auto d = [&](const char* field) { return inv.values.value(doc + QLatin1String(field)); };
    const QString numero = d("Numero");
    const QString h = QStringLiteral("FatturaElettronicaHeader/");

    ReportTemplate t;
    t.name = QStringLiteral("Fattura elettronica - copia di cortesia");
    QString safeNumber = numero;
    for (QChar& c : safeNumber)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('-');
    t.fileName = QStringLiteral("%1_%2_%3.pdf")
                     .arg(d("TipoDocumento") == QLatin1String("TD04") ? QStringLiteral("NotaCredito")
                                                                      : QStringLiteral("Fattura"),
                          year, safeNumber);
    t.pages.clear();
    ReportPage data;
    data.name = QStringLiteral("Data");
    data.dataPage = true;
    t.pages.push_back(data);
    ReportPage sheet;
    sheet.name = QStringLiteral("Page1");
    sheet.paperSizeCode = 9;
    Page p(sheet);

    const QString file = QStringLiteral("IT%1_%2.xml")
                             .arg(v("FatturaElettronicaHeader/DatiTrasmissione/IdTrasmittente/IdCodice"),
                                  v("FatturaElettronicaHeader/DatiTrasmissione/ProgressivoInvio"));
    // A credit note says so and names the invoice it cancels.
    const bool creditNote = d("TipoDocumento") == QLatin1String("TD04");
    const QString linked = QStringLiteral("FatturaElettronicaBody/DatiGenerali/DatiFattureCollegate/");
    p.Memo("memTitolo", 15, 14, 180, 9,
           {QStringLiteral("%1 N. %2 DEL %3")
                .arg(creditNote ? QStringLiteral("NOTA DI CREDITO") : QStringLiteral("FATTURA"), numero,
                     ItalianDate(d("Data")))},
           16, true);
    if (creditNote)
        p.Memo("memStorno", 15, 23, 180, kLine,
               {QStringLiteral("A storno della fattura n. %1 del %2")
                    .arg(inv.values.value(linked + QStringLiteral("IdDocumento")),
                         ItalianDate(inv.values.value(linked + QStringLiteral("Data"))))},
               10, true);
    p.Memo(
        "memCortesia", 15, creditNote ? 28.5 : 24, 180, 2 * kLine,
        {QStringLiteral("Copia di cortesia. Il documento valido ai fini fiscali è la fattura elettronica %1").arg(file),
         QStringLiteral("trasmessa tramite il Sistema di Interscambio e disponibile nell'area riservata del sito "
                        "dell'Agenzia delle Entrate.")},
        8.5);

    // The two parties.
    auto party = [&](const QString& base) {
        QStringList lines;
        const QString anag = base + QStringLiteral("DatiAnagrafici/Anagrafica/");
        const QString denom = inv.values.value(anag + QStringLiteral("Denominazione"));
        lines << (denom.isEmpty() ? inv.values.value(anag + QStringLiteral("Cognome")) + QLatin1Char(' ') +
                                        inv.values.value(anag + QStringLiteral("Nome"))
                                  : denom);
        const QString sede = base + QStringLiteral("Sede/");
        lines << inv.values.value(sede + QStringLiteral("Indirizzo"));
        QString town = inv.values.value(sede + QStringLiteral("CAP")) + QLatin1Char(' ') +
                       inv.values.value(sede + QStringLiteral("Comune"));
        if (const QString prov = inv.values.value(sede + QStringLiteral("Provincia")); !prov.isEmpty())
            town += QStringLiteral(" (%1)").arg(prov);
        if (const QString n = inv.values.value(sede + QStringLiteral("Nazione")); n != QLatin1String("IT"))
            town += QStringLiteral(" - ") + n;
        lines << town;
        if (const QString vat = inv.values.value(base + QStringLiteral("DatiAnagrafici/IdFiscaleIVA/IdCodice"));
            !vat.isEmpty())
            lines << QStringLiteral("Partita IVA: IT%1").arg(vat);
        if (const QString cf = inv.values.value(base + QStringLiteral("DatiAnagrafici/CodiceFiscale")); !cf.isEmpty())
            lines << QStringLiteral("Codice fiscale: %1").arg(cf);
        return lines;
    };
    const double partyTop = 38;
    p.Memo("memCedenteTitolo", 15, partyTop, 88, kLine, {QStringLiteral("Cedente / prestatore")}, 9, true);
    p.Box(15, partyTop + kLine + 1, 88, 6 * kLine);
    p.Memo("memCedente", 17, partyTop + kLine + 2, 84, 5 * kLine, party(h + QStringLiteral("CedentePrestatore/")));
    p.Memo("memClienteTitolo", 107, partyTop, 88, kLine, {QStringLiteral("Cessionario / committente")}, 9, true);
    p.Box(107, partyTop + kLine + 1, 88, 6 * kLine);
    p.Memo("memCliente", 109, partyTop + kLine + 2, 84, 5 * kLine,
           party(h + QStringLiteral("CessionarioCommittente/")));

    // The lines.
    double y = partyTop + 8 * kLine;
    p.Memo("memColDescrizione", 15, y, 105, kLine, {QStringLiteral("Descrizione")}, 9, true);
    p.Memo("memColQuantita", 120, y, 18, kLine, {QStringLiteral("Quantità")}, 9, true, HAlign::Right);
    p.Memo("memColPrezzo", 138, y, 22, kLine, {QStringLiteral("Prezzo")}, 9, true, HAlign::Right);
    p.Memo("memColIva", 160, y, 13, kLine, {QStringLiteral("Natura")}, 9, true, HAlign::Right);
    p.Memo("memColImporto", 173, y, 22, kLine, {QStringLiteral("Importo")}, 9, true, HAlign::Right);
    y += kLine + 1;
    p.Rule(15, y, 180);
    y += 1.5;
    int n = 0;
    for (const auto& line : inv.lines) {
        ++n;
        const QStringList text = Wrap(line.value(QStringLiteral("Descrizione")), 62);
        const double rows = qMax<int>(1, text.size());
        p.Memo(QStringLiteral("memDescrizione%1").arg(n), 15, y, 105, rows * kLine, text);
        QString qty = line.value(QStringLiteral("Quantita"));
        if (qty.endsWith(QLatin1String(".00")))
            qty.chop(3);
        p.Memo(QStringLiteral("memQuantita%1").arg(n), 120, y, 18, kLine, {Euro(qty)}, 10, false, HAlign::Right);
        p.Memo(QStringLiteral("memPrezzo%1").arg(n), 138, y, 22, kLine, {Euro(line.value("PrezzoUnitario"))}, 10, false,
               HAlign::Right);
        p.Memo(QStringLiteral("memIva%1").arg(n), 160, y, 13, kLine, {line.value(QStringLiteral("Natura"))}, 10, false,
               HAlign::Right);
        p.Memo(QStringLiteral("memImporto%1").arg(n), 173, y, 22, kLine, {Euro(line.value("PrezzoTotale"))}, 10, false,
               HAlign::Right);
        y += rows * kLine + 2;
    }
    p.Rule(15, y, 180);
    y += 3;

    // Summary, stamp, total, payment.
    QStringList notes;
    for (const auto& s : inv.summaries) {
        const QString nature = s.value(QStringLiteral("Natura"));
        const QString what = nature == QLatin1String("N4")   ? QStringLiteral("Operazione esente IVA (N4)")
                             : nature == QLatin1String("N1") ? QStringLiteral("Escluso IVA (N1)")
                                                             : QStringLiteral("Natura ") + nature;
        notes << QStringLiteral("%1: imponibile %2 euro, imposta 0,00 euro - %3")
                     .arg(what, Euro(s.value(QStringLiteral("ImponibileImporto"))),
                          s.value(QStringLiteral("RiferimentoNormativo")));
    }
    if (!d("DatiBollo/ImportoBollo").isEmpty())
        notes << QStringLiteral("Imposta di bollo di %1 euro assolta in modo virtuale.")
                     .arg(Euro(d("DatiBollo/ImportoBollo")));
    const QString mp = v("FatturaElettronicaBody/DatiPagamento/DettaglioPagamento/ModalitaPagamento");
    static const QHash<QString, QString> methods = {
        {"MP01", "contanti"}, {"MP02", "assegno"}, {"MP05", "bonifico"}, {"MP08", "carta di pagamento"}};
    if (!mp.isEmpty())
        notes << QStringLiteral("Pagamento: %1 (%2), pagamento completo.").arg(methods.value(mp, mp), mp);
    p.Memo("memRiepilogo", 15, y, 180, notes.size() * kLine, notes, 9);
    y += notes.size() * kLine + 4;
    p.Box(125, y, 70, 10);
    p.Memo("memTotale", 127, y + 2, 66, 6,
           {QStringLiteral("Totale documento: € %1").arg(Euro(d("ImportoTotaleDocumento")))}, 11, true, HAlign::Right);
    t.pages.push_back(sheet);
    if (!t.Prepare(error))
        return std::nullopt;
    return t.Prepared();
}
