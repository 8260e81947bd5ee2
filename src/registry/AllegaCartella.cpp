#include "registry/AllegaCartella.h"
#include "app/Carvenna.h"
#include "app/Placement.h"
#include "registry/Attachments.h"
#include "storage/Text.h"
#include <QDir>
#include <QFileInfo>
#include <QIcon>

namespace {
// The editor's hidden labels, slot by slot.
const char* const EditorFile[3] = {"lblFile01", "lblFile02", "lblFile03"};
const char* const EditorDesc[3] = {"lblDesc01", "lblDesc02", "lblDesc03"};

QString TextOf(QWidget* editor, const char* name) {
    const auto* label = editor ? editor->findChild<QLabel*>(QLatin1String(name)) : nullptr;
    return label ? TrimText(label->text()) : QString();
}
} // namespace

TfrmAllegaCartella::TfrmAllegaCartella(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app) {
    ui.setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    ui.imgIstruzioni->setPixmap(
        QIcon(QStringLiteral(":/registry/art/allega_istruzioni.svg")).pixmap(ui.imgIstruzioni->size()));
    m_slots[0] = {ui.txtFile01, ui.txtDesc01, ui.btnApri01};
    m_slots[1] = {ui.txtFile02, ui.txtDesc02, ui.btnApri02};
    m_slots[2] = {ui.txtFile03, ui.txtDesc03, ui.btnApri03};
    QToolButton* erasers[3] = {ui.imgCancella01, ui.imgCancella02, ui.imgCancella03};
    QPushButton* browse[3] = {ui.btnSfoglia01, ui.btnSfoglia02, ui.btnSfoglia03};
    const QIcon eraser(QStringLiteral(":/registry/art/allega_gomma.svg"));
    for (int k = 0; k < 3; ++k) {
        erasers[k]->setIcon(eraser);
        connect(erasers[k], &QToolButton::clicked, this, [this, k] { imgCancellaClick(k); });
        connect(browse[k], &QPushButton::clicked, this, [this, k] { btnSfogliaClick(k); });
        connect(m_slots[k].btnApri, &QPushButton::clicked, this, [this, k] { btnApriClick(k); });
        connect(m_slots[k].txtFile, &QLineEdit::textChanged, this, [this, k] { txtFileChange(k); });
    }
    connect(ui.btnApplica, &QPushButton::clicked, this, &TfrmAllegaCartella::btnApplicaClick);
    connect(ui.btnAnnulla, &QPushButton::clicked, this, &QDialog::reject);
}

QString TfrmAllegaCartella::OverwriteQuestion() {
    return QStringLiteral("Attenzione: nella cartella dei documenti allegati è presente un file con lo stesso "
                          "nome.\r\n\r\nSi vuole sovrascrivere il file esistente?");
}

QString TfrmAllegaCartella::CopyFailedWarning() {
    return QStringLiteral("Attenzione: impossibile copiare il file nella cartella dei documenti allegati.\n\r\n\r"
                          "Accertarsi che il file sia leggibile, che il disco non sia pieno e di possedere i "
                          "privilegi di scrittura nella cartella di installazione del programma.");
}

void TfrmAllegaCartella::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    CentreOnScreen(this);
}

void TfrmAllegaCartella::LoadFrom(QWidget* editor) {
    for (int k = 0; k < 3; ++k) {
        m_slots[k].txtFile->setText(TextOf(editor, EditorFile[k]));
        m_slots[k].txtDesc->setText(TextOf(editor, EditorDesc[k]));
    }
}

void TfrmAllegaCartella::txtFileChange(int slot) {
    m_slots[slot].btnApri->setEnabled(!TrimText(m_slots[slot].txtFile->text()).isEmpty());
}

void TfrmAllegaCartella::btnSfogliaClick(int slot) {
    const QString source = m_app.fileDialogs().Open(this, QStringLiteral("Selezionare il file da allegare:"),
                                                    QStringLiteral("Tutti i file (*)"), QString());
    if (source.isEmpty())
        return;
    QLineEdit* name = m_slots[slot].txtFile;
    const QString before = name->text();
    name->setText(QFileInfo(source).fileName());

    const QString folder = AttachmentsFolder(m_app.ProgramFolder());
    bool copied = QDir().mkpath(folder);
    if (copied) {
        const QFileInfo target(QDir(folder).filePath(QFileInfo(source).fileName()));
        const bool sameFile = target.exists() && target.canonicalFilePath() == QFileInfo(source).canonicalFilePath();
        if (target.exists() && !sameFile && !m_app.messages().Ask(OverwriteQuestion(), this))
            return; // the slot now names the file already in the folder
        copied = CopyAttachment(source, folder);
    }
    if (!copied) {
        // A name that points to nothing would be saved with the card: keep what the slot had.
        name->setText(before);
        m_app.messages().Warning(CopyFailedWarning(), this);
    }
}

void TfrmAllegaCartella::imgCancellaClick(int slot) {
    m_slots[slot].txtFile->clear();
}

void TfrmAllegaCartella::btnApriClick(int slot) {
    const QString name = TrimText(m_slots[slot].txtFile->text());
    if (!name.isEmpty())
        m_app.shell().Open(AttachmentShellPath(m_app.ProgramFolder(), name));
}

void TfrmAllegaCartella::btnApplicaClick() {
    if (TrimText(ui.lblMemory->text()) != QLatin1String("tiratori"))
        return;
    if (QWidget* editor = parentWidget()) {
        for (int k = 0; k < 3; ++k) {
            if (auto* file = editor->findChild<QLabel*>(QLatin1String(EditorFile[k])))
                file->setText(TrimText(m_slots[k].txtFile->text()));
            if (auto* desc = editor->findChild<QLabel*>(QLatin1String(EditorDesc[k])))
                desc->setText(TrimText(m_slots[k].txtDesc->text()));
        }
    }
    accept();
}
