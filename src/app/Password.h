#pragma once
// The access password window, the program's main window: only the right password leads on.
#include "ui_Password.h"
#include <QWidget>

class Carvenna;

class TfrmPassword : public QWidget {
    Q_OBJECT
public:
    explicit TfrmPassword(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmPassword ui;

    /// Back from the password change window: empty field, window shown, field focused.
    void ReturnFromChange();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void FormShow();
    void txtPasswordChange();
    void txtPasswordEnter();
    void cmdOKClick();
    void cmdEsciClick();
    void btnCambiaPasswordClick();

private:
    Carvenna& m_app;
};

/// Reads and unscrambles the stored password (trimmed). False when the file cannot be read or
/// the value is not hexadecimal; a missing file or key gives an empty password.
bool ReadStoredPassword(const QString& passwordFile, QString& out);
