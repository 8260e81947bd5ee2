// Application-wide keyboard behaviour that comes with the Carvenna look.
#include "app/Style.h"
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

class TestStyle : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ApplyCarvennaStyle(*qApp); }

    void enterPressesTheFocusedButtonOnly_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("pressed");
        QTest::newRow("return") << int(Qt::Key_Return) << int(Qt::NoModifier) << true;
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << int(Qt::NoModifier) << true;
        QTest::newRow("ctrl+return") << int(Qt::Key_Return) << int(Qt::ControlModifier) << false;
        QTest::newRow("letter") << int(Qt::Key_A) << int(Qt::NoModifier) << false;
    }
    void enterPressesTheFocusedButtonOnly() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, pressed);
        QWidget window; // a plain window, not a dialog: Qt alone would ignore Enter here
        auto* field = new QLineEdit(&window);
        auto* button = new QPushButton(QStringLiteral("Apri"), &window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(field);
        layout->addWidget(button);
        int clicks = 0;
        connect(button, &QPushButton::clicked, [&] { ++clicks; });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        button->setFocus();
        QTest::keyClick(button, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(clicks, pressed ? 1 : 0); // pressed at once, before the key call returns
        QTest::qWait(pressed ? 0 : 200); // an unwanted click would come within the animation time
        QCOMPARE(clicks, pressed ? 1 : 0);

        // Enter in an edit field never presses the button.
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
        QTest::qWait(200);
        QCOMPARE(clicks, pressed ? 1 : 0);
    }
};

QTEST_MAIN(TestStyle)
#include "tst_style.moc"
