// Printing to a PDF file through the real print dialog: the entry is offered (and chosen when the system
// has no printer), the proposed file lies in the folder PDF of the program folder with a telling name,
// an existing file is only replaced after the dialog's question, and the file holds both receipt copies
// as text.
#include "../report/PdfText.h"
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "app/ProgramMain.h"
#include "printing/DesktopPrinting.h"
#include "printing/StampaRic.h"
#include "receipts/Ricevuta.h"
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <memory>

namespace {

QString PdfInfo(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Chooses the print-to-file entry (the last one of the printer list), as a user would.
void ChooseFileEntry(QPrintDialog* d) {
    auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers"));
    QVERIFY(printers);
    printers->setCurrentIndex(printers->count() - 1);
}

QPushButton* OkButton(QPrintDialog* d) {
    auto* box = d->findChild<QDialogButtonBox*>();
    return box ? box->button(QDialogButtonBox::Ok) : nullptr;
}

} // namespace

class tst_printToFile : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void receiptPrintedToPdf();
    void existingFileNeedsConsent();
    void dialogSpeaksItalian();

private:
    // Fills the editor with receipt 127 of 2026 and clicks Stampa in the receipt print window;
    // `onDialog` answers the print dialog.
    void PrintReceipt(const std::function<void(QPrintDialog*)>& onDialog);

    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<DesktopPrinting> m_printing;
    std::unique_ptr<Carvenna> m_app;
    QString m_expected; // the proposed file
};

void tst_printToFile::init() {
    m_tp = std::make_unique<TestPlatform>();
    m_printing = std::make_unique<DesktopPrinting>(m_tp->platform.programFolder);
    m_tp->platform.printing = m_printing.get();
    m_app = std::make_unique<Carvenna>(m_tp->platform);
    m_app->Start();
    m_expected = m_tp->Path(QStringLiteral("PDF/Ricevuta_2026_00127.pdf"));
}

void tst_printToFile::cleanup() {
    if (m_tp)
        QVERIFY2(m_tp->messages.shown.isEmpty(), qPrintable(m_tp->messages.TakeTexts().join(" | ")));
    m_app.reset();
    m_printing.reset();
    m_tp.reset();
}

void tst_printToFile::PrintReceipt(const std::function<void(QPrintDialog*)>& onDialog) {
    Ui::TfrmRicevuta& e = m_app->ricevuta()->ui;
    e.lblFile->setText(m_tp->Path(QStringLiteral("2026.ric")));
    e.txtNumRic->setText(QStringLiteral("127"));
    e.txtData->setText(QStringLiteral("10/12/2026"));
    e.txtPagatore->setText(QStringLiteral("Bianchi Carla"));
    e.txtImporto->setText(QStringLiteral("180"));
    e.txtCents->setText(QStringLiteral("00"));
    TfrmStampaRic window(*m_app);
    window.show();
    bool answered = false;
    ModalHelper* helper = ModalHelper::When<QPrintDialog>(
        [&](QPrintDialog* d) {
            answered = true;
            onDialog(d);
        },
        this, 8000);
    window.findChild<QPushButton*>(QStringLiteral("btnStampa"))->click();
    QVERIFY(answered);
    QVERIFY2(helper->Unexpected().isEmpty(), qPrintable(helper->Unexpected()));
    delete helper;
}

void tst_printToFile::receiptPrintedToPdf() {
    bool offersFile = false, openedOnFile = false;
    QString proposed;
    PrintReceipt([&](QPrintDialog* d) {
        auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers"));
        offersFile = printers && printers->findText(QStringLiteral("PDF"), Qt::MatchContains) >= 0;
        openedOnFile = printers && printers->currentIndex() == printers->count() - 1;
        ChooseFileEntry(d);
        proposed = d->findChild<QLineEdit*>(QStringLiteral("filename"))->text();
        OkButton(d)->click();
    });
    QVERIFY(offersFile);
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        QVERIFY(openedOnFile);
    QCOMPARE(proposed, m_expected);
    QVERIFY(QFileInfo(m_expected).size() > 0);

    const pdftext::Document doc = pdftext::Read(m_expected);
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    QCOMPARE(doc.pages.size(), 1);
    // Both copies, as text, one above the other.
    for (const QString& phrase : {QStringLiteral("Ricevuta n. 127"), QStringLiteral("Bianchi Carla")}) {
        const QVector<QRectF> found = pdftext::Find(doc, 0, phrase);
        QCOMPARE(found.size(), 2);
        QVERIFY(found[1].top() - found[0].top() > 300);
    }
    QVERIFY2(PdfInfo(m_expected).contains(QRegularExpression(QStringLiteral("Title:\\s+\\S"))),
             qPrintable(PdfInfo(m_expected)));
}

void tst_printToFile::existingFileNeedsConsent() {
    QVERIFY(QDir().mkpath(QFileInfo(m_expected).absolutePath()));
    {
        QFile old(m_expected);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier receipt");
    }
    // Declining the question keeps the old file and the dialog; the second time the user agrees.
    int asked = 0;
    bool stayedOpen = false;
    PrintReceipt([&](QPrintDialog* d) {
        ChooseFileEntry(d);
        ModalHelper* no = ModalHelper::When<QMessageBox>(
            [&](QMessageBox* box) {
                ++asked;
                box->button(QMessageBox::No)->click();
            },
            d);
        OkButton(d)->click();
        stayedOpen = d->isVisible();
        delete no;
        QFile kept(m_expected);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("earlier receipt"));
        ModalHelper* yes = ModalHelper::When<QMessageBox>(
            [&](QMessageBox* box) {
                ++asked;
                box->button(QMessageBox::Yes)->click();
            },
            d);
        OkButton(d)->click();
        delete yes;
    });
    QCOMPARE(asked, 2);
    QVERIFY(stayedOpen);
    const pdftext::Document doc = pdftext::Read(m_expected);
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    QCOMPARE(pdftext::Find(doc, 0, QStringLiteral("Ricevuta n. 127")).size(), 2);
}

// Every text of the dialog's controls, as the user reads them.
QStringList VisibleTexts(QWidget* root) {
    QStringList texts;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            texts << b->text();
        else if (auto* l = qobject_cast<QLabel*>(w))
            texts << l->text();
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            texts << g->title();
        else if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i)
                texts << c->itemText(i);
        else if (auto* t = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i)
                texts << t->tabText(i);
    }
    texts << root->windowTitle();
    texts.removeAll(QString());
    return texts;
}

void tst_printToFile::dialogSpeaksItalian() {
    InstallItalian(*qApp);
    QStringList texts;
    PrintReceipt([&](QPrintDialog* d) {
        ChooseFileEntry(d);
        texts = VisibleTexts(d);
        if (!qEnvironmentVariableIsEmpty("CARVENNA_GRAB_DIR"))
            d->grab().save(qEnvironmentVariable("CARVENNA_GRAB_DIR") + "/printdialog.png");
        d->reject();
    });
    QVERIFY(texts.contains(QStringLiteral("Stampa su file (PDF)")));
    QVERIFY(texts.contains(QStringLiteral("Pagine")));
    // What Qt's Italian translation leaves in English.
    for (const char* english : {"Pages", "Double Sided Printing", "Off", "Long side binding", "Short side binding"})
        QVERIFY2(!texts.contains(QLatin1String(english)), english);
}

QTEST_MAIN(tst_printToFile)
#include "tst_printToFile.moc"
