#pragma once
// Up to three documents attached to a registry card: chosen files are copied at once into the shared
// attachments folder; their names and descriptions go back to the registry editor on "Applica e chiudi".
#include "ui_AllegaCartella.h"
#include <QDialog>

class Carvenna;

class TfrmAllegaCartella : public QDialog {
    Q_OBJECT
public:
    /// `parent` is the window that opened it; with the context "tiratori" in lblMemory it is the registry
    /// editor, whose lblFile01..03 and lblDesc01..03 receive the slots on "Applica e chiudi".
    explicit TfrmAllegaCartella(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmAllegaCartella ui;

    /// Fills the slots with the trimmed names and descriptions of `editor`'s hidden labels.
    void LoadFrom(QWidget* editor);

    static QString OverwriteQuestion();
    static QString CopyFailedWarning();

protected:
    void showEvent(QShowEvent* e) override;

private:
    struct Slot {
        QLineEdit* txtFile;
        QLineEdit* txtDesc;
        QPushButton* btnApri;
    };
    void btnSfogliaClick(int slot);
    void imgCancellaClick(int slot);
    void btnApriClick(int slot);
    void txtFileChange(int slot);
    void btnApplicaClick();

    Carvenna& m_app;
    Slot m_slots[3];
};
