#include "printing/PrintWindow.h"
#include "app/Carvenna.h"
#include "app/Placement.h"
#include <QIcon>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

PrintWindow::PrintWindow(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app) {}

void PrintWindow::Setup(QWidget* shpSfondo, QLabel* imgLogo01, const QString& picture, QPushButton* btnAnnulla,
                        QPushButton* btnStampa) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    SetFormatSettings();
    QPalette white = shpSfondo->palette();
    white.setColor(QPalette::Window, Qt::white);
    shpSfondo->setPalette(white);
    imgLogo01->setPixmap(QIcon(picture).pixmap(imgLogo01->size()));
    connect(btnAnnulla, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnStampa, &QPushButton::clicked, this, [this] {
        Run();
        accept();
    });
}

void PrintWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    const QWidget* editor = Editor();
    if (editor && editor->isVisible())
        move(editor->frameGeometry().center() - rect().center());
    else
        CentreOnScreen(this);
    FormShow();
}

void PrintWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(QStringLiteral("steelblue")));
    g.setColorAt(1, Qt::white);
    p.fillRect(rect(), g);
}
