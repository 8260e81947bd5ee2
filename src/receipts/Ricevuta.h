#pragma once
// The receipt editor: one receipt of the yearly archive at a time, laid out like the printed
// receipt. The record being edited lives in the edit boxes; lblPosizione (the 1-based position
// of the displayed stored receipt, empty for an unsaved one) decides between append and overwrite.
#include "storage/AuditedSave.h"
#include "ui_Ricevuta.h"
#include <QWidget>

class Carvenna;
class FieldKeys;
class QLineEdit;
class RecordEditor;
struct ReceiptRecord;

class TfrmRicevuta : public QWidget {
    Q_OBJECT
public:
    explicit TfrmRicevuta(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmRicevuta ui;

    /// Puts a stored record into the fields, as stored, and its position into lblPosizione.
    void ShowRecord(const ReceiptRecord& rec, qint64 position);
    /// Loads receipt `position` (1-based) of the open year, as a find window's choice. Nothing changes
    /// when it cannot be read.
    void LoadReceipt(qint64 position);
    /// Copies payer and child of card `position` (1-based) into the fields; number, date, amount,
    /// receiver lines, period and lblPosizione stay. Nothing changes when the card cannot be read.
    void ImportCardPayer(qint64 position);
    /// The record as the fields hold it now (texts as shown; storing trims and cuts them).
    ReceiptRecord RecordFromScreen() const;
    /// The receipt that the editor's controls `ui` hold, as they are (saved or not).
    static ReceiptRecord RecordFrom(const Ui::TfrmRicevuta& ui);
    /// The shared browsing, saving and history of the editor.
    RecordEditor& editor() { return *m_editor; }

    /// Texts of the messages that numbering and cancellation show.
    static QString RenumberedNotice(const QString& number);
    static QString NumberTakenQuestion(const QString& number, const ReceiptRecord& clash);
    static QString CancelledNotice();
    static QString AlreadyCancelledWarning();
    static QString CancelOnlyStoredWarning();
    static QString InvoiceOnlyStoredWarning();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void FormShow();
    void cmdNuovoClick();
    void cmdDuplicaClick();
    void cmdSalvaClick();
    void cmdTrovaClick();
    void cmdAnteprimaClick();
    void cmdStampaClick();
    void cmdPrimoClick();
    void cmdIndietroClick();
    void cmdAvantiClick();
    void cmdUltimoClick();
    void cmdEsportaClick();
    void cmdNumerazioneClick();
    void cmdGuidaClick();
    void cmdEsciClick();
    void cmdAnnullaClick();
    void cmdStoricoClick();
    void cmdFatturaClick();
    void cmdLogoClick();
    void impPagatoreClick();
    void btnCodFiscClick();
    void txtImportoKeyUp();
    void txtCentsKeyUp();
    void txtCentsExit();
    void txtCodFiscChange(const QString& text);
    void txtImpLettereClick();
    void DateFieldKeyDown(QLineEdit* field);

private:
    void ResetAmount();
    void ShowLogo();
    void SaveReceiverLines();
    QString Today() const;

    Carvenna& m_app;
    FieldKeys* m_keys;
    RecordEditor* m_editor;
    NumberProposal m_proposal; // the number "Nuovo" proposed, while it may still be the one on screen
};
