#include "export/ExportWindow.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "app/Guida.h"
#include "app/Placement.h"
#include "export/ExportGrid.h"
#include "export/ExportTables.h"
#include "export/XlsxDocument.h"
#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QTableView>
#include <QToolButton>
#include <climits>

ExportWindow::ExportWindow(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app) {}

void ExportWindow::Setup(ExportGridModel* model, QTableView* grid, QLabel* panInfo, QToolButton* cmdEsporta,
                         QToolButton* cmdGuida, QToolButton* cmdEsci, const Texts& texts) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    SetFormatSettings();
    m_model = model;
    m_grid = grid;
    m_panInfo = panInfo;
    m_texts = texts;

    grid->setModel(model);
    grid->verticalHeader()->hide();
    // Fixed row heights: the view then never measures rows, and a year of receipts opens at once.
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->horizontalHeader()->setHighlightSections(false);
    for (int c = 0; c < model->Columns().size(); ++c)
        grid->setColumnWidth(c, model->Columns()[c].width);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);

    for (QToolButton* b : {cmdEsporta, cmdGuida, cmdEsci})
        b->installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractButton*>(w))
            continue;
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    setMouseTracking(true);
    installEventFilter(this);

    connect(cmdEsporta, &QToolButton::clicked, this, &ExportWindow::cmdEsportaClick);
    connect(cmdGuida, &QToolButton::clicked, this, &ExportWindow::cmdGuidaClick);
    connect(cmdEsci, &QToolButton::clicked, this, &QDialog::reject);
}

QString ExportWindow::ExportPath() const {
    return m_app.Path(m_texts.fileName);
}

QString ExportWindow::ProposedSaveAsPath() const {
    return m_app.Path(QFileInfo(m_texts.fileName).completeBaseName() + QStringLiteral(".xlsx"));
}

void ExportWindow::SetupSaveAs(QToolButton* cmdEsportaCome) {
    cmdEsportaCome->installEventFilter(this);
    connect(cmdEsportaCome, &QToolButton::clicked, this, &ExportWindow::cmdEsportaComeClick);
}

QString ExportWindow::ExportQuestion() {
    return QStringLiteral("L'esportazione dei dati in Excel può richiedere diversi minuti a seconda del numero di "
                          "schede presenti in archivio.\r\n\r\nSi vuole esportare i dati adesso?");
}

QString ExportWindow::ExportedQuestion(const QString& what) {
    return what + QStringLiteral(" sono state esportate con successo.\r\n\r\nSi vuole aprire il file di Excel?");
}

void ExportWindow::ReportExport(Carvenna& app, QWidget* parent, bool ok, const QString& path, const QString& what) {
    if (!ok) {
        app.messages().Plain(ExportFailed(), parent);
        return;
    }
    if (app.messages().Confirm(ExportedQuestion(what), parent))
        app.shell().Open(QLatin1Char('"') + path + QLatin1Char('"'));
}

QString ExportWindow::ExportFailed() {
    return QStringLiteral("Attenzione: il sistema non permette di esportare i dati.\n\r\n\rAccertarsi che il file "
                          "di Excel non sia già aperto.");
}

QString ExportWindow::PartialLoadWarning(qint64 loaded) {
    const QString held = loaded == 1 ? QStringLiteral("soltanto la prima scheda")
                                     : QStringLiteral("soltanto le prime %1 schede").arg(loaded);
    return QStringLiteral("Attenzione: non è stato possibile leggere tutte le schede dell'archivio.\n\r\n\r"
                          "La griglia contiene %1: l'esportazione comprenderà solo queste.")
        .arg(loaded == 0 ? QStringLiteral("nessuna scheda") : held);
}

void ExportWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void ExportWindow::FormShow() {
    CentreOnScreen(this);
    if (m_loaded)
        return;
    m_loaded = true;
    // A large archive shows how far the reading got; a small one is read before the dialog would appear.
    GridLoad load;
    {
        QProgressDialog progress(QStringLiteral("Lettura dell'archivio in corso..."), QString(), 0, 0, this);
        SetUpProgress(progress);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        load = LoadGrid([&progress](qint64 loaded, qint64 total) {
            progress.setMaximum(int(qMin<qint64>(total, INT_MAX)));
            progress.setValue(int(qMin<qint64>(loaded, INT_MAX)));
        });
        QApplication::restoreOverrideCursor();
    }
    // The user must know before exporting that the grid lacks records of the archive.
    if (load.inFile < 0)
        m_app.messages().Warning(ArchiveAccessError(), this);
    else if (!load.Complete())
        m_app.messages().Warning(PartialLoadWarning(load.loaded), this);
}

bool ExportWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter) {
        if (auto* b = qobject_cast<QAbstractButton*>(watched))
            m_panInfo->setText(b->statusTip());
    } else if (event->type() == QEvent::MouseMove) {
        if (!qobject_cast<QAbstractButton*>(watched))
            m_panInfo->clear();
    }
    return QDialog::eventFilter(watched, event);
}

void ExportWindow::CommitEdit() {
    // The toolbar buttons take no focus, so a cell still being typed in would not reach the
    // model: moving the current cell commits it.
    const QModelIndex current = m_grid->currentIndex();
    m_grid->setCurrentIndex(QModelIndex());
    m_grid->setCurrentIndex(current);
}

void ExportWindow::SetUpProgress(QProgressDialog& progress) const {
    // Shown only when the work lasts more than half a second; modal to this window while shown, with
    // no cancel button: a half-read grid or a half-written document is of no use. Each progress
    // window lives in a scope that ends before any message: a living one, even hidden, shows itself
    // again by its own timer and then blocks the message under it.
    progress.setWindowTitle(windowTitle());
    progress.setMinimumWidth(360);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0); // the half second counts from here
}

bool ExportWindow::WriteExport(const QString& path, QString* error) {
    const qint64 rows = m_model->rowCount();
    QProgressDialog progress(QStringLiteral("Esportazione in corso..."), QString(), 0, int(rows), this);
    SetUpProgress(progress);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ExportProgress shown = [&progress](qint64 done) { progress.setValue(int(done)); };
    const bool ok =
        IsXlsDocumentPath(path)
            ? WriteExportDocument(
                  path, m_texts.sheetName, m_model->ExportColumns(), rows,
                  [this](ByteWriter& out, qint64 row, int column) { m_model->AppendExportCell(out, row, column); },
                  error, shown)
            : WriteXlsxDocument(
                  path, m_texts.sheetName, m_model->XlsxColumns(), rows,
                  [this](qint64 row, int column) { return m_model->ExportCell(row, column); }, error, shown);
    QApplication::restoreOverrideCursor();
    return ok;
}

void ExportWindow::cmdEsportaClick() {
    CommitEdit();
    if (!m_app.messages().Confirm(ExportQuestion(), this))
        return;
    QString error;
    const bool ok = WriteExport(ExportPath(), &error);
    ReportExport(m_app, this, ok, ExportPath(), m_texts.exported);
}

void ExportWindow::cmdGuidaClick() {
    TfrmGuida dlg(m_app, this);
    dlg.SetGuide(m_texts.guideTitle, m_texts.guideText);
    dlg.exec();
}

void ExportWindow::cmdEsportaComeClick() {
    CommitEdit();
    // The save dialog is the question: choosing a file is the answer yes.
    const QString path = m_app.fileDialogs().Save(this, QStringLiteral("Esporta in Excel"), ExportSaveFilter(),
                                                  ProposedSaveAsPath(), QStringLiteral("xlsx"));
    if (path.isEmpty())
        return;
    QString error;
    const bool ok = WriteExport(path, &error);
    ReportExport(m_app, this, ok, path, m_texts.exported);
}
