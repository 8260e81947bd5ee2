// The program that runs outside programs for core (LibreOffice converting a sheet to import): how it
// reports a program that cannot start, one stopped at its time limit and one that ends with an error,
// and the import's real conversion of an .ods through it.
#include "TestFiles.h"
#include "app/DesktopPlatform.h"
#include "registry/CardImport.h"
#include "registry/ColumnGuess.h"
#include "registry/SheetConvert.h"
#include "registry/SheetRead.h"
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

class TestProgramRunner : public QObject {
    Q_OBJECT
private slots:
    void reportsHowTheProgramEnded() {
        DesktopProgramRunner runner;
        const ProgramResult ok = runner.Run("sh", {"-c", "echo said >&2; exit 3"}, 30000);
        QVERIFY2(ok.finished, qPrintable(ok.error));
        QCOMPARE(ok.exitCode, 3);
        QCOMPARE(ok.errorOutput, QByteArray("said\n"));

        QTemporaryDir dir;
        const ProgramResult missing = runner.Run(dir.filePath("soffice"), {"--headless"}, 30000);
        QVERIFY(!missing.finished);
        QVERIFY(!missing.error.isEmpty());
    }

    void stopsAProgramAtItsLimit() {
        // Waited for to the end, the sleep would finish with exit code 0.
        DesktopProgramRunner runner;
        const ProgramResult slow = runner.Run("sleep", {"30"}, 300);
        QVERIFY(!slow.finished);
        QVERIFY(!slow.error.isEmpty());
    }

    // A sheet saved by LibreOffice: typed as a flat ODF document, made an .ods by LibreOffice, and
    // read through the import's own conversion, run by the program's own runner.
    void readsAnOdsThroughLibreOffice() {
        const QString office = FindOffice();
        if (office.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed");
        DesktopProgramRunner runner;
        QTemporaryDir dir;
        const QString fods = dir.filePath("iscritti.fods");
        testfiles::Write(fods, QByteArray(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
 <number:date-style style:name="N1"><number:day number:style="long"/><number:text>/</number:text><number:month number:style="long"/><number:text>/</number:text><number:year number:style="long"/></number:date-style>
 <style:style style:name="ce1" style:family="table-cell" style:data-style-name="N1"/>
</office:automatic-styles>
<office:body><office:spreadsheet><table:table table:name="Iscritti">
<table:table-row>
 <table:table-cell office:value-type="string"><text:p>Cognome e nome genitore</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>Codice fiscale</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>Scadenza certificato medico</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>Causale</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>Numero iscrizione</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>Quota</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>Data scadenza</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>Minore (cognome e nome)</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>Note</text:p></table:table-cell>
</table:table-row>
<table:table-row>
 <table:table-cell office:value-type="string"><text:p>Rossi, "Nicolò"</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>RSSMRA85T10A562S</text:p></table:table-cell>
 <table:table-cell table:style-name="ce1" office:value-type="date" office:date-value="2027-09-01"><text:p>01/09/2027</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>Retta; settembre</text:p></table:table-cell>
 <table:table-cell office:value-type="float" office:value="7"><text:p>7</text:p></table:table-cell>
 <table:table-cell office:value-type="float" office:value="1234.5"><text:p>1234.5</text:p></table:table-cell>
 <table:table-cell table:style-name="ce1" office:value-type="date" office:date-value="2028-08-31"><text:p>31/08/2028</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>Rossi Lucía</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>prima riga</text:p><text:p>seconda riga</text:p></table:table-cell>
</table:table-row>
<table:table-row>
 <table:table-cell office:value-type="string"><text:p>Verdi Ugo</text:p></table:table-cell>
 <table:table-cell/><table:table-cell/><table:table-cell/><table:table-cell/><table:table-cell/><table:table-cell/>
 <table:table-cell office:value-type="string"><text:p>Verdi Ada</text:p></table:table-cell>
 <table:table-cell/>
</table:table-row>
</table:table></office:spreadsheet></office:body></office:document>
)"));
        QProcess p;
        p.start(office, {"-env:UserInstallation=" + QUrl::fromLocalFile(dir.filePath("profilo")).toString(),
                         "--headless", "--convert-to", "ods", "--outdir", dir.path(), fods});
        QVERIFY(p.waitForFinished(120000));
        const QString ods = dir.filePath("iscritti.ods");
        QVERIFY2(QFileInfo(ods).isFile(), p.readAllStandardError().constData());
        QVERIFY(testfiles::Read(ods).startsWith("PK"));

        const CsvSheet sheet = ReadSheetFile(ods, office, runner);
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.delimiter, QChar(u','));
        QCOMPARE(sheet.rows.size(), 3);
        QCOMPARE(sheet.rowNumbers, (QVector<int>{1, 2, 3}));
        const QVector<ImportRow> rows = CheckImportRows(sheet, GuessMapping(sheet.rows.first()), true);
        QCOMPARE(rows.size(), 2);
        const RegistryRecord& card = rows[0].card;
        QVERIFY2(rows[0].Good(), qPrintable(rows[0].errors.join("; ")));
        QCOMPARE(card.Tiratore, QString::fromUtf8("Rossi, \"Nicolò\""));
        QCOMPARE(card.Studio, "01/09/2027");
        QCOMPARE(card.Ente, "Retta; settembre");
        QCOMPARE(card.Tessera, "7");
        QCOMPARE(card.Quota, "1234,50");
        QCOMPARE(card.FineTes, "31/08/2028");
        QCOMPARE(card.Armi, QString::fromUtf8("Rossi Lucía"));
        QCOMPARE(card.Note, "prima riga seconda riga"); // a one-line field in the editor
        QCOMPARE(rows[1].row, 3);
        QCOMPARE(rows[1].errors.size(), 5); // tax code, certificate, reason, number, expiry; an empty fee is 0,00
        QVERIFY(rows[1].errors.contains("manca codice fiscale del genitore"));
        QVERIFY(!rows[1].errors.contains("manca quota di iscrizione"));
    }
};

QTEST_GUILESS_MAIN(TestProgramRunner)
#include "tst_programrunner.moc"
