// The desktop's dialogs. The save dialog: a name typed without extension takes the extension of the
// file type chosen in the dialog, so that choosing the .xls type and typing "Copia" saves Copia.xls.
// A question with buttons of its own: the pressed one's index, the safe one on Enter and on Escape.
#include "ModalHelper.h"
#include "app/DesktopPlatform.h"
#include "export/XlsxDocument.h"
#include <QComboBox>
#include <bitset>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class tst_desktopDialogs : public QObject {
    Q_OBJECT
private slots:
    void typedNameTakesTheChosenType_data();
    void typedNameTakesTheChosenType();
    void questionWithButtons_data();
    void questionWithButtons();
    void messageKindsShowTheirButtons_data();
    void messageKindsShowTheirButtons();
};

void tst_desktopDialogs::messageKindsShowTheirButtons_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("buttons"); // QMessageBox::StandardButtons
    QTest::addColumn<int>("byDefault");
    QTest::addColumn<bool>("enterAnswers");
    using K = Messages::Kind;
    QTest::newRow("information: OK alone") << int(K::Information) << int(QMessageBox::Ok) << int(QMessageBox::Ok)
                                           << true;
    QTest::newRow("plain: OK alone") << int(K::Plain) << int(QMessageBox::Ok) << int(QMessageBox::Ok) << true;
    QTest::newRow("warning") << int(K::Warning) << int(QMessageBox::Ok | QMessageBox::Cancel)
                             << int(QMessageBox::Ok) << true;
    QTest::newRow("confirmation: Yes by default")
        << int(K::Confirmation) << int(QMessageBox::Yes | QMessageBox::No) << int(QMessageBox::Yes) << true;
    QTest::newRow("question: No by default")
        << int(K::Question) << int(QMessageBox::Yes | QMessageBox::No) << int(QMessageBox::No) << false;
}

void tst_desktopDialogs::messageKindsShowTheirButtons() {
    QFETCH(int, kind);
    QFETCH(int, buttons);
    QFETCH(int, byDefault);
    QFETCH(bool, enterAnswers);
    DialogMessages messages;
    int offered = 0, chosen = 0;
    auto* helper = ModalHelper::When<QMessageBox>([&](QMessageBox* box) {
        offered = int(box->standardButtons());
        chosen = int(box->standardButton(box->defaultButton()));
        QTest::keyClick(box, Qt::Key_Return);
    });
    QCOMPARE(messages.Show(Messages::Kind(kind), QStringLiteral("Testo"), nullptr), enterAnswers);
    QVERIFY(helper->Handled());
    QCOMPARE(offered, buttons);
    QCOMPARE(chosen, byDefault);
    // The test double records what this dialog showed.
    const Messages::ButtonSet set = Messages::ButtonsOf(Messages::Kind(kind));
    QCOMPARE(size_t(set.captions.size()), std::bitset<32>(quint32(buttons)).count());
}

void tst_desktopDialogs::questionWithButtons_data() {
    QTest::addColumn<QString>("how"); // a button's text, or a key
    QTest::addColumn<int>("answer");
    QTest::newRow("first button") << "Sovrascrivi" << 0;
    QTest::newRow("second button") << "Mostra l'altra versione" << 1;
    QTest::newRow("Enter takes the safe one") << "Enter" << 2;
    QTest::newRow("Escape takes the safe one") << "Escape" << 2;
}

void tst_desktopDialogs::questionWithButtons() {
    QFETCH(QString, how);
    QFETCH(int, answer);
    DialogMessages messages;
    QStringList offered;
    auto* helper = ModalHelper::When<QMessageBox>([&](QMessageBox* box) {
        for (QAbstractButton* b : box->buttons())
            offered << b->text();
        if (how == QLatin1String("Enter") || how == QLatin1String("Escape")) {
            QTest::keyClick(box, how == QLatin1String("Enter") ? Qt::Key_Return : Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* b : box->buttons())
            if (b->text() == how)
                b->click();
    });
    const QStringList buttons = {"Sovrascrivi", "Mostra l'altra versione", "Torna alla modifica"};
    QCOMPARE(messages.Choose("Attenzione:\n\r\n\rche fare?", buttons, 2, nullptr), answer);
    QVERIFY(helper->Handled());
    std::sort(offered.begin(), offered.end());
    QStringList sorted = buttons;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(offered, sorted);
}

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
