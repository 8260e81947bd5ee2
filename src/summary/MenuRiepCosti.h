#pragma once
// The takings summary work area: the year, the payer and reason filters and the interval, checked
// before the summary window opens. Single instance, shown maximised from the start menu; closing it
// leads back there.
#include "ui_MenuRiepCosti.h"
#include <QWidget>

class Carvenna;
class QKeyEvent;
class PickListKeys;

class TfrmMenuRiepCosti : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMenuRiepCosti(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmMenuRiepCosti ui;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void FormShow();
    void btnVisualizzaClick();
    void btnAttestazioniClick();

private:
    bool txtAnnoKeyDown(QKeyEvent* key);
    void txtAnnoKeyUp();
    /// Runs the checks in order; false after the first failure has been reported.
    bool CheckCriteria();
    /// Fails the click: hides the waiting label, shows `text` and focuses `field` (if any).
    void Refuse(bool plain, const QString& text, QWidget* field);
    Carvenna& m_app;
    PickListKeys* m_pickKeys;
};
