// "Esporta come..." in the receipt and registry export windows: the save dialog offers the workbook and
// the .xls document, the workbook holds the grid with typed cells (read back by openpyxl), the .xls
// choice writes the very document of "Esporta", and a cancelled dialog or a file that cannot be
// replaced behaves as the export does.
#include "../helpers/XlsxCells.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "export/ExpRic.h"
#include "export/ExpTiratori.h"
#include "export/ExportGrid.h"
#include "receipts/Ricevuta.h"
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QToolButton>
#include <QtTest>
#include <memory>

using Kind = Messages::Kind;

namespace {
// The question after an export names what was written.
const QString kDoneReceipts =
    QStringLiteral("Le ricevute in archivio sono state esportate con successo.\r\n\r\nSi vuole aprire il file di Excel?");
const QString kDone =
    QStringLiteral("Le schede in archivio sono state esportate con successo.\r\n\r\nSi vuole aprire il file di Excel?");
const QString kFailed = QStringLiteral("Attenzione: il sistema non permette di esportare i dati.\n\r\n\r"
                                       "Accertarsi che il file di Excel non sia già aperto.");
const QString kFilter =
    QStringLiteral("Cartella di lavoro di Excel (*.xlsx);;Documento di Excel in formato HTML (*.xls)");

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The cell under `header` in data row `row` (1 = first record) of the openpyxl dump.
QJsonObject CellUnder(const QJsonArray& rows, const QString& header, int row, int occurrence = 0) {
    const QJsonArray head = rows[0].toArray();
    for (int c = 0; c < head.size(); ++c)
        if (head[c].toObject()["value"].toString() == header && occurrence-- == 0)
            return rows[row].toArray()[c].toObject();
    return {};
}
} // namespace

class tst_exportXlsx : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void workbookHoldsTheGridTyped_data();
    void workbookHoldsTheGridTyped();
    void xlsChoiceWritesTheExportDocument();
    void cancelledDialogWritesNothing();
    void fileThatCannotBeReplaced();

private:
    void WriteArchives();
    std::unique_ptr<ExportWindow> Open(bool registry);
    void ClickSaveAs(ExportWindow& w);

    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Carvenna> m_app;
};

void tst_exportXlsx::init() {
    m_tp = std::make_unique<TestPlatform>();
    m_app = std::make_unique<Carvenna>(m_tp->platform);
    m_app->Start();
    m_app->ricevuta()->ui.lblFile->setText(m_tp->Path("2026.ric"));
    WriteArchives();
}

void tst_exportXlsx::cleanup() {
    QVERIFY(m_tp->messages.shown.isEmpty()); // every message was checked
    m_app.reset();
    m_tp.reset();
}

void tst_exportXlsx::WriteArchives() {
    ReceiptFile f;
    QVERIFY(f.OpenOrCreate(m_tp->Path("2026.ric")));
    ReceiptRecord r;
    r.NumRic = "007";
    r.Data = "10/12/2026";
    r.Pagatore = "Rossi & Figli";
    r.CodFisc = "RSSMRA80A01H501U";
    r.Sport = "Retta dicembre";
    r.Dal = "01/12/2026";
    r.Al = "31/12/2026";
    r.DataNasc = "31/02/2022"; // no such day: stays text
    r.Intero = "1250,05";
    QVERIFY(f.AppendRecord(r));
    r.NumRic = "8";
    r.Intero = "non pagato";
    QVERIFY(f.AppendRecord(r));
    QVERIFY(f.Close());

    RegistryFile reg;
    QVERIFY(reg.OpenOrCreate(m_tp->platform.programFolder));
    RegistryRecord c;
    c.Tiratore = "Bianchi Anna";
    c.DataNasc = "05/03/1985";
    c.Cap = "00184";
    c.CodFisc = "BNCNNA85C45H501Z";
    c.Tessera = "0042";
    c.Quota = "150,00";
    c.InizioTes = "01/09/2026";
    c.Armi = "Bianchi Luca";
    c.InizioPor = "12/06/2022";
    QVERIFY(reg.AppendRecord(c));
    QVERIFY(reg.Close());
}

std::unique_ptr<ExportWindow> tst_exportXlsx::Open(bool registry) {
    std::unique_ptr<ExportWindow> w;
    if (registry)
        w = std::make_unique<TfrmExpTiratori>(*m_app);
    else
        w = std::make_unique<TfrmExpRic>(*m_app);
    w->show();
    return w;
}

void tst_exportXlsx::ClickSaveAs(ExportWindow& w) {
    auto* button = w.findChild<QToolButton*>("cmdEsportaCome");
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

void tst_exportXlsx::workbookHoldsTheGridTyped_data() {
    QTest::addColumn<bool>("registry");
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<QString>("sheet");
    // header, occurrence of that header, data row, openpyxl type, value
    QTest::addColumn<QList<QVariantList>>("cells");
    QTest::newRow("receipts") << false << "Ricevute.xlsx"
                              << "Riepilogo Ricevute"
                              << QList<QVariantList>{{"Ricevuta n.", 0, 1, "s", "007"},
                                                     {"Data emissione", 0, 1, "d", "2026-12-10"},
                                                     {"Codice fiscale", 0, 1, "s", "RSSMRA80A01H501U"},
                                                     {"Inizio periodo", 0, 1, "d", "2026-12-01"},
                                                     {"Fine periodo", 0, 1, "d", "2026-12-31"},
                                                     {"Data di nascita", 0, 1, "s", "31/02/2022"},
                                                     {"Totale: €", 0, 1, "n", 1250.05},
                                                     {"Totale: €", 0, 2, "s", "non pagato"},
                                                     {"Pagatore", 0, 2, "s", "Rossi & Figli"}};
    QTest::newRow("registry") << true << "Archivio_Anagrafico.xlsx"
                              << "Archivio Anagrafico"
                              << QList<QVariantList>{{"Genitore", 0, 1, "s", "Bianchi Anna"},
                                                     {"Data nascita", 0, 1, "d", "1985-03-05"},
                                                     {"CAP", 0, 1, "s", "00184"},
                                                     {"Iscrizione n.", 0, 1, "s", "0042"},
                                                     {"Quota", 0, 1, "n", 150.0},
                                                     {"Data iscrizione", 0, 1, "d", "2026-09-01"},
                                                     {"Data nascita", 1, 1, "d", "2022-06-12"}};
}

void tst_exportXlsx::workbookHoldsTheGridTyped() {
    QFETCH(bool, registry);
    QFETCH(QString, proposed);
    QFETCH(QString, sheet);
    QFETCH(QList<QVariantList>, cells);
    if (!xlsxcells::HaveOpenpyxl())
        QSKIP("python3-openpyxl is not installed: scripts/install-deps.sh test installs it");
    auto w = Open(registry);
    const QString chosen = m_tp->Path("Export di prova.xlsx");
    m_tp->fileDialogs.answers << chosen;
    m_tp->messages.answers << true; // open it
    ClickSaveAs(*w);

    QCOMPARE(m_tp->fileDialogs.asked.size(), 1);
    const auto asked = m_tp->fileDialogs.asked[0];
    QVERIFY(asked.save);
    QCOMPARE(asked.filter, kFilter);
    QCOMPARE(asked.path, m_tp->Path(proposed));
    QCOMPARE(asked.suffix, QStringLiteral("xlsx"));
    QCOMPARE(m_tp->messages.TakeTexts(), QStringList{registry ? kDone : kDoneReceipts});
    QCOMPARE(m_tp->shell.opened, QStringList{'"' + chosen + '"'});

    QString why;
    const QJsonObject book = xlsxcells::Read(chosen, &why);
    QVERIFY2(!book.isEmpty(), qPrintable(why));
    QCOMPARE(book["sheets"].toArray(), QJsonArray({sheet}));
    QCOMPARE(book["freeze"].toString(), QStringLiteral("A2"));
    const QJsonArray rows = book["rows"].toArray();

    // The header row is the export's header, and every text cell is the grid's text.
    const ExportGridModel& grid = w->Grid();
    const QVector<ExportColumn> columns = grid.ExportColumns();
    const QJsonArray head = rows[0].toArray();
    QCOMPARE(head.size(), columns.size());
    for (int c = 0; c < columns.size(); ++c)
        QCOMPARE(head[c].toObject()["value"].toString(), columns[c].header);
    QCOMPARE(rows.size(), 1 + grid.rowCount());
    for (int r = 0; r < grid.rowCount(); ++r)
        for (int c = 0; c < columns.size(); ++c) {
            const QJsonObject cell = rows[r + 1].toArray()[c].toObject();
            if (cell["type"].toString() == "s")
                QCOMPARE(cell["value"].toString(), grid.ExportCell(r, c));
            else if (grid.ExportCell(r, c).isEmpty())
                QVERIFY(cell["value"].isNull());
        }

    for (const QVariantList& e : cells) {
        const QJsonObject cell = CellUnder(rows, e[0].toString(), e[2].toInt(), e[1].toInt());
        const QString where = e[0].toString() + ": " + QJsonDocument(cell).toJson(QJsonDocument::Compact);
        QVERIFY2(cell["type"].toString() == e[3].toString(), qPrintable(where));
        QVERIFY2(cell["value"].toVariant() == e[4], qPrintable(where));
    }
}

void tst_exportXlsx::xlsChoiceWritesTheExportDocument() {
    for (bool registry : {false, true}) {
        auto w = Open(registry);
        // The direct export first, then the same grid through the save dialog as .xls.
        m_tp->messages.answers << true << false;
        QTest::mouseClick(w->findChild<QToolButton*>("cmdEsporta"), Qt::LeftButton);
        QCOMPARE(m_tp->messages.Take().size(), 2);
        const QByteArray direct = ReadFile(w->ExportPath());
        QVERIFY(direct.startsWith("<html"));

        const QString chosen = m_tp->Path(registry ? "Copia.XLS" : "Copia.xls");
        m_tp->fileDialogs.answers << chosen;
        m_tp->messages.answers << false;
        ClickSaveAs(*w);
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{registry ? kDone : kDoneReceipts});
        QCOMPARE(ReadFile(chosen), direct);
        QVERIFY(m_tp->shell.opened.isEmpty());
    }
}

void tst_exportXlsx::cancelledDialogWritesNothing() {
    auto w = Open(false);
    ClickSaveAs(*w); // the dialog's queue is empty: cancelled
    QCOMPARE(m_tp->fileDialogs.asked.size(), 1);
    QCOMPARE(QDir(m_tp->dir.path()).entryList({"*.xls*"}, QDir::Files), QStringList());
    QVERIFY(m_tp->shell.opened.isEmpty());
}

void tst_exportXlsx::fileThatCannotBeReplaced() {
    auto w = Open(true);
    const QString chosen = m_tp->Path("Occupato.xlsx");
    QVERIFY(QDir(m_tp->dir.path()).mkdir("Occupato.xlsx"));
    m_tp->fileDialogs.answers << chosen;
    ClickSaveAs(*w);
    const auto shown = m_tp->messages.Take();
    QCOMPARE(shown.size(), 1); // no question to open what was not written
    QCOMPARE(shown[0].kind, Kind::Plain);
    QCOMPARE(shown[0].text, kFailed);
    QVERIFY(QFileInfo(chosen).isDir());
    QVERIFY(m_tp->shell.opened.isEmpty());
}

QTEST_MAIN(tst_exportXlsx)
#include "tst_exportXlsx.moc"
