// Cards brought in from a spreadsheet: the CSV as spreadsheets write it, the guessed columns, each
// row checked as the editor's Save checks a card, and the batch that appends all good rows or none.
#include "../support/FakeProgramRunner.h"
#include "../support/FaultyFileOps.h"
#include "registry/CardFields.h"
#include "registry/CardImport.h"
#include "registry/ColumnGuess.h"
#include "registry/SheetRead.h"
#include "storage/RegistryFile.h"
#include "validators/TaxCode.h"
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

namespace {
const QString kCode = QStringLiteral("RSSMRA85T10A562S"); // a tax code with the right check letter

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The header a school's sheet might have, and a row that passes every check.
const QStringList kHeader = {"Cognome e nome genitore",
                             "Codice fiscale",
                             "Scadenza certificato medico",
                             "Causale",
                             "Numero iscrizione",
                             "Quota",
                             "Data scadenza",
                             "Minore (cognome e nome)"};
QStringList GoodRow(const QString& child = QStringLiteral("Rossi Luca")) {
    return {"Rossi Mario", kCode, "01/09/2027", "Retta mensile", "12", "150", "31/08/2027", child};
}
QString Csv(const QList<QStringList>& rows, QChar sep = u';') {
    QString out;
    for (const QStringList& r : rows)
        out += r.join(sep) + QStringLiteral("\r\n");
    return out;
}
} // namespace

class TestCardImport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(CheckTaxCode(kCode), TaxCodeResult::Valid); }

    void parsesCsvAsSpreadsheetsWriteIt_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("rows"); // rows joined by '|', fields by '^'
        QTest::addColumn<QString>("rowNumbers");
        QTest::addColumn<QString>("encoding");
        QTest::newRow("semicolon, CRLF") << QByteArray("a;b;c\r\n1;2;3\r\n") << "a^b^c|1^2^3"
                                         << "1,2"
                                         << "UTF-8";
        QTest::newRow("comma") << QByteArray("a,b\n1,2\n") << "a^b|1^2"
                               << "1,2"
                               << "UTF-8";
        QTest::newRow("tab") << QByteArray("a\tb\n1\t2") << "a^b|1^2"
                             << "1,2"
                             << "UTF-8";
        QTest::newRow("comma inside quotes, semicolon file")
            << QByteArray("nome;quota\n\"Rossi, Mario\";\"1.234,50\"\n") << "nome^quota|Rossi, Mario^1.234,50"
            << "1,2"
            << "UTF-8";
        QTest::newRow("doubled quotes") << QByteArray("a,b\n\"detto \"\"Gigi\"\"\",x\n") << "a^b|detto \"Gigi\"^x"
                                        << "1,2"
                                        << "UTF-8";
        QTest::newRow("line break in a quoted note stays in its sheet row")
            << QByteArray("a;b\n\"riga uno\nriga due\";x\ny;z\n") << "a^b|riga uno\nriga due^x|y^z"
            << "1,2,3"
            << "UTF-8";
        QTest::newRow("blank rows and a last row without line end") << QByteArray("a;b\n\n;\n1;2") << "a^b|1^2"
                                                                    << "1,4"
                                                                    << "UTF-8";
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBFnome;citt\xC3\xA0\nNicol\xC3\xB2;Forl\xC3\xAC\n")
                                        << QString::fromUtf8("nome^città|Nicolò^Forlì") << "1,2"
                                        << "UTF-8";
        QTest::newRow("Windows-1252 from Excel") << QByteArray("nome;citt\xE0;quota\nNicol\xF2;Forl\xEC;\x80 5\n")
                                                 << QString::fromUtf8("nome^città^quota|Nicolò^Forlì^€ 5") << "1,2"
                                                 << "Windows-1252";
        QTest::newRow("Excel for Italy: semicolons, decimal commas unquoted")
            << QByteArray("Nome;Quota;Note\r\nRossi;150,00;a\r\nBianchi;1.234,50;b\r\n")
            << "Nome^Quota^Note|Rossi^150,00^a|Bianchi^1.234,50^b"
            << "1,2,3"
            << "UTF-8";
        QTest::newRow("blank first line, comma") << QByteArray("\r\na,b\r\n1,2\r\n") << "a^b|1^2" << "2,3" << "UTF-8";
        QTest::newRow("empty last field") << QByteArray("a;b;c\n1;2;\n") << "a^b^c|1^2^"
                                          << "1,2"
                                          << "UTF-8";
    }
    void parsesCsvAsSpreadsheetsWriteIt() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, rows);
        QFETCH(QString, rowNumbers);
        QFETCH(QString, encoding);
        const CsvSheet sheet = ParseCsv(bytes);
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QStringList got, numbers;
        for (const QStringList& r : sheet.rows)
            got << r.join(u'^');
        for (int n : sheet.rowNumbers)
            numbers << QString::number(n);
        QCOMPARE(got.join(u'|'), rows);
        QCOMPARE(numbers.join(u','), rowNumbers);
        QCOMPARE(sheet.encoding, encoding);
    }

    void refusesWhatIsNotACsv_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray() << "Il file è vuoto.";
        QTest::newRow("only blank lines") << QByteArray("\r\n \r\n;;\r\n") << "Il file è vuoto.";
        QTest::newRow("a zip (an .xlsx renamed)")
            << QByteArray("PK\x03\x04\x14\x00\x06\x00", 8) + QByteArray(100, 'x') << "Il file non è un file CSV.";
        QTest::newRow("a PDF") << QByteArray("%PDF-1.4\n%\xE2\xE3\n1 0 obj") << "Il file non è un file CSV.";
        QTest::newRow("a picture") << QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11)
                                   << "Il file non è un file CSV.";
    }
    void refusesWhatIsNotACsv() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const CsvSheet sheet = ParseCsv(bytes);
        QVERIFY2(sheet.error.startsWith(message), qPrintable(sheet.error));
        QVERIFY(sheet.rows.isEmpty());
    }

    void spreadsheetWithoutLibreOfficeAsksForCsv() {
        QTemporaryDir dir;
        const QString path = dir.filePath("iscritti.xlsx");
        QVERIFY(WriteBytes(path, "PK\x03\x04 not really"));
        FakeProgramRunner runner;
        const CsvSheet sheet = ReadSheetFile(path, QString(), runner);
        QVERIFY(sheet.error.contains("LibreOffice"));
        QVERIFY(sheet.error.contains("formato CSV"));
        QVERIFY(runner.calls.isEmpty());
    }

    // A spreadsheet goes through the platform's runner: LibreOffice at the path found, headless, in a
    // profile of its own inside a work folder of the import, writing a UTF-8, comma-separated CSV there.
    // The sheet is what it wrote, and the work folder is gone afterwards.
    void convertsASpreadsheetThroughTheRunner() {
        QTemporaryDir dir;
        const QString ods = dir.filePath("iscritti.ods");
        QVERIFY(WriteBytes(ods, "PK\x03\x04 a spreadsheet"));
        FakeProgramRunner runner;
        QString outdir;
        runner.effect = [&](const FakeProgramRunner::Call& call) {
            outdir = call.arguments.value(call.arguments.indexOf("--outdir") + 1);
            WriteBytes(outdir + "/iscritti.csv",
                       "Genitore,Codice fiscale\r\n\"Rossi, Mario\"," + kCode.toLatin1() + "\r\n");
        };
        ProgramResult done;
        done.finished = true;
        done.exitCode = 0;
        runner.results.enqueue(done);

        const CsvSheet sheet = ReadSheetFile(ods, "/opt/office/program/soffice", runner);
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.rows, (QVector<QStringList>{{"Genitore", "Codice fiscale"}, {"Rossi, Mario", kCode}}));
        QCOMPARE(runner.calls.size(), 1);
        const FakeProgramRunner::Call& call = runner.calls[0];
        QCOMPARE(call.program, "/opt/office/program/soffice");
        QVERIFY(!outdir.isEmpty() && !outdir.startsWith(dir.path()));
        const QStringList expected = {"-env:UserInstallation=" + QUrl::fromLocalFile(outdir + "/profilo").toString(),
                                      "--headless",
                                      "--norestore",
                                      "--convert-to",
                                      "csv:Text - txt - csv (StarCalc):44,34,76,1",
                                      "--outdir",
                                      outdir,
                                      ods};
        QCOMPARE(call.arguments, expected);
        QVERIFY(call.limitMs > 0);
        QVERIFY(!QFileInfo::exists(outdir));
    }

    // A conversion that cannot start, is stopped at its time limit, ends with an error or writes no CSV:
    // the sheet is refused with the message the user is shown.
    void conversionFailuresAreTold_data() {
        QTest::addColumn<bool>("finished");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QByteArray>("errorOutput");
        QTest::addColumn<bool>("writesCsv");
        QTest::addColumn<QString>("detail");
        QTest::newRow("cannot start") << false << -1 << "execvp: No such file or directory" << QByteArray() << false
                                      << "LibreOffice non ha convertito il file: execvp: No such file or directory";
        QTest::newRow("stopped at the limit, half a file written")
            << false << -1 << "Process crashed" << QByteArray() << true
            << "LibreOffice non ha convertito il file: Process crashed";
        QTest::newRow("error exit")
            << true << 1 << QString() << QByteArray("  Error: source file could not be loaded\n") << false
            << "LibreOffice non ha convertito il file (Error: source file could not be loaded).";
        QTest::newRow("error exit, a file written")
            << true << 81 << QString() << QByteArray() << true << "LibreOffice non ha convertito il file ().";
        QTest::newRow("no file written") << true << 0 << QString() << QByteArray() << false
                                         << "LibreOffice non ha convertito il file ().";
    }
    void conversionFailuresAreTold() {
        QFETCH(bool, finished);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        QFETCH(QByteArray, errorOutput);
        QFETCH(bool, writesCsv);
        QFETCH(QString, detail);
        QTemporaryDir dir;
        const QString xlsx = dir.filePath("iscritti.xlsx");
        QVERIFY(WriteBytes(xlsx, "PK\x03\x04 a workbook"));
        FakeProgramRunner runner;
        if (writesCsv)
            runner.effect = [&](const FakeProgramRunner::Call& call) {
                const QString outdir = call.arguments.value(call.arguments.indexOf("--outdir") + 1);
                WriteBytes(outdir + "/iscritti.csv", "a;b\r\n1;2\r\n");
            };
        ProgramResult result;
        result.finished = finished;
        result.exitCode = exitCode;
        result.error = error;
        result.errorOutput = errorOutput;
        runner.results.enqueue(result);

        const CsvSheet sheet = ReadSheetFile(xlsx, "soffice", runner);
        QCOMPARE(runner.calls.size(), 1);
        QCOMPARE(sheet.error,
                 QString::fromUtf8("Il file non è un file CSV.\n\r\n\rSalvare il foglio di calcolo in formato "
                                   "CSV (campi separati da virgola o da punto e virgola) e ripetere "
                                   "l'importazione.\n\r\n\r") +
                     detail);
        QVERIFY(sheet.rows.isEmpty());
    }

    void guessesColumns_data() {
        QTest::addColumn<QStringList>("header");
        QTest::addColumn<QList<int>>("fields");
        using namespace RegistryField;
        QTest::newRow("the editor's own labels")
            << QStringList{"Genitore (cognome e nome):",
                           "Sesso:",
                           "Data nascita:",
                           "Città:",
                           "CAP:",
                           "Codice fiscale:",
                           "Quota: €",
                           "Data iscrizione:",
                           "Data scadenza:",
                           "Minore (cognome e nome):",
                           "Luogo nascita:",
                           "Data nascita:",
                           "Modalità pagamento:",
                           "Note:"}
            << QList<int>{Tiratore,  Sesso,   DataNasc, Citta,     Cap,       CodFisc, Quota,
                          InizioTes, FineTes, Armi,     LuogoNasc, InizioPor, FinePor, Note};
        QTest::newRow("a school's sheet, any case and accents")
            << QStringList{"COGNOME E NOME", "codice fiscale", "Data di nascita",    "QUOTA", "Citta",
                           "e-mail",         "Cellulare",      "Colonna senza nome", ""}
            << QList<int>{Tiratore, CodFisc, DataNasc, Quota, Citta, Email, Cel, kNoField, kNoField};
        QTest::newRow("unqualified names go to the person no exact header took")
            << QStringList{"Genitore", "Cognome e nome", "Data di nascita", "Luogo di nascita"}
            << QList<int>{Tiratore, Armi, DataNasc, LuogoNasc};
        QTest::newRow("the child named in other words")
            << QStringList{"Nome del bambino", "Nata a (alunna)", "Data di nascita del figlio", "Cognome e nome"}
            << QList<int>{Armi, Porto, InizioPor, Tiratore};
        QTest::newRow("surname and name apart, parent then child")
            << QStringList{"Cognome", "Nome", "Cognome", "Nome", "Cognome"}
            << QList<int>{Tiratore, Tiratore, Armi, Armi, kNoField};
        QTest::newRow("qualified child fields")
            << QStringList{"Data di nascita minore", "Luogo di nascita bambino", "Bambino", "Scadenza certificato"}
            << QList<int>{InizioPor, Porto, Armi, Studio};
    }
    void guessesColumns() {
        QFETCH(QStringList, header);
        QFETCH(QList<int>, fields);
        const QVector<int> got = GuessMapping(header);
        QCOMPARE(QList<int>(got.begin(), got.end()), fields);
    }

    void normalisesDates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::addColumn<QString>("why");
        QTest::newRow("as stored") << "01/03/2020"
                                   << "01/03/2020"
                                   << "";
        QTest::newRow("no leading zeros, day first") << "1/3/2020"
                                                     << "01/03/2020"
                                                     << "";
        QTest::newRow("ISO") << "2020-03-01"
                             << "01/03/2020"
                             << "";
        QTest::newRow("dots") << "1.3.2020"
                              << "01/03/2020"
                              << "";
        QTest::newRow("dashes") << "01-03-2020"
                                << "01/03/2020"
                                << "";
        QTest::newRow("midnight after it") << "2020-03-01 00:00:00"
                                           << "01/03/2020"
                                           << "";
        QTest::newRow("leap day") << "29/02/2024"
                                  << "29/02/2024"
                                  << "";
        QTest::newRow("two-digit year") << "01/03/20"
                                        << ""
                                        << "anno a due cifre";
        QTest::newRow("no such day") << "31/02/2020"
                                     << ""
                                     << "la data non esiste";
        QTest::newRow("not a leap year") << "29/02/2023"
                                         << ""
                                         << "la data non esiste";
        QTest::newRow("month 13") << "2020-13-01"
                                  << ""
                                  << "la data non esiste";
        QTest::newRow("mixed separators") << "01/03-2020"
                                          << ""
                                          << "non è una data";
        QTest::newRow("serial number of an unformatted cell") << "43891"
                                                              << ""
                                                              << "non è una data";
        QTest::newRow("words") << "marzo 2020"
                               << ""
                               << "non è una data";
    }
    void normalisesDates() {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QFETCH(QString, why);
        QString out, reason;
        QCOMPARE(NormaliseImportDate(text, &out, &reason), !stored.isEmpty());
        if (stored.isEmpty())
            QVERIFY2(reason.startsWith(why), qPrintable(reason));
        else
            QCOMPARE(out, stored);
    }

    void normalisesFees_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("Italian with thousands") << "1.234,50"
                                                << "1234,50";
        QTest::newRow("point as decimal separator") << "1234.5"
                                                    << "1234,50";
        QTest::newRow("English with thousands") << "1,234.50"
                                                << "1234,50";
        QTest::newRow("as the editor types it") << "150"
                                                << "150,00";
        QTest::newRow("comma, one decimal") << "12,5"
                                            << "12,50";
        QTest::newRow("rounded as the editor rounds") << "2,675"
                                                      << "2,67";
        QTest::newRow("euro sign and blanks") << "€ 1.234,50"
                                              << "1234,50";
        QTest::newRow("euro after, no-break space") << QString::fromUtf8("150,00\u00A0€") << "150,00";
        QTest::newRow("millions") << "1.234.567"
                                  << "1234567,00";
        QTest::newRow("empty is 0,00 as in the editor") << ""
                                                        << "0,00";
        QTest::newRow("a thousand or one and a bit") << "1.234"
                                                     << "";
        QTest::newRow("no thousands start with 0") << "0.125"
                                                   << "0,13";
        QTest::newRow("negative") << "-5"
                                  << "";
        QTest::newRow("words") << "centocinquanta"
                               << "";
        QTest::newRow("misplaced thousands") << "12.34,5"
                                             << "";
        QTest::newRow("two decimal commas") << "1,2,3.4"
                                            << "";
    }
    void normalisesFees() {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QString out, why;
        QCOMPARE(NormaliseImportFee(text, &out, &why), !stored.isEmpty());
        if (stored.isEmpty())
            QVERIFY(!why.isEmpty());
        else
            QCOMPARE(out, stored);
    }

    // Each row gets its own reasons; a row with a warning only is still imported.
    void checksRowsAsSaveDoes_data() {
        QTest::addColumn<QStringList>("row");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<QStringList>("warnings");
        QTest::newRow("good") << GoodRow() << QStringList() << QStringList();
        QStringList r = GoodRow();
        r[0] = QString(51, u'x');
        QTest::newRow("51-character name is cut, with a warning")
            << r << QStringList() << QStringList{"Genitore (cognome e nome) tagliato a 50 caratteri"};
        r = GoodRow();
        r[0] = "";
        r[7] = " ";
        QTest::newRow("every missing required field")
            << r << QStringList{"manca cognome e nome del genitore", "manca cognome e nome del minore"}
            << QStringList();
        r = GoodRow();
        r[1] = "RSSMRA85T10A562X";
        QTest::newRow("wrong check letter warns")
            << r << QStringList() << QStringList{"codice fiscale \"RSSMRA85T10A562X\" errato"};
        r = GoodRow();
        r[1] = "rssmra85t10a562s";
        QTest::newRow("lower-case tax code is upper-cased as typed") << r << QStringList() << QStringList();
        r = GoodRow();
        r[1] = "12345678901";
        QTest::newRow("VAT number with a wrong check digit warns")
            << r << QStringList() << QStringList{"partita IVA \"12345678901\" errata"};
        r = GoodRow();
        r[2] = "31/02/2027";
        r[5] = "1.234";
        QTest::newRow("bad date and ambiguous fee, both told")
            << r
            << QStringList{"Scadenza certificato medico \"31/02/2027\": la data non esiste",
                           "Quota \"1.234\": importo ambiguo, scrivere 1234,00 oppure 1,234"}
            << QStringList();
        r = GoodRow();
        r.removeLast();
        QTest::newRow("fewer fields") << r << QStringList{"la riga ha 7 campi invece di 8"} << QStringList();
        r = GoodRow();
        r << "extra";
        QTest::newRow("more fields") << r << QStringList{"la riga ha 9 campi invece di 8"} << QStringList();
        r = GoodRow();
        r[3] = "Retta\r\nmensile";
        QTest::newRow("a reason on two lines is one line") << r << QStringList() << QStringList();
        r = GoodRow();
        r[7] = QString::fromUtf8("Kowalski Łukasz");
        QTest::newRow("a letter Windows-1252 lacks")
            << r << QStringList()
            << QStringList{"Minore (cognome e nome): caratteri non rappresentabili sostituiti da \"?\""};
    }
    void checksRowsAsSaveDoes() {
        QFETCH(QStringList, row);
        QFETCH(QStringList, errors);
        QFETCH(QStringList, warnings);
        const ImportRow r = CheckImportRow(row, GuessMapping(kHeader), 7);
        QCOMPARE(r.row, 7);
        QCOMPARE(r.errors, errors);
        QCOMPARE(r.warnings, warnings);
    }

    // The one table of required fields: the import names what is missing, the editor's Salva warns with
    // the same field and its article; both in the editor's order.
    void requiredFields_data() {
        QTest::addColumn<int>("column"); // in kHeader and GoodRow, which follow the editor's order
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QString>("warning");
        using namespace RegistryField;
        const struct {
            int field;
            const char* what;
            const char* object;
        } rows[] = {
            {Tiratore, "cognome e nome del genitore", "cognome e nome del genitore"},
            {CodFisc, "codice fiscale del genitore", "il codice fiscale del genitore"},
            {Studio, "data di scadenza del certificato medico", "la data di scadenza del certificato medico"},
            {Ente, "causale di pagamento", "la causale di pagamento"},
            {Tessera, "numero di iscrizione", "il numero di iscrizione"},
            {Quota, "quota di iscrizione", "la quota di iscrizione"},
            {FineTes, "data di scadenza dell'iscrizione", "la data di scadenza dell'iscrizione"},
            {Armi, "cognome e nome del minore", "cognome e nome del minore"},
        };
        int column = 0;
        for (const auto& r : rows) {
            QTest::newRow(r.what) << column++ << r.field << QStringLiteral("manca %1").arg(QString::fromUtf8(r.what))
                                  << QStringLiteral("Attenzione: per salvare la scheda è necessario indicare %1.")
                                         .arg(QString::fromUtf8(r.object));
        }
    }
    void requiredFields() {
        QFETCH(int, column);
        QFETCH(int, field);
        QFETCH(QString, missing);
        QFETCH(QString, warning);
        const QVector<RequiredCardField>& table = RequiredCardFields();
        QCOMPARE(table.size(), 8);
        QCOMPARE(table[column].field, field);
        QCOMPARE(table[column].warning, warning);
        QStringList row = GoodRow();
        row[column] = QStringLiteral("  ");
        // An empty fee becomes 0,00, as the editor's fee box makes it on leaving: it is never missing.
        const QStringList expected = field == RegistryField::Quota ? QStringList() : QStringList{missing};
        QCOMPARE(CheckImportRow(row, GuessMapping(kHeader), 2).errors, expected);
    }
    void captions() {
        QCOMPARE(CardFieldCaption(RegistryField::Tiratore), QStringLiteral("Genitore (cognome e nome)"));
        QCOMPARE(CardFieldCaption(RegistryField::Note), QStringLiteral("Note"));
        QCOMPARE(CardFieldCaption(RegistryField::File01), QStringLiteral("Documento allegato 1"));
        QCOMPARE(CardFieldCaption(RegistryField::Desc03), QStringLiteral("Descrizione allegato 3"));
        QVERIFY(CardFieldCaption(RegistryField::Count).isEmpty());
        QVERIFY(CardFieldCaption(-1).isEmpty());
    }
    // A ten-digit code is a wrong VAT number for the import as for the invoices (they once called it a
    // wrong tax code).
    void tenDigitsAreAWrongVatNumber() {
        QStringList row = GoodRow();
        row[1] = QStringLiteral("0123456058");
        QCOMPARE(CheckImportRow(row, GuessMapping(kHeader), 2).warnings,
                 QStringList{QStringLiteral("partita IVA \"0123456058\" errata")});
    }

    // A quote opened and never closed swallows the rest of the file into one field: that row says so.
    void quoteNeverClosed() {
        const CsvSheet sheet = ParseCsv("a;b\n1;\"due\n3;4\n");
        QVERIFY(sheet.error.isEmpty());
        QCOMPARE(sheet.unterminatedRow, 2);
        const QVector<ImportRow> rows = CheckImportRows(sheet, {RegistryField::Note, RegistryField::Tel}, true);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].errors.first(), "virgolette aperte e mai chiuse dalla riga 2 alla fine del file");
    }

    void storesWhatTheEditorWouldStore() {
        QStringList row = GoodRow();
        row[0] = QString(51, u'x');
        row[1] = " rssmra85t10a562s ";
        row[2] = "2027-09-01";
        row[5] = "1.234,5";
        row[6] = "1/9/2028";
        const ImportRow r = CheckImportRow(row, GuessMapping(kHeader), 2);
        QVERIFY(r.Good());
        QCOMPARE(r.card.Tiratore, QString(50, u'x'));
        QCOMPARE(r.card.CodFisc, kCode);
        QCOMPARE(r.card.Studio, "01/09/2027");
        QCOMPARE(r.card.Quota, "1234,50");
        QCOMPARE(r.card.FineTes, "01/09/2028");
        QCOMPARE(r.card.Ente, "Retta mensile");
        QCOMPARE(CheckImportRow({"a\nb"}, {RegistryField::Note}, 2).card.Note, "a b");
        QCOMPARE(r.card.Tessera, "12");
        QCOMPARE(r.card.Armi, "Rossi Luca");
        QVERIFY(r.card.Note.isEmpty());
        // The columns "Cognome" and "Nome" fill one field.
        const ImportRow joined = CheckImportRow({"Bianchi", "Anna", "x"}, GuessMapping({"Cognome", "Nome", "Note"}), 2);
        QCOMPARE(joined.card.Tiratore, "Bianchi Anna");
        QCOMPARE(joined.card.Note, "x");
    }

    void appendsGoodRowsAndWarnsAboutCardsAlreadyThere() {
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        const QByteArray csv = Csv({kHeader,
                                    GoodRow("Rossi Luca"),
                                    GoodRow("Rossi Anna"),
                                    {"", "", "", "", "", "", "", ""},
                                    GoodRow("rossi  luca"),
                                    GoodRow("Verdi Ugo")})
                                   .toUtf8();
        QByteArray bad = csv;
        bad.replace("Verdi Ugo", "Verdi Ugo;in più");
        const CsvSheet sheet = ParseCsv(bad);
        QVERIFY(sheet.error.isEmpty());
        QVector<ImportRow> rows = CheckImportRows(sheet, GuessMapping(sheet.rows.first()), true);
        QCOMPARE(rows.size(), 4); // the blank row is not a card
        QCOMPARE(rows[3].row, 6);
        QVERIFY(!rows[3].Good());
        MarkExistingCards(rows, {});
        QVERIFY(rows[2].repeated); // "rossi  luca" is the child of row 2 again
        QCOMPARE(rows[2].warnings, QStringList{"stessa scheda della riga 2"});

        ImportOutcome first = AppendImportedCards(folder, rows, false);
        QVERIFY2(first.ok, qPrintable(first.error));
        QCOMPARE(first.first, 1);
        QCOMPARE(first.appended, 3);
        RegistryFile f;
        QVERIFY(f.OpenOrCreate(folder));
        QCOMPARE(f.RecordCount(), 3);
        RegistryRecord card;
        QVERIFY(f.ReadRecord(1, card));
        QCOMPARE(card.Armi, "Rossi Anna");
        QCOMPARE(card.Quota, "150,00");
        QSet<QString> keys;
        QVERIFY(ExistingCardKeys(f.Raw(), &keys));
        f.Close();

        // The same file again, its last row now mended: only that one is new.
        rows = CheckImportRows(ParseCsv(csv), GuessMapping(kHeader), true);
        MarkExistingCards(rows, keys);
        for (int i : {0, 1, 2})
            QVERIFY2(rows[i].existing, qPrintable(QString::number(i)));
        QVERIFY(!rows[3].existing);
        QCOMPARE(rows[2].warnings, QStringList{"scheda già presente in archivio (stesso codice fiscale e minore)"});
        const ImportOutcome again = AppendImportedCards(folder, rows, true);
        QVERIFY(again.ok);
        QCOMPARE(again.first, 4);
        QCOMPARE(again.appended, 1);
        QCOMPARE(again.skipped, 3);
        QCOMPARE(Bytes(folder + RegistryFileName).size(), 4 * RegistryRecord::Size);
    }

    // Every file call of the import failing in turn: the registry holds its cards and nothing of the batch.
    void failureAtAnyCallLeavesTheRegistryAsItWas() {
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        const QString path = folder + RegistryFileName;
        QVector<ImportRow> rows;
        for (int i = 0; i < 40; ++i)
            rows << CheckImportRow(GoodRow(QStringLiteral("Figlio %1").arg(i)), GuessMapping(kHeader), i + 2);
        QByteArray before(2 * RegistryRecord::Size, 'k');
        before += "partial"; // a trailing partial record, written over by an append, must come back too
        int failures = 0;
        for (int n = 1; n < 200; ++n) {
            QVERIFY(WriteBytes(path, before));
            ImportOutcome out;
            bool hit = false;
            const char* failed = nullptr;
            {
                FaultyFileOps faults;
                faults.piece = 5000;
                faults.Arm(n, n % 2 ? ENOSPC : EIO);
                out = AppendImportedCards(folder, rows, true);
                hit = faults.failed != nullptr;
                failed = faults.failed;
            }
            if (!hit) {
                QVERIFY2(out.ok, qPrintable(out.error));
                QCOMPARE(Bytes(path).size(), 2 * RegistryRecord::Size + 40 * RegistryRecord::Size);
                QVERIFY(failures > 0);
                return;
            }
            ++failures;
            QVERIFY(!out.ok);
            QCOMPARE(out.appended, 0);
            const QByteArray after = Bytes(path);
            // A close that fails after the flushed batch cannot take the cards back: all are there.
            if (QByteArray(failed) == "close" && after.size() == 42 * RegistryRecord::Size)
                continue;
            QVERIFY2(after == before, qPrintable(QStringLiteral("call %1 (%2)").arg(n).arg(failed)));
        }
        QFAIL("the import never got through");
    }
};

QTEST_GUILESS_MAIN(TestCardImport)
#include "tst_cardimport.moc"
