#include "search/FindWindow.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "storage/Lists.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

FindWindow::FindWindow(Carvenna& app, QWidget* parent, const QString& objectName, const QString& caption,
                       const QString& printTitle, const QString& pdfName, const QString& hint,
                       const std::vector<CriteriaPanel::Field>& fields, const QString& title)
    : ListWindow(app, parent, objectName, caption, printTitle, pdfName, hint) {
    panAvvio = new CriteriaPanel(this, m_keys, fields);
    SetBanner(title);
    lblTrovate = new QLabel(panContainer);
    lblTrovate->setObjectName(QStringLiteral("lblTrovate"));
    lblTrovate->setGeometry(168, 494, 497, 20);
    lblTrovate->setAlignment(Qt::AlignCenter);
    lblTrovate->setStyleSheet(QStringLiteral("color: darkcyan; font-weight: bold;"));
    panContainer->hide();

    connect(panAvvio->btnCerca, &QPushButton::pressed, panAvvio->lblAttendere, &QLabel::show);
    connect(panAvvio->btnCerca, &QPushButton::clicked, this, &FindWindow::btnCercaClick);
    connect(panAvvio->btnAnnulla, &QPushButton::clicked, this, &QDialog::close);
}

void FindWindow::showEvent(QShowEvent* e) {
    ListWindow::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void FindWindow::FormShow() {
    ResetFind();
    panAvvio->Edit(0)->setFocus(Qt::OtherFocusReason);
}

void FindWindow::btnCercaClick() {
    QVector<QString> criteria;
    for (int i = 0; i < 10; ++i)
        criteria << panAvvio->Edit(i)->text();
    panAvvio->lblConta->setText(QString::number(FilledCriteria(criteria)));
    RecordList found;
    bool ok = false;
    Busy(panAvvio->lblAttendere, [&] { ok = Search(criteria, found); });
    if (!ok) {
        m_app.messages().Warning(ArchiveAccessError(), this);
        return;
    }
    const int count = int(found.lines.size());
    Busy(nullptr, [&] { ShowRecords(std::move(found)); });
    lblTrovate->setText(FoundText(count));
    panAvvio->hide();
    panContainer->show();
    txtTrova->clear();
    txtTrova->setFocus(Qt::OtherFocusReason);
}
