// The receipt template printed to PDF and read back: where every text lands, both copies, clipping.
#include "PdfText.h"
#include "report/PreparedReport.h"
#include "report/ReportPainter.h"
#include "report/ReportTemplate.h"
#include <QTemporaryDir>
#include <QtTest>

using namespace report;

namespace {

const QString ReceiptPath = QStringLiteral(":/printing/templates/receipt.json");
constexpr double OneMmPt = pdftext::PointsPerMm;

// Where a memo's text must be, given its alignment: the point of the memo's box (left or right edge
// or centre; top or middle) that the text's box must match within 1 mm.
struct Anchor {
    double x, y;
};

Anchor ExpectedAnchor(const ReportObject& o) {
    const QRectF inner = o.rect;
    double x = inner.left();
    if (o.hAlign == HAlign::Right)
        x = inner.right();
    else if (o.hAlign == HAlign::Center)
        x = inner.center().x();
    const double y = o.vAlign == VAlign::Top ? inner.top() : inner.center().y();
    return {x * pdftext::PointsPerUnit, y * pdftext::PointsPerUnit};
}

Anchor ActualAnchor(const ReportObject& o, const QRectF& box) {
    double x = box.left();
    if (o.hAlign == HAlign::Right)
        x = box.right();
    else if (o.hAlign == HAlign::Center)
        x = box.center().x();
    const double y = o.vAlign == VAlign::Top ? box.top() : box.center().y();
    return {x, y};
}

void CollectMemos(std::vector<ReportObject>& objects, QVector<ReportObject*>& out) {
    for (ReportObject& o : objects) {
        if (o.kind == ObjectKind::Memo)
            out << &o;
        CollectMemos(o.children, out);
    }
}

} // namespace

class tst_receiptTemplate : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void copyBMirrorsCopyA();
    void everyTextAtItsPlaceInBothCopies();
    void longTextIsClippedNotWrapped();
    void setOrientationKeepsPortraitReceipt();

private:
    ReportTemplate Filled() const;
    QTemporaryDir m_dir;
};

void tst_receiptTemplate::initTestCase() {
    QVERIFY(m_dir.isValid());
    QString error;
    QVERIFY2(ReportTemplate::Load(ReceiptPath, &error).has_value(), qPrintable(error));
}

// A receipt filled as the print window fills it, with accented letters and the widest values the
// fields hold on screen.
ReportTemplate tst_receiptTemplate::Filled() const {
    ReportTemplate t = *ReportTemplate::Load(ReceiptPath);
    const QList<QPair<QString, QString>> values = {
        {QStringLiteral("txtNumRic"), QStringLiteral("Ricevuta n. 127")},
        {QStringLiteral("txtData"), QStringLiteral("Data:  14/03/2026")},
        {QStringLiteral("txtRicevente01"), QStringLiteral("Asilo Nido Girotondo")},
        {QStringLiteral("txtRicevente02"), QStringLiteral("Via Garibaldi 12")},
        {QStringLiteral("txtRicevente03"), QStringLiteral("20121 Milano")},
        {QStringLiteral("txtRicevente04"), QStringLiteral("P.IVA 01234567890")},
        {QStringLiteral("txtPagatore"), QStringLiteral("Niccolò Fabbrì")},
        {QStringLiteral("txtCodFisc"), QStringLiteral("FBBNCL80A01F205X")},
        {QStringLiteral("txtSport"), QStringLiteral("Retta mensile più pasti")},
        {QStringLiteral("txtDal"), QStringLiteral("01/03/2026")},
        {QStringLiteral("txtAl"), QStringLiteral("31/03/2026")},
        {QStringLiteral("txtPraticante"), QStringLiteral("Fabbrì Lucìa")},
        {QStringLiteral("txtLuogoNasc"), QStringLiteral("Forlì")},
        {QStringLiteral("txtDataNasc"), QStringLiteral("02/02/2023")},
        {QStringLiteral("txtIndirizzo"), QStringLiteral("Bonifico bancario")},
        {QStringLiteral("txtImpLettere"), QStringLiteral("TRECENTOVENTICINQUE/50")},
        {QStringLiteral("txtImporto"), QStringLiteral("325")},
        {QStringLiteral("txtCents"), QStringLiteral("50")},
        {QStringLiteral("txtDuplicato"), QStringLiteral("DUPLICATO")},
    };
    for (const QString& suffix : {QString(), QStringLiteral("_B")}) {
        for (const auto& v : values) {
            QString error;
            if (!t.SetText(v.first + suffix, v.second, &error))
                qFatal("%s", qPrintable(error));
        }
    }
    return t;
}

void tst_receiptTemplate::copyBMirrorsCopyA() {
    // Copy B repeats copy A 155 mm lower; a slip in one coordinate or font shows up here.
    ReportTemplate t = *ReportTemplate::Load(ReceiptPath);
    const QStringList pairs = {"lineTop:Line1",
                               "lineLeft:Line2",
                               "lineRight:Line3",
                               "imgLogo:imgLogo_B",
                               "txtRicevente01:txtRicevente01_B",
                               "txtRicevente02:txtRicevente02_B",
                               "txtRicevente03:txtRicevente03_B",
                               "txtRicevente04:txtRicevente04_B",
                               "shpNumFatt:Shape6",
                               "txtNumRic:txtNumRic_B",
                               "Shape12:Shape13",
                               "txtData:txtData_B",
                               "shpContratto:Shape7",
                               "Memo5:Memo27",
                               "txtPagatore:txtPagatore_B",
                               "Memo3:Memo30",
                               "txtCodFisc:txtCodFisc_B",
                               "Memo2:Memo31",
                               "txtSport:txtSport_B",
                               "Memo19:Memo35",
                               "txtDal:txtDal_B",
                               "Memo16:Memo33",
                               "txtAl:txtAl_B",
                               "Picture2:Picture7",
                               "Shape1:Shape11",
                               "txtImpLettere:txtImpLettere_B",
                               "titUfficioTer:Memo23",
                               "Memo6:Memo28",
                               "txtPraticante:txtPraticante_B",
                               "Memo17:Memo37",
                               "txtLuogoNasc:txtLuogoNasc_B",
                               "Memo4:Memo38",
                               "txtDataNasc:txtDataNasc_B",
                               "Memo21:Memo40",
                               "txtIndirizzo:txtIndirizzo_B",
                               "icoBollo:Shape8",
                               "titBollo:Memo18",
                               "Memo11:Memo22",
                               "Memo7:Memo8",
                               "Picture4:Picture5",
                               "Shape2:Shape9",
                               "txtImporto:txtImporto_B",
                               "Picture1:Picture6",
                               "Shape3:Shape10",
                               "txtCents:txtCents_B",
                               "Memo10:Memo9",
                               "lineFirma:Line4",
                               "Memo12:Memo14",
                               "Shape4:Shape5",
                               "Memo13:Memo15",
                               "txtDuplicato:txtDuplicato_B"};
    const double shift = 155 * UnitsPerMm;
    for (const QString& pair : pairs) {
        const ReportObject* a = t.FindObject(pair.section(':', 0, 0));
        const ReportObject* b = t.FindObject(pair.section(':', 1, 1));
        QVERIFY2(a && b, qPrintable(pair));
        QCOMPARE(int(a->kind), int(b->kind));
        QVERIFY2(std::abs(b->rect.top() - a->rect.top() - shift) < 4,
                 qPrintable(pair)); // the euro row of copy B sits 1 mm lower
        QVERIFY2(std::abs(b->rect.left() - a->rect.left()) < 2, qPrintable(pair));
        QVERIFY2(std::abs(b->rect.width() - a->rect.width()) < 0.01, qPrintable(pair));
        QCOMPARE(a->font.family, b->font.family);
        QCOMPARE(a->font.height, b->font.height);
        QCOMPARE(a->font.bold, b->font.bold);
        QCOMPARE(int(a->hAlign), int(b->hAlign));
        QCOMPARE(a->fill.isValid(), b->fill.isValid());
        if (a->fill.isValid() && a->fill != QColor(Qt::white)) {
            QCOMPARE(a->fill, QColor(QStringLiteral("aliceblue")));
            QCOMPARE(b->fill, QColor(QStringLiteral("snow")));
        }
    }
    // Everything on the page is either in a pair or one of the two cutting-line objects.
    int count = 0;
    for (const ReportObject& o : t.pages[1].objects)
        count += o.kind != ObjectKind::Band;
    QCOMPARE(count, pairs.size() * 2 + 2);
    QVERIFY(t.FindObject("Memo1") && t.FindObject("Picture3"));
}

void tst_receiptTemplate::everyTextAtItsPlaceInBothCopies() {
    ReportTemplate t = Filled();
    QString error;
    QVERIFY2(t.Prepare(&error), qPrintable(error));
    QCOMPARE(t.Prepared().PageCount(), 1);
    const QString pdf = m_dir.filePath("receipt.pdf");
    QVERIFY2(SavePdf(t.Prepared(), pdf, &error), qPrintable(error));

    const pdftext::Document doc = pdftext::Read(pdf);
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    QCOMPARE(doc.pages.size(), 1);
    QVERIFY(std::abs(doc.pages[0].width() - 210 * OneMmPt) < 1);
    QVERIFY(std::abs(doc.pages[0].height() - 297 * OneMmPt) < 1);

    QVector<ReportObject*> memos;
    CollectMemos(t.pages[1].objects, memos);
    QCOMPARE(memos.size(), 2 * 35 + 1);
    int checked = 0;
    for (const ReportObject* m : memos) {
        QCOMPARE(m->lines.size(), 1);
        const QString text = m->lines[0];
        if (m->name == QLatin1String("Memo1")) {
            // The cutting line is wider than its memo: it must start in place and stop at the edge.
            QVector<pdftext::Word> dashes = pdftext::WordsContaining(doc, 0, QStringLiteral("----------"));
            QCOMPARE(dashes.size(), 1);
            QVERIFY(std::abs(dashes[0].box.left() - (m->rect.left() + m->gapX) * 0.75) < OneMmPt);
            const double dash = dashes[0].box.width() / dashes[0].text.size();
            QVERIFY(dashes[0].box.right() - dash < m->rect.right() * 0.75); // only the last one may be cut
            QVERIFY(dashes[0].text.size() < 100 && dashes[0].text.size() > 80);
            ++checked;
            continue;
        }
        const QVector<QRectF> hits = pdftext::Find(doc, 0, text);
        const Anchor want = ExpectedAnchor(*m);
        bool near = false;
        QString seen;
        for (const QRectF& box : hits) {
            const Anchor got = ActualAnchor(*m, box);
            seen += QStringLiteral(" (%1,%2)").arg(got.x).arg(got.y);
            near = near || (std::abs(got.x - want.x) <= OneMmPt && std::abs(got.y - want.y) <= OneMmPt);
        }
        QVERIFY2(near, qPrintable(QStringLiteral("%1 \"%2\" expected at (%3,%4), found at%5")
                                      .arg(m->name, text)
                                      .arg(want.x)
                                      .arg(want.y)
                                      .arg(seen)));
        ++checked;
    }
    QCOMPARE(checked, memos.size());

    // Texts that differ between the copies are printed once each, in their own half of the sheet.
    const double half = 297 * OneMmPt / 2;
    for (const auto& [text, upper] :
         {std::pair{QStringLiteral("COPIA PER IL PAGATORE"), true},
          std::pair{QStringLiteral("COPIA PER IL RICEVENTE"), false}, std::pair{QStringLiteral("BOLLO VIGENTE"), true},
          std::pair{QStringLiteral("BOLLO APPOSTO SULL'ORIGINALE"), false}}) {
        const QVector<QRectF> hits = pdftext::Find(doc, 0, text);
        QVERIFY2(hits.size() == 1, qPrintable(text));
        QCOMPARE(hits[0].top() < half, upper);
    }
    for (const QString& text : {QStringLiteral("Niccolò Fabbrì"), QStringLiteral("Modalità pagamento:")})
        QCOMPARE(pdftext::Find(doc, 0, text).size(), 2);
}

void tst_receiptTemplate::longTextIsClippedNotWrapped() {
    ReportTemplate t = Filled();
    // Far wider than the payer memo (about 88 mm): the memo must cut it at its right edge.
    const QString words = QStringLiteral("Alpha Bravo Charlie Delta Echo Foxtrot Golf Hotel India Juliett Kilo Lima "
                                         "Mike November Oscar Papa Quebec Romeo Sierra Tango");
    QVERIFY(t.SetText("txtPagatore", words));
    QString error;
    QVERIFY2(t.Prepare(&error), qPrintable(error));
    const QString pdf = m_dir.filePath("clipped.pdf");
    QVERIFY2(SavePdf(t.Prepared(), pdf, &error), qPrintable(error));
    const pdftext::Document doc = pdftext::Read(pdf);
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));

    const ReportObject* memo = t.FindObject("txtPagatore");
    const double right = memo->rect.right() * 0.75;
    const QStringList tokens = words.split(' ');
    // Printed: a run of the first words on the memo's one line; the last may be cut inside a letter.
    int printed = 0;
    double baseline = -1;
    for (const QString& token : tokens) {
        QVector<pdftext::Word> found;
        for (const pdftext::Word& w : doc.words)
            if (w.box.top() < 297 * OneMmPt / 2 && (w.text == token || (token.startsWith(w.text) && !w.text.isEmpty())))
                if (w.box.left() >= memo->rect.left() * 0.75 && w.box.left() < right + 1)
                    found << w;
        if (found.isEmpty())
            break;
        QCOMPARE(found.size(), 1);
        if (baseline < 0)
            baseline = found[0].box.bottom();
        QVERIFY2(std::abs(found[0].box.bottom() - baseline) < 0.5, "the text continued on another line");
        QVERIFY2(found[0].box.left() < right, "a word starts beyond the memo's right edge");
        ++printed;
    }
    QVERIFY(printed >= 5);
    QVERIFY2(printed < tokens.size(), "the whole text was printed: nothing was cut");
    // None of the words that do not fit appears anywhere in copy A: they are not wrapped elsewhere.
    for (int i = printed; i < tokens.size(); ++i)
        for (const pdftext::Word& w : doc.words)
            QVERIFY2(!(w.text == tokens[i] && w.box.top() < 297 * OneMmPt / 2), qPrintable(tokens[i]));

    // On paper nothing is inked between the memo's right edge and the next memo's text, nor below the
    // memo's one line before the next row.
    const int dpi = 300;
    const QImage page = pdftext::Raster(pdf, 0, dpi, &error);
    QVERIFY2(!page.isNull(), qPrintable(error));
    auto dark = [](const QColor& c) { return c.lightness() < 128; };
    const ReportObject* next = t.FindObject("Memo3");
    const QRectF strip(right + 0.5, memo->rect.top() * 0.75, (next->rect.left() + next->gapX) * 0.75 - right - 1,
                       memo->rect.height() * 0.75);
    QCOMPARE(pdftext::CountPixels(page, dpi, strip, dark), 0);
    QVERIFY(pdftext::CountPixels(
                page, dpi,
                QRectF(memo->rect.left() * 0.75, strip.top(), right - memo->rect.left() * 0.75, strip.height()),
                dark) > 100);
}

void tst_receiptTemplate::setOrientationKeepsPortraitReceipt() {
    ReportTemplate t = *ReportTemplate::Load(ReceiptPath);
    ReportPage* page = t.Page(1);
    QVERIFY(page);
    QCOMPARE(page->name, QStringLiteral("Page1"));
    page->SetOrientation(Orientation::Portrait);
    QCOMPARE(page->paperWidthMm, 210.0);
    QCOMPARE(page->paperHeightMm, 297.0);
    page->SetOrientation(Orientation::Landscape);
    QCOMPARE(page->paperWidthMm, 297.0);
    QCOMPARE(page->paperHeightMm, 210.0);
    QVERIFY(t.Prepare());
    QCOMPARE(t.Prepared().pages[0].PaperSize().width(), 297 * UnitsPerMm);
}

QTEST_MAIN(tst_receiptTemplate)
#include "tst_receiptTemplate.moc"
