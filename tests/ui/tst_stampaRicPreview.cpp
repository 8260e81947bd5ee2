// The desktop printing service's preview window: modal, maximised, at 100 % zoom, showing every
// prepared page of the receipt.
#include "ModalHelper.h"
#include "printing/DesktopPrinting.h"
#include "report/PreparedReport.h"
#include "report/ReportTemplate.h"
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QtTest>

class tst_stampaRicPreview : public QObject {
    Q_OBJECT

private slots:
    void previewIsModalMaximisedAtFullSize_data();
    void previewIsModalMaximisedAtFullSize();
};

void tst_stampaRicPreview::previewIsModalMaximisedAtFullSize_data() {
    QTest::addColumn<QString>("templatePath");
    QTest::addColumn<int>("lines");
    QTest::newRow("receipt") << ":/printing/templates/receipt.json" << 0;
    QTest::newRow("list over three pages") << ":/printing/templates/list.json" << 150;
}

void tst_stampaRicPreview::previewIsModalMaximisedAtFullSize() {
    QFETCH(QString, templatePath);
    QFETCH(int, lines);
    report::ReportTemplate t = *report::ReportTemplate::Load(templatePath);
    if (lines > 0) {
        for (int i = 0; i < lines; ++i)
            QVERIFY(t.AddLine("txtRiepilogo", QStringLiteral("riga %1").arg(i)));
        QVERIFY(t.SetHeight("txtRiepilogo", lines * 12.822));
        QVERIFY(t.SetHeight("MasterData", lines * 12.822 + 10));
    }
    QVERIFY(t.Prepare());

    bool maximised = false, modal = false;
    double zoom = 0;
    int pages = -1;
    ModalHelper helper([](QWidget* w) { return qobject_cast<QPrintPreviewDialog*>(w) != nullptr; },
                       [&](QWidget* w) {
                           auto* view = w->findChild<QPrintPreviewWidget*>();
                           maximised = w->windowState().testFlag(Qt::WindowMaximized);
                           modal = w->isModal();
                           if (view) {
                               zoom = view->zoomFactor();
                               pages = view->pageCount();
                               if (!qEnvironmentVariableIsEmpty("CARVENNA_GRAB_DIR"))
                                   w->grab().save(qEnvironmentVariable("CARVENNA_GRAB_DIR") + "/preview.png");
                           }
                           qobject_cast<QDialog*>(w)->reject();
                       });
    DesktopPrinting printing;
    QString error;
    QCOMPARE(int(printing.Preview(t.Prepared(), nullptr, &error)), int(Printing::Result::Done));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(helper.Handled());
    QVERIFY(modal);
    QVERIFY(maximised);
    QCOMPARE(zoom, 1.0);
    QCOMPARE(pages, t.Prepared().PageCount());
}

QTEST_MAIN(tst_stampaRicPreview)
#include "tst_stampaRicPreview.moc"
