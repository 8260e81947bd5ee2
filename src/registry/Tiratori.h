#pragma once
// The registry editor: one card of Archivio_Iscritti.pro at a time, with its photo. The card lives
// in the edit fields and the hidden labels; lblPosizione (the card number, empty for a card not
// stored yet) alone decides whether Save appends or overwrites.
//
// For the windows that work on the editor:
// - loading a card: ShowRecord(record), ui.lblPosizione->setText(number), LoadCardPhoto();
// - attachments: the hidden labels ui.lblFile01..03 and ui.lblDesc01..03;
// - photo tools: SetPhoto() puts a new picture in imgFoto, RemovePhoto() shows the placeholder,
//   Photo() is the picture shown (what SaveCardPhoto writes). Both setters mark the photo as
//   changed in this window, so the next Save writes the photo file; MarkPhotoChanged() does the
//   same for a caller that draws into imgFoto some other way.
#include "registry/ChildTaxCodes.h"
#include "ui_Tiratori.h"
#include <QImage>
#include <QWidget>

class Carvenna;
class FieldKeys;
class QLineEdit;
class QToolButton;
class RecordEditor;
struct RegistryRecord;

class TfrmTiratori : public QWidget {
    Q_OBJECT
    // The picture shown at full size, read by the card print by name as it reads the fields.
    Q_PROPERTY(QImage photo READ Photo)
public:
    /// The registry guide: the area's own paragraphs, then the sections of its added windows.
    static QString Guide();
    explicit TfrmTiratori(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmTiratori ui;
    QToolButton* cmdMandato; // "Mandato SDD" of the card's payer

    /// Puts the record's 26 fields into the edit fields and its attachments into the hidden labels.
    void ShowRecord(const RegistryRecord& rec);
    /// The card as the screen holds it (storing trims and cuts each text).
    RegistryRecord RecordFromScreen() const;
    /// Reads card `position` (1-based) again and shows it with its number and photo (a card changed since
    /// a list was built shows what is stored now). False when it cannot be read; the screen then stays.
    bool ShowCard(qint64 position);
    /// Shows the photo file of the card number in lblPosizione, or the placeholder picture.
    void LoadCardPhoto();
    /// Writes the picture shown to the photo file of the card number in lblPosizione.
    /// False when it could not be written; the picture stays on screen.
    bool SaveCardPhoto();
    /// Starts a new, empty card.
    void ClearCard();

    /// Shows `photo` in imgFoto as the card's photo and marks it changed.
    void SetPhoto(const QImage& photo);
    /// Shows the placeholder picture: the card has no photo; marks it changed.
    void RemovePhoto();
    /// The picture shown: the photo, or the placeholder picture when there is none.
    QImage Photo() const;
    bool HasPhoto() const { return !m_photo.isNull(); }
    /// Whether the photo was changed in this window since the card was loaded or saved.
    bool PhotoChanged() const { return m_photoChanged; }
    void MarkPhotoChanged(bool changed = true) { m_photoChanged = changed; }
    /// The placeholder picture (also held by the hidden imgBianco).
    static QImage Placeholder();
    /// The shared browsing, saving and history of the editor.
    RecordEditor& editor() { return *m_editor; }

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void FormShow();
    void cmdNuovoClick();
    void cmdDuplicaClick();
    void cmdSalvaClick();
    void cmdPrimoClick();
    void cmdIndietroClick();
    void cmdAvantiClick();
    void cmdUltimoClick();
    void cmdTrovaClick();
    void cmdScadCertClick();
    void cmdScaduteClick();
    void cmdEsportaClick();
    void cmdGuidaClick();
    void cmdEsciClick();
    void cmdStoricoClick();
    void cmdImportaClick();
    void btnCodFiscClick();
    void btnCodFiscMinoreClick();
    void cmdMandatoClick();
    void btnEmailClick();
    void txtQuotaExit();
    void DateFieldKeyDown(QLineEdit* field);
    // Photo tools, attached documents, card print and preview (TiratoriPhoto.cpp).
    void btnCaricaFotoClick();
    void btnSalvaFotoClick();
    void btnCancFotoClick();
    void btnZoomFotoClick();
    void btnWebcamClick();
    void cmdFileClick();
    void cmdStampaClick();
    void cmdAnteprimaClick();

private:
    void ConnectPhotoCommands();
    /// Shows the tax code kept for the child of the card number in lblPosizione.
    void LoadChildTaxCode();
    /// Keeps `code` for card `card` and its child when it differs from what is kept; false, after
    /// telling the office, when the file cannot be written.
    bool SaveChildTaxCode(qint64 card, const QString& child, const QString& code);
    /// What the card's photo file holds now, to notice another workstation's new photo.
    QByteArray PhotoStamp(qint64 cardNumber) const;
    void ShowPhoto(const QImage& photo);

    Carvenna& m_app;
    FieldKeys* m_keys;
    QImage m_photo; // null: no photo, the placeholder is shown
    bool m_photoChanged = false;
    RecordEditor* m_editor;
    QByteArray m_photoStamp; // the photo file as it was when the card was loaded or saved
    ChildTaxCode m_childCode; // the child's code as kept for the card shown (card 0: none loaded)
};
