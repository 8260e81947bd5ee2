#pragma once
// Tab goes from control to control: out of a table or list instead of through its cells (the arrow keys
// move inside), and out of a read-only text instead of typing a tab into it.
#include <QAbstractItemView>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

/// Applies the rule to every view and read-only text of `window`; call once its controls exist.
inline void TabLeavesViews(QWidget* window) {
    for (QAbstractItemView* v : window->findChildren<QAbstractItemView*>())
        v->setTabKeyNavigation(false);
    for (QPlainTextEdit* t : window->findChildren<QPlainTextEdit*>())
        if (t->isReadOnly())
            t->setTabChangesFocus(true);
    for (QTextEdit* t : window->findChildren<QTextEdit*>())
        if (t->isReadOnly())
            t->setTabChangesFocus(true);
}
