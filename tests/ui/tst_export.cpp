// The receipt and registry export windows: their texts and grids, the two questions and what each
// answer does, cells edited in the grid, the failures, and the editors' export commands.
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "app/Guida.h"
#include "export/ExpRic.h"
#include "export/ExpTiratori.h"
#include "export/ExportGrid.h"
#include "receipts/Ricevuta.h"
#include "registry/Tiratori.h"
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressDialog>
#include <QtTest>
#include <memory>

using Kind = Messages::Kind;

namespace {
const QString kAsk = QStringLiteral("L'esportazione dei dati in Excel può richiedere diversi minuti a seconda del "
                                    "numero di schede presenti in archivio.\r\n\r\nSi vuole esportare i dati adesso?");
const QString kDone =
    QStringLiteral("Le schede in archivio sono state esportate con successo.\r\n\r\nSi vuole aprire il file di Excel?");
// The receipts' export names what it wrote.
const QString kDoneReceipts =
    QStringLiteral("Le ricevute in archivio sono state esportate con successo.\r\n\r\nSi vuole aprire il file di Excel?");
const QString kFailed = QStringLiteral("Attenzione: il sistema non permette di esportare i dati.\n\r\n\r"
                                       "Accertarsi che il file di Excel non sia già aperto.");

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray DataCell(const QByteArray& text) {
    return "<td style=\"text-align: left;\" sdnum=\"1040;0;@\">" + text + "</td>";
}

ReceiptRecord Receipt(int i) {
    ReceiptRecord r;
    r.NumRic = QString::number(i);
    r.Data = "01/02/2026";
    r.Pagatore = "Rossi & Figli";
    r.Sport = "Retta";
    r.Intero = "12,50";
    return r;
}

void EnterOver(QWidget* w) {
    QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(w, &e);
}
} // namespace

class tst_export : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windowTextsAndGrid_data();
    void windowTextsAndGrid();
    void answers_data();
    void answers();
    void noProgressOverTheQuestion_data();
    void noProgressOverTheQuestion();
    void exportThatCannotReplaceTheFile_data();
    void exportThatCannotReplaceTheFile();
    void cellEditedInTheGridIsExported();
    void unreadableYearIsReported();
    void emptyRegistryExportsTenEmptyRows();
    void guideAndClose();
    void editorOpensTheExport_data();
    void editorOpensTheExport();

private:
    void WriteYear(int receipts);
    std::unique_ptr<ExportWindow> Open(bool registry);

    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Carvenna> m_app;
    QString m_year;
};

void tst_export::init() {
    m_tp = std::make_unique<TestPlatform>();
    m_app = std::make_unique<Carvenna>(m_tp->platform);
    m_app->Start();
    m_year = m_tp->Path("2026.ric");
    m_app->ricevuta()->ui.lblFile->setText("  " + m_year + " ");
}

void tst_export::cleanup() {
    QVERIFY(m_tp->messages.shown.isEmpty()); // every message was checked
    m_app.reset();
    m_tp.reset();
}

void tst_export::WriteYear(int receipts) {
    ReceiptFile f;
    QVERIFY(f.OpenOrCreate(m_year));
    for (int i = 1; i <= receipts; ++i)
        QVERIFY(f.AppendRecord(Receipt(i)));
    QVERIFY(f.Close());
}

std::unique_ptr<ExportWindow> tst_export::Open(bool registry) {
    std::unique_ptr<ExportWindow> w;
    if (registry)
        w = std::make_unique<TfrmExpTiratori>(*m_app);
    else
        w = std::make_unique<TfrmExpRic>(*m_app);
    w->show();
    return w;
}

void tst_export::windowTextsAndGrid_data() {
    QTest::addColumn<bool>("registry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QVector<int>>("widths");
    QTest::newRow("receipts") << false << " Esporta archivio ricevute in Excel"
                              << QStringList{"N.",
                                             "Ricevuta n.",
                                             "Data emissione",
                                             "Pagatore",
                                             "Codice fiscale",
                                             "Causale",
                                             "Inizio periodo",
                                             "Fine periodo",
                                             "Minore",
                                             "Luogo di nascita",
                                             "Data di nascita",
                                             "Modalità di pagamento",
                                             "Totale: €"}
                              << QVector<int>{60, 150, 120, 250, 180, 300, 180, 180, 250, 250, 180, 350, 180};
    QTest::newRow("registry") << true << " Esportazione archivio anagrafico in Excel"
                              << QStringList{"N.",
                                             "Genitore",
                                             "Data nascita",
                                             "Cittadinanza",
                                             "Luogo nascita",
                                             "Indirizzo residenza",
                                             "Città",
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
                                             "Data di scadenza",
                                             "Minore",
                                             "Luogo nascita",
                                             "Data nascita",
                                             "Modalità pagamento",
                                             "Note"}
                              << QVector<int>{60,  250, 150, 200, 250, 250, 220, 100, 200, 180, 250, 220, 180,
                                              300, 220, 180, 180, 200, 150, 150, 150, 250, 250, 150, 300, 350};
}

void tst_export::windowTextsAndGrid() {
    QFETCH(bool, registry);
    QFETCH(QString, caption);
    QFETCH(QStringList, headers);
    QFETCH(QVector<int>, widths);
    auto w = Open(registry);
    QCOMPARE(w->windowTitle(), caption);
    auto* grid = w->findChild<QTableView*>("grdRecords");
    auto* info = w->findChild<QLabel*>("panInfo");
    QVERIFY(grid && info);
    QCOMPARE(info->text(), QStringLiteral("Esportazione archivio in Microsoft Excel."));
    QStringList gotHeaders;
    QVector<int> gotWidths;
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        gotHeaders << grid->model()->headerData(c, Qt::Horizontal).toString();
        gotWidths << grid->columnWidth(c);
    }
    QCOMPARE(gotHeaders, headers);
    QCOMPARE(gotWidths, widths);
    QCOMPARE(grid->model()->rowCount(), 10); // nothing in the archive yet
    QVERIFY(grid->alternatingRowColors());

    // Hints over the three pictures; moving over the rest of the window empties the bar.
    const QList<QPair<QString, QString>> hints = {
        {"cmdEsporta", "Esporta l'archivio in formato Microsoft Excel."},
        {"cmdGuida", "Visualizza la pagina della guida sensibile al contesto."},
        {"cmdEsci", "Esci da questo ambiente di lavoro."}};
    for (const auto& [name, hint] : hints) {
        EnterOver(w->findChild<QWidget*>(name));
        QCOMPARE(info->text(), hint);
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &move);
        QCOMPARE(info->text(), QString());
    }
}

void tst_export::answers_data() {
    QTest::addColumn<QVector<bool>>("replies");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("opened");
    QTest::newRow("no to exporting") << QVector<bool>{false} << QStringList{kAsk} << false << false;
    QTest::newRow("exported, not opened") << QVector<bool>{true, false} << QStringList{kAsk, kDoneReceipts} << true
                                          << false;
    QTest::newRow("exported and opened") << QVector<bool>{true, true} << QStringList{kAsk, kDoneReceipts} << true
                                         << true;
}

void tst_export::answers() {
    QFETCH(QVector<bool>, replies);
    QFETCH(QStringList, asked);
    QFETCH(bool, written);
    QFETCH(bool, opened);
    WriteYear(3);
    auto w = Open(false);
    QCOMPARE(w->Grid().rowCount(), 3);
    QCOMPARE(w->Grid().Cell(2, 0), QStringLiteral("3"));
    for (bool r : replies)
        m_tp->messages.answers.enqueue(r);
    QTest::mouseClick(w->findChild<QToolButton*>("cmdEsporta"), Qt::LeftButton);

    const auto shown = m_tp->messages.Take();
    QStringList texts;
    for (const auto& s : shown) {
        QCOMPARE(s.kind, Kind::Confirmation);
        texts << s.text;
    }
    QCOMPARE(texts, asked);
    const QString path = m_tp->Path("Ricevute.xls");
    QCOMPARE(QFile::exists(path), written);
    if (written) {
        const QByteArray doc = ReadFile(path);
        QCOMPARE(doc.count("<tr>"), 4); // header and 3 receipts
        QVERIFY(doc.contains("<tr>" + DataCell("3") + DataCell("01/02/2026") + DataCell("Rossi &amp; Figli")));
    }
    QCOMPARE(m_tp->shell.opened, opened ? QStringList{'"' + path + '"'} : QStringList{});
}

// Messages that note whether a progress window still exists when a message is shown: a living
// progress window shows itself by its own timer a few seconds after it was made, even after it
// was hidden, and then blocks the message under it.
class ProgressWatcher : public RecordingMessages {
public:
    bool progressAlive = false;
    bool Show(Kind kind, const QString& text, QWidget* parent) override {
        for (QWidget* w : QApplication::allWidgets())
            progressAlive |= qobject_cast<QProgressDialog*>(w) != nullptr;
        return RecordingMessages::Show(kind, text, parent);
    }
};

void tst_export::noProgressOverTheQuestion_data() {
    QTest::addColumn<bool>("unreadable");
    QTest::newRow("questions of the export") << false;
    QTest::newRow("warning after loading") << true;
}

void tst_export::noProgressOverTheQuestion() {
    QFETCH(bool, unreadable);
    if (unreadable)
        QVERIFY(QDir(m_tp->dir.path()).mkdir("2026.ric"));
    else
        WriteYear(3);
    ProgressWatcher reader;
    Platform platform = m_tp->platform;
    platform.messages = &reader;
    Carvenna app(platform);
    app.Start();
    app.ricevuta()->ui.lblFile->setText(m_year);
    TfrmExpRic w(app);
    w.show();
    reader.answers << true << false;
    if (!unreadable)
        QTest::mouseClick(w.findChild<QToolButton*>("cmdEsporta"), Qt::LeftButton);
    const QStringList asked = reader.TakeTexts();
    QCOMPARE(asked, (unreadable ? QStringList{ArchiveAccessError()} : QStringList{kAsk, kDoneReceipts}));
    QVERIFY2(!reader.progressAlive, "a progress window is still alive when a message is shown");
}

void tst_export::exportThatCannotReplaceTheFile_data() {
    QTest::addColumn<bool>("folder");
    QTest::newRow("read-only file") << false;
    QTest::newRow("folder of that name") << true;
}

void tst_export::exportThatCannotReplaceTheFile() {
    QFETCH(bool, folder);
    WriteYear(2);
    const QString path = m_tp->Path("Ricevute.xls");
    const QByteArray old = "the export of last week";
    if (folder) {
        QVERIFY(QDir(m_tp->dir.path()).mkdir("Ricevute.xls"));
    } else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
        f.close();
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
    }
    auto w = Open(false);
    QTest::mouseClick(w->findChild<QToolButton*>("cmdEsporta"), Qt::LeftButton);
    const auto shown = m_tp->messages.Take();
    QCOMPARE(shown.size(), 2); // the question is not asked after a failure
    QCOMPARE(shown[0].text, kAsk);
    QCOMPARE(shown[1].kind, Kind::Plain);
    QCOMPARE(shown[1].text, kFailed);
    if (folder)
        QVERIFY(QFileInfo(path).isDir());
    else
        QCOMPARE(ReadFile(path), old);
    QVERIFY(m_tp->shell.opened.isEmpty());
}

void tst_export::cellEditedInTheGridIsExported() {
    WriteYear(2);
    auto w = Open(false);
    auto* grid = w->findChild<QTableView*>("grdRecords");
    const QModelIndex reason = grid->model()->index(1, 5);
    grid->setCurrentIndex(reason);
    grid->edit(reason);
    auto* editor = grid->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText("Retta \"speciale\" <b>"); // still being typed when the export starts

    m_tp->messages.answers.enqueue(true);
    m_tp->messages.answers.enqueue(false);
    QTest::mouseClick(w->findChild<QToolButton*>("cmdEsporta"), Qt::LeftButton);
    QCOMPARE(m_tp->messages.TakeTexts(), (QStringList{kAsk, kDoneReceipts}));
    const QByteArray doc = ReadFile(m_tp->Path("Ricevute.xls"));
    QVERIFY(doc.contains(DataCell("Retta \"speciale\" &lt;b&gt;")));
    QCOMPARE(doc.count(DataCell("Retta")), 1); // the first receipt keeps its stored reason

    // The receipt file itself is never changed by the export.
    ReceiptFile f;
    ReceiptRecord rec;
    QVERIFY(f.OpenOrCreate(m_year) && f.ReadRecord(1, rec));
    QCOMPARE(rec.Sport, QStringLiteral("Retta"));
}

void tst_export::unreadableYearIsReported() {
    // The year file's name is taken by a folder: the user learns it before exporting an empty grid.
    QVERIFY(QDir(m_tp->dir.path()).mkdir("2026.ric"));
    auto w = Open(false);
    const auto shown = m_tp->messages.Take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].kind, Kind::Warning);
    QCOMPARE(shown[0].text, ArchiveAccessError());
    QCOMPARE(w->Grid().rowCount(), 10);
    QCOMPARE(ExportWindow::PartialLoadWarning(3),
             QStringLiteral("Attenzione: non è stato possibile leggere tutte le schede dell'archivio.\n\r\n\r"
                            "La griglia contiene soltanto le prime 3 schede: l'esportazione comprenderà solo "
                            "queste."));
}

void tst_export::emptyRegistryExportsTenEmptyRows() {
    auto w = Open(true);
    QVERIFY(QFile::exists(m_tp->Path("Archivio_Iscritti.pro"))); // created empty, as the editor would
    m_tp->messages.answers.enqueue(true);
    m_tp->messages.answers.enqueue(true);
    QTest::mouseClick(w->findChild<QToolButton*>("cmdEsporta"), Qt::LeftButton);
    QCOMPARE(m_tp->messages.TakeTexts(), (QStringList{kAsk, kDone}));
    const QString path = m_tp->Path("Archivio_Anagrafico.xls");
    QCOMPARE(m_tp->shell.opened, QStringList{'"' + path + '"'});
    const QByteArray doc = ReadFile(path);
    QByteArray emptyRow = "<tr>";
    for (int c = 0; c < 25; ++c)
        emptyRow += DataCell("");
    emptyRow += "</tr>";
    QVERIFY(doc.endsWith(emptyRow.repeated(10) + "</table></body></html>"));
    QCOMPARE(doc.count("<tr>"), 11);
    QCOMPARE(doc.count(">Luogo nascita</td>"), 2);
    QCOMPARE(doc.count(">Data nascita</td>"), 2);
}

void tst_export::guideAndClose() {
    for (bool registry : {false, true}) {
        auto w = Open(registry);
        QString title, text;
        auto* guide = ModalHelper::When<TfrmGuida>(
            [&](TfrmGuida* g) {
                title = g->ui.lblTitolo->text();
                text = g->ui.txtGuida->toPlainText();
                g->reject();
            },
            this);
        QTest::mouseClick(w->findChild<QToolButton*>("cmdGuida"), Qt::LeftButton);
        QVERIFY(guide->Handled());
        QCOMPARE(title, registry ? QStringLiteral("Esportazione archivio anagrafico in Excel")
                                 : QStringLiteral("Esportazione archivio ricevute in Excel"));
        QCOMPARE(text.split("\n\n").size(), 3);
        QVERIFY(text.contains(registry ? "schede dell'archivio anagrafico" : "archivio annuale delle ricevute"));
        QTest::mouseClick(w->findChild<QToolButton*>("cmdEsci"), Qt::LeftButton);
        QVERIFY(!w->isVisible());
    }
}

void tst_export::editorOpensTheExport_data() {
    QTest::addColumn<bool>("registry");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("firstRow");
    QTest::newRow("receipt editor") << false << "Ricevute.xls"
                                    << DataCell("1") + DataCell("01/02/2026") + DataCell("Rossi &amp; Figli");
    QTest::newRow("registry editor") << true << "Archivio_Anagrafico.xls"
                                     << DataCell("Bianchi Anna") + DataCell("02/03/1985") + DataCell("Italiana");
}

void tst_export::editorOpensTheExport() {
    QFETCH(bool, registry);
    QFETCH(QString, file);
    QFETCH(QByteArray, firstRow);
    QWidget* editor = nullptr;
    QAbstractButton* command = nullptr;
    if (registry) {
        RegistryFile f;
        QVERIFY(f.OpenOrCreate(m_tp->platform.programFolder));
        for (int i = 0; i < 4; ++i) {
            RegistryRecord card;
            card.Tiratore = i == 0 ? QStringLiteral("Bianchi Anna") : QStringLiteral("Genitore %1").arg(i + 1);
            card.DataNasc = QStringLiteral("02/03/1985");
            card.Cittadinanza = QStringLiteral("Italiana");
            QVERIFY(f.AppendRecord(card));
        }
        QVERIFY(f.Close());
        editor = m_app->tiratori();
        command = m_app->tiratori()->ui.cmdEsporta;
    } else {
        WriteYear(4);
        editor = m_app->ricevuta();
        command = m_app->ricevuta()->ui.cmdEsporta;
    }
    editor->show();
    qint64 rows = 0;
    QWidget* owner = nullptr;
    QString opened;
    auto* exp = ModalHelper::When<ExportWindow>(
        [&](ExportWindow* w) {
            opened = QString::fromLatin1(w->metaObject()->className());
            rows = w->Grid().rowCount();
            owner = w->parentWidget();
            QTest::mouseClick(w->findChild<QToolButton*>("cmdEsporta"), Qt::LeftButton);
            QTest::mouseClick(w->findChild<QToolButton*>("cmdEsci"), Qt::LeftButton);
        },
        this);
    m_tp->messages.answers << true << false; // export now; do not open the file
    QTest::mouseClick(command, Qt::LeftButton);
    QVERIFY(exp->Handled());
    QCOMPARE(exp->Unexpected(), QString());
    QCOMPARE(opened, registry ? QStringLiteral("TfrmExpTiratori") : QStringLiteral("TfrmExpRic"));
    QCOMPARE(owner, editor);
    QCOMPARE(rows, qint64(4));
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(m_tp->messages.TakeTexts(), (QStringList{kAsk, registry ? kDone : kDoneReceipts}));
    const QByteArray doc = ReadFile(m_tp->Path(file));
    QCOMPARE(doc.count("<tr>"), 5); // header and 4 records
    QVERIFY(doc.contains("<tr>" + firstRow));
    QVERIFY(m_tp->shell.opened.isEmpty());
}

QTEST_MAIN(tst_export)
#include "tst_export.moc"
