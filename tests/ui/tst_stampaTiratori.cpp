// The registry card print and preview windows: what they read from the registry editor, where each value
// lands on the A4 page, values cut at their box, the photo box, and how the windows end. The printed page
// is read back from the PDF that the printing double writes.
#include "../report/PdfText.h"
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Carvenna.h"
#include "printing/AnteprimaTiratori.h"
#include "printing/CardPrint.h"
#include "printing/DesktopPrinting.h"
#include "printing/StampaTiratori.h"
#include "registry/PhotoView.h"
#include "registry/Tiratori.h"
#include "storage/Text.h"
#include <QtTest>
#include <memory>

namespace {

constexpr double Pt = pdftext::PointsPerUnit;
constexpr double Margin = 37.795276; // 10 mm in template units
constexpr double Mm = pdftext::PointsPerMm;

// A template rectangle (page-relative inside the margins) in PDF points.
QRectF OnPaper(double left, double top, double width, double height) {
    return QRectF((left + Margin) * Pt, (top + Margin) * Pt, width * Pt, height * Pt);
}
const QRectF PhotoBox = OnPaper(3.779528, 41.57482, 710.55164, 529.1342);

bool Red(const QColor& c) {
    return c.red() > 180 && c.green() < 80 && c.blue() < 80;
}
// The silhouette of the editor's placeholder picture.
bool Silhouette(const QColor& c) {
    return qAbs(c.red() - 0x9F) < 20 && qAbs(c.green() - 0xC3) < 20 && qAbs(c.blue() - 0xE8) < 20;
}

struct Value {
    const char* field;
    QString typed;           // as in the editor, blanks around
    QString shown;           // as printed (the PDF reader merges inner blanks)
    double left, top, width; // the value memo
};

// Every value memo, with the text it gets and its place in the template.
const QList<Value>& Values() {
    static const QList<Value> values = {
        {"txtTiratore", "  Rossi Mario ", "Rossi Mario", 7.55906, 8.314958, 702.99258},
        {"txtLuogoNasc", "Forlì", "Forlì", 7.55906, 602.45773, 211.653575},
        {"txtDataNasc", "01/01/1980", "01/01/1980", 234.33086, 602.45773, 113.385685},
        {"txtSesso", "M", "M", 362.83488, 602.45773, 52.913205},
        {"txtIndirizzo", "Via Garibaldi 12", "Via Garibaldi 12", 430.86642, 602.45773, 279.685005},
        {"txtCitta", "Milano", "Milano", 7.55906, 655.37115, 211.653465},
        {"txtCap", "20121", "20121", 234.33086, 655.37115, 113.385685},
        {"txtNazione", "Italia", "Italia", 362.83488, 655.37115, 162.519575},
        {"txtCodFisc", "RSSMRA80A01F205X", "RSSMRA80A01F205X", 540.47279, 655.37115, 170.078635},
        {"txtStudio", "30/06/2027", "30/06/2027", 7.55906, 708.28457, 211.653543},
        {"txtEnte", "Retta annuale", "Retta annuale", 234.33086, 708.28457, 291.023595},
        {"txtCittadinanza", "Italiana", "Italiana", 540.47279, 708.28457, 170.078635},
        {"txtGruppo", "Bianchi Anna (nonna)", "Bianchi Anna (nonna)", 7.55906, 759.68553, 340.157534},
        {"txtProfessione", "333 1234567", "333 1234567", 362.83488, 761.19799, 347.716545},
        {"txtTessera", "42", "42", 7.55906, 814.11141, 226.771695},
        {"txtQuota", "325,50", "325,50", 249.44898, 814.11141, 98.267565},
        {"txtInizioTes", "01/09/2026", "01/09/2026", 362.83488, 814.11141, 162.519575},
        {"txtFineTes", "31/08/2027", "31/08/2027", 540.47279, 814.11141, 170.078635},
        {"txtEmail", "mario.rossi@example.it", "mario.rossi@example.it", 7.55906, 867.02483, 340.15748},
        {"txtTel", "02 1234567", "02 1234567", 362.83488, 867.02483, 162.519575},
        {"txtCel", "347 7654321", "347 7654321", 540.47279, 867.02483, 170.07874},
        {"txtArmi", "Rossi Lucìa", "Rossi Lucìa", 7.55906, 919.93825, 340.15748},
        {"txtPorto", "Cesena", "Cesena", 362.83488, 919.93825, 347.716545},
        {"txtInizioPor", "02/02/2023", "02/02/2023", 7.55906, 972.85167, 162.519685},
        {"txtFinePor", "Bonifico", "Bonifico", 185.19697, 972.85167, 525.354216},
        {"txtNote", "Allergia alle arachidi", "Allergia alle arachidi", 7.559055, 1024.25263, 702.992126},
    };
    return values;
}

} // namespace

class tst_stampaTiratori : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windowsShowTheirTexts_data();
    void windowsShowTheirTexts();
    void printsEveryValueInItsBox_data();
    void printsEveryValueInItsBox();
    void longValuesAreCutAtTheBoxEdge();
    void photoBox_data();
    void photoBox();
    void endings_data();
    void endings();
    void missingObjectOrFieldWarns();
    void editorCommandsPrintTheShownCard_data();
    void editorCommandsPrintTheShownCard();

private:
    std::unique_ptr<CardPrintDialog> Open(bool preview);
    void FillEditor();

    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<TestPrinting> m_printing;
    std::unique_ptr<Carvenna> m_app;
    std::unique_ptr<TfrmTiratori> m_editor;
};

void tst_stampaTiratori::init() {
    m_tp = std::make_unique<TestPlatform>();
    m_printing = std::make_unique<TestPrinting>(m_tp->dir.path());
    m_tp->platform.printing = m_printing.get();
    m_app = std::make_unique<Carvenna>(m_tp->platform);
    m_editor = std::make_unique<TfrmTiratori>(*m_app);
}

void tst_stampaTiratori::cleanup() {
    m_editor.reset();
    m_app.reset();
    m_printing.reset();
    m_tp.reset();
}

std::unique_ptr<CardPrintDialog> tst_stampaTiratori::Open(bool preview) {
    std::unique_ptr<CardPrintDialog> w;
    if (preview)
        w = std::make_unique<TfrmAnteprimaTiratori>(*m_app, m_editor.get());
    else
        w = std::make_unique<TfrmStampaTiratori>(*m_app, m_editor.get());
    w->show();
    return w;
}

void tst_stampaTiratori::FillEditor() {
    for (const Value& v : Values())
        m_editor->findChild<QLineEdit*>(v.field)->setText(v.typed);
}

void tst_stampaTiratori::windowsShowTheirTexts_data() {
    QTest::addColumn<bool>("preview");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("action");
    QTest::newRow("print") << false << " Stampa scheda"
                           << "Stampa";
    QTest::newRow("preview") << true << " Anteprima di stampa"
                             << "Mostra anteprima";
}

void tst_stampaTiratori::windowsShowTheirTexts() {
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
    QCOMPARE(PhotoOf(w->findChild<QLabel*>("imgTemp")).size(), QSize(297, 184));
    QCOMPARE(w->repDocumento()->name, QStringLiteral("Scheda Anagrafica"));
    if (!qEnvironmentVariableIsEmpty("CARVENNA_GRAB_DIR"))
        w->grab().save(qEnvironmentVariable("CARVENNA_GRAB_DIR") + "/" + w->metaObject()->className() + ".png");
    annulla->click();
    QVERIFY(!w->isVisible());
    QVERIFY(m_printing->jobs.isEmpty());
    QVERIFY(m_tp->messages.shown.isEmpty());
}

void tst_stampaTiratori::printsEveryValueInItsBox_data() {
    QTest::addColumn<bool>("preview");
    QTest::newRow("print") << false;
    QTest::newRow("preview") << true;
}

void tst_stampaTiratori::printsEveryValueInItsBox() {
    QFETCH(bool, preview);
    FillEditor();
    auto w = Open(preview);
    w->findChild<QPushButton*>("btnStampa")->click();
    QVERIFY(!w->isVisible());
    QVERIFY2(m_tp->messages.shown.isEmpty(), qPrintable(m_tp->messages.TakeTexts().join("|")));
    QCOMPARE(m_printing->jobs.size(), 1);
    QCOMPARE(m_printing->jobs[0].preview, preview);
    QCOMPARE(m_printing->jobs[0].pageCount, 1);
    QCOMPARE(m_printing->jobs[0].title, QStringLiteral("Scheda Anagrafica"));
    for (const Value& v : Values())
        QCOMPARE(w->repDocumento()->FindObject(v.field)->Text(), TrimText(v.typed));

    const pdftext::Document doc = pdftext::Read(m_printing->LastPdf());
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    QCOMPARE(doc.pages.size(), 1);
    QVERIFY(std::abs(doc.pages[0].width() - 210 * Mm) < 1 && std::abs(doc.pages[0].height() - 297 * Mm) < 1);
    for (const Value& v : Values()) {
        const QString name = QLatin1String(v.field);
        const QVector<QRectF> hits = pdftext::Find(doc, 0, v.shown);
        QVERIFY2(hits.size() == 1, qPrintable(QStringLiteral("%1: %2 times").arg(name).arg(hits.size())));
        const QRectF box = OnPaper(v.left, v.top, v.width, name == "txtTiratore" ? 22.67717 : 15.11811);
        const QRectF& hit = hits[0];
        // Vertically centred in the memo; left-aligned at its edge, or centred (parent's name, sex).
        QVERIFY2(std::abs(hit.center().y() - box.center().y()) < Mm, qPrintable(name));
        if (name == "txtTiratore" || name == "txtSesso")
            QVERIFY2(std::abs(hit.center().x() - box.center().x()) < Mm, qPrintable(name));
        else
            QVERIFY2(std::abs(hit.left() - box.left()) < Mm, qPrintable(name));
    }
    // The fixed captions stay, also the ones that repeat for the child.
    for (const auto& [caption, count] :
         {std::pair{QStringLiteral("LUOGO DI NASCITA"), 2}, std::pair{QStringLiteral("DATA DI NASCITA"), 2},
          std::pair{QStringLiteral("SCAD. CERTIFICATO MEDICO"), 1}, std::pair{QStringLiteral("QUOTA: €"), 1},
          std::pair{QStringLiteral("MODALITA' DI PAGAMENTO"), 1}, std::pair{QStringLiteral("NOTE"), 1}})
        QVERIFY2(pdftext::Find(doc, 0, caption).size() == count, qPrintable(caption));
}

void tst_stampaTiratori::longValuesAreCutAtTheBoxEdge() {
    FillEditor();
    const QString longCity = QStringLiteral("12345678901234567890123456789012345678901234567890");
    const QString longNote = QStringLiteral("Nota ") + QString(200, u'x');
    m_editor->ui.txtCitta->setText(longCity);
    m_editor->ui.txtNote->setText(longNote);
    auto w = Open(false);
    w->findChild<QPushButton*>("btnStampa")->click();
    const pdftext::Document doc = pdftext::Read(m_printing->LastPdf());
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    for (const auto& [start, value, box] :
         {std::tuple{QStringLiteral("1234567890"), longCity, OnPaper(7.55906, 655.37115, 211.653465, 15.11811)},
          std::tuple{QStringLiteral("xxxx"), QString(200, u'x'),
                     OnPaper(7.559055, 1024.25263, 702.992126, 15.11811)}}) {
        const QVector<pdftext::Word> words = pdftext::WordsContaining(doc, 0, start);
        QCOMPARE(words.size(), 1); // one line: nothing wraps onto a second one
        const pdftext::Word& word = words[0];
        QVERIFY(word.text.size() < value.size());
        QVERIFY(value.startsWith(word.text));
        // Only the glyph that the edge cuts through may reach past it (the page clips it there).
        QVERIFY2(word.box.right() < box.right() + 5, qPrintable(QString::number(word.box.right())));
        QVERIFY(word.box.right() > box.right() - 3 * Mm); // cut at the edge, not far before it
    }
}

void tst_stampaTiratori::photoBox_data() {
    QTest::addColumn<QString>("photo");
    QTest::newRow("card photo") << "red";
    QTest::newRow("camera's full picture") << "huge";
    QTest::newRow("no photo: the editor's placeholder") << "placeholder";
}

void tst_stampaTiratori::photoBox() {
    QFETCH(QString, photo);
    if (photo == "red" || photo == "huge") {
        QImage red(photo == "huge" ? QSize(8000, 6000) : QSize(300, 400), QImage::Format_RGB32);
        red.fill(Qt::red);
        m_editor->SetPhoto(red);
    } else {
        m_editor->RemovePhoto();
    }
    FillEditor();
    auto w = Open(true);
    w->findChild<QPushButton*>("btnStampa")->click();
    QVERIFY2(m_tp->messages.shown.isEmpty(), qPrintable(m_tp->messages.TakeTexts().join("|")));
    const report::ReportObject* img = w->repDocumento()->FindObject("imgLogo");
    // What goes to paper is at most what the box shows at 300 dpi.
    QVERIFY(img->image.width() <= 2221 && img->image.height() <= 1654);

    QString error;
    const int dpi = 50;
    const QImage page = pdftext::Raster(m_printing->LastPdf(), 0, dpi, &error);
    QVERIFY2(!page.isNull(), qPrintable(error));
    const int area = int(PhotoBox.width() * PhotoBox.height() * dpi * dpi / (72.0 * 72.0));
    const int reds = pdftext::CountPixels(page, dpi, PhotoBox, Red);
    const int shapes = pdftext::CountPixels(page, dpi, PhotoBox, Silhouette);
    const QString counts = QStringLiteral("red %1, placeholder %2 of %3").arg(reds).arg(shapes).arg(area);
    if (photo == "red") // a portrait photo, centred: about 0.56 of the box's height-wide strip
        QVERIFY2(reds > area / 3 && shapes == 0, qPrintable(counts));
    else if (photo == "huge") // 4:3 fills the box's height
        QVERIFY2(reds > area * 2 / 3 && shapes == 0, qPrintable(counts));
    else // the silhouette covers about a third of the portrait picture
        QVERIFY2(shapes > area / 10 && reds == 0, qPrintable(counts));
    // Nothing of the photo outside its box: the strip just below it is the caption row.
    const QRectF below(PhotoBox.left(), PhotoBox.bottom() + 1, PhotoBox.width(), 3);
    QCOMPARE(pdftext::CountPixels(page, dpi, below, Red), 0);
}

void tst_stampaTiratori::endings_data() {
    QTest::addColumn<bool>("preview");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("warning");
    QTest::newRow("print cancelled") << false << int(Printing::Result::Cancelled) << QString();
    QTest::newRow("printer failure")
        << false << int(Printing::Result::Failed)
        << "Attenzione: la stampa non è andata a buon fine.\n\r\n\rSi consiglia di ridurre le dimensioni della foto.";
    QTest::newRow("preview failure") << true << int(Printing::Result::Failed)
                                     << "Attenzione: la visualizzazione dell'anteprima di stampa non è andata a buon "
                                        "fine.\n\r\n\rSi consiglia di ridurre le dimensioni della foto.";
}

void tst_stampaTiratori::endings() {
    QFETCH(bool, preview);
    QFETCH(int, answer);
    QFETCH(QString, warning);
    FillEditor();
    m_printing->answers.enqueue(Printing::Result(answer));
    auto w = Open(preview);
    w->findChild<QPushButton*>("btnStampa")->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(m_printing->jobs.size(), 1);
    const auto shown = m_tp->messages.Take();
    QCOMPARE(shown.size(), warning.isEmpty() ? 0 : 1);
    if (!warning.isEmpty()) {
        QCOMPARE(int(shown[0].kind), int(Messages::Kind::Warning));
        QCOMPARE(shown[0].text, warning);
    }
}

void tst_stampaTiratori::missingObjectOrFieldWarns() {
    FillEditor();
    {
        auto w = Open(false);
        w->repDocumento()->FindObject("txtNote")->name = "txtNote2";
        w->findChild<QPushButton*>("btnStampa")->click();
        QVERIFY(!w->isVisible());
    }
    m_editor->ui.txtCel->setObjectName(QStringLiteral("txtCellulare")); // the print cannot find it
    {
        auto w = Open(true);
        w->findChild<QPushButton*>("btnStampa")->click();
        QVERIFY(!w->isVisible());
    }
    QVERIFY(m_printing->jobs.isEmpty());
    QCOMPARE(m_tp->messages.TakeTexts(), (QStringList{CardPrintWarning(false), CardPrintWarning(true)}));
}

void tst_stampaTiratori::editorCommandsPrintTheShownCard_data() {
    QTest::addColumn<bool>("preview");
    QTest::addColumn<QString>("number"); // lblPosizione
    QTest::addColumn<QString>("pdf");    // proposed when printed to a file
    QTest::newRow("print, stored card") << false << "12"
                                        << "PDF/Scheda_12.pdf";
    QTest::newRow("preview, stored card") << true << "7"
                                          << "PDF/Scheda_7.pdf";
    QTest::newRow("print, card not stored yet") << false << ""
                                                << "PDF/Scheda.pdf";
}

void tst_stampaTiratori::editorCommandsPrintTheShownCard() {
    QFETCH(bool, preview);
    QFETCH(QString, number);
    QFETCH(QString, pdf);
    m_editor->show();
    FillEditor();
    m_editor->ui.lblPosizione->setText(number);
    // Larger than the photo box on screen, smaller than the print limit: it must reach the paper whole.
    QImage photo(900, 1200, QImage::Format_RGB32);
    photo.fill(Qt::red);
    m_editor->SetPhoto(photo);
    QString proposed;
    QSize printed;
    auto* helper = ModalHelper::When<QDialog>(
        [&](QDialog* d) {
            auto* w = dynamic_cast<CardPrintDialog*>(d);
            QVERIFY(w);
            QCOMPARE(w->parentWidget(), m_editor.get());
            QCOMPARE(bool(qobject_cast<TfrmAnteprimaTiratori*>(w)), preview);
            w->findChild<QPushButton*>("btnStampa")->click();
            proposed = DesktopPrinting(m_tp->platform.programFolder).PdfPath(w->repDocumento()->Prepared());
            printed = w->repDocumento()->FindObject("imgLogo")->image.size();
        },
        this);
    (preview ? m_editor->ui.cmdAnteprima : m_editor->ui.cmdStampa)->click();
    QVERIFY(helper->Handled());
    QVERIFY2(m_tp->messages.shown.isEmpty(), qPrintable(m_tp->messages.TakeTexts().join("|")));
    QCOMPARE(m_printing->jobs.size(), 1);
    QCOMPARE(m_printing->jobs[0].preview, preview);
    QCOMPARE(QDir::cleanPath(proposed), QDir::cleanPath(m_tp->Path(pdf)));
    QCOMPARE(printed, photo.size());
    const pdftext::Document doc = pdftext::Read(m_printing->LastPdf());
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    QCOMPARE(pdftext::Find(doc, 0, QStringLiteral("Rossi Mario")).size(), 1);
}

QTEST_MAIN(tst_stampaTiratori)
#include "tst_stampaTiratori.moc"
