#include "fees/BonusDocuments.h"
#include "einvoice/FiscalData.h"
#include "fees/PageWriter.h"
#include "receipts/ReceiptAmount.h"
#include "report/ReportPainter.h"
#include "storage/RegistryFile.h"
#include "storage/Text.h"

using report::HAlign;

namespace fees {

namespace {
QString MonthYear(const FeeMonth& m) {
    return m.Name() + u' ' + QString::number(m.year);
}

QString Dated(const QDate& d) {
    return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : QStringLiteral("-");
}

// "Rossi Marco, codice fiscale RSSMRA85T10A562S".
QString PersonWithCode(const QString& name, const QString& code) {
    const QString who = TrimText(name).isEmpty() ? QStringLiteral("(nome non indicato)") : TrimText(name);
    return TrimText(code).isEmpty() ? who + QStringLiteral(", codice fiscale non indicato sulla ricevuta")
                                    : who + QStringLiteral(", codice fiscale ") + TrimText(code);
}

void MonthPage(PageWriter& w, const BonusChild& c, const BonusMonth& m, const BonusFamily& family,
               const DocumentHeading& h) {
    w.NewPage();
    SchoolHeading(w, h);
    w.Space(4);
    w.Line(QStringLiteral("Attestazione di pagamento per il bonus nido"), 14, true, HAlign::Center);
    w.Line(QStringLiteral("Mese di riferimento: %1").arg(MonthYear(m.month)), 11, true, HAlign::Center);
    w.Space(5);
    w.Paragraph(QStringLiteral("La scuola sopra indicata attesta che per la frequenza dell'asilo nido nel mese di %1 "
                               "sono stati pagati gli importi seguenti.")
                    .arg(MonthYear(m.month)));
    w.Space(3);
    QString child = QStringLiteral("Minore: ") + c.child;
    if (!c.birthPlace.isEmpty() || !c.birthDate.isEmpty())
        child += QStringLiteral(", nato/a") +
                 (c.birthPlace.isEmpty() ? QString() : QStringLiteral(" a ") + c.birthPlace) +
                 (c.birthDate.isEmpty() ? QString() : QStringLiteral(" il ") + c.birthDate);
    w.Paragraph(child, 10, true);
    // Never an empty field: a code not known is said in words, so the office sees what to complete.
    w.Paragraph(QStringLiteral("Codice fiscale del minore: ") + (c.taxCode.isEmpty() ? c.codeProblem : c.taxCode), 10,
                true);
    // The payer of the receipts; when they differ, each receipt names its own.
    QStringList payers;
    for (const BonusPayment& p : m.payments) {
        const QString who = PersonWithCode(p.payer.isEmpty() ? family.payer : p.payer,
                                           p.payer.isEmpty() ? family.payerTaxCode : p.payerTaxCode);
        if (!payers.contains(who))
            payers << who;
    }
    if (payers.size() == 1)
        w.Paragraph(QStringLiteral("Genitore che ha pagato: ") + payers.first(), 10);
    else
        w.Paragraph(QStringLiteral("Genitori che hanno pagato: ") + payers.join(QStringLiteral("; ")), 10);
    w.Space(4);

    w.Line(QStringLiteral("Retta del mese"), 10, true);
    const QVector<double> widths{22, 24, 24, 100};
    const QVector<HAlign> aligns{HAlign::Left, HAlign::Left, HAlign::Right, HAlign::Left};
    w.Row({QStringLiteral("Ricevuta n."), QStringLiteral("del"), QStringLiteral("Importo €"),
           QStringLiteral("Pagamento (modalità, data, riferimento)")},
          widths, aligns, true, true);
    for (const BonusPayment& p : m.payments) {
        QString how = BonusPaymentText(p.payment, p.kind);
        if (p.credit)
            how = QStringLiteral("credito della ricevuta: ") + how;
        w.WrappedRow({p.number, Dated(p.date), AmountText(p.amount), how}, widths, aligns, 3);
    }
    w.Row({QStringLiteral("Totale"), QString(), AmountText(m.paid),
           m.paid < m.due ? QStringLiteral("pagata in parte: %1 di %2").arg(AmountText(m.paid), AmountText(m.due))
                          : QStringLiteral("retta del mese %1, interamente pagata").arg(AmountText(m.due))},
          widths, aligns, true, true);
    w.Space(2);
    if (m.CashOnly())
        w.Paragraph(QStringLiteral("Il mese è stato pagato in contanti: il pagamento non è tracciabile."), 9, true);
    else if (m.AnyCash())
        w.Paragraph(QStringLiteral("Una parte del mese è stata pagata in contanti: quella parte non è tracciabile."), 9,
                    true);
    w.Space(4);

    w.Line(QStringLiteral("Altri servizi pagati nel mese, non compresi nella retta"), 10, true);
    if (m.extras.isEmpty()) {
        w.Line(QStringLiteral("Nessuno."), 9);
    } else {
        const QVector<double> ew{22, 24, 24, 100};
        const QVector<HAlign> ea{HAlign::Left, HAlign::Left, HAlign::Right, HAlign::Left};
        w.Row({QStringLiteral("Ricevuta n."), QStringLiteral("del"), QStringLiteral("Importo €"),
               QStringLiteral("Causale - pagamento")},
              ew, ea, true, true);
        for (const BonusExtra& e : m.extras)
            w.WrappedRow({e.number, Dated(e.date), AmountText(e.amount),
                          e.cause + QStringLiteral(" - ") + BonusPaymentText(e.payment, e.kind)},
                         ew, ea, 3);
    }
    w.Space(8);
    w.Line(DateLine(h), 10);
    w.Space(6);
    w.Line(QStringLiteral("Timbro e firma della scuola"), 10, false, HAlign::Right);
    w.Space(10);
    w.Line(QStringLiteral("______________________________"), 10, false, HAlign::Right);
    w.Line(TrimText(h.school.value(0)), 9, false, HAlign::Right);
}
} // namespace

DocumentHeading BonusHeading(const QString& settingsPath, const QDate& today) {
    DocumentHeading h;
    const FiscalData d = LoadFiscalData(settingsPath);
    h.school = IssuerLines(d);
    h.place = TrimText(d.comune);
    if (h.school.isEmpty()) {
        for (const QString& line : ReadReceiverLines(settingsPath))
            if (!TrimText(line).isEmpty())
                h.school << TrimText(line);
    }
    h.date = today;
    return h;
}

QString BonusHeadingProblem(const DocumentHeading& h) {
    if (h.school.isEmpty())
        return QStringLiteral("la scuola non ha nome: indicarlo in \"Dati fiscali\"");
    for (const QString& line : h.school)
        if (line.contains(QLatin1String("C.F.")) || line.contains(QLatin1String("P. IVA")) ||
            line.contains(QLatin1String("P.IVA")) ||
            line.contains(QLatin1String("Codice fiscale"), Qt::CaseInsensitive))
            return QString();
    return QStringLiteral("manca il codice fiscale o la partita IVA della scuola: indicarli in \"Dati fiscali\"");
}

QString BonusPdfName(const BonusFamily& family, int year) {
    // Two payers may share a name: the tax code (or, without one, the first card) tells their files apart.
    const QString key = family.payerTaxCode.isEmpty() && !family.children.isEmpty()
                            ? QStringLiteral("scheda_%1").arg(family.children.first().card)
                            : family.payerTaxCode;
    return report::PdfFileName({QStringLiteral("Bonus_nido"), QString::number(year), family.payer, key});
}

QString BonusFolder(const QString& programFolder, int year) {
    return FolderWithSlash(programFolder) + QStringLiteral("PDF/Bonus_nido/%1/").arg(year);
}

void AppendBonusFamily(report::PreparedReport& out, const BonusFamily& family, int year, const DocumentHeading& h) {
    PageWriter w(out);
    for (const BonusChild& c : family.children)
        for (const BonusMonth& m : c.months)
            if (m.month.year == year)
                MonthPage(w, c, m, family, h);
}

report::PreparedReport PrepareBonusFamily(const BonusFamily& family, int year, const DocumentHeading& h) {
    report::PreparedReport out;
    out.name = QStringLiteral("Attestazione di pagamento per il bonus nido");
    out.fileName = BonusPdfName(family, year);
    out.preview.buttons = QStringList{QStringLiteral("print"), QStringLiteral("zoom"), QStringLiteral("close")};
    AppendBonusFamily(out, family, year, h);
    return out;
}

} // namespace fees
