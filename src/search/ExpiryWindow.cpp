#include "search/ExpiryWindow.h"
#include "app/Carvenna.h"
#include <QLineEdit>
#include <QShowEvent>

ExpiryWindow::ExpiryWindow(Carvenna& app, QWidget* parent, ExpiryKind kind, const QString& objectName,
                           const QString& caption, const QString& title, const QString& pdfName)
    : ListWindow(app, parent, objectName, caption, title, pdfName,
                 QStringLiteral("Fare doppio clic su una voce in elenco per richiamare la scheda")),
      m_kind(kind) {
    SetBanner(title.mid(title.indexOf(QLatin1Char(' ')) + 1), QStringLiteral(":/search/art/scadenza.svg"));
}

void ExpiryWindow::showEvent(QShowEvent* e) {
    ListWindow::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void ExpiryWindow::FormShow() {
    ResetFind();
    // A read failure keeps the cards found so far, without a message.
    RecordList found;
    Busy(nullptr, [&] {
        ExpiredCards(m_app.ProgramFolder(), m_kind, m_app.clock().Today(), found);
        ShowRecords(std::move(found));
    });
    txtTrova->setFocus(Qt::OtherFocusReason);
}

