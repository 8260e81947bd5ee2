#include "printing/DesktopPrinting.h"
#include "printing/PdfOutput.h"
#include "report/PreparedReport.h"
#include "report/ReportPainter.h"
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <functional>
#include <memory>

namespace {

// A printer set up for `report`: the system's default printer (QPrinter's own choice), the report's
// paper and copies, the paper's corner as origin.
void SetUp(QPrinter& printer, const report::PreparedReport& report) {
    printer.setDocName(report.name); // also the title of a PDF written by the print-to-file entry
    printer.setCreator(QStringLiteral("Carvenna"));
    printer.setFullPage(true);
    if (!report.pages.empty())
        printer.setPageLayout(report::PageLayoutOf(report.pages.front()));
    printer.setCopyCount(std::max(1, report.print.copies));
}

Printing::Result Fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return Printing::Result::Failed;
}

// The print dialog for `printer`: page range and copies, within the report's pages, and the print-to-file
// entry with `pdfPath` proposed. Without any printer the dialog opens on that entry, so a receipt can
// always be saved. The dialog itself asks before overwriting an existing file.
bool AskPrinter(QPrinter& printer, int pageCount, QWidget* parent, const QString& pdfPath) {
    QDir().mkpath(QFileInfo(pdfPath).absolutePath());
    const bool printToFile = QPrinterInfo::availablePrinterNames().isEmpty() || !printer.outputFileName().isEmpty();
    printer.setOutputFileName(printToFile ? pdfPath : QString());
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintCollateCopies);
    dialog.setMinMax(1, pageCount);
    // With a printer chosen Qt would propose "<current folder>/<document name>.pdf" for the file entry.
    if (auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename")))
        file->setText(QDir::toNativeSeparators(pdfPath));
    return dialog.exec() == QDialog::Accepted;
}

// The preview window: the prepared pages and a tool bar with exactly the buttons the template names
// ("print", "zoom", "fullScreen", "close"), so that the user can neither turn nor re-size the paper
// the layout was made for.
class PreviewWindow : public QDialog {
public:
    PreviewWindow(QPrinter& printer, const report::PreparedReport& report, const QString& pdfPath, QString& error,
                  QWidget* parent)
        : QDialog(parent), m_printer(printer), m_pageCount(report.PageCount()), m_pdfPath(pdfPath), m_error(error) {
        setObjectName(QStringLiteral("PreviewWindow"));
        setWindowTitle(report.name);
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
        view = new QPrintPreviewWidget(&printer, this);
        view->setObjectName(QStringLiteral("PreviewPages"));
        auto* tools = new QToolBar(this);
        tools->setObjectName(QStringLiteral("PreviewTools"));
        tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        const QStringList& buttons = report.preview.buttons;
        if (buttons.contains(QLatin1String("print")))
            Add(tools, "print", QStringLiteral("Stampa"), Icon("printer", QStyle::SP_FileIcon),
                [this] { PrintClick(); });
        if (buttons.contains(QLatin1String("zoom"))) {
            Add(tools, "zoomOut", QStringLiteral("Riduci"), Icon("zoom-out", QStyle::SP_ArrowDown),
                [this] { view->zoomOut(); });
            Add(tools, "zoomIn", QStringLiteral("Ingrandisci"), Icon("zoom-in", QStyle::SP_ArrowUp),
                [this] { view->zoomIn(); });
            Add(tools, "fitWidth", QStringLiteral("Larghezza pagina"),
                Icon("zoom-fit-width", QStyle::SP_ToolBarHorizontalExtensionButton), [this] { view->fitToWidth(); });
            Add(tools, "fitPage", QStringLiteral("Pagina intera"), Icon("zoom-fit-page", QStyle::SP_DesktopIcon),
                [this] { view->fitInView(); });
        }
        if (buttons.contains(QLatin1String("fullScreen"))) {
            QAction* full = Add(tools, "fullScreen", QStringLiteral("Schermo intero"),
                                Icon(nullptr, QStyle::SP_TitleBarMaxButton), nullptr);
            full->setCheckable(true);
            connect(full, &QAction::toggled, this, [this](bool on) {
                if (on)
                    showFullScreen();
                else
                    ShowMaximised();
            });
        }
        if (buttons.contains(QLatin1String("close")))
            Add(tools, "close", QStringLiteral("Chiudi"), Icon(nullptr, QStyle::SP_DialogCloseButton),
                [this] { accept(); });
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(tools);
        layout->addWidget(view, 1);
    }

    /// Fills the screen, also where no window manager honours the maximised state.
    void ShowMaximised() {
        if (QScreen* s = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
            setGeometry(s->availableGeometry());
        setWindowState((windowState() & ~Qt::WindowFullScreen) | Qt::WindowMaximized);
    }

    QPrintPreviewWidget* view;
    bool printed = false; // the user printed from this window at least once

private:
    // Qt's own print-preview pictures where the toolkit carries them, a standard picture otherwise.
    QIcon Icon(const char* qtPicture, QStyle::StandardPixmap fallback) const {
        if (qtPicture) {
            const QIcon icon(QStringLiteral(":/qt-project.org/dialogs/qprintpreviewdialog/images/%1-24.png")
                                 .arg(QLatin1String(qtPicture)));
            if (!icon.pixmap(24, 24).isNull())
                return icon;
        }
        return style()->standardIcon(fallback);
    }

    QAction* Add(QToolBar* tools, const char* name, const QString& text, const QIcon& icon, std::function<void()> run) {
        QAction* a = tools->addAction(icon, text);
        a->setObjectName(QLatin1String(name));
        if (run)
            connect(a, &QAction::triggered, this, std::move(run));
        return a;
    }

    void PrintClick() {
        if (!AskPrinter(m_printer, m_pageCount, this, m_pdfPath))
            return;
        PdfOutput pdf(m_printer);
        view->print();
        QString why;
        if (!pdf.Finish(&why) && m_error.isEmpty())
            m_error = why;
        printed = true;
    }

    QPrinter& m_printer;
    int m_pageCount;
    QString m_pdfPath;
    QString& m_error; // the first failure of a print from this window
};

} // namespace

QString DesktopPrinting::PdfPath(const report::PreparedReport& report) const {
    if (m_programFolder.isEmpty())
        return QDir::current().filePath(report::ProposedFileName(report));
    return QDir(m_programFolder).filePath(QStringLiteral("PDF/") + report::ProposedFileName(report));
}

Printing::Result DesktopPrinting::Preview(const report::PreparedReport& report, QWidget* parent, QString* error) {
    if (report.pages.empty())
        return Fail(error, QStringLiteral("Il documento non ha pagine."));
    QPrinter printer(QPrinter::HighResolution);
    SetUp(printer, report);
    QString paintError;
    PreviewWindow dialog(printer, report, PdfPath(report), paintError, parent);
    QObject::connect(dialog.view, &QPrintPreviewWidget::paintRequested, &dialog, [&](QPrinter* target) {
        // Printing from the preview asks for a page range too; honour it.
        int from = 1, to = 0;
        if (target->printRange() == QPrinter::PageRange) {
            from = target->fromPage();
            to = target->toPage();
        }
        QString why;
        if (!report::PaintReport(report, *target, &why, from, to) && paintError.isEmpty())
            paintError = why;
    });
    dialog.view->setZoomMode(QPrintPreviewWidget::CustomZoom);
    dialog.view->setZoomFactor(report.preview.zoom > 0 ? report.preview.zoom : 1.0);
    dialog.ShowMaximised();
    dialog.exec();
    if (!paintError.isEmpty())
        return Fail(error, paintError);
    return dialog.printed ? Result::Printed : Result::Done;
}

Printing::Result DesktopPrinting::Print(const report::PreparedReport& report, QWidget* parent, QString* error) {
    if (report.pages.empty())
        return Fail(error, QStringLiteral("Il documento non ha pagine."));
    QPrinter printer(QPrinter::HighResolution);
    SetUp(printer, report);
    if (!AskPrinter(printer, report.PageCount(), parent, PdfPath(report)))
        return Result::Cancelled;
    int from = 1, to = 0;
    if (printer.printRange() == QPrinter::PageRange) {
        from = printer.fromPage();
        to = printer.toPage();
    }
    // A long list takes a while to render: show how far it has gone.
    const int pages = (to > 0 ? std::min(to, report.PageCount()) : report.PageCount()) - from + 1;
    std::unique_ptr<QProgressDialog> progress;
    if (pages > 20) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("Stampa in corso..."), QString(), 0, pages, parent);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(500);
    }
    QString paintError;
    PdfOutput pdf(printer);
    const bool painted = report::PaintReport(report, printer, &paintError, from, to, [&](int done, int) {
        if (progress)
            progress->setValue(done);
    });
    if (!painted || !pdf.Finish(&paintError))
        return Fail(error, paintError);
    return Result::Done;
}
