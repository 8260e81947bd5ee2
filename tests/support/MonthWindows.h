#pragma once
// Drives "Rette del mese" and the windows it opens as the office does: each helper arms a ModalHelper for
// the window, clicks what opens it, runs `act` inside and closes the window again.
#include "ModalHelper.h"
#include "app/Carvenna.h"
#include "fees/RetteMese.h"
#include "fees/RetteModel.h"
#include "receipts/MenuRicevute.h"
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <functional>

/// Opens "Rette del mese" for `year` from the receipts' year window and runs `act` in it.
inline bool InRetteMese(Carvenna& app, QObject* owner, const std::function<void(TfrmRetteMese*)>& act,
                        const QString& year = QStringLiteral("2026"), int timeoutMs = 60000) {
    app.menuRicevute()->ui.txtAnnoPreventivi->setText(year);
    auto* helper = ModalHelper::When<TfrmRetteMese>(
        [&](TfrmRetteMese* w) {
            auto close = qScopeGuard([w] { w->reject(); });
            act(w);
        },
        owner, timeoutMs);
    QTest::mouseClick(app.menuRicevute()->ui.btnRetteMese, Qt::LeftButton);
    const bool handled = helper->Handled();
    delete helper;
    return handled;
}

/// Clicks `button`, runs `act` in the modal `T` it opens, and closes it.
template <class T>
bool FromButton(QObject* owner, QPushButton* button, const std::function<void(T*)>& act, int timeoutMs = 60000) {
    auto* inner = ModalHelper::When<T>(
        [&](T* d) {
            auto close = qScopeGuard([d] { d->reject(); });
            act(d);
        },
        owner, timeoutMs);
    QTest::mouseClick(button, Qt::LeftButton);
    const bool handled = inner->Handled();
    delete inner;
    return handled;
}

/// The state column of `child`'s line as the month window shows it.
inline QString MonthStateOf(TfrmRetteMese* w, const QString& child) {
    const QVector<fees::FeeLine>& lines = w->Model().Lines();
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].child == child)
            return w->Model().index(i, RetteModel::ColState).data().toString();
    return QStringLiteral("(nessuna riga)");
}
