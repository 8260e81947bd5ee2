#include "summary/FindKeys.h"
#include "widgets/FieldKeys.h"
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

void SetFindKeys(QDialog& window, QLineEdit* field, QPushButton* find) {
    for (QPushButton* b : window.findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    auto* keys = new FieldKeys(&window);
    keys->SetNext(field, find);
}
