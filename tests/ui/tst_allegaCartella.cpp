// The attached documents window: the three slots with copy into the shared folder, the overwrite
// question, the eraser, "Apri" through the shell, and writing back into the registry editor.
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "registry/AllegaCartella.h"
#include "registry/Attachments.h"
#include "registry/PhotoActions.h"
#include "registry/Tiratori.h"
#include "storage/RegistryFile.h"
#include "storage/Text.h"
#include <QtTest>
#include <memory>

namespace {
QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}
} // namespace

class tst_allegaCartella : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void layout();
    void browseCopiesIntoTheFolder_data();
    void browseCopiesIntoTheFolder();
    void sameNameAsks_data();
    void sameNameAsks();
    void cancelledDialogChangesNothing();
    void failedCopyKeepsTheSlot_data();
    void failedCopyKeepsTheSlot();
    void eraserEmptiesOnlyTheName();
    void openHandsTheQuotedPathToTheShell_data();
    void openHandsTheQuotedPathToTheShell();
    void applyWritesBackTrimmed();
    void cancelAndOtherContextsWriteNothing();
    void editorCommandFillsAndApplies();

private:
    std::unique_ptr<TfrmAllegaCartella> Open();
    QString Folder() const { return AttachmentsFolder(m_tp->platform.programFolder); }
    QString Outside(const QString& name, const QByteArray& bytes);
    // The editor's hidden labels of slot k (0 to 2).
    QLabel* File(int k) const {
        return std::array{m_editor->ui.lblFile01, m_editor->ui.lblFile02, m_editor->ui.lblFile03}[k];
    }
    QLabel* Desc(int k) const {
        return std::array{m_editor->ui.lblDesc01, m_editor->ui.lblDesc02, m_editor->ui.lblDesc03}[k];
    }

    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Carvenna> m_app;
    std::unique_ptr<TfrmTiratori> m_editor;
    QTemporaryDir m_outside; // where the user's documents come from
};

void tst_allegaCartella::init() {
    m_tp = std::make_unique<TestPlatform>();
    m_app = std::make_unique<Carvenna>(m_tp->platform);
    m_editor = std::make_unique<TfrmTiratori>(*m_app);
}

void tst_allegaCartella::cleanup() {
    m_editor.reset();
    m_app.reset();
    m_tp.reset();
}

std::unique_ptr<TfrmAllegaCartella> tst_allegaCartella::Open() {
    auto w = std::make_unique<TfrmAllegaCartella>(*m_app, m_editor.get());
    w->ui.lblMemory->setText(QStringLiteral("tiratori"));
    w->LoadFrom(m_editor.get());
    w->show();
    return w;
}

QString tst_allegaCartella::Outside(const QString& name, const QByteArray& bytes) {
    const QString path = m_outside.filePath(name);
    Write(path, bytes);
    return path;
}

void tst_allegaCartella::layout() {
    auto w = Open();
    QCOMPARE(w->windowTitle(), QStringLiteral(" Allega file"));
    for (int k = 1; k <= 3; ++k) {
        const QString n = QStringLiteral("0%1").arg(k);
        QCOMPARE(w->findChild<QLabel*>("lblFile" + n)->text(), QStringLiteral("Nome %1° file allegato:").arg(k));
        QCOMPARE(w->findChild<QLabel*>("lblDesc" + n)->text(), QStringLiteral("Descrizione %1° file allegato:").arg(k));
        QVERIFY(w->findChild<QLineEdit*>("txtFile" + n)->isReadOnly());
        QCOMPARE(w->findChild<QPushButton*>("btnSfoglia" + n)->text(), QStringLiteral("Sfoglia..."));
        QCOMPARE(w->findChild<QPushButton*>("btnApri" + n)->text(), QStringLiteral("Apri"));
        QVERIFY(!w->findChild<QPushButton*>("btnApri" + n)->isEnabled());
        QVERIFY(!w->findChild<QToolButton*>("imgCancella" + n)->icon().isNull());
    }
    QCOMPARE(w->ui.btnApplica->text(), QStringLiteral("Applica e chiudi"));
    QCOMPARE(w->ui.btnAnnulla->text(), QStringLiteral("Annulla"));
    QVERIFY(!w->ui.imgIstruzioni->pixmap().isNull());
    QVERIFY(w->ui.lblMemory->isHidden());
    if (!qEnvironmentVariableIsEmpty("CARVENNA_GRAB_DIR")) {
        w->ui.txtFile01->setText("Carta d'identità Rossi.pdf");
        w->ui.txtDesc01->setText("Documento del genitore");
        w->ui.txtFile02->setText("certificato.jpg");
        w->ui.txtDesc02->setText("Certificato medico 2026");
        w->grab().save(qEnvironmentVariable("CARVENNA_GRAB_DIR") + "/TfrmAllegaCartella.png");
    }
}

void tst_allegaCartella::browseCopiesIntoTheFolder_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("folderThere");
    QTest::newRow("plain") << "certificato.pdf" << QByteArray("%PDF-1.4 certificato") << true;
    QTest::newRow("missing folder") << "documento.pdf" << QByteArray("documento") << false;
    QTest::newRow("blanks, accents, quotes") << "Carta d'identità \"Rossi\" 2026.pdf" << QByteArray("carta") << true;
    QTest::newRow("empty file") << "vuoto.txt" << QByteArray() << false;
    QTest::newRow("no extension") << "LEGGIMI" << QByteArray("testo") << true;
}

void tst_allegaCartella::browseCopiesIntoTheFolder() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, folderThere);
    if (folderThere)
        QVERIFY(QDir().mkpath(Folder()));
    auto w = Open();
    m_tp->fileDialogs.answers.enqueue(Outside(name, bytes));
    w->ui.btnSfoglia02->click();

    QCOMPARE(m_tp->fileDialogs.asked.value(0).title, QStringLiteral("Selezionare il file da allegare:"));
    QVERIFY(m_tp->fileDialogs.asked.value(0).filter.startsWith(QStringLiteral("Tutti i file")));
    QCOMPARE(w->ui.txtFile02->text(), name);
    QVERIFY(w->ui.btnApri02->isEnabled());
    QVERIFY(!w->ui.btnApri01->isEnabled() && !w->ui.btnApri03->isEnabled());
    QVERIFY(m_tp->messages.shown.isEmpty());
    QCOMPARE(Read(Folder() + u'/' + name), bytes);
    // Nothing but the document lands in the folder (no temporary left behind).
    QCOMPARE(QDir(Folder()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
}

void tst_allegaCartella::sameNameAsks_data() {
    QTest::addColumn<bool>("answer");
    QTest::newRow("Yes replaces") << true;
    QTest::newRow("No keeps the old file") << false;
}

void tst_allegaCartella::sameNameAsks() {
    QFETCH(bool, answer);
    // Another card already attached a file of this name.
    Write(Folder() + "/referto.pdf", "vecchio referto");
    File(1)->setText("altro.pdf");
    auto w = Open();
    m_tp->messages.answers.enqueue(answer);
    m_tp->fileDialogs.answers.enqueue(Outside("referto.pdf", "nuovo referto"));
    w->ui.btnSfoglia02->click();

    const auto shown = m_tp->messages.Take();
    QCOMPARE(shown.size(), 1);
    // Yes and No, and replacing a file is not the default.
    QCOMPARE(int(shown[0].kind), int(Messages::Kind::Question));
    QCOMPARE(shown[0].buttons, (QStringList{QStringLiteral("Sì"), QStringLiteral("No")}));
    QCOMPARE(shown[0].defaultButton, QStringLiteral("No"));
    QCOMPARE(shown[0].text, QStringLiteral("Attenzione: nella cartella dei documenti allegati è presente un file con "
                                           "lo stesso nome.\r\n\r\nSi vuole sovrascrivere il file esistente?"));
    // Either way the slot names the file in the folder.
    QCOMPARE(w->ui.txtFile02->text(), QStringLiteral("referto.pdf"));
    QCOMPARE(Read(Folder() + "/referto.pdf"), answer ? QByteArray("nuovo referto") : QByteArray("vecchio referto"));
}

void tst_allegaCartella::cancelledDialogChangesNothing() {
    Write(Folder() + "/foto.jpg", "foto");
    File(0)->setText("foto.jpg");
    Desc(0)->setText("Foto");
    auto w = Open();
    w->ui.btnSfoglia01->click(); // the dialog answers "cancelled"
    QCOMPARE(w->ui.txtFile01->text(), QStringLiteral("foto.jpg"));
    QVERIFY(w->ui.btnApri01->isEnabled());
    QVERIFY(m_tp->messages.shown.isEmpty());
    QCOMPARE(Read(Folder() + "/foto.jpg"), QByteArray("foto"));
}

void tst_allegaCartella::failedCopyKeepsTheSlot_data() {
    QTest::addColumn<bool>("folderBlocked");
    QTest::newRow("folder cannot be created") << true;
    QTest::newRow("file cannot be read") << false;
}

void tst_allegaCartella::failedCopyKeepsTheSlot() {
    QFETCH(bool, folderBlocked);
    QString source;
    if (folderBlocked) {
        // A file where the folder should be.
        Write(Folder(), "non una cartella");
        source = Outside("referto.pdf", "referto");
    } else {
        source = m_outside.filePath("sparito.pdf"); // gone between choosing and copying
    }
    File(2)->setText(" precedente.pdf ");
    auto w = Open();
    m_tp->fileDialogs.answers.enqueue(source);
    w->ui.btnSfoglia03->click();
    QCOMPARE(m_tp->messages.TakeTexts(), QStringList{TfrmAllegaCartella::CopyFailedWarning()});
    QCOMPARE(w->ui.txtFile03->text(), QStringLiteral("precedente.pdf"));
    if (!folderBlocked)
        QVERIFY(QDir(Folder()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void tst_allegaCartella::eraserEmptiesOnlyTheName() {
    Write(Folder() + "/certificato.pdf", "certificato");
    File(0)->setText("certificato.pdf");
    Desc(0)->setText("Certificato medico");
    auto w = Open();
    QVERIFY(w->ui.btnApri01->isEnabled());
    w->ui.imgCancella01->click();
    QVERIFY(w->ui.txtFile01->text().isEmpty());
    QVERIFY(!w->ui.btnApri01->isEnabled());
    QCOMPARE(w->ui.txtDesc01->text(), QStringLiteral("Certificato medico"));
    QCOMPARE(Read(Folder() + "/certificato.pdf"), QByteArray("certificato"));
}

void tst_allegaCartella::openHandsTheQuotedPathToTheShell_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "certificato.pdf";
    QTest::newRow("blanks, accents, quote") << "Carta d'identità Rossi.pdf";
}

void tst_allegaCartella::openHandsTheQuotedPathToTheShell() {
    QFETCH(QString, name);
    File(1)->setText("  " + name + " ");
    auto w = Open();
    w->ui.btnApri02->click(); // the file's existence is not checked
    const QString expected =
        u'"' + QDir::toNativeSeparators(m_tp->platform.programFolder + "Documenti_Allegati/" + name) + u'"';
    QCOMPARE(m_tp->shell.opened, QStringList{expected});
}

void tst_allegaCartella::applyWritesBackTrimmed() {
    File(0)->setText("vecchio.pdf");
    Desc(0)->setText("Vecchio");
    auto w = Open();
    m_tp->fileDialogs.answers.enqueue(Outside("nuovo.pdf", "nuovo"));
    w->ui.btnSfoglia01->click();
    w->ui.txtDesc01->setText("  Nuovo documento  ");
    w->ui.txtDesc03->setText(" Solo descrizione");
    w->ui.btnApplica->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(w->result(), int(QDialog::Accepted));
    const QStringList files = {File(0)->text(), File(1)->text(), File(2)->text()};
    const QStringList descs = {Desc(0)->text(), Desc(1)->text(), Desc(2)->text()};
    QCOMPARE(files, (QStringList{"nuovo.pdf", "", ""}));
    QCOMPARE(descs, (QStringList{"Nuovo documento", "", "Solo descrizione"}));
}

void tst_allegaCartella::cancelAndOtherContextsWriteNothing() {
    File(0)->setText("vecchio.pdf");
    {
        auto w = Open();
        m_tp->fileDialogs.answers.enqueue(Outside("nuovo.pdf", "nuovo"));
        w->ui.btnSfoglia01->click();
        w->ui.btnAnnulla->click();
        QVERIFY(!w->isVisible());
    }
    QCOMPARE(File(0)->text(), QStringLiteral("vecchio.pdf"));
    // The copy made on "Sfoglia..." stays in the folder.
    QCOMPARE(Read(Folder() + "/nuovo.pdf"), QByteArray("nuovo"));

    auto other = Open();
    other->ui.lblMemory->setText("ricevuta");
    other->ui.txtFile01->setText("nuovo.pdf");
    other->ui.btnApplica->click();
    QVERIFY(other->isVisible());
    QCOMPARE(File(0)->text(), QStringLiteral("vecchio.pdf"));
}

void tst_allegaCartella::editorCommandFillsAndApplies() {
    m_editor->show();
    RegistryRecord rec;
    for (QString* f : rec.Fields())
        *f = QStringLiteral("x");
    rec.Quota = QStringLiteral("10,00");
    rec.File01 = rec.File02 = rec.Desc01 = rec.Desc02 = QString();
    rec.File03 = QStringLiteral("  terzo.pdf  ");
    rec.Desc03 = QStringLiteral(" Terzo ");
    m_editor->ShowRecord(rec);
    auto* helper = ModalHelper::When<TfrmAllegaCartella>(
        [this](TfrmAllegaCartella* w) {
            QCOMPARE(w->parentWidget(), m_editor.get());
            QCOMPARE(w->ui.lblMemory->text(), QStringLiteral("tiratori"));
            QCOMPARE(w->ui.txtFile03->text(), QStringLiteral("terzo.pdf"));
            QCOMPARE(w->ui.txtDesc03->text(), QStringLiteral("Terzo"));
            QVERIFY(w->ui.btnApri03->isEnabled());
            QVERIFY(!w->ui.btnApri01->isEnabled());
            w->ui.txtDesc01->setText("Primo");
            w->ui.btnApplica->click();
        },
        this);
    m_editor->ui.cmdFile->click();
    QVERIFY(helper->Handled());
    QCOMPARE(Desc(0)->text(), QStringLiteral("Primo"));
    QCOMPARE(File(2)->text(), QStringLiteral("terzo.pdf"));

    // Save stores the attachments with the card.
    m_editor->ui.cmdSalva->click();
    QCOMPARE(m_tp->messages.TakeTexts(), QStringList{"La scheda corrente è stata inserita in archivio."});
    RegistryFile file;
    RegistryRecord stored;
    QVERIFY(file.OpenOrCreate(m_app->ProgramFolder()));
    QVERIFY(file.ReadRecord(0, stored));
    QVERIFY(file.Close());
    QCOMPARE(TrimText(stored.Desc01), QStringLiteral("Primo"));
    QCOMPARE(TrimText(stored.File01), QString());
    QCOMPARE(TrimText(stored.File03), QStringLiteral("terzo.pdf"));
    QCOMPARE(TrimText(stored.Desc03), QStringLiteral("Terzo"));

    // Annulla leaves the card's labels as they were.
    auto* cancel = ModalHelper::When<TfrmAllegaCartella>(
        [](TfrmAllegaCartella* w) {
            w->ui.txtDesc02->setText("Secondo");
            w->ui.btnAnnulla->click();
        },
        this);
    m_editor->ui.cmdFile->click();
    QVERIFY(cancel->Handled());
    QCOMPARE(Desc(1)->text(), QString());
}

QTEST_MAIN(tst_allegaCartella)
#include "tst_allegaCartella.moc"
