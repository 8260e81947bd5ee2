#include "fees/FeeDocuments.h"
#include "fees/PageWriter.h"
#include "fees/PaymentQr.h"
#include "report/ReportPainter.h"
#include "storage/Text.h"
#include "validators/Iban.h"

using report::HAlign;

namespace fees {

void SchoolHeading(PageWriter& w, const DocumentHeading& h) {
    bool first = true;
    for (const QString& line : h.school) {
        if (TrimText(line).isEmpty())
            continue;
        w.Line(TrimText(line), first ? 12 : 9, first);
        first = false;
    }
    w.Rule();
}

QString DateLine(const DocumentHeading& h) {
    const QString date = h.date.toString(QStringLiteral("dd/MM/yyyy"));
    return TrimText(h.place).isEmpty() ? date : TrimText(h.place) + QStringLiteral(", ") + date;
}

QString AccountPdfName(const FamilyAccount& a) {
    return report::PdfFileName({QStringLiteral("Estratto_conto"), a.payer, QString::number(a.upTo.year)});
}

report::PreparedReport PrepareAccount(const FamilyAccount& a, const DocumentHeading& h) {
    report::PreparedReport out;
    out.name = QStringLiteral("Estratto conto");
    out.fileName = AccountPdfName(a);
    out.preview.buttons = QStringList{QStringLiteral("print"), QStringLiteral("zoom"), QStringLiteral("close")};
    PageWriter w(out);
    SchoolHeading(w, h);
    w.Space(3);
    w.Line(QStringLiteral("Estratto conto"), 14, true);
    w.Line(QStringLiteral("Pagatore: %1%2")
               .arg(a.payer, a.taxCode.isEmpty() ? QString() : QStringLiteral(" - codice fiscale ") + a.taxCode),
           10);
    w.Line(QStringLiteral("Rette fino a %1 %2, situazione al %3")
               .arg(a.upTo.Name())
               .arg(a.upTo.year)
               .arg(h.date.toString(QStringLiteral("dd/MM/yyyy"))),
           10);
    w.Space(3);
    const QVector<double> widths{30, 20, 80, 20, 20};
    const QVector<HAlign> aligns{HAlign::Left, HAlign::Right, HAlign::Left, HAlign::Right, HAlign::Right};
    w.Row(AccountColumns(), widths, aligns, true, true);
    for (const AccountRow& r : AccountRows(a)) {
        switch (r.kind) {
        case AccountRow::Child:
        case AccountRow::RemindersHeading:
            w.Keep(20);
            w.Space(2);
            w.Row({r.cells[0]}, {170}, {HAlign::Left}, true);
            break;
        case AccountRow::Subtotal:
        case AccountRow::Total:
            w.Row(r.cells, widths, aligns, true, true);
            break;
        default:
            w.Row(r.cells, widths, aligns);
        }
    }
    w.Space(6);
    w.Line(DateLine(h), 9);
    return out;
}

QString RemindersPdfName(const FeeMonth& upTo) {
    return report::PdfFileName({QStringLiteral("Solleciti"), QString::number(upTo.year), upTo.TwoDigits()});
}

QString ReminderPdfName(const FeeMonth& upTo, const ReminderLetter& letter) {
    return report::PdfFileName(
        {QStringLiteral("Sollecito"), QString::number(upTo.year), upTo.TwoDigits(), letter.payer});
}

QString QrProblem(const PaymentSettings& account) {
    return EpcPayload(account, 10000, QStringLiteral("x")).problem;
}

void AppendLetter(report::PreparedReport& out, const ReminderLetter& letter, const FeeMonth& upTo,
                  const PaymentSettings& account, const DocumentHeading& h) {
    PageWriter w(out);
    w.NewPage();
    SchoolHeading(w, h);
    w.Space(6);
    w.Line(QStringLiteral("Gent.le ") + letter.payer, 10, true);
    for (const QString& line : letter.address)
        w.Line(line, 10);
    w.Space(6);
    w.Line(DateLine(h), 10);
    w.Space(4);
    w.Line(QStringLiteral("Oggetto: sollecito di pagamento delle rette fino a %1 %2").arg(upTo.Name()).arg(upTo.year),
           10, true);
    w.Space(4);
    // The addressee is named above: the greeting does not repeat the name.
    w.Paragraph(QStringLiteral("Gentile famiglia, dai nostri archivi risultano ancora da pagare le rette seguenti."));
    w.Space(2);
    const QVector<double> widths{70, 50, 25, 25};
    const QVector<HAlign> aligns{HAlign::Left, HAlign::Left, HAlign::Right, HAlign::Right};
    w.Row({QStringLiteral("Minore"), QStringLiteral("Mese"), QStringLiteral("Retta"), QStringLiteral("Da pagare")},
          widths, aligns, true, true);
    for (const ReminderChild& c : letter.children)
        for (int i = 0; i < c.months.size(); ++i) {
            const OwedMonth& m = c.months[i];
            w.Row({i == 0 ? c.child : QString(), m.month.Name() + u' ' + QString::number(m.month.year),
                   AmountText(m.due), AmountText(m.owed)},
                  widths, aligns);
        }
    w.Row({QStringLiteral("Totale da pagare"), QString(), QString(), AmountText(letter.Total())}, widths, aligns, true,
          true);
    w.Space(3);
    for (const ChildReceipt& r : letter.unreadable)
        w.Paragraph(QStringLiteral("La ricevuta n. %1 non è stata conteggiata (%2): La preghiamo di contattare la "
                                   "segreteria.")
                        .arg(r.number, r.problem),
                    9);
    w.Space(2);
    const QString cause = ReminderCause(letter, upTo);
    const EpcTransfer transfer = EpcPayload(account, letter.Total(), cause);
    w.Keep(60);
    w.Line(QStringLiteral("Come pagare"), 10, true);
    if (transfer.payload.isEmpty()) {
        // A wrong IBAN is never printed: the family would pay to an account that does not exist.
        w.Paragraph(QStringLiteral("Per le coordinate del bonifico si rivolga alla segreteria, indicando la causale: "
                                   "\"%1\".")
                        .arg(cause));
        w.Paragraph(QStringLiteral("Codice QR per il pagamento non stampato: %1.").arg(transfer.problem), 9);
    } else {
        w.Paragraph(QStringLiteral("Bonifico bancario sul conto IBAN %1 intestato a %2, indicando la causale: \"%3\".")
                        .arg(GroupIban(NormaliseIban(account.iban)), TrimText(account.intestatario), cause));
        w.Space(2);
        const QImage qr = PaymentQrImage(transfer.payload);
        if (!qr.isNull()) {
            w.Picture(qr, 0, 40);
            w.Line(QStringLiteral("Inquadri il codice QR con l'app della Sua banca per compilare il bonifico."), 8);
        }
    }
    w.Space(4);
    w.Paragraph(QStringLiteral("Se ha già provveduto al pagamento, non tenga conto di questa lettera. Cordiali saluti."));
    w.Space(4);
    const QString school = TrimText(h.school.value(0));
    if (!school.isEmpty())
        w.Line(school, 10, false, HAlign::Right);
}

} // namespace fees
