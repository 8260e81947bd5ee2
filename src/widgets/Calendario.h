#pragma once
// The date picker of the editors and the month's fees. It returns the chosen day to the window that
// opened it, which writes it where it belongs; the caller's context stays in the hidden lblMemory.
#include "ui_Calendario.h"
#include <QDate>
#include <QDialog>
#include <optional>

class Carvenna;

class TfrmCalendario : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCalendario(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmCalendario ui;

    /// The day taken with "Importa", Enter or a double click; nothing while none was taken.
    std::optional<QDate> Chosen() const { return m_chosen; }

    /// Opens the picker on `shown` (today when not a valid date) with `context` in lblMemory and returns
    /// the day taken, or nothing when the picker was cancelled.
    static std::optional<QDate> PickDate(Carvenna& app, QWidget* parent, const QString& context,
                                         const QDate& shown = QDate());

protected:
    void showEvent(QShowEvent* e) override;

private slots:
    void FormShow();
    void btnImportaDataClick();

private:
    Carvenna& m_app;
    std::optional<QDate> m_chosen;
};
