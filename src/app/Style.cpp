#include "app/Style.h"
#include <QApplication>
#include <QFile>
#include <QIcon>

void ApplyCarvennaStyle(QApplication& app) {
    QFile sheet(QStringLiteral(":/resources/carvenna.qss"));
    if (sheet.open(QIODevice::ReadOnly | QIODevice::Text))
        app.setStyleSheet(QString::fromUtf8(sheet.readAll()));
    app.setWindowIcon(QIcon(QStringLiteral(":/resources/carvenna.svg")));
}
