#pragma once
// Keys of the summary folder's list windows, which are dialogs: Enter in the find field moves on to
// its button instead of pressing the dialog's default button.
class QDialog;
class QLineEdit;
class QPushButton;

/// Enter in `field` moves the focus to `find` (the next Enter presses it), and no push button of
/// `window` presses itself on Enter.
void SetFindKeys(QDialog& window, QLineEdit* field, QPushButton* find);
