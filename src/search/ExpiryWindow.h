#pragma once
// The two expiry lists: every card whose certificate or enrolment date has passed, built when the
// window is shown, alphabetically ordered; a double-click hands the card's position back to the
// registry editor that opened the list.
#include "search/ListWindow.h"

class ExpiryWindow : public ListWindow {
    Q_OBJECT
public:
    ExpiryWindow(Carvenna& app, QWidget* parent, ExpiryKind kind, const QString& objectName, const QString& caption,
                 const QString& title, const QString& pdfName);

protected:
    void showEvent(QShowEvent* e) override;

private slots:
    void FormShow();

private:
    ExpiryKind m_kind;
};
