#pragma once
// The date picker of the receipt and registry editors. The caller writes the target's context
// into lblMemory; "Importa" writes the chosen date as dd/mm/yyyy into that field of the editor.
#include "ui_Calendario.h"
#include <QDialog>

class Carvenna;
class QLineEdit;

class TfrmCalendario : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCalendario(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmCalendario ui;

    /// The editor field that receives the date for `context` (compared exactly, no trimming),
    /// or null when the context is unknown or its editor is not there.
    static QLineEdit* Target(Carvenna& app, const QString& context);

protected:
    void showEvent(QShowEvent* e) override;

private slots:
    void FormShow();
    void btnImportaDataClick();

private:
    Carvenna& m_app;
};
