// The child's tax code on the printed receipt and the yearly statement, read back from the PDF: printed
// after the child's name and inside its box when known, the name alone when not; and the bonus
// document's lines inside the page, with the long payment texts.
#include "../report/PdfText.h"
#include "fees/BonusDocuments.h"
#include "printing/ReceiptLayout.h"
#include "report/ReportPainter.h"
#include "summary/StatementPrint.h"
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

using namespace fees;

namespace {
const QString kLuca = QStringLiteral("RSSLCU24C12H501K");
constexpr double kPt = 0.75; // points per template unit

ReceiptRecord Receipt() {
    ReceiptRecord r;
    r.NumRic = QStringLiteral("31");
    r.Data = QStringLiteral("05/10/2026");
    r.Pagatore = QStringLiteral("Rossi Mario");
    r.CodFisc = QStringLiteral("RSSMRA80A01H501U");
    r.Sport = QStringLiteral("Retta asilo nido");
    r.Praticante = QStringLiteral("Bonaccorsi Pierfrancesco");
    r.Importo = QStringLiteral("250");
    r.Cents = QStringLiteral("00");
    r.Indirizzo = QStringLiteral("Bonifico bancario del 03/10/2026, rif. 0012345");
    return r;
}
} // namespace

class TestChildCodePrints : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void receiptNamesTheCode_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("printed");
        QTest::newRow("known") << kLuca << "Bonaccorsi Pierfrancesco - C.F. " + kLuca;
        QTest::newRow("not known") << ""
                                   << "Bonaccorsi Pierfrancesco";
    }
    void receiptNamesTheCode() {
        QFETCH(QString, code);
        QFETCH(QString, printed);
        QString error;
        std::optional<report::ReportTemplate> rep = LoadReceiptTemplate(&error);
        QVERIFY2(rep, qPrintable(error));
        QImage logo(40, 40, QImage::Format_RGB32);
        logo.fill(Qt::white);
        QVERIFY2(FillReceiptRecord(*rep, Receipt(), logo, &error, code) && rep->Prepare(&error), qPrintable(error));
        const QString pdf = m_dir.filePath(QStringLiteral("ricevuta.pdf"));
        QVERIFY2(report::SavePdf(rep->Prepared(), pdf, &error), qPrintable(error));
        const pdftext::Document doc = pdftext::Read(pdf);
        QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
        const QVector<QRectF> hits = pdftext::Find(doc, 0, printed);
        QCOMPARE(hits.size(), 2); // both copies
        // Whole inside the child's box: nothing cut at its right edge, nothing over "luogo di nascita".
        for (const char* name : {"txtPraticante", "txtPraticante_B"}) {
            const report::ReportObject* box = rep->FindObject(QLatin1String(name));
            QVERIFY(box);
            const QRectF r(box->rect.left() * kPt, box->rect.top() * kPt, box->rect.width() * kPt,
                           box->rect.height() * kPt);
            QVERIFY2(std::any_of(hits.begin(), hits.end(),
                                 [&](const QRectF& h) { return r.adjusted(-1, -3, 1, 3).contains(h); }),
                     name);
        }
    }

    void statementNamesTheCode() {
        QString error;
        std::optional<report::ReportTemplate> rep = LoadStatementTemplate(&error);
        QVERIFY2(rep, qPrintable(error));
        StatementGroup g;
        g.payer = QStringLiteral("Rossi Mario");
        g.taxCode = QStringLiteral("RSSMRA80A01H501U");
        g.child = QStringLiteral("Rossi Luca");
        g.childTaxCode = kLuca;
        g.receipts << StatementReceipt{"31",       "05/10/2026",      "01/10/2026", "31/10/2026",
                                       "Contanti", PaymentKind::Cash, 2500000,      1};
        g.total = g.cash = 2500000;
        StatementHeading h;
        h.year = 2026;
        h.receiver = {QStringLiteral("Asilo Nido Il Girasole")};
        h.date = QDate(2027, 1, 15);
        report::PreparedReport out;
        QVERIFY2(PrepareStatements(*rep, h, {g}, out, &error), qPrintable(error));
        const QString pdf = m_dir.filePath(QStringLiteral("attestazione.pdf"));
        QVERIFY2(report::SavePdf(out, pdf, &error), qPrintable(error));
        const pdftext::Document doc = pdftext::Read(pdf);
        QCOMPARE(pdftext::Find(doc, 0, "Minore: Rossi Luca - codice fiscale " + kLuca).size(), 1);
        g.childTaxCode.clear();
        QVERIFY2(PrepareStatements(*rep, h, {g}, out, &error), qPrintable(error));
        QVERIFY2(report::SavePdf(out, pdf, &error), qPrintable(error));
        const pdftext::Document without = pdftext::Read(pdf);
        QCOMPARE(pdftext::Find(without, 0, "Minore: Rossi Luca").size(), 1);
        QVERIFY(pdftext::WordsContaining(without, 0, QStringLiteral("RSSLCU")).isEmpty());
    }

    // Two payers of one name get a file each; a payer without a tax code is named by its first card.
    void oneFilePerFamily() {
        BonusChild luca;
        luca.card = 7;
        const BonusFamily a{"Rossi Mario", "RSSMRA80A01H501U", {luca}};
        const BonusFamily b{"Rossi Mario", "RSSMRA85C24H501O", {luca}};
        const BonusFamily none{"Rossi Mario", "", {luca}};
        QCOMPARE(BonusPdfName(a, 2026), QStringLiteral("Bonus_nido_2026_Rossi_Mario_RSSMRA80A01H501U.pdf"));
        QCOMPARE(BonusPdfName(b, 2026), QStringLiteral("Bonus_nido_2026_Rossi_Mario_RSSMRA85C24H501O.pdf"));
        QCOMPARE(BonusPdfName(none, 2026), QStringLiteral("Bonus_nido_2026_Rossi_Mario_scheda_7.pdf"));
    }

    // A month paid by three receipts with long texts: every word on the page, inside its margins.
    void bonusPageInsideThePage() {
        BonusFamily family{QStringLiteral("Bonaccorsi Pierfrancesco Maria"), QStringLiteral("BNCPFR80A01H501X"), {}};
        BonusChild c;
        c.card = 1;
        c.child = QStringLiteral("Bonaccorsi Pierfrancesco Junior");
        c.codeProblem = MissingChildCodeText();
        c.birthPlace = QStringLiteral("San Giovanni in Persiceto");
        c.birthDate = QStringLiteral("12/03/2024");
        BonusMonth m;
        m.month = FeeMonth{2026, 10};
        m.due = 3000000;
        m.paid = 3000000;
        for (int i = 0; i < 3; ++i)
            m.payments << BonusPayment{QString::number(1000 + i),
                                       QDate(2026, 10, 5 + i),
                                       1000000,
                                       family.payer,
                                       family.payerTaxCode,
                                       ReadPaymentText("Bonifico bancario del 03/10/2026, rif. "
                                                       "0306909606511000000012345678IT"),
                                       PaymentKind::Traceable,
                                       i == 2};
        m.extras << BonusExtra{
            "1100", "Servizio di pre-scuola e post-scuola del mese di ottobre",        QDate(2026, 10, 9),
            455000, ReadPaymentText("Addebito SDD del 05/10/2026, mandato NIDO-0001"), PaymentKind::Traceable};
        c.months << m;
        family.children << c;
        const DocumentHeading h{
            {"Asilo Nido Il Girasole S.r.l.", "Via dei Fiori 3", "00100 Roma (RM)", "P. IVA 01234567897"},
            "Roma",
            QDate(2027, 1, 15)};
        const report::PreparedReport doc = PrepareBonusFamily(family, 2026, h);
        QCOMPARE(int(doc.pages.size()), 1);
        const QString pdf = m_dir.filePath(QStringLiteral("bonus.pdf"));
        QString error;
        QVERIFY2(report::SavePdf(doc, pdf, &error), qPrintable(error));
        const pdftext::Document read = pdftext::Read(pdf);
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(read.pages.size(), 1);
        const double mm = pdftext::PointsPerMm;
        for (const pdftext::Word& w : read.words)
            QVERIFY2(w.box.left() >= 19 * mm && w.box.right() <= (210 - 15) * mm && w.box.bottom() <= (297 - 15) * mm,
                     qPrintable(w.text));
        QCOMPARE(pdftext::Find(read, 0, "Codice fiscale del minore: codice fiscale del minore mancante").size(), 1);
        QCOMPARE(pdftext::WordsContaining(read, 0, QStringLiteral("0306909606511000000012345678IT")).size(), 3);
        QCOMPARE(pdftext::Find(read, 0, "credito della ricevuta:").size(), 1);
        QCOMPARE(pdftext::Find(read, 0, "Timbro e firma della scuola").size(), 1);
    }
};

QTEST_MAIN(TestChildCodePrints)
#include "tst_childcodeprints.moc"
