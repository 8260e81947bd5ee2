// The desktop's save dialog: a name typed without extension takes the extension of the file type chosen
// in the dialog, so that choosing the .xls type and typing "Copia" saves Copia.xls.
#include "ModalHelper.h"
#include "app/DesktopPlatform.h"
#include "export/XlsxDocument.h"
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

class tst_desktopDialogs : public QObject {
    Q_OBJECT
private slots:
    void typedNameTakesTheChosenType_data();
    void typedNameTakesTheChosenType();
};

void tst_desktopDialogs::typedNameTakesTheChosenType_data() {
    QTest::addColumn<int>("typeSteps"); // Down presses on the file type list
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("workbook, as proposed") << 0 << "Copia"
                                           << "Copia.xlsx";
    QTest::newRow(".xls chosen") << 1 << "Copia"
                                 << "Copia.xls";
    QTest::newRow(".xls chosen, extension typed") << 1 << "Copia.xlsx"
                                                  << "Copia.xlsx";
}

void tst_desktopDialogs::typedNameTakesTheChosenType() {
    QFETCH(int, typeSteps);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QTemporaryDir dir;
    DesktopFileDialogs dialogs;
    bool seen = false;
    auto* helper = ModalHelper::When<QFileDialog>([&](QFileDialog* d) {
        auto* types = d->findChild<QComboBox*>("fileTypeCombo");
        auto* name = d->findChild<QLineEdit*>("fileNameEdit");
        if (!types || !name)
            return void(QMetaObject::invokeMethod(d, "reject"));
        seen = types->count() == 2;
        for (int i = 0; i < typeSteps; ++i)
            QTest::keyClick(types, Qt::Key_Down);
        name->setText(typed);
        QMetaObject::invokeMethod(d, "accept");
    });
    const QString path =
        dialogs.Save(nullptr, "Esporta in Excel", ExportSaveFilter(), dir.filePath("Ricevute.xlsx"), "xlsx");
    QVERIFY(helper->Handled());
    delete helper;
    QVERIFY(seen);
    QCOMPARE(QFileInfo(path).fileName(), saved);
}

QTEST_MAIN(tst_desktopDialogs)
#include "tst_desktopDialogs.moc"
