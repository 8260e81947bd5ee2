#include "printing/DesktopPrinting.h"
#include "report/PreparedReport.h"
#include "report/ReportPainter.h"
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>

namespace {

// A printer set up for `report`: the system's default printer (QPrinter's own choice), the report's
// paper and copies, the paper's corner as origin.
void SetUp(QPrinter& printer, const report::PreparedReport& report) {
    printer.setDocName(report.name);
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

} // namespace

Printing::Result DesktopPrinting::Preview(const report::PreparedReport& report, QWidget* parent, QString* error) {
    if (report.pages.empty())
        return Fail(error, QStringLiteral("Il documento non ha pagine."));
    QPrinter printer(QPrinter::HighResolution);
    SetUp(printer, report);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(report.name);
    QString paintError;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        // Printing from the preview asks for a page range too; honour it.
        int from = 1, to = 0;
        if (target->printRange() == QPrinter::PageRange) {
            from = target->fromPage();
            to = target->toPage();
        }
        if (!report::PaintReport(report, *target, &paintError, from, to) && error)
            *error = paintError;
    });
    if (auto* view = dialog.findChild<QPrintPreviewWidget*>()) {
        view->setZoomMode(QPrintPreviewWidget::CustomZoom);
        view->setZoomFactor(report.preview.zoom > 0 ? report.preview.zoom : 1.0);
    }
    // Fill the screen even where no window manager honours the maximised state.
    if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        dialog.setGeometry(screen->availableGeometry());
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    dialog.exec();
    return paintError.isEmpty() ? Result::Done : Fail(error, paintError);
}

Printing::Result DesktopPrinting::Print(const report::PreparedReport& report, QWidget* parent, QString* error) {
    if (report.pages.empty())
        return Fail(error, QStringLiteral("Il documento non ha pagine."));
    QPrinter printer(QPrinter::HighResolution);
    SetUp(printer, report);
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintCollateCopies);
    dialog.setMinMax(1, report.PageCount());
    if (dialog.exec() != QDialog::Accepted)
        return Result::Cancelled;
    int from = 1, to = 0;
    if (printer.printRange() == QPrinter::PageRange) {
        from = printer.fromPage();
        to = printer.toPage();
    }
    QString paintError;
    if (!report::PaintReport(report, printer, &paintError, from, to))
        return Fail(error, paintError);
    return Result::Done;
}
