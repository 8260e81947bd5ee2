// "Invia per e-mail" in the receipt print window and in the yearly statements: the PDF in PDF/ (read back
// with pdftotext), the address from the registry card with the payer's tax code or asked, the message
// handed to the mail program, and what the user is told when no mail program opens.
#include "../report/PdfText.h"
#include "ModalHelper.h"
#include "ReceiptYear.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "printing/MailDocument.h"
#include "printing/StampaRic.h"
#include "receipts/Ricevuta.h"
#include "storage/RegistryFile.h"
#include "summary/Attestazioni.h"
#include <QDir>
#include <QInputDialog>
#include <QLineEdit>
#include <QtTest>
#include <memory>

using Kind = Messages::Kind;

namespace {
struct Card {
    QString code, email;
};
} // namespace

class tst_mail : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void plausibleAddresses_data();
    void plausibleAddresses();
    void receiptAddress_data();
    void receiptAddress();
    void noMailProgram();
    void statementByMail();

private:
    void WriteRegistry(const QVector<Card>& cards);
    void FillEditor();
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Carvenna> m_app;
};

void tst_mail::init() {
    m_tp = std::make_unique<TestPlatform>();
    m_app = std::make_unique<Carvenna>(m_tp->platform);
    m_app->Start();
    FillEditor();
}

void tst_mail::cleanup() {
    QVERIFY(m_tp->messages.shown.isEmpty()); // every message was checked
    m_app.reset();
    m_tp.reset();
}

void tst_mail::WriteRegistry(const QVector<Card>& cards) {
    RegistryFile f;
    QVERIFY(f.OpenOrCreate(m_tp->platform.programFolder));
    for (const Card& c : cards) {
        RegistryRecord r;
        r.Tiratore = "Rossi Mario";
        r.CodFisc = c.code;
        r.Email = c.email;
        QVERIFY(f.AppendRecord(r));
    }
    QVERIFY(f.Close());
}

void tst_mail::FillEditor() {
    Ui::TfrmRicevuta& e = m_app->ricevuta()->ui;
    e.lblFile->setText(m_tp->Path("2026.ric"));
    e.txtNumRic->setText(" 127 ");
    e.txtData->setText("10/12/2026");
    e.txtRicevente01->setText("Asilo Nido Girotondo");
    e.txtPagatore->setText("Rossi Mario");
    e.txtCodFisc->setText("RSSMRA80A01H501U");
    e.txtSport->setText("Retta di dicembre");
    e.txtImporto->setText("150");
    e.txtCents->setText("00");
}

void tst_mail::plausibleAddresses_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("plausible");
    QTest::newRow("plain") << "mario.rossi@example.it" << true;
    QTest::newRow("plus") << "m+scuola@example.it" << true;
    QTest::newRow("no at") << "mario.rossi" << false;
    QTest::newRow("two addresses") << "a@b.it,c@d.it" << false;
    QTest::newRow("blank inside") << "mario rossi@example.it" << false;
    QTest::newRow("nothing before the at") << "@example.it" << false;
    QTest::newRow("taken for an option") << "-x@example.it" << false;
    QTest::newRow("two at") << "a@b@c.it" << false;
}

void tst_mail::plausibleAddresses() {
    QFETCH(QString, address);
    QFETCH(bool, plausible);
    QCOMPARE(PlausibleEmail(address), plausible);
}

void tst_mail::receiptAddress_data() {
    QTest::addColumn<QVector<Card>>("cards");
    QTest::addColumn<QString>("typed"); // answer to the address question; empty: not asked
    QTest::addColumn<bool>("cancel");   // the question is cancelled
    QTest::addColumn<QString>("to");    // the address of the message; empty: no message
    QTest::addColumn<QString>("warning");
    QTest::newRow("card with that tax code")
        << QVector<Card>{{"BNCNNA85C45H501Z", "anna@example.it"}, {"rssmra80a01h501u ", "mario@example.it"}} << ""
        << false << "mario@example.it"
        << "";
    QTest::newRow("latest card that gives an address") << QVector<Card>{{"RSSMRA80A01H501U", "vecchio@example.it"},
                                                                        {"RSSMRA80A01H501U", "nuovo@example.it"},
                                                                        {"RSSMRA80A01H501U", ""}}
                                                       << "" << false << "nuovo@example.it"
                                                       << "";
    QTest::newRow("no card: asked") << QVector<Card>{{"BNCNNA85C45H501Z", "anna@example.it"}} << " mamma@example.it "
                                    << false << "mamma@example.it"
                                    << "";
    QTest::newRow("no registry: asked") << QVector<Card>{} << "mamma@example.it" << false << "mamma@example.it"
                                        << "";
    QTest::newRow("question cancelled") << QVector<Card>{} << "x" << true << ""
                                        << "";
    QTest::newRow("address not valid") << QVector<Card>{} << "mamma at example.it" << false << ""
                                       << "Attenzione: l'indirizzo e-mail \"mamma at example.it\" non è valido.";
}

void tst_mail::receiptAddress() {
    QFETCH(QVector<Card>, cards);
    QFETCH(QString, typed);
    QFETCH(bool, cancel);
    QFETCH(QString, to);
    QFETCH(QString, warning);
    if (!cards.isEmpty())
        WriteRegistry(cards);
    TfrmStampaRic w(*m_app);
    w.show();
    QString asked;
    std::unique_ptr<ModalHelper> helper;
    if (!typed.isEmpty())
        helper.reset(ModalHelper::When<QInputDialog>([&](QInputDialog* d) {
            asked = d->labelText();
            d->setTextValue(typed);
            cancel ? d->reject() : d->accept();
        }));
    QTest::mouseClick(w.ui.btnEmail, Qt::LeftButton);
    if (helper)
        QVERIFY(helper->Handled());
    if (!typed.isEmpty())
        QVERIFY2(asked.contains("RSSMRA80A01H501U"), qPrintable(asked));
    // Looking for the address never creates a registry.
    QCOMPARE(QFile::exists(m_tp->Path("Archivio_Iscritti.pro")), !cards.isEmpty());

    const QString pdf = m_tp->Path("PDF/Ricevuta_2026_00127.pdf");
    QCOMPARE(m_tp->messages.TakeTexts(), warning.isEmpty() ? QStringList() : QStringList{warning});
    if (to.isEmpty()) {
        QVERIFY(m_tp->shell.mails.isEmpty());
        QVERIFY(!QFile::exists(pdf)); // nothing is written for a message that is not sent
        QVERIFY(w.isVisible());       // the receipt can still be printed
        return;
    }
    QCOMPARE(m_tp->shell.mails.size(), 1);
    const MailDraft& m = m_tp->shell.mails[0];
    QCOMPARE(m.to, to);
    QCOMPARE(m.subject, QStringLiteral("Ricevuta n. 127 del 10/12/2026"));
    QCOMPARE(m.body, QStringLiteral("Gentile Rossi Mario,\n\nin allegato la ricevuta n. 127 del 10/12/2026 per: Retta "
                                    "di dicembre.\n\nCordiali saluti\nAsilo Nido Girotondo"));
    QCOMPARE(m.attachment, pdf);
    QVERIFY(!w.isVisible()); // done: the window closed

    // The attachment is the receipt, both copies, as a PDF reader sees it.
    const pdftext::Document doc = pdftext::Read(pdf);
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    QCOMPARE(doc.pages.size(), 1);
    QCOMPARE(pdftext::Find(doc, 0, "Ricevuta n. 127").size(), 2);
    QCOMPARE(pdftext::Find(doc, 0, "Rossi Mario").size(), 2);
}

void tst_mail::noMailProgram() {
    WriteRegistry({{"RSSMRA80A01H501U", "mario@example.it"}});
    m_tp->shell.mailFails = true;
    TfrmStampaRic w(*m_app);
    w.show();
    QTest::mouseClick(w.ui.btnEmail, Qt::LeftButton);
    const QString pdf = m_tp->Path("PDF/Ricevuta_2026_00127.pdf");
    const auto shown = m_tp->messages.Take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].kind, Kind::Warning);
    QCOMPARE(shown[0].text, QStringLiteral("Attenzione: non è stato possibile aprire il programma di posta "
                                           "elettronica.\n\r\n\rnessun programma di posta\n\r\n\rIl documento è "
                                           "stato salvato nel file ") +
                                QDir::toNativeSeparators(pdf) +
                                QStringLiteral(": allegarlo a un nuovo messaggio per mario@example.it."));
    QVERIFY(QFileInfo(pdf).size() > 1000); // left where the message says
    QVERIFY(w.isVisible());
}

void tst_mail::statementByMail() {
    WriteRegistry({{"RSSMRA80A01H501U", "mario@example.it"}});
    QVERIFY(!WriteReceiptYear(m_tp->Path("2026.ric"), QVector<int>{1, 2}, [](int i) {
                 ReceiptRecord r;
                 r.NumRic = QString::number(i);
                 r.Data = QStringLiteral("0%1/03/2026").arg(i);
                 r.Pagatore = "Rossi Mario";
                 r.CodFisc = "RSSMRA80A01H501U";
                 r.Praticante = "Rossi Luca";
                 r.Indirizzo = "Bonifico";
                 r.Intero = "150,00";
                 return r;
             }).isEmpty());
    TfrmAttestazioni w(*m_app, 2026, nullptr);
    w.ui.lblFile->setText(m_tp->Path("2026.ric"));
    w.show();
    QCOMPARE(w.Statements().groups.size(), 1);

    w.ui.tblAttestazioni->clearSelection();
    QTest::mouseClick(w.ui.btnEmail, Qt::LeftButton);
    QCOMPARE(m_tp->messages.TakeTexts(),
             QStringList{"Invio non applicabile: selezionare nell'elenco la riga del pagatore e del minore di cui "
                         "inviare l'attestazione."});
    w.ui.tblAttestazioni->selectRow(0);
    QTest::mouseClick(w.ui.btnEmail, Qt::LeftButton);
    QCOMPARE(m_tp->shell.mails.size(), 1);
    const MailDraft& m = m_tp->shell.mails[0];
    QCOMPARE(m.to, QStringLiteral("mario@example.it"));
    QCOMPARE(m.subject, QStringLiteral("Attestazione dei pagamenti anno 2026 - Rossi Luca"));
    QCOMPARE(m.attachment, m_tp->Path("PDF/Attestazione_2026_Rossi_Luca.pdf"));
    const pdftext::Document doc = pdftext::Read(m.attachment);
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    QVERIFY(!pdftext::Find(doc, 0, "Rossi Luca").isEmpty());
    QVERIFY(!pdftext::Find(doc, 0, "300,00").isEmpty());
}

QTEST_MAIN(tst_mail)
#include "tst_mail.moc"
