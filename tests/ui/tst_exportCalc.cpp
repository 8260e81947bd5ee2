// The written exports read back by a real spreadsheet program: LibreOffice converts both documents
// to CSV, and every cell must come back exactly as the records hold it.
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "export/ExpRic.h"
#include "export/ExpTiratori.h"
#include "export/ExportGrid.h"
#include "receipts/Ricevuta.h"
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QToolButton>
#include <QtTest>

namespace {
// One CSV line into its fields: quoted fields with doubled quotes, or bare ones.
QStringList CsvFields(const QString& line) {
    QStringList out;
    QString cur;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line.at(i + 1) == u'"') {
                cur += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                cur += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            out << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    out << cur;
    return out;
}

QList<QStringList> ReadCsv(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<QStringList> rows;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts))
        rows << CsvFields(line.endsWith(u'\r') ? line.chopped(1) : line);
    return rows;
}

// Texts a spreadsheet likes to reinterpret: numbers with leading zeros, dates, formulas, markup.
const QStringList kTricky = {"007",  "01/02/2026", "Rossi & Figli", "<Tag>",     "Città",           "€ 12,50",
                             "=1+1", "1e5",        "00123",         "a \"b\" c", "RSSMRA80A01H501U"};
// Only an edit in the grid can bring a character the archives' code page lacks.
const QString kEdited = QStringLiteral("Dvořák");
} // namespace

class tst_exportCalc : public QObject {
    Q_OBJECT
private slots:
    void calcReadsBackEveryCell();
};

void tst_exportCalc::calcReadsBackEveryCell() {
    const QString soffice = QStandardPaths::findExecutable("soffice");
    if (soffice.isEmpty())
        QSKIP("soffice (LibreOffice) is not installed: scripts/install-deps.sh test installs it");

    TestPlatform tp;
    Carvenna app(tp.platform);
    app.Start();
    const QString year = tp.Path("2026.ric");
    app.ricevuta()->ui.lblFile->setText(year);
    {
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(year));
        for (int i = 0; i < kTricky.size(); ++i) {
            ReceiptRecord r;
            QVector<QString*> fields = r.Fields();
            for (int k = 0; k < fields.size(); ++k)
                *fields[k] = kTricky[(i + k) % kTricky.size()];
            QVERIFY(f.AppendRecord(r));
        }
        QVERIFY(f.Close());
        RegistryFile reg;
        QVERIFY(reg.OpenOrCreate(tp.platform.programFolder));
        for (int i = 0; i < 3; ++i) {
            RegistryRecord r;
            QVector<QString*> fields = r.Fields();
            for (int k = 0; k < fields.size(); ++k)
                *fields[k] = kTricky[(i + k) % kTricky.size()];
            QVERIFY(reg.AppendRecord(r));
        }
        QVERIFY(reg.Close());
    }

    // Export both through their windows, keeping the grids to compare with.
    QList<QList<QStringList>> expected;
    TfrmExpRic receipts(app);
    TfrmExpTiratori registry(app);
    for (ExportWindow* w : {static_cast<ExportWindow*>(&receipts), static_cast<ExportWindow*>(&registry)}) {
        w->show();
        ExportGridModel& grid = w->Grid();
        QVERIFY(grid.setData(grid.index(0, grid.columnCount() - 1), kEdited));
        tp.messages.answers << true << false;
        QTest::mouseClick(w->findChild<QToolButton*>("cmdEsporta"), Qt::LeftButton);
        QCOMPARE(tp.messages.Take().size(), 2);
        const ExportGridModel& g = w->Grid();
        QList<QStringList> rows;
        QStringList header;
        for (const ExportColumn& c : g.ExportColumns())
            header << c.header;
        rows << header;
        for (int r = 0; r < g.rowCount(); ++r) {
            QStringList row;
            for (int c = 0; c < header.size(); ++c)
                row << g.ExportCell(r, c);
            rows << row;
        }
        expected << rows;
    }
    QCOMPARE(expected[0].size(), kTricky.size() + 1);
    QCOMPARE(expected[1].size(), 4);

    // A private profile: no user settings of this machine take part, and nothing is left behind.
    QTemporaryDir profile;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(soffice, {"-env:UserInstallation=" + QUrl::fromLocalFile(profile.path()).toString(), "--headless",
                      "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1", "--outdir", tp.Path("csv"),
                      tp.Path("Ricevute.xls"), tp.Path("Archivio_Anagrafico.xls")});
    QVERIFY(p.waitForFinished(240000));
    QVERIFY2(p.exitCode() == 0, p.readAll().constData());

    const QStringList names = {"Ricevute", "Archivio_Anagrafico"};
    for (int d = 0; d < names.size(); ++d) {
        const QList<QStringList> got = ReadCsv(tp.Path("csv/" + names[d] + ".csv"));
        QCOMPARE(got.size(), expected[d].size());
        for (int r = 0; r < got.size(); ++r)
            QCOMPARE(got[r], expected[d][r]);
    }
    // The tricky texts really were in the cells compared above.
    for (const QList<QStringList>& doc : expected) {
        QSet<QString> cells;
        for (const QStringList& row : doc)
            for (const QString& c : row)
                cells << c;
        for (const QString& t : kTricky + QStringList{kEdited})
            QVERIFY2(cells.contains(t), qPrintable(t));
    }
    QCOMPARE(expected[0][0].last(), QStringLiteral("Totale: €"));
}

QTEST_MAIN(tst_exportCalc)
#include "tst_exportCalc.moc"
