// The .xlsx export read back by real readers: openpyxl for each cell's type and number format,
// LibreOffice for what a spreadsheet shows, and the file rules (folder, read-only file, old file kept).
#include "../helpers/XlsxCells.h"
#include "../support/FaultyFileOps.h"
#include "export/XlsxDocument.h"
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
using xlsxcells::HaveOpenpyxl;

const QVector<XlsxColumn> kColumns = {{QStringLiteral("Ricevuta n."), 200, CellKind::Text},
                                      {QStringLiteral("Data emissione"), 200, CellKind::Date},
                                      {QStringLiteral("Codice fiscale"), 250, CellKind::Text},
                                      {QStringLiteral("Totale: €"), 200, CellKind::Amount}};

// Rows whose texts a careless writer would turn into the wrong thing.
const QList<QStringList> kRows = {
    {"007", "10/12/2026", "RSSMRA80A01H501U", "1250,05"},
    {"=1+1", "31/02/2026", "Rossi & Figli <s.n.c.>", "12,5"},
    {"00123", "1/2/2026", "Dvořák\tjr.", "1.250,05"},
    {"", "29/02/2024", "  spazi  ", ""},
    {"1e5", "01/01/1899", "0039", "-3"},
};
} // namespace

class tst_xlsxdocument : public QObject {
    Q_OBJECT
private slots:
    void readsCellKinds_data();
    void readsCellKinds();
    void openpyxlSeesTypedCells();
    void calcShowsTheCells();
    void targetsThatAreNotReplaced_data();
    void targetsThatAreNotReplaced();
    void faultAtEveryFileCallKeepsTheOldFile_data();
    void faultAtEveryFileCallKeepsTheOldFile();
    void saveDialogChoosesTheFormat_data();
    void saveDialogChoosesTheFormat();

private:
    QString WriteSample(QTemporaryDir& dir);
};

void tst_xlsxdocument::readsCellKinds_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("amount");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("date");
    QTest::newRow("cents") << "1250,05" << true << 1250.05 << false;
    QTest::newRow("whole euros") << "150" << true << 150.0 << false;
    QTest::newRow("one decimal") << "12,5" << true << 12.5 << false;
    QTest::newRow("negative") << "-3,5" << true << -3.5 << false;
    QTest::newRow("leading zero kept as number") << "0,30" << true << 0.3 << false;
    QTest::newRow("thousands dot is not our form") << "1.250,05" << false << 0.0 << false;
    QTest::newRow("decimal point is not our form") << "12.50" << false << 0.0 << false;
    QTest::newRow("euro sign") << "€ 12,50" << false << 0.0 << false;
    QTest::newRow("exponent") << "1e5" << false << 0.0 << false;
    QTest::newRow("comma alone") << "," << false << 0.0 << false;
    QTest::newRow("sixteen digits") << "1234567890123456" << false << 0.0 << false;
    QTest::newRow("empty") << "" << false << 0.0 << false;
    QTest::newRow("date") << "10/12/2026" << false << 0.0 << true;
    QTest::newRow("leap day") << "29/02/2024" << false << 0.0 << true;
    QTest::newRow("no such day") << "31/02/2026" << false << 0.0 << false;
    QTest::newRow("loose date") << "1/2/2026" << false << 0.0 << false;
    QTest::newRow("before 1900") << "31/12/1899" << false << 0.0 << false;
    QTest::newRow("first day a sheet holds") << "01/01/1900" << false << 0.0 << true;
}

void tst_xlsxdocument::readsCellKinds() {
    QFETCH(QString, text);
    QFETCH(bool, amount);
    QFETCH(double, value);
    QFETCH(bool, date);
    const std::optional<double> a = ReadAmountCell(text);
    QCOMPARE(a.has_value(), amount);
    if (amount)
        QCOMPARE(*a, value);
    QCOMPARE(ReadDateCell(text).has_value(), date);
}

QString tst_xlsxdocument::WriteSample(QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("Ricevute.xlsx"));
    QString error;
    const bool ok = WriteXlsxDocument(
        path, QStringLiteral("Riepilogo Ricevute"), kColumns, kRows.size(),
        [](qint64 r, int c) { return kRows[int(r)][c]; }, &error);
    return ok ? path : QString();
}

void tst_xlsxdocument::openpyxlSeesTypedCells() {
    if (!HaveOpenpyxl())
        QSKIP("python3-openpyxl is not installed: scripts/install-deps.sh test installs it");
    QTemporaryDir dir;
    const QString path = WriteSample(dir);
    QVERIFY(!path.isEmpty());
    QString why;
    const QJsonObject book = xlsxcells::Read(path, &why);
    QVERIFY2(!book.isEmpty(), qPrintable(why));

    QCOMPARE(book["sheets"].toArray(), QJsonArray({"Riepilogo Ricevute"}));
    QCOMPARE(book["freeze"].toString(), QStringLiteral("A2")); // the header row stays in view
    // Widths follow the pixel widths: 200 pixels are about 28 characters, 250 about 35.
    const QJsonObject widths = book["widths"].toObject();
    QVERIFY2(qAbs(widths["A"].toDouble() - 28) < 1.5, qPrintable(QString::number(widths["A"].toDouble())));
    QVERIFY(qAbs(widths["C"].toDouble() - 35) < 1.5);

    const QJsonArray rows = book["rows"].toArray();
    QCOMPARE(rows.size(), kRows.size() + 1);
    const QJsonArray header = rows[0].toArray();
    for (int c = 0; c < kColumns.size(); ++c) {
        const QJsonObject h = header[c].toObject();
        QCOMPARE(h["value"].toString(), kColumns[c].header);
        QVERIFY(h["bold"].toBool());
        QCOMPARE(h["type"].toString(), QStringLiteral("s"));
    }

    struct Expect {
        int row, col;
        QString type;
        QJsonValue value;
        QString format; // empty: not checked
    };
    const QString euro = QStringLiteral("[$€-410] #,##0.00");
    const QList<Expect> expected = {
        {1, 0, "s", "007", "@"},                 // leading zeros stay
        {1, 1, "d", "2026-12-10", "dd/mm/yyyy"}, // a real date
        {1, 2, "s", "RSSMRA80A01H501U", "@"},
        {1, 3, "n", 1250.05, euro},     // a number in euro with two decimals
        {2, 0, "s", "=1+1", "@"},       // a text, never a formula
        {2, 1, "s", "31/02/2026", "@"}, // no such day: kept as typed
        {2, 2, "s", "Rossi & Figli <s.n.c.>", "@"},
        {2, 3, "n", 12.5, euro},
        {3, 0, "s", "00123", "@"},
        {3, 1, "s", "1/2/2026", "@"},   // not our date form: text
        {3, 2, "s", "Dvořák jr.", "@"}, // the tab became a blank
        {3, 3, "s", "1.250,05", "@"},   // not our amount form: text
        {4, 1, "d", "2024-02-29", "dd/mm/yyyy"},
        {4, 2, "s", "spazi", "@"}, // trimmed
        {5, 0, "s", "1e5", "@"},
        {5, 1, "s", "01/01/1899", "@"}, // before what a sheet holds as a date
        {5, 2, "s", "0039", "@"},
        {5, 3, "n", -3, euro},
    };
    for (const Expect& e : expected) {
        const QJsonObject cell = rows[e.row].toArray()[e.col].toObject();
        const QString where = QStringLiteral("row %1 column %2: %3")
                                  .arg(e.row)
                                  .arg(e.col)
                                  .arg(QString::fromUtf8(QJsonDocument(cell).toJson(QJsonDocument::Compact)));
        QVERIFY2(cell["type"].toString() == e.type, qPrintable(where));
        QVERIFY2(cell["value"] == e.value, qPrintable(where));
        QVERIFY2(cell["format"].toString() == e.format, qPrintable(where));
    }
    // Empty texts are left blank, not written as empty strings.
    QVERIFY(rows[4].toArray()[0].toObject()["value"].isNull());
    QVERIFY(rows[4].toArray()[3].toObject()["value"].isNull());
}

void tst_xlsxdocument::calcShowsTheCells() {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        QSKIP("soffice (LibreOffice) is not installed: scripts/install-deps.sh test installs it");
    QTemporaryDir dir;
    const QString path = WriteSample(dir);
    QVERIFY(!path.isEmpty());
    // A private profile, so no setting of this machine takes part. Cells are written as shown, texts quoted.
    QTemporaryDir profile;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(soffice,
            {"-env:UserInstallation=" + QUrl::fromLocalFile(profile.path()).toString(), "--headless", "--convert-to",
             "csv:Text - txt - csv (StarCalc):59,34,76,1,,1040,true,true,true", "--outdir", dir.filePath("csv"), path});
    QVERIFY(p.waitForFinished(240000));
    QVERIFY2(p.exitCode() == 0, p.readAll().constData());
    QFile csv(dir.filePath("csv/Ricevute.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split(u'\n', Qt::SkipEmptyParts);
    // Texts come quoted, numbers and dates bare. The fresh profile speaks English, so the euro
    // amounts show its separators; an Italian desktop shows "€ 1.250,05".
    const QStringList expected = {
        "\"Ricevuta n.\";\"Data emissione\";\"Codice fiscale\";\"Totale: €\"",
        "\"007\";10/12/2026;\"RSSMRA80A01H501U\";€ 1,250.05",
        "\"=1+1\";\"31/02/2026\";\"Rossi & Figli <s.n.c.>\";€ 12.50",
        "\"00123\";\"1/2/2026\";\"Dvořák jr.\";\"1.250,05\"",
        ";29/02/2024;\"spazi\";",
        "\"1e5\";\"01/01/1899\";\"0039\";-€ 3.00",
    };
    QStringList got;
    for (const QString& l : lines)
        got << (l.endsWith(u'\r') ? l.chopped(1) : l);
    QCOMPARE(got, expected);
}

void tst_xlsxdocument::targetsThatAreNotReplaced_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder of that name") << "folder";
    QTest::newRow("read-only file") << "readonly";
}

void tst_xlsxdocument::targetsThatAreNotReplaced() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Ricevute.xlsx"));
    if (kind == "folder") {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Ricevute.xlsx")));
    } else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("vecchio");
        f.close();
        QVERIFY(f.setPermissions(QFileDevice::ReadOwner));
    }
    QString error;
    QVERIFY(!WriteXlsxDocument(
        path, QStringLiteral("Foglio"), kColumns, 1, [](qint64, int) { return QStringLiteral("x"); }, &error));
    QVERIFY(!error.isEmpty());
    if (kind == "readonly") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("vecchio"));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    } else {
        QVERIFY(QFileInfo(path).isDir());
    }
}

void tst_xlsxdocument::faultAtEveryFileCallKeepsTheOldFile_data() {
    QTest::addColumn<int>("error");
    QTest::newRow("disk full") << ENOSPC;
    QTest::newRow("network folder fails") << EIO;
}

void tst_xlsxdocument::faultAtEveryFileCallKeepsTheOldFile() {
    QFETCH(int, error);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Ricevute.xlsx"));
    const QByteArray old = "the export of last week";
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
    }
    auto write = [&] {
        QString why;
        return WriteXlsxDocument(
            path, QStringLiteral("Foglio"), kColumns, kRows.size(), [](qint64 r, int c) { return kRows[int(r)][c]; },
            &why);
    };
    FaultyFileOps faults;
    QVERIFY(write());
    const int calls = faults.calls;
    QVERIFY(calls >= 4); // at least open, write, flush and rename of the replacing file
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray whole = f.readAll();
    f.close();
    QVERIFY(whole.startsWith("PK"));
    // Back to the old file, then each call in turn fails: the old file stays, whole.
    for (int n = 1; n <= calls; ++n) {
        {
            QFile w(path);
            QVERIFY(w.open(QIODevice::WriteOnly) && w.write(old) == old.size());
        }
        faults.Arm(n, error);
        QVERIFY2(!write(), qPrintable(QStringLiteral("call %1 (%2) failed unnoticed").arg(n).arg(faults.failed)));
        QFile r(path);
        QVERIFY(r.open(QIODevice::ReadOnly));
        QCOMPARE(r.readAll(), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Ricevute.xlsx"}); // no leftovers
    }
}

void tst_xlsxdocument::saveDialogChoosesTheFormat_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("xls");
    QTest::newRow("workbook") << "/a/Ricevute.xlsx" << false;
    QTest::newRow("html document") << "/a/Ricevute.xls" << true;
    QTest::newRow("upper case") << "/a/RICEVUTE.XLS" << true;
    QTest::newRow("xls inside the name") << "/a/Ricevute.xls.xlsx" << false;
}

void tst_xlsxdocument::saveDialogChoosesTheFormat() {
    QFETCH(QString, path);
    QFETCH(bool, xls);
    QCOMPARE(IsXlsDocumentPath(path), xls);
}

QTEST_GUILESS_MAIN(tst_xlsxdocument)
#include "tst_xlsxdocument.moc"
