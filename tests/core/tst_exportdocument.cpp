// The spreadsheet export document byte for byte, the texts of its cells, the failures that must
// leave the previous export intact, and the grids of the receipt and registry exports.
#include "export/ExportDocument.h"
#include "export/ExportGrid.h"
#include "export/ExportTables.h"
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include "storage/Text.h"
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

namespace {
QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray Cell(const QString& text) {
    QByteArray out;
    AppendExportCellText(out, text);
    return out;
}

// The cells of every <tr> of a written document, as the bytes between the <td ...> and </td>.
QVector<QVector<QByteArray>> Rows(const QByteArray& doc) {
    QVector<QVector<QByteArray>> rows;
    static const QRegularExpression tr(QStringLiteral("<tr>(.*?)</tr>"));
    static const QRegularExpression td(QStringLiteral("<td[^>]*>(.*?)</td>"));
    const QString s = QString::fromLatin1(doc);
    for (auto r = tr.globalMatch(s); r.hasNext();) {
        QVector<QByteArray> cells;
        const QString row = r.next().captured(1);
        for (auto c = td.globalMatch(row); c.hasNext();)
            cells << c.next().captured(1).toLatin1();
        rows << cells;
    }
    return rows;
}

ReceiptRecord Receipt(int i) {
    ReceiptRecord r;
    const QString n = QString::number(i);
    r.NumRic = n;
    r.Data = "0" + n + "/02/2026";
    r.Importo = "12";
    r.Cents = "50";
    r.ImpLettere = "DODICI";
    r.Intero = "12,50";
    r.Ricevente01 = "Asilo";
    r.Pagatore = "Pagatore " + n;
    r.CodFisc = "CF" + n;
    r.Sport = "Causale " + n;
    r.Dal = "Dal " + n;
    r.Al = "Al " + n;
    r.Praticante = "Minore " + n;
    r.LuogoNasc = "Luogo " + n;
    r.DataNasc = "Nato " + n;
    r.Indirizzo = "Modo " + n;
    return r;
}

// Every field holds its own name and the card number, so a column taken from the wrong field shows.
RegistryRecord Card(int i) {
    RegistryRecord r;
    const auto& layout = RegistryRecord::Layout();
    QVector<QString*> f = r.Fields();
    for (int k = 0; k < f.size(); ++k)
        *f[k] = QString::fromLatin1(layout[k].name) + QString::number(i);
    return r;
}
} // namespace

class tst_exportdocument : public QObject {
    Q_OBJECT

private slots:
    void documentByteForByte();
    void byteWriterAppendsAcrossGrowth();
    void largeDocumentAcrossWrittenBlocks();
    void cellTexts_data();
    void cellTexts();
    void storedBytesWrittenAsTheirText();
    void replacesOnlyWhenComplete_data();
    void replacesOnlyWhenComplete();
    void receiptGridFromYearFile_data();
    void receiptGridFromYearFile();
    void receiptGridOfUnreadableFile();
    void registryExportColumns();
    void editsKeptApartAndOnlyWhereAllowed_data();
    void editsKeptApartAndOnlyWhereAllowed();
};

void tst_exportdocument::byteWriterAppendsAcrossGrowth() {
    // Pieces of every size from 0 to 300 bytes, some through Room/Advance with less written than
    // asked for, after bytes the array already held: the result is what plain appends give.
    QByteArray out("head:");
    QByteArray expected = out;
    {
        ByteWriter w(out);
        for (int i = 0; i <= 300; ++i) {
            const QByteArray piece(i, char('a' + i % 26));
            if (i % 3 == 0) {
                char* room = w.Room(i + 50);
                std::memcpy(room, piece.constData(), size_t(i));
                w.Advance(i);
            } else if (i % 3 == 1) {
                w.Append(piece);
            } else {
                w.Append(char('0' + i % 10));
                expected.append(char('0' + i % 10));
                continue;
            }
            expected.append(piece);
            QCOMPARE(w.Size(), expected.size());
        }
        QCOMPARE(w.Bytes(), QByteArrayView(expected));
    }
    // The writer's end gives the array its true size.
    QCOMPARE(out, expected);

    // Clear forgets what was written, Finish sizes the array at once.
    QByteArray again;
    ByteWriter w(again);
    w.Append(QByteArrayView("forgotten"));
    w.Clear();
    w.Append(QByteArrayView("kept"));
    w.Finish();
    QCOMPARE(again, QByteArray("kept"));
}

void tst_exportdocument::largeDocumentAcrossWrittenBlocks() {
    // A document of several MiB is written out in blocks while it is built: every row, those that
    // straddle a block's end included, is whole and in order, its markup characters as entities.
    QTemporaryDir dir;
    const QString path = dir.filePath("Ricevute.xls");
    constexpr int kRows = 30000;
    QVERIFY(WriteExportDocument(path, "S", {{"A", 10}, {"B", 10}}, kRows, [](qint64 r, int c) {
        return QStringLiteral("R%1 & <%2> \u00E8 \u20AC").arg(r).arg(c);
    }));
    const QByteArray doc = ReadFile(path);
    QVERIFY(doc.size() > 3 * (1 << 20));
    QVERIFY(doc.endsWith("</tr></table></body></html>"));
    const auto rows = Rows(doc);
    QCOMPARE(rows.size(), kRows + 1);
    for (int r = 0; r < kRows; ++r) {
        const QVector<QByteArray> want = {"R" + QByteArray::number(r) + " &amp; &lt;0&gt; \xe8 \x80",
                                          "R" + QByteArray::number(r) + " &amp; &lt;1&gt; \xe8 \x80"};
        if (rows[r + 1] != want)
            QFAIL(qPrintable(QStringLiteral("row %1 differs").arg(r)));
    }
}

void tst_exportdocument::documentByteForByte() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Ricevute.xls");
    const QVector<QVector<QString>> cells = {{"1", "Rossi & Figli"}, {"007", "Città"}};
    QString error;
    QVERIFY(WriteExportDocument(
        path, "Riepilogo Ricevute", {{"Ricevuta n.", 200}, {"Totale: €", 180}}, 2,
        [&](qint64 r, int c) { return cells[r][c]; }, &error));
    QVERIFY2(error.isEmpty(), qPrintable(error));

    const QByteArray expected =
        "<html xmlns:o=\"urn:schemas-microsoft-com:office:office\" xmlns:x=\"urn:schemas-microsoft-com:office:excel\" "
        "xmlns=\"http://www.w3.org/TR/REC-html40\"><head>"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
        "<!--[if gte mso 9]><xml><x:ExcelWorkbook><x:ExcelWorksheets><x:ExcelWorksheet>"
        "<x:Name>Riepilogo Ricevute</x:Name><x:WorksheetOptions><x:Selected/><x:Panes><x:Pane>"
        "<x:Number>1</x:Number><x:ActiveRow>3</x:ActiveRow></x:Pane></x:Panes>"
        "<x:ProtectContents>False</x:ProtectContents><x:ProtectObjects>False</x:ProtectObjects>"
        "<x:ProtectScenarios>False</x:ProtectScenarios></x:WorksheetOptions></x:ExcelWorksheet>"
        "</x:ExcelWorksheets></x:ExcelWorkbook></xml><![endif]--></head><body><table x:str>"
        "<tr><td style=\"text-align: left; font-weight: bold;\" width=200 sdnum=\"1040;0;@\">Ricevuta n.</td>"
        "<td style=\"text-align: left; font-weight: bold;\" width=180 sdnum=\"1040;0;@\">Totale: \x80</td></tr>"
        "<tr><td style=\"text-align: left;\" sdnum=\"1040;0;@\">1</td>"
        "<td style=\"text-align: left;\" sdnum=\"1040;0;@\">Rossi &amp; Figli</td></tr>"
        "<tr><td style=\"text-align: left;\" sdnum=\"1040;0;@\">007</td>"
        "<td style=\"text-align: left;\" sdnum=\"1040;0;@\">Citt\xe0</td></tr>"
        "</table></body></html>";
    const QByteArray written = ReadFile(path);
    QCOMPARE(written, expected);
    QVERIFY(!written.contains('\r') && !written.contains('\n'));
}

void tst_exportdocument::cellTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plain") << "Retta di marzo" << QByteArray("Retta di marzo");
    QTest::newRow("ampersand") << "Rossi & Figli" << QByteArray("Rossi &amp; Figli");
    QTest::newRow("tag") << "<Tag>" << QByteArray("&lt;Tag&gt;");
    QTest::newRow("entity typed by the user") << "&amp;" << QByteArray("&amp;amp;");
    QTest::newRow("accents and euro in 1252")
        << "Città € 12,50 Niccolò" << QByteArray("Citt\xe0 \x80 12,50 Niccol\xf2");
    QTest::newRow("1252 upper range") << "„Š‰" << QByteArray("\x84\x8a\x89");
    QTest::newRow("outside 1252") << "Dvořák" << QByteArray("Dvo&#345;\xe1k");
    QTest::newRow("outside the BMP") << "a😀b" << QByteArray("a&#128512;b");
    QTest::newRow("quotes kept") << "a \"b\" 'c'" << QByteArray("a \"b\" 'c'");
    QTest::newRow("trimmed") << "  \t007 \r\n" << QByteArray("007");
    QTest::newRow("pasted line breaks") << "riga 1\r\nriga 2\nriga 3\tfine" << QByteArray("riga 1  riga 2 riga 3 fine");
    QTest::newRow("empty") << "" << QByteArray();
}

void tst_exportdocument::cellTexts() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Cell(text), bytes);
    // A grid cell loaded from the archive is written from its stored bytes: the same document bytes.
    if (IsWin1252(text)) {
        QByteArray fromStored;
        AppendExportCellBytes(fromStored, ToWin1252(text));
        QCOMPARE(fromStored, bytes);
    }
}

void tst_exportdocument::storedBytesWrittenAsTheirText() {
    // Every byte value, alone and between letters, gives what the text it stands for gives.
    for (int b = 0; b < 256; ++b) {
        for (const QByteArray& stored : {QByteArray(1, char(b)), "a" + QByteArray(1, char(b)) + "z"}) {
            QByteArray fromStored;
            AppendExportCellBytes(fromStored, stored);
            QVERIFY2(fromStored == Cell(FromWin1252(stored)), qPrintable(QString::number(b)));
        }
    }
}

void tst_exportdocument::replacesOnlyWhenComplete_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<bool>("ok");
    QTest::newRow("no previous export") << "" << true;
    QTest::newRow("previous export replaced") << "file" << true;
    QTest::newRow("read-only previous export") << "readonly" << false;
    QTest::newRow("folder of that name") << "folder" << false;
    QTest::newRow("missing program folder") << "nofolder" << false;
}

void tst_exportdocument::replacesOnlyWhenComplete() {
    QFETCH(QString, obstacle);
    QFETCH(bool, ok);
    QTemporaryDir dir;
    QString path = dir.filePath("Ricevute.xls");
    const QByteArray old = "previous export\r\n";
    if (obstacle == "file" || obstacle == "readonly")
        WriteFile(path, old);
    if (obstacle == "readonly")
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    if (obstacle == "folder")
        QVERIFY(QDir(dir.path()).mkdir("Ricevute.xls"));
    if (obstacle == "nofolder")
        path = dir.filePath("gone/Ricevute.xls");

    QString error;
    const bool written = WriteExportDocument(
        path, "S", {{"A", 10}}, 3, [](qint64, int) { return QStringLiteral("x"); }, &error);
    QCOMPARE(written, ok);
    QCOMPARE(error.isEmpty(), ok);
    if (ok) {
        QVERIFY(ReadFile(path).endsWith("<tr><td style=\"text-align: left;\" sdnum=\"1040;0;@\">x</td></tr>"
                                        "</table></body></html>"));
    } else if (obstacle == "readonly") {
        QCOMPARE(ReadFile(path), old);
    } else if (obstacle == "folder") {
        QVERIFY(QFileInfo(path).isDir());
    }
    // No temporary file is left beside the export, whatever happened.
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left,
             (ok || obstacle == "readonly") && obstacle != "nofolder" ? QStringList{"Ricevute.xls"} : QStringList{});
}

void tst_exportdocument::receiptGridFromYearFile_data() {
    QTest::addColumn<int>("receipts");
    QTest::addColumn<QByteArray>("trailing"); // bytes of a partial record after the whole ones
    QTest::addColumn<int>("rows");
    QTest::newRow("three receipts") << 3 << QByteArray() << 3;
    QTest::newRow("partial last record is not a receipt") << 2 << QByteArray(500, 'x') << 2;
    QTest::newRow("empty year") << 0 << QByteArray() << 10;
}

void tst_exportdocument::receiptGridFromYearFile() {
    QFETCH(int, receipts);
    QFETCH(QByteArray, trailing);
    QFETCH(int, rows);
    QTemporaryDir dir;
    const QString path = dir.filePath("2026.ric");
    QByteArray bytes, rec;
    for (int i = 1; i <= receipts; ++i) {
        Receipt(i).Encode(rec);
        bytes += rec;
    }
    WriteFile(path, bytes + trailing);

    ExportGridModel grid(ReceiptGridColumns());
    const GridLoad load = LoadReceiptGrid(path, grid);
    QVERIFY(load.Complete());
    QCOMPARE(load.loaded, qint64(receipts));
    QCOMPARE(grid.rowCount(), rows);
    QCOMPARE(grid.columnCount(), 13);
    for (int r = 0; r < rows; ++r) {
        QStringList got;
        for (int c = 0; c < 13; ++c)
            got << grid.Cell(r, c);
        const QString n = QString::number(r + 1);
        const QStringList want =
            r < receipts
                ? QStringList{n,          n,         "0" + n + "/02/2026", "Pagatore " + n, "CF" + n,    "Causale " + n,
                              "Dal " + n, "Al " + n, "Minore " + n,        "Luogo " + n,    "Nato " + n, "Modo " + n,
                              "12,50"}
                : QStringList(13, QString());
        QCOMPARE(got, want);
    }

    // The export writes every grid row: the empty year gives 10 rows of 12 empty cells.
    const QString out = dir.filePath("Ricevute.xls");
    QVERIFY(WriteExportDocument(out, ExportNames::ReceiptsSheet, grid.ExportColumns(), grid.rowCount(),
                                [&](qint64 r, int c) { return grid.ExportCell(r, c); }));
    const auto docRows = Rows(ReadFile(out));
    QCOMPARE(docRows.size(), rows + 1);
    QCOMPARE(docRows[0], (QVector<QByteArray>{"Ricevuta n.", "Data emissione", "Pagatore", "Codice fiscale", "Causale",
                                              "Inizio periodo", "Fine periodo", "Minore", "Luogo di nascita",
                                              "Data di nascita", "Modalit\xe0 di pagamento", "Totale: \x80"}));
    const QByteArray doc = ReadFile(out);
    QVERIFY(doc.contains("width=200 sdnum=\"1040;0;@\">Ricevuta n.<") &&
            doc.contains("width=350 sdnum=\"1040;0;@\">Luogo di nascita<") &&
            doc.contains("width=400 sdnum=\"1040;0;@\">Causale<"));
    for (int r = 1; r <= rows; ++r) {
        QCOMPARE(docRows[r].size(), 12);
        QCOMPARE(docRows[r].first(), r <= receipts ? QByteArray::number(r) : QByteArray());
    }
}

void tst_exportdocument::receiptGridOfUnreadableFile() {
    // A folder where the year file should be: nothing to read, and the load says so.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("2026.ric"));
    ExportGridModel grid(ReceiptGridColumns());
    const GridLoad load = LoadReceiptGrid(dir.filePath("2026.ric"), grid);
    QVERIFY(!load.Complete());
    QCOMPARE(load.inFile, qint64(-1));
    QCOMPARE(grid.rowCount(), ExportGridModel::EmptyRows);
}

void tst_exportdocument::registryExportColumns() {
    QTemporaryDir dir;
    const QString folder = dir.path() + '/';
    RegistryFile file;
    QVERIFY(file.OpenOrCreate(folder));
    QVERIFY(file.AppendRecord(Card(1)) && file.AppendRecord(Card(2)) && file.Close());

    ExportGridModel grid(RegistryGridColumns());
    QVERIFY(LoadRegistryGrid(folder, grid).Complete());
    QCOMPARE(grid.rowCount(), 2);
    QCOMPARE(grid.columnCount(), 26);
    QCOMPARE(grid.headerData(20, Qt::Horizontal).toString(), QStringLiteral("Data di scadenza"));

    const QString out = dir.filePath("Archivio_Anagrafico.xls");
    QVERIFY(WriteExportDocument(out, ExportNames::RegistrySheet, grid.ExportColumns(), grid.rowCount(),
                                [&](qint64 r, int c) { return grid.ExportCell(r, c); }));
    const QByteArray doc = ReadFile(out);
    QVERIFY(doc.contains("<x:Name>Archivio Anagrafico</x:Name>"));
    const auto rows = Rows(doc);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0], (QVector<QByteArray>{"Genitore",
                                           "Data nascita",
                                           "Cittadinanza",
                                           "Luogo nascita",
                                           "Indirizzo residenza",
                                           "Citt\xe0",
                                           "CAP",
                                           "Nazione",
                                           "Codice fiscale",
                                           "Persona delegata",
                                           "Recapito",
                                           "Scad. certificato medico",
                                           "Causale pagamento",
                                           "E-mail",
                                           "Tel. casa",
                                           "Tel. cellulare",
                                           "Iscrizione n.",
                                           "Quota",
                                           "Data iscrizione",
                                           "Data scadenza",
                                           "Minore",
                                           "Luogo nascita",
                                           "Data nascita",
                                           "Modalit\xe0 pagamento",
                                           "Note"}));
    const QVector<int> widths = {280, 200, 250, 300, 300, 250, 150, 250, 250, 280, 250, 250, 400,
                                 250, 200, 200, 250, 200, 200, 200, 280, 300, 200, 400, 400};
    static const QRegularExpression width(QStringLiteral("width=(\\d+) "));
    QVector<int> got;
    for (auto m = width.globalMatch(QString::fromLatin1(doc)); m.hasNext();)
        got << m.next().captured(1).toInt();
    QCOMPARE(got, widths);
    const QVector<QByteArray> fields = {
        "Tiratore",  "DataNasc",    "Cittadinanza", "LuogoNasc", "Indirizzo", "Citta",   "Cap", "Nazione", "CodFisc",
        "Gruppo",    "Professione", "Studio",       "Ente",      "Email",     "Tel",     "Cel", "Tessera", "Quota",
        "InizioTes", "FineTes",     "Armi",         "Porto",     "InizioPor", "FinePor", "Note"};
    for (int card = 1; card <= 2; ++card) {
        QVector<QByteArray> want;
        for (const QByteArray& f : fields)
            want << f + QByteArray::number(card);
        QCOMPARE(rows[card], want);
    }
}

void tst_exportdocument::editsKeptApartAndOnlyWhereAllowed_data() {
    QTest::addColumn<bool>("registry");
    QTest::addColumn<QVector<int>>("readOnly");
    QTest::newRow("receipts") << false << QVector<int>{0, 1, 2, 3, 4, 6};
    QTest::newRow("registry") << true << QVector<int>{0, 1, 2, 3, 8, 9, 11, 12, 13, 15, 17};
}

void tst_exportdocument::editsKeptApartAndOnlyWhereAllowed() {
    QFETCH(bool, registry);
    QFETCH(QVector<int>, readOnly);
    ExportGridModel grid(registry ? RegistryGridColumns() : ReceiptGridColumns());
    grid.BeginLoad(1);
    // A record of one "stored" field for each data column.
    const int fields = grid.columnCount() - 1;
    QVector<FieldSpec> layout;
    QVector<int> shown;
    QByteArray record(fields * 11, '\0');
    for (int f = 0; f < fields; ++f) {
        layout.append({"f", 10, f * 11});
        shown.append(f);
        EncodeField(record.data() + f * 11, 10, QStringLiteral("stored"));
    }
    grid.AppendStored(record.constData(), layout, shown.constData());
    grid.EndLoad();
    for (int c = 0; c < grid.columnCount(); ++c) {
        const QModelIndex i = grid.index(0, c);
        const bool editable = !readOnly.contains(c);
        QCOMPARE(bool(grid.flags(i) & Qt::ItemIsEditable), editable);
        QCOMPARE(grid.setData(i, QStringLiteral("edited")), editable);
        QCOMPARE(grid.Cell(0, c), editable ? QStringLiteral("edited")
                                  : c == 0 ? QStringLiteral("1")
                                           : QStringLiteral("stored"));
    }
    // A new load forgets the edits of the previous one.
    grid.BeginLoad(1);
    grid.AppendStored(record.constData(), layout, shown.constData());
    grid.EndLoad();
    QCOMPARE(grid.Cell(0, grid.columnCount() - 1), QStringLiteral("stored"));
}

QTEST_GUILESS_MAIN(tst_exportdocument)
#include "tst_exportdocument.moc"
