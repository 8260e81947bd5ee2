// The receipt print and preview windows: what they read from the receipt editor, the logo, and how
// they end (printed, cancelled, failed). Printed output is read back from the PDF the double writes.
#include "../report/PdfText.h"
#include "TestPlatform.h"
#include "ModalHelper.h"
#include "TestPrinting.h"
#include "app/Carvenna.h"
#include "printing/AnteprimaRic.h"
#include "printing/ReceiptPrint.h"
#include "printing/StampaRic.h"
#include "receipts/Ricevuta.h"
#include <QtTest>
#include <memory>

namespace {

constexpr double Pt = pdftext::PointsPerUnit;

// The logo boxes of the two copies, in points.
const QRectF LogoA(52.913386 * Pt, 52.913386 * Pt, 148.913386 * Pt, 83.149606 * Pt);
const QRectF LogoB(52.913386 * Pt, 638.74057 * Pt, 148.913386 * Pt, 83.149606 * Pt);

bool Blue(const QColor& c) {
    return c.blue() > 120 && c.blue() > c.red() + 60 && c.blue() > c.green() + 20;
}
bool Red(const QColor& c) {
    return c.red() > 180 && c.green() < 80 && c.blue() < 80;
}

} // namespace

class tst_stampaRic : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windowsShowTheirTexts_data();
    void windowsShowTheirTexts();
    void printsTheEditorFieldsInBothCopies_data();
    void printsTheEditorFieldsInBothCopies();
    void emptyReceiptKeepsPrefixes();
    void logoOrDefault_data();
    void logoOrDefault();
    void endings_data();
    void endings();
    void missingTemplateObjectWarns();
    void editorButtonsOpenTheWindows();

private:
    std::unique_ptr<QDialog> Open(bool preview);
    void FillEditor();
    pdftext::Document PrintedDocument();

    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<TestPrinting> m_printing;
    std::unique_ptr<Carvenna> m_app;
};

void tst_stampaRic::init() {
    m_tp = std::make_unique<TestPlatform>();
    m_printing = std::make_unique<TestPrinting>(m_tp->dir.path());
    m_tp->platform.printing = m_printing.get();
    m_app = std::make_unique<Carvenna>(m_tp->platform);
    m_app->Start();
    QVERIFY(m_app->ricevuta());
}

void tst_stampaRic::cleanup() {
    m_app.reset();
    m_printing.reset();
    m_tp.reset();
}

std::unique_ptr<QDialog> tst_stampaRic::Open(bool preview) {
    std::unique_ptr<QDialog> w;
    if (preview)
        w = std::make_unique<TfrmAnteprimaRic>(*m_app);
    else
        w = std::make_unique<TfrmStampaRic>(*m_app);
    w->show();
    return w;
}

// An unsaved receipt straight in the editor's controls, with blanks around the values.
void tst_stampaRic::FillEditor() {
    Ui::TfrmRicevuta& e = m_app->ricevuta()->ui;
    e.txtNumRic->setText("  42 ");
    e.txtData->setText("14/03/2026");
    e.txtRicevente01->setText(" Asilo Nido Girotondo ");
    e.txtRicevente02->setText("Via Garibaldi 12");
    e.txtRicevente03->setText("20121 Milano");
    e.txtRicevente04->setText("P.IVA 01234567890");
    e.txtPagatore->setText("  Rossi  Mario  ");
    e.txtCodFisc->setText("RSSMRA80A01F205X");
    e.txtSport->setText("Retta di marzo");
    e.txtDal->setText("01/03/2026");
    e.txtAl->setText("31/03/2026");
    e.txtPraticante->setText("Rossi Lucìa");
    e.txtLuogoNasc->setText("Forlì");
    e.txtDataNasc->setText("02/02/2023");
    e.txtIndirizzo->setText("Contanti");
    e.txtImporto->setText("325");
    e.txtCents->setText("50");
    e.txtImpLettere->setText(" TRECENTOVENTICINQUE ");
    e.txtCentLettere->setText("50");
}

pdftext::Document tst_stampaRic::PrintedDocument() {
    const QString pdf = m_printing->LastPdf();
    if (pdf.isEmpty())
        return {{}, {}, QStringLiteral("nothing was printed")};
    return pdftext::Read(pdf);
}

void tst_stampaRic::windowsShowTheirTexts_data() {
    QTest::addColumn<bool>("preview");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("action");
    QTest::newRow("print") << false << " Stampa ricevuta"
                           << "Stampa";
    QTest::newRow("preview") << true << " Anteprima di stampa"
                             << "Mostra anteprima";
}

void tst_stampaRic::windowsShowTheirTexts() {
    QFETCH(bool, preview);
    QFETCH(QString, caption);
    QFETCH(QString, action);
    auto w = Open(preview);
    QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(w->size(), QSize(364, 287));
    auto* stampa = w->findChild<QPushButton*>("btnStampa");
    auto* annulla = w->findChild<QPushButton*>("btnAnnulla");
    QCOMPARE(stampa->text(), action);
    QCOMPARE(annulla->text(), QStringLiteral("Annulla"));
    QCOMPARE(stampa->geometry(), QRect(200, 243, 145, 28));
    QCOMPARE(annulla->geometry(), QRect(18, 243, 145, 28));
    QCOMPARE(w->findChild<QWidget*>("shpSfondo")->geometry(), QRect(18, 18, 326, 215));
    QVERIFY(!w->findChild<QLabel*>("imgLogo01")->pixmap().isNull());
    QVERIFY(w->findChild<QLabel*>("imgLogo")->isHidden());
    auto* temp = w->findChild<QLabel*>("imgTemp");
    QVERIFY(temp->isHidden());
    QCOMPARE(temp->pixmap().size(), QSize(297, 184));
    if (!qEnvironmentVariableIsEmpty("CARVENNA_GRAB_DIR"))
        w->grab().save(qEnvironmentVariable("CARVENNA_GRAB_DIR") + "/" + w->metaObject()->className() + ".png");
    // Annulla closes the window and prints nothing.
    annulla->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(w->result(), int(QDialog::Rejected));
    QVERIFY(m_printing->jobs.isEmpty());
    QVERIFY(m_tp->messages.shown.isEmpty());
}

void tst_stampaRic::printsTheEditorFieldsInBothCopies_data() {
    QTest::addColumn<bool>("preview");
    QTest::newRow("print") << false;
    QTest::newRow("preview") << true;
}

void tst_stampaRic::printsTheEditorFieldsInBothCopies() {
    QFETCH(bool, preview);
    FillEditor();
    auto w = Open(preview);
    w->findChild<QPushButton*>("btnStampa")->click();
    QVERIFY(!w->isVisible());
    QVERIFY2(m_tp->messages.shown.isEmpty(), qPrintable(m_tp->messages.TakeTexts().join("|")));
    QCOMPARE(m_printing->jobs.size(), 1);
    QCOMPARE(m_printing->jobs[0].preview, preview);
    QCOMPARE(m_printing->jobs[0].pageCount, 1);
    QCOMPARE(m_printing->jobs[0].title, QStringLiteral("Ricevuta di Pagamento"));

    // The memos hold the exact texts, prefixes and their blanks included (the PDF reader below
    // merges blanks), in both copies.
    const QList<QPair<QString, QString>> filled = {
        {"txtNumRic", "Ricevuta n. 42"},       {"txtData", "Data:  14/03/2026"},
        {"txtRicevente01", "Asilo Nido Girotondo"}, {"txtPagatore", "Rossi  Mario"},
        {"txtImpLettere", "TRECENTOVENTICINQUE/50"}, {"txtImporto", "325"}, {"txtCents", "50"},
    };
    auto* dialog = static_cast<ReceiptPrintDialog*>(w.get());
    for (const QString& suffix : {QString(), QStringLiteral("_B")})
        for (const auto& [name, text] : filled) {
            const report::ReportObject* memo = dialog->repDocumento()->FindObject(name + suffix);
            QVERIFY2(memo, qPrintable(name + suffix));
            QCOMPARE(memo->Text(), text);
        }

    const pdftext::Document doc = PrintedDocument();
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    // Each value trimmed, with its prefix, once in each copy at its memo's left edge.
    const QList<QPair<QString, double>> expected = {
        {"Ricevuta n. 42", 551.81138},
        {"Data: 14/03/2026", 551.81138},
        {"Asilo Nido Girotondo", 207.87415},
        {"20121 Milano", 207.87415},
        {"Rossi Mario", 158.74026},
        {"RSSMRA80A01F205X", 597.16574},
        {"Retta di marzo", 98.26778},
        {"01/03/2026", 526.866142},
        {"31/03/2026", 646.29963},
        {"Rossi Lucìa", 124.72449},
        {"Forlì", 491.3389},
        {"02/02/2023", 166.29932},
        {"Contanti", 393.07112},
        {"TRECENTOVENTICINQUE/50", 98.267717},
    };
    for (const auto& [text, left] : expected) {
        QVector<QRectF> hits = pdftext::Find(doc, 0, text);
        QVERIFY2(hits.size() == 2, qPrintable(QStringLiteral("%1: %2 times").arg(text).arg(hits.size())));
        std::sort(hits.begin(), hits.end(), [](const QRectF& a, const QRectF& b) { return a.top() < b.top(); });
        QVERIFY2(hits[0].bottom() < 297 * pdftext::PointsPerMm / 2 && hits[1].top() > 297 * pdftext::PointsPerMm / 2,
                 qPrintable(text));
        for (const QRectF& h : hits)
            QVERIFY2(std::abs(h.left() - left * Pt) < 1.5 * pdftext::PointsPerMm, qPrintable(text));
    }
    // The amount: euros right-aligned in their box, cents centred in theirs.
    for (const auto& [text, right] : {std::pair{QStringLiteral("325"), (498.89796 + 185.19697) * Pt},
                                      std::pair{QStringLiteral("50"), (702.99258 + 34.01577 / 2) * Pt}}) {
        int found = 0;
        for (const pdftext::Word& word : doc.words)
            if (word.text == text && (std::abs(word.box.right() - right) < 2 * pdftext::PointsPerMm ||
                                      std::abs(word.box.center().x() - right) < pdftext::PointsPerMm))
                ++found;
        QVERIFY2(found == 2, qPrintable(text));
    }
}

void tst_stampaRic::emptyReceiptKeepsPrefixes() {
    Ui::TfrmRicevuta& e = m_app->ricevuta()->ui;
    for (QLineEdit* field : m_app->ricevuta()->findChildren<QLineEdit*>())
        field->clear();
    e.txtImpLettere->clear();
    e.txtCentLettere->setText("00");
    auto w = Open(false);
    w->findChild<QPushButton*>("btnStampa")->click();
    const pdftext::Document doc = PrintedDocument();
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    QCOMPARE(pdftext::Find(doc, 0, "Ricevuta n.").size(), 2);
    QCOMPARE(pdftext::Find(doc, 0, "Data:").size(), 2);
    // Only the slash and the cents digits of the amount in words.
    int slash = 0;
    for (const pdftext::Word& word : doc.words)
        slash +=
            word.text == QLatin1String("/00") && std::abs(word.box.left() - 98.267717 * Pt) < 2 * pdftext::PointsPerMm;
    QCOMPARE(slash, 2);
}

void tst_stampaRic::logoOrDefault_data() {
    QTest::addColumn<QString>("logo"); // what Logo.bmp holds
    QTest::newRow("no Logo.bmp") << "";
    QTest::newRow("red Logo.bmp") << "red";
    QTest::newRow("unreadable Logo.bmp") << "garbage";
}

void tst_stampaRic::logoOrDefault() {
    QFETCH(QString, logo);
    if (logo == "red") {
        QImage red(200, 110, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(m_tp->Path("Logo.bmp"), "BMP"));
    } else if (logo == "garbage") {
        QFile f(m_tp->Path("Logo.bmp"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("BM not a bitmap at all");
    }
    FillEditor();
    auto w = Open(true);
    w->findChild<QPushButton*>("btnStampa")->click();
    QVERIFY(m_tp->messages.shown.isEmpty());
    QString error;
    const int dpi = 72;
    const QImage page = pdftext::Raster(m_printing->LastPdf(), 0, dpi, &error);
    QVERIFY2(!page.isNull(), qPrintable(error));
    const bool red = logo == "red";
    for (const QRectF& box : {LogoA, LogoB}) {
        const int area = int(box.width() * box.height());
        const int blue = pdftext::CountPixels(page, dpi, box, Blue);
        const int reds = pdftext::CountPixels(page, dpi, box, Red);
        if (red) {
            QVERIFY2(reds > area / 2 && blue == 0, qPrintable(QStringLiteral("%1 red, %2 blue").arg(reds).arg(blue)));
        } else {
            // The default logo: a blue euro sign covering a good part of the box.
            QVERIFY2(blue > area / 20 && reds == 0, qPrintable(QStringLiteral("%1 blue of %2").arg(blue).arg(area)));
        }
    }
}

void tst_stampaRic::endings_data() {
    QTest::addColumn<bool>("preview");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("warned");
    QTest::newRow("print cancelled") << false << int(Printing::Result::Cancelled) << false;
    QTest::newRow("printer failure") << false << int(Printing::Result::Failed) << true;
    QTest::newRow("preview failure") << true << int(Printing::Result::Failed) << true;
}

void tst_stampaRic::endings() {
    QFETCH(bool, preview);
    QFETCH(int, answer);
    QFETCH(bool, warned);
    FillEditor();
    m_printing->answers.enqueue(Printing::Result(answer));
    auto w = Open(preview);
    w->findChild<QPushButton*>("btnStampa")->click();
    QVERIFY(!w->isVisible()); // the window closes whatever happened
    QCOMPARE(m_printing->jobs.size(), 1);
    QVERIFY(m_printing->jobs[0].pdf.isEmpty());
    const QVector<RecordingMessages::Shown> shown = m_tp->messages.Take();
    QCOMPARE(shown.size(), warned ? 1 : 0);
    if (warned) {
        QCOMPARE(int(shown[0].kind), int(Messages::Kind::Warning));
        QCOMPARE(shown[0].text, QStringLiteral("Attenzione: la visualizzazione dell'anteprima di stampa non è andata a "
                                               "buon fine.\n\r\n\rAccertarsi che la stampante sia configurata "
                                               "correttamente."));
    }
}

void tst_stampaRic::missingTemplateObjectWarns() {
    // A template without one of the objects the window fills: nothing goes to the printer, the
    // warning is shown and the window closes.
    FillEditor();
    auto w = std::make_unique<TfrmStampaRic>(*m_app);
    w->show();
    report::ReportObject* cents = w->repDocumento()->FindObject("txtCents_B");
    QVERIFY(cents);
    cents->name = "txtCentesimi_B";
    w->ui.btnStampa->click();
    QVERIFY(!w->isVisible());
    QVERIFY(m_printing->jobs.isEmpty());
    QCOMPARE(m_tp->messages.TakeTexts(), QStringList{ReceiptPrintWarning()});
}

QTEST_MAIN(tst_stampaRic)
#include "tst_stampaRic.moc"

// The editor's toolbar opens the two windows modally on what it shows.
void tst_stampaRic::editorButtonsOpenTheWindows() {
    m_app->ricevuta()->show();
    m_app->ricevuta()->ui.txtPagatore->setText("Rossi Mario");
    auto* print = ModalHelper::When<TfrmStampaRic>(
        [](TfrmStampaRic* w) { QTest::mouseClick(w->ui.btnStampa, Qt::LeftButton); }, this);
    QTest::mouseClick(m_app->ricevuta()->ui.cmdStampa, Qt::LeftButton);
    QVERIFY(print->Handled());
    QCOMPARE(m_printing->jobs.size(), 1);
    QVERIFY(!m_printing->jobs[0].preview);
    const pdftext::Document doc = PrintedDocument();
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    int found = 0;
    for (const pdftext::Word& w : doc.words)
        found += w.text == "Rossi" ? 1 : 0;
    QCOMPARE(found, 2); // one per copy

    auto* preview = ModalHelper::When<TfrmAnteprimaRic>(
        [](TfrmAnteprimaRic* w) { QTest::mouseClick(w->ui.btnStampa, Qt::LeftButton); }, this);
    QTest::mouseClick(m_app->ricevuta()->ui.cmdAnteprima, Qt::LeftButton);
    QVERIFY(preview->Handled());
    QCOMPARE(m_printing->jobs.size(), 2);
    QVERIFY(m_printing->jobs[1].preview);
    QVERIFY(!QApplication::activeModalWidget());
}
