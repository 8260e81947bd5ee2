// The remaining actions that write, with each open, write, flush, close or rename of the action
// failing in turn, as a full disk (ENOSPC) and as a failing network folder (EIO): copying an
// attached document, changing the password, the three spreadsheet exports, the daily copy made at
// log-in and printing to a PDF file. Each failure shows the action's own message and never its
// success message, and the program folder holds exactly what it held before.
#include "FaultyFileOps.h"
#include "FolderState.h"
#include "MessageTexts.h"
#include "ModalHelper.h"
#include "ReceiptYear.h"
#include "TestPlatform.h"
#include "app/Avvio.h"
#include "app/CambiaPassword.h"
#include "app/Carvenna.h"
#include "app/Password.h"
#include "export/ExpRic.h"
#include "export/ExpTiratori.h"
#include "printing/DesktopPrinting.h"
#include "printing/PdfOutput.h"
#include "printing/ReceiptPrint.h"
#include "printing/StampaRic.h"
#include "receipts/Ricevuta.h"
#include "registry/AllegaCartella.h"
#include "registry/Attachments.h"
#include "report/ReportTemplate.h"
#include "storage/RegistryFile.h"
#include "summary/Attestazioni.h"
#include <QAction>
#include <QBuffer>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>
#include <memory>
#include <numeric>

using Kind = Messages::Kind;
using State = QMap<QString, QByteArray>;

namespace {

// Bytes in which a torn, shifted or repeated piece shows.
QByteArray Pattern(int size) {
    QByteArray b(size, '.');
    for (int i = 0; i < size; ++i)
        b[i] = char('a' + (i / 7) % 26);
    return b;
}

QString Label(int n, const FaultyFileOps& faults) {
    return QStringLiteral("call %1 (%2)").arg(n).arg(QLatin1String(faults.failed ? faults.failed : "none"));
}

void AddErrorRows(const char* what = nullptr) {
    for (int error : {ENOSPC, EIO})
        QTest::addRow("%s%s%s", what ? what : "", what ? ", " : "", ErrorName(error)) << error;
}
} // namespace

class TestWriteFaults : public QObject {
    Q_OBJECT
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<DesktopPrinting> m_printing;
    std::unique_ptr<Carvenna> m_app;

    QString Folder() const { return m_tp->platform.programFolder; }

    // Runs `action` once for every file call it makes, that call failing with `error`; `check`
    // gets the label of the failed call. `calls` is what the action made when nothing failed.
    template <class Action, class Check>
    static void EachFault(FaultyFileOps& faults, int calls, int error, Action action, Check check) {
        for (int n = 1; n <= calls; ++n) {
            faults.Arm(n, error);
            action();
            const QString label = Label(n, faults);
            faults.Arm(0, 0);
            check(label);
            if (QTest::currentTestFailed())
                return;
        }
    }

private slots:
    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_printing = std::make_unique<DesktopPrinting>(m_tp->platform.programFolder);
        m_tp->platform.printing = m_printing.get();
        m_app = std::make_unique<Carvenna>(m_tp->platform);
        m_app->Start();
    }
    void cleanup() {
        if (m_tp)
            QVERIFY2(m_tp->messages.shown.isEmpty(), qPrintable(m_tp->messages.TakeTexts().join(" | ")));
        m_app.reset();
        m_printing.reset();
        m_tp.reset();
    }

    void attachmentCopy_data() {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<int>("error");
        for (bool existing : {false, true})
            for (int error : {ENOSPC, EIO})
                QTest::addRow("%s, %s", existing ? "over an earlier copy" : "new document", ErrorName(error))
                    << existing << error;
    }
    // A failed copy keeps the slot's earlier name and any earlier document of that name.
    void attachmentCopy() {
        QFETCH(bool, existing);
        QFETCH(int, error);
        QTemporaryDir elsewhere;
        const QString source = elsewhere.filePath(QStringLiteral("certificato.pdf"));
        QVERIFY(Put(source, Pattern(3000)));
        const QString target = AttachmentsFolder(Folder()) + QStringLiteral("/certificato.pdf");
        auto reset = [&] {
            QVERIFY(existing ? Put(target, "the copy of last year") : QDir().mkpath(AttachmentsFolder(Folder())));
        };
        TfrmAllegaCartella dlg(*m_app);
        dlg.show();
        auto copy = [&] {
            reset();
            dlg.ui.txtFile01->setText(QStringLiteral("anamnesi.pdf"));
            m_tp->fileDialogs.answers.enqueue(source);
            if (existing) // "Yes" to overwriting (the default is No)
                m_tp->messages.answers.enqueue(true);
            dlg.ui.btnSfoglia01->click();
        };
        const QStringList asked = existing ? QStringList{TfrmAllegaCartella::OverwriteQuestion()} : QStringList();

        FaultyFileOps faults;
        copy();
        const int calls = faults.calls;
        QCOMPARE(m_tp->messages.TakeTexts(), asked);
        QCOMPARE(Bytes(target), Pattern(3000));
        QCOMPARE(dlg.ui.txtFile01->text(), QStringLiteral("certificato.pdf"));
        QVERIFY2(calls >= 12, "the copy does not go through the file calls"); // open, 8 pieces, flush, close, rename
        qInfo("%d file calls, each made to fail in turn", calls);
        reset();
        if (!existing)
            QFile::remove(target);
        const State before = FolderState(Folder());

        EachFault(faults, calls, error, copy, [&](const QString& label) {
            const auto shown = m_tp->messages.Take();
            QVERIFY2(shown.size() == asked.size() + 1, qPrintable(label));
            QCOMPARE(shown.last().kind, Kind::Warning);
            QCOMPARE(shown.last().text, TfrmAllegaCartella::CopyFailedWarning());
            QCOMPARE(dlg.ui.txtFile01->text(), QStringLiteral("anamnesi.pdf"));
            const QString diff = StateDiff(before, FolderState(Folder()));
            QVERIFY2(diff.isEmpty(), qPrintable(label + ": " + diff));
        });
    }

    void passwordChange_data() {
        QTest::addColumn<int>("error");
        AddErrorRows();
    }
    // A failed change keeps the old password file byte for byte: the old password still opens.
    void passwordChange() {
        QFETCH(int, error);
        m_tp->WritePassword(QStringLiteral("VECCHIA"));
        const QByteArray old = Bytes(m_tp->Path(QStringLiteral("unins000.dll")));
        TfrmCambiaPassword& w = *m_app->cambiaPassword();
        auto change = [&] {
            QVERIFY(Put(m_tp->Path(QStringLiteral("unins000.dll")), old));
            m_app->Switch(&w, m_app->password());
            w.ui.txtPasswordOld->setText(QStringLiteral("vecchia"));
            w.ui.txtPasswordNew->setText(QStringLiteral("nuova"));
            w.ui.txtConferma->setText(QStringLiteral("nuova"));
            w.ui.cmdOK->click();
        };

        FaultyFileOps faults;
        faults.piece = 8; // the file is short: a write can still stop half way
        change();
        const int calls = faults.calls;
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{kPasswordDone});
        QString stored;
        QVERIFY(ReadStoredPassword(m_tp->Path(QStringLiteral("unins000.dll")), stored));
        QCOMPARE(stored, QStringLiteral("NUOVA"));
        QVERIFY2(calls >= 6, "the change does not go through the file calls");
        qInfo("%d file calls, each made to fail in turn", calls);
        QVERIFY(Put(m_tp->Path(QStringLiteral("unins000.dll")), old));
        const State before = FolderState(Folder());

        EachFault(faults, calls, error, change, [&](const QString& label) {
            const auto shown = m_tp->messages.Take();
            QVERIFY2(shown.size() == 1, qPrintable(label));
            QCOMPARE(shown[0].kind, Kind::Plain);
            QCOMPARE(shown[0].text, kPasswordFailed);
            QVERIFY(w.isVisible()); // the user may try again or leave
            const QString diff = StateDiff(before, FolderState(Folder()));
            QVERIFY2(diff.isEmpty(), qPrintable(label + ": " + diff));
            QString kept;
            QVERIFY(ReadStoredPassword(m_tp->Path(QStringLiteral("unins000.dll")), kept));
            QCOMPARE(kept, QStringLiteral("VECCHIA"));
        });
    }

    void exports_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("existing");
        QTest::addColumn<int>("error");
        for (const char* window : {"receipts", "registry", "statements"})
            for (bool existing : {false, true})
                for (int error : {ENOSPC, EIO})
                    QTest::addRow("%s, %s, %s", window, existing ? "over last week's file" : "new file",
                                  ErrorName(error))
                        << QString::fromLatin1(window) << existing << error;
    }
    // Each export window: a failed export says so, never asks to open the file, and keeps an
    // earlier export of that name as it was.
    void exports() {
        QFETCH(QString, window);
        QFETCH(bool, existing);
        QFETCH(int, error);
        std::unique_ptr<QDialog> w;
        QString file;
        QAbstractButton* command = nullptr;
        // The question after the export names what was written.
        const QString exported = window == QLatin1String("registry")   ? QStringLiteral("Le schede in archivio")
                                 : window == QLatin1String("receipts") ? QStringLiteral("Le ricevute in archivio")
                                                                       : QStringLiteral("Le attestazioni");
        if (window == QLatin1String("registry")) {
            RegistryFile f;
            QVERIFY(f.OpenOrCreate(Folder()));
            for (int i = 1; i <= 12; ++i) {
                RegistryRecord r;
                r.Tiratore = QStringLiteral("Iscritto numero %1").arg(i);
                r.CodFisc = QStringLiteral("RSSMRA80A01H501U");
                r.Quota = QStringLiteral("150,00");
                QVERIFY(f.AppendRecord(r));
            }
            QVERIFY(f.Close());
            auto* exp = new TfrmExpTiratori(*m_app);
            command = exp->ui.cmdEsporta;
            w.reset(exp);
            file = m_tp->Path(QStringLiteral("Archivio_Anagrafico.xls"));
        } else {
            const QString year = m_tp->Path(window == QLatin1String("receipts") ? QStringLiteral("2026.ric")
                                                                                : QStringLiteral("2025.ric"));
            QVector<int> rows(12);
            std::iota(rows.begin(), rows.end(), 1);
            QVERIFY(!WriteReceiptYear(year, rows, [](int i) {
                         ReceiptRecord r;
                         r.NumRic = QString::number(i);
                         r.Data = QStringLiteral("%1/03/2025").arg(i, 2, 10, QLatin1Char('0'));
                         r.Pagatore = QStringLiteral("Pagatore numero %1").arg(i);
                         r.CodFisc = QStringLiteral("RSSMRA80A01H501U");
                         r.Praticante = QStringLiteral("Figlio %1").arg(i % 3);
                         r.Sport = QStringLiteral("Retta mensile");
                         r.Intero = QStringLiteral("120,00");
                         return r;
                     }).isEmpty());
            if (window == QLatin1String("receipts")) {
                m_app->ricevuta()->ui.lblFile->setText(year);
                auto* exp = new TfrmExpRic(*m_app);
                command = exp->ui.cmdEsporta;
                w.reset(exp);
                file = m_tp->Path(QStringLiteral("Ricevute.xls"));
            } else {
                auto* statements = new TfrmAttestazioni(*m_app, 2025, nullptr);
                statements->ui.lblFile->setText(year); // as the summary menu names it
                command = statements->ui.btnEsporta;
                w.reset(statements);
                file = m_tp->Path(QStringLiteral("Attestazioni_2025.xls"));
            }
        }
        w->show();
        QVERIFY(m_tp->messages.shown.isEmpty()); // the window read everything
        const QByteArray earlier = "<html>the export of last week</html>";
        auto exportNow = [&] {
            if (existing)
                QVERIFY(Put(file, earlier));
            else
                QFile::remove(file);
            m_tp->messages.answers.clear(); // export, then do not open the file
            m_tp->messages.answers << true << false;
            command->click();
        };

        FaultyFileOps faults;
        exportNow();
        const int calls = faults.calls;
        QCOMPARE(m_tp->messages.TakeTexts(),
                 (QStringList{ExportWindow::ExportQuestion(), ExportWindow::ExportedQuestion(exported)}));
        QVERIFY(Bytes(file).endsWith("</table></body></html>"));
        QVERIFY(Bytes(file).contains("RSSMRA80A01H501U"));
        QVERIFY2(calls >= 8, "the export does not go through the file calls");
        qInfo("%d file calls, each made to fail in turn", calls);
        if (existing)
            QVERIFY(Put(file, earlier));
        else
            QFile::remove(file);
        const State before = FolderState(Folder());

        EachFault(faults, calls, error, exportNow, [&](const QString& label) {
            const auto shown = m_tp->messages.Take();
            QVERIFY2(shown.size() == 2, qPrintable(label));
            QCOMPARE(shown[0].text, ExportWindow::ExportQuestion());
            QCOMPARE(shown[1].kind, Kind::Plain);
            QCOMPARE(shown[1].text, ExportWindow::ExportFailed());
            QVERIFY(m_tp->shell.opened.isEmpty());
            const QString diff = StateDiff(before, FolderState(Folder()));
            QVERIFY2(diff.isEmpty(), qPrintable(label + ": " + diff));
        });
    }

    void dailyBackup_data() {
        QTest::addColumn<int>("error");
        AddErrorRows();
    }
    // A copy that fails gives one warning after the log-in and leaves neither a day folder nor a
    // work folder: the next log-in of the day makes the whole copy.
    void dailyBackup() {
        QFETCH(int, error);
        m_tp->WritePassword(QStringLiteral("SEGRETO"));
        QVERIFY(Put(m_tp->Path(QStringLiteral("2025.ric")), Pattern(1099 * 2)));
        QVERIFY(Put(m_tp->Path(QStringLiteral("2026.ric")), Pattern(1099 * 3)));
        QVERIFY(Put(m_tp->Path(QString::fromLatin1(RegistryFileName)), Pattern(3189)));
        QVERIFY(Put(m_tp->Path(QStringLiteral("Trelvani.ini")), "[Numerazione Ricevute]\r\nInizio=41\r\n"));
        const QString day = m_tp->Path(QStringLiteral("Backup/2026-12-10"));
        TfrmPassword& pw = *m_app->password();
        auto login = [&] {
            m_app->Switch(&pw, m_app->avvio());
            pw.ui.txtPassword->setText(QStringLiteral("segreto"));
            pw.ui.cmdOK->click();
        };

        FaultyFileOps faults;
        faults.piece = 1024;
        login();
        const int calls = faults.calls;
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList());
        QCOMPARE(Bytes(day + QStringLiteral("/2026.ric")), Pattern(1099 * 3));
        QCOMPARE(Bytes(day + QStringLiteral("/unins000.dll")), Bytes(m_tp->Path(QStringLiteral("unins000.dll"))));
        QVERIFY2(calls >= 20, "the copy does not go through the file calls"); // 5 files, and the folder's rename
        qInfo("%d file calls, each made to fail in turn", calls);
        QVERIFY(QDir(m_tp->Path(QStringLiteral("Backup"))).removeRecursively());
        const State before = FolderState(Folder());

        EachFault(faults, calls, error, login, [&](const QString& label) {
            const auto shown = m_tp->messages.Take();
            QVERIFY2(shown.size() == 1, qPrintable(label));
            QCOMPARE(shown[0].kind, Kind::Warning);
            QCOMPARE(shown[0].text, kBackupFailed);
            QVERIFY(m_app->avvio()->isVisible());
            State after = FolderState(Folder());
            QCOMPARE(after.take(QStringLiteral("Backup")), QByteArray("<folder>")); // an empty Backup folder only
            const QString diff = StateDiff(before, after);
            QVERIFY2(diff.isEmpty(), qPrintable(label + ": " + diff));
            // A half-made copy does not count as the day's: the next log-in makes it whole.
            login();
            QCOMPARE(m_tp->messages.TakeTexts(), QStringList());
            QCOMPARE(Bytes(day + QStringLiteral("/2025.ric")), Pattern(1099 * 2));
            QVERIFY(QDir(m_tp->Path(QStringLiteral("Backup"))).removeRecursively());
        });
    }

    void pdfPrint_data() {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<int>("error");
        for (bool existing : {false, true})
            for (int error : {ENOSPC, EIO})
                QTest::addRow("%s, %s", existing ? "over an earlier PDF" : "new PDF", ErrorName(error))
                    << existing << error;
    }
    // Printing a receipt to a PDF file: a file that could not be written whole is reported with the
    // print window's warning, and an earlier PDF of that name keeps its content.
    void pdfPrint() {
        QFETCH(bool, existing);
        QFETCH(int, error);
        Ui::TfrmRicevuta& e = m_app->ricevuta()->ui;
        e.lblFile->setText(m_tp->Path(QStringLiteral("2026.ric")));
        e.txtNumRic->setText(QStringLiteral("127"));
        e.txtData->setText(QStringLiteral("10/12/2026"));
        e.txtPagatore->setText(QStringLiteral("Bianchi Carla"));
        e.txtImporto->setText(QStringLiteral("180"));
        e.txtCents->setText(QStringLiteral("00"));
        const QString pdf = m_tp->Path(QStringLiteral("PDF/Ricevuta_2026_00127.pdf"));
        const QByteArray earlier = "%PDF-1.4 an earlier receipt";
        TfrmStampaRic window(*m_app);
        window.show();
        auto print = [&] {
            if (existing)
                QVERIFY(Put(pdf, earlier));
            else
                QFile::remove(pdf);
            bool answered = false;
            std::unique_ptr<ModalHelper> overwrite;
            std::unique_ptr<ModalHelper> helper(ModalHelper::When<QPrintDialog>(
                [&](QPrintDialog* d) {
                    answered = true;
                    auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers"));
                    printers->setCurrentIndex(printers->count() - 1); // print to file
                    if (existing)                                     // the dialog asks before replacing a file
                        overwrite.reset(ModalHelper::When<QMessageBox>(
                            [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); }, nullptr));
                    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
                },
                nullptr, 8000));
            window.findChild<QPushButton*>(QStringLiteral("btnStampa"))->click();
            QVERIFY(answered);
            QVERIFY2(helper->Unexpected().isEmpty(), qPrintable(helper->Unexpected()));
        };

        FaultyFileOps faults;
        faults.piece = 8192;
        print();
        const int calls = faults.calls;
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList());
        const QByteArray whole = Bytes(pdf);
        QVERIFY(whole.startsWith("%PDF-"));
        QVERIFY(whole.trimmed().endsWith("%%EOF"));
        QVERIFY2(calls >= 5, "the PDF does not go through the file calls"); // open, pieces, flush, close, rename
        qInfo("%d file calls for a %lld-byte PDF, each made to fail in turn", calls, qlonglong(whole.size()));
        if (existing)
            QVERIFY(Put(pdf, earlier));
        else
            QFile::remove(pdf);
        const State before = FolderState(Folder());

        EachFault(faults, calls, error, print, [&](const QString& label) {
            const auto shown = m_tp->messages.Take();
            QVERIFY2(shown.size() == 1, qPrintable(label));
            QCOMPARE(shown[0].kind, Kind::Warning);
            QCOMPARE(shown[0].text, ReceiptPrintWarning());
            const QString diff = StateDiff(before, FolderState(Folder()));
            QVERIFY2(diff.isEmpty(), qPrintable(label + ": " + diff));
        });
    }

    void pdfPrintFromPreview_data() {
        QTest::addColumn<int>("error");
        AddErrorRows();
    }
    // The print button of the preview window, onto an earlier PDF of that name: a PDF that could not
    // be written whole makes the preview report a failure once closed, and the earlier file stays.
    void pdfPrintFromPreview() {
        QFETCH(int, error);
        report::ReportTemplate t = *report::ReportTemplate::Load(QStringLiteral(":/printing/templates/receipt.json"));
        QVERIFY(t.Prepare());
        const QString pdf = m_printing->PdfPath(t.Prepared());
        const QByteArray earlier = "%PDF-1.4 an earlier receipt";
        Printing::Result result = Printing::Result::Cancelled;
        QString why;
        auto preview = [&] {
            QVERIFY(Put(pdf, earlier));
            bool printed = false;
            ModalHelper helper([](QWidget* w) { return w->objectName() == QLatin1String("PreviewWindow"); },
                               [&](QWidget* w) {
                                   std::unique_ptr<ModalHelper> overwrite;
                                   std::unique_ptr<ModalHelper> ask(ModalHelper::When<QPrintDialog>(
                                       [&](QPrintDialog* d) {
                                           printed = true;
                                           auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers"));
                                           printers->setCurrentIndex(printers->count() - 1);
                                           overwrite.reset(ModalHelper::When<QMessageBox>(
                                               [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); }));
                                           d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
                                       },
                                       nullptr, 8000));
                                   w->findChild<QAction*>(QStringLiteral("print"))->trigger();
                                   w->findChild<QAction*>(QStringLiteral("close"))->trigger();
                               },
                               20000);
            why.clear();
            result = m_printing->Preview(t.Prepared(), nullptr, &why);
            QVERIFY(helper.Handled());
            QVERIFY(printed);
        };

        FaultyFileOps faults;
        faults.piece = 8192;
        preview();
        const int calls = faults.calls;
        QCOMPARE(int(result), int(Printing::Result::Printed)); // printed from the preview: the caller notes it
        QVERIFY(PdfComplete(Bytes(pdf)));
        QVERIFY2(calls >= 5, "the PDF does not go through the file calls");
        qInfo("%d file calls, each made to fail in turn", calls);
        QVERIFY(Put(pdf, earlier));
        const State before = FolderState(Folder());

        EachFault(faults, calls, error, preview, [&](const QString& label) {
            QVERIFY2(result == Printing::Result::Failed, qPrintable(label));
            QVERIFY2(why.contains(QFileInfo(pdf).fileName()), qPrintable(why));
            const QString diff = StateDiff(before, FolderState(Folder()));
            QVERIFY2(diff.isEmpty(), qPrintable(label + ": " + diff));
        });
    }

    // The pages Qt wrote to the temporary file count only when the file is whole: a file cut
    // anywhere, as a full disk cuts it, or with a wrong cross-reference offset is refused.
    void incompletePdfIsRefused() {
        QBuffer buffer;
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        {
            QPdfWriter writer(&buffer);
            QPainter painter(&writer);
            painter.drawText(100, 100, QStringLiteral("Ricevuta n. 127"));
        }
        const QByteArray whole = buffer.data();
        QVERIFY(PdfComplete(whole));
        for (qsizetype cut :
             {qsizetype(0), qsizetype(5), whole.size() / 2, whole.size() - 20, whole.size() - 7, whole.size() - 3})
            QVERIFY2(!PdfComplete(whole.left(cut)), qPrintable(QStringLiteral("cut at %1").arg(cut)));
        QByteArray shifted = whole;
        const qsizetype at = shifted.lastIndexOf("startxref\n") + 10;
        shifted.insert(at, '1'); // the offset now points past the table
        QVERIFY(!PdfComplete(shifted));
        QVERIFY(!PdfComplete(QByteArray("<html>not a PDF</html>\n%%EOF\n")));
    }
};

QTEST_MAIN(TestWriteFaults)
#include "tst_writefaults.moc"
