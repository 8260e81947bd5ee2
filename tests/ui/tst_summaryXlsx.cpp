// The takings summary and the yearly statements saved as a workbook or as the .xls document through a
// save dialog; the workbook read back with openpyxl for its typed cells.
#include "../helpers/XlsxCells.h"
#include "ReceiptYear.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "storage/ReceiptFile.h"
#include "summary/Attestazioni.h"
#include "summary/MenuRiepCosti.h"
#include "summary/RiepCosti.h"
#include <QFile>
#include <QJsonArray>
#include <QtTest>
#include <memory>

namespace {
const QString kDoneTakings =
    QStringLiteral("Le ricevute del riepilogo sono state esportate con successo.\r\n\r\nSi vuole aprire il file di Excel?");
const QString kDoneStatements =
    QStringLiteral("Le attestazioni sono state esportate con successo.\r\n\r\nSi vuole aprire il file di Excel?");
const QString kDone =
    QStringLiteral("Le schede in archivio sono state esportate con successo.\r\n\r\nSi vuole aprire il file di Excel?");

struct Row {
    const char *num, *data, *payer, *code, *child, *reason, *method, *intero;
};

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// type and value of each cell of a row of the openpyxl dump; blank cells as {"", null}.
QList<QPair<QString, QVariant>> Cells(const QJsonArray& rows, int row) {
    QList<QPair<QString, QVariant>> out;
    for (const QJsonValue& v : rows[row].toArray()) {
        const QJsonObject c = v.toObject();
        out << qMakePair(c["value"].isNull() ? QString() : c["type"].toString(), c["value"].toVariant());
    }
    return out;
}
} // namespace

class tst_summaryXlsx : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void takingsInBothFormats();
    void emptyTakingsAreNotExported();
    void statementsInBothFormats();

private:
    void WriteYear(const QVector<Row>& rows);
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Carvenna> m_app;
};

void tst_summaryXlsx::init() {
    m_tp = std::make_unique<TestPlatform>();
    m_app = std::make_unique<Carvenna>(m_tp->platform);
    m_app->Start();
    WriteYear(
        {{"007", "05/03/2026", "Rossi Mario", "RSSMRA80A01H501U", "Rossi Luca", "Retta marzo", "Bonifico", "150,00"},
         {"8", "10/03/2026", "Rossi Mario", "RSSMRA80A01H501U", "Rossi Luca", "Mensa", "Contanti", "12,5"},
         {"9", "01/04/2026", "Verdi Anna", "VRDNNA85C45H501Z", "Verdi Sara", "Retta aprile", "", "100"}});
}

void tst_summaryXlsx::cleanup() {
    QVERIFY(m_tp->messages.shown.isEmpty()); // every message was checked
    m_app.reset();
    m_tp.reset();
}

void tst_summaryXlsx::WriteYear(const QVector<Row>& rows) {
    QVERIFY(!WriteReceiptYear(m_tp->Path("2026.ric"), rows, [](const Row& r) {
                 ReceiptRecord rec;
                 rec.NumRic = r.num;
                 rec.Data = r.data;
                 rec.Pagatore = r.payer;
                 rec.CodFisc = r.code;
                 rec.Praticante = r.child;
                 rec.Sport = r.reason;
                 rec.Indirizzo = r.method;
                 rec.Intero = r.intero;
                 rec.Dal = "01/03/2026";
                 rec.Al = "31/03/2026";
                 return rec;
             }).isEmpty());
}

void tst_summaryXlsx::takingsInBothFormats() {
    if (!xlsxcells::HaveOpenpyxl())
        QSKIP("python3-openpyxl is not installed: scripts/install-deps.sh test installs it");
    TfrmMenuRiepCosti& criteria = *m_app->menuRiepCosti();
    criteria.ui.txtEsecutore->clear();
    criteria.ui.txtCCP->clear();
    criteria.ui.lblDataInizio->setText("01/03/2026");
    criteria.ui.lblDataFine->setText("31/03/2026");
    TfrmRiepCosti w(*m_app, criteria);
    w.ui.lblFile->setText(m_tp->Path("2026.ric"));
    w.show();
    QCOMPARE(w.Rows().size(), 2); // April is outside the interval

    m_tp->fileDialogs.answers << m_tp->Path("Incassi marzo.xlsx") << m_tp->Path("Incassi marzo.xls");
    m_tp->messages.answers << true << false;
    QTest::mouseClick(w.ui.btnEsportaCome, Qt::LeftButton);
    QTest::mouseClick(w.ui.btnEsportaCome, Qt::LeftButton);
    QCOMPARE(m_tp->messages.TakeTexts(), (QStringList{kDoneTakings, kDoneTakings}));
    QCOMPARE(m_tp->fileDialogs.asked.size(), 2);
    QCOMPARE(m_tp->fileDialogs.asked[0].path, m_tp->Path("Riepilogo_Incassi.xlsx"));
    QCOMPARE(m_tp->shell.opened, QStringList{'"' + m_tp->Path("Incassi marzo.xlsx") + '"'});

    QString why;
    const QJsonObject book = xlsxcells::Read(m_tp->Path("Incassi marzo.xlsx"), &why);
    QVERIFY2(!book.isEmpty(), qPrintable(why));
    QCOMPARE(book["freeze"].toString(), QStringLiteral("A2"));
    const QJsonArray rows = book["rows"].toArray();
    QCOMPARE(rows.size(), 5); // header, two receipts, a blank row, the total
    using C = QList<QPair<QString, QVariant>>;
    QCOMPARE(Cells(rows, 0), (C{{"s", "Ricevuta n."},
                                {"s", "Data emissione"},
                                {"s", "Pagatore"},
                                {"s", "Causale"},
                                {"s", "Inizio periodo"},
                                {"s", "Fine periodo"},
                                {"s", "Totale: €"}}));
    QCOMPARE(Cells(rows, 1), (C{{"s", "007"},
                                {"d", "2026-03-05"},
                                {"s", "Rossi Mario"},
                                {"s", "Retta marzo"},
                                {"d", "2026-03-01"},
                                {"d", "2026-03-31"},
                                {"n", 150.0}}));
    QCOMPARE(Cells(rows, 2), (C{{"s", "8"},
                                {"d", "2026-03-10"},
                                {"s", "Rossi Mario"},
                                {"s", "Mensa"},
                                {"d", "2026-03-01"},
                                {"d", "2026-03-31"},
                                {"n", 12.5}}));
    QCOMPARE(Cells(rows, 4).first(), qMakePair(QString("s"), QVariant("Totale importi incassati")));
    QCOMPARE(Cells(rows, 4).last(), qMakePair(QString("n"), QVariant(162.5)));

    // The .xls choice: the same table as the archive exports' document.
    const QByteArray xls = ReadFile(m_tp->Path("Incassi marzo.xls"));
    QVERIFY(xls.startsWith("<html"));
    for (const QByteArray cell : {"007", "05/03/2026", "Retta marzo", "12,5", "162,50", "Totale importi incassati"})
        QVERIFY2(xls.contains("@\">" + cell + "</td>"), cell.constData());
    QVERIFY(!xls.contains("Retta aprile"));
}

void tst_summaryXlsx::emptyTakingsAreNotExported() {
    TfrmMenuRiepCosti& criteria = *m_app->menuRiepCosti();
    criteria.ui.lblDataInizio->setText("01/01/2026");
    criteria.ui.lblDataFine->setText("31/01/2026");
    TfrmRiepCosti w(*m_app, criteria);
    w.ui.lblFile->setText(m_tp->Path("2026.ric"));
    w.show();
    QVERIFY(w.Rows().isEmpty());
    QTest::mouseClick(w.ui.btnEsportaCome, Qt::LeftButton);
    QCOMPARE(m_tp->messages.TakeTexts(),
             QStringList{"Esportazione non applicabile: il riepilogo non contiene nessuna voce."});
    QVERIFY(m_tp->fileDialogs.asked.isEmpty());
}

void tst_summaryXlsx::statementsInBothFormats() {
    if (!xlsxcells::HaveOpenpyxl())
        QSKIP("python3-openpyxl is not installed: scripts/install-deps.sh test installs it");
    TfrmAttestazioni w(*m_app, 2026, nullptr);
    w.ui.lblFile->setText(m_tp->Path("2026.ric"));
    w.show();
    QCOMPARE(w.Statements().groups.size(), 2);
    m_tp->fileDialogs.answers << m_tp->Path("Att.xlsx") << m_tp->Path("Att.xls");
    m_tp->messages.answers << false << false;
    QTest::mouseClick(w.ui.btnEsportaCome, Qt::LeftButton);
    QTest::mouseClick(w.ui.btnEsportaCome, Qt::LeftButton);
    QCOMPARE(m_tp->messages.TakeTexts(), (QStringList{kDoneStatements, kDoneStatements}));
    QCOMPARE(m_tp->fileDialogs.asked[0].path, m_tp->Path("Attestazioni_2026.xlsx"));

    QString why;
    const QJsonObject book = xlsxcells::Read(m_tp->Path("Att.xlsx"), &why);
    QVERIFY2(!book.isEmpty(), qPrintable(why));
    QCOMPARE(book["sheets"].toArray(), QJsonArray({"Attestazioni 2026"}));
    const QJsonArray rows = book["rows"].toArray();
    QCOMPARE(rows.size(), 3);
    using C = QList<QPair<QString, QVariant>>;
    // Payer, tax code, child, receipts, total, traceable, cash, not stated.
    QCOMPARE(Cells(rows, 1), (C{{"s", "Rossi Mario"},
                                {"s", "RSSMRA80A01H501U"},
                                {"s", "Rossi Luca"},
                                {"n", 2},
                                {"n", 162.5},
                                {"n", 150.0},
                                {"n", 12.5},
                                {"n", 0.0}}));
    QCOMPARE(Cells(rows, 2).mid(3), (C{{"n", 1}, {"n", 100.0}, {"n", 0.0}, {"n", 0.0}, {"n", 100.0}}));
    QCOMPARE(rows[1].toArray()[3].toObject()["format"].toString(), QStringLiteral("0"));

    const QByteArray xls = ReadFile(m_tp->Path("Att.xls"));
    QVERIFY(xls.contains("<x:Name>Attestazioni 2026</x:Name>"));
    QVERIFY(xls.contains("@\">RSSMRA80A01H501U</td>"));
}

QTEST_MAIN(tst_summaryXlsx)
#include "tst_summaryXlsx.moc"
