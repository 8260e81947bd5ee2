// The receipt rules that the editor, the month's fees, the invoices and the readers of the archive share:
// the amount as saving stores it, whether a receipt is cancelled, and a card's payer copied into a receipt.
#include "receipts/AmountWords.h"
#include "receipts/Cancellation.h"
#include "receipts/CardPayer.h"
#include "receipts/ReceiptAmount.h"
#include <QtTest>
#include <QFile>
#include <QTemporaryDir>

class TestReceiptRules : public QObject {
    Q_OBJECT
private slots:
    void amountFromBoxes_data() {
        QTest::addColumn<QString>("euro");
        QTest::addColumn<QString>("cents");
        QTest::addColumn<QString>("importo");
        QTest::addColumn<QString>("storedCents");
        QTest::addColumn<QString>("intero");
        QTest::addColumn<bool>("words"); // whether the euro have words
        QTest::newRow("euro and cents") << "150" << "25" << "150" << "25" << "150,25" << true;
        QTest::newRow("no euro is 0, without words") << "" << "50" << "0" << "50" << "0,50" << false;
        QTest::newRow("blank euro is 0") << "   " << "50" << "0" << "50" << "0,50" << false;
        QTest::newRow("no cents are 00") << "12" << "" << "12" << "00" << "12,00" << true;
        QTest::newRow("blank cents are 00") << "12" << "  " << "12" << "00" << "12,00" << true;
        QTest::newRow("one cent digit is tens") << "12" << "5" << "12" << "50" << "12,50" << true;
        QTest::newRow("cents cut to two digits") << "12" << "345" << "12" << "34" << "12,34" << true;
        QTest::newRow("euro that is no number keeps its text") << "12a" << "00" << "12a" << "00" << "12a,00" << false;
        QTest::newRow("blanks around euro stay in Importo") << " 7 " << "10" << " 7 " << "10" << "7,10" << true;
    }
    void amountFromBoxes() {
        QFETCH(QString, euro);
        QFETCH(QString, cents);
        QFETCH(QString, importo);
        QFETCH(QString, storedCents);
        QFETCH(QString, intero);
        QFETCH(bool, words);
        const ReceiptAmount a = AmountFromBoxes(euro, cents);
        QCOMPARE(a.Importo, importo);
        QCOMPARE(a.Cents, storedCents);
        QCOMPARE(a.CentLettere, storedCents);
        QCOMPARE(a.Intero, intero);
        if (words)
            QCOMPARE(a.ImpLettere, ImportoInLettere(*ParseAmountText(euro.trimmed())));
        else
            QVERIFY(a.ImpLettere.isEmpty());
    }

    // The editor's copy was case-sensitive and the invoice's was not: "annullata:" typed by hand now
    // counts everywhere.
    void cancelled_data() {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("as the editor writes it") << "ANNULLATA: importo errato" << true;
        QTest::newRow("lower case") << "annullata: doppione" << true;
        QTest::newRow("mixed case, blanks before") << "  Annullata:x" << true;
        QTest::newRow("without the colon") << "ANNULLATA doppione" << false;
        QTest::newRow("mark inside the cause") << "Retta ANNULLATA: no" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("ordinary cause") << "Retta mensile" << false;
    }
    void cancelled() {
        QFETCH(QString, cause);
        QFETCH(bool, cancelled);
        ReceiptRecord r;
        r.Sport = cause;
        QCOMPARE(IsCancelled(r), cancelled);
        QCOMPARE(IsCancelledCause(cause), cancelled);
    }
    void cancelledReceiptIsCancelled() {
        ReceiptRecord r;
        r.Importo = QStringLiteral("150");
        r.Cents = QStringLiteral("25");
        r.Sport = QStringLiteral("Retta");
        const ReceiptRecord c = CancelledReceipt(r, QStringLiteral("doppione"));
        QVERIFY(IsCancelled(c));
        QCOMPARE(c.Sport, QStringLiteral("ANNULLATA: doppione"));
        QCOMPARE(c.Intero, QStringLiteral("0,00"));
    }

    // The payer import and the month's receipts take the same fields from the card; the rest stays.
    // The numbering start and the receiver lines as every window reads them from the settings file.
    void storedSettings_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<qint64>("start"); // -1: not a start
        QTest::addColumn<QString>("text");
        QTest::newRow("no file") << QByteArray() << true << qint64(1) << "1";
        QTest::newRow("blank start") << QByteArray("[Numerazione Ricevute]\r\nInizio=\r\n") << true << qint64(1) << "1";
        QTest::newRow("a start") << QByteArray("[Numerazione Ricevute]\r\nInizio= 150 \r\n") << true << qint64(150)
                                 << "150";
        QTest::newRow("not a number") << QByteArray("[Numerazione Ricevute]\r\nInizio=cento\r\n") << true
                                      << qint64(-1) << "cento";
    }
    void storedSettings() {
        QFETCH(QByteArray, ini);
        QFETCH(bool, readable);
        QFETCH(qint64, start);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Trelvani.ini"));
        if (!ini.isNull()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(ini + "[Ricevente]\r\nRigo 1=Scuola Il Girasole\r\nRigo 3=27100 Pavia\r\n");
        }
        const StoredStart s = ReadNumberingStart(path);
        QCOMPARE(s.readable, readable);
        QCOMPARE(s.start.value_or(-1), start);
        QCOMPARE(s.text, text);
        const QStringList lines = ReadReceiverLines(path);
        QCOMPARE(lines.size(), 4);
        if (!ini.isNull())
            QCOMPARE(lines, QStringList({"Scuola Il Girasole", "", "27100 Pavia", ""}));
    }

    void cardPayer() {
        RegistryRecord card;
        card.Tiratore = QStringLiteral("ROSSI MARIO");
        card.CodFisc = QStringLiteral("RSSMRA85T10A562S");
        card.Ente = QStringLiteral("Retta mensile");
        card.Armi = QStringLiteral("ROSSI LUCA");
        card.Porto = QStringLiteral("Milano");
        card.InizioPor = QStringLiteral("01/02/2022");
        card.FinePor = QStringLiteral("Bonifico");
        card.Tel = QStringLiteral("02 123456"); // not a receipt field
        ReceiptRecord r;
        r.NumRic = QStringLiteral("27");
        r.Data = QStringLiteral("05/03/2026");
        r.Importo = QStringLiteral("150");
        r.Ricevente01 = QStringLiteral("Asilo");
        r.Dal = QStringLiteral("01/03/2026");
        r.Al = QStringLiteral("31/03/2026");
        r.Pagatore = QStringLiteral("old payer");
        ReceiptRecord expected = r;
        expected.Pagatore = card.Tiratore;
        expected.CodFisc = card.CodFisc;
        expected.Sport = card.Ente;
        expected.Praticante = card.Armi;
        expected.LuogoNasc = card.Porto;
        expected.DataNasc = card.InizioPor;
        expected.Indirizzo = card.FinePor;
        CopyCardPayer(card, r);
        QCOMPARE(r, expected);
    }
};

QTEST_GUILESS_MAIN(TestReceiptRules)
#include "tst_receiptrules.moc"
