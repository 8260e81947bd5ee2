#include "editing/RecordEditor.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "backup/BackupRestore.h"
#include "editing/Storico.h"
#include "storage/AuditedSave.h"
#include "storage/HistoryJournal.h"
#include "storage/RecordFile.h"
#include "storage/Text.h"
#include "validators/CodFisc.h"
#include "validators/PartitaIva.h"
#include "validators/PayerCode.h"
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>


RecordEditor::RecordEditor(Carvenna& app, QWidget* window, QLabel* lblPosizione, Options options)
    : QObject(window), m_app(app), m_window(window), m_position(lblPosizione), m_opt(std::move(options)) {}

QString RecordEditor::HistoryNotWritten() {
    return QStringLiteral("Attenzione: i dati sono stati salvati in archivio, ma non è stato possibile scrivere lo "
                          "storico delle modifiche.\n\r\n\rAccertarsi di possedere i privilegi di scrittura nella "
                          "cartella Storico del programma.");
}

QString RecordEditor::ConflictQuestion(const QString& thisRecord) {
    return QStringLiteral("Attenzione: un'altra postazione ha modificato %1 dopo che è stata visualizzata.\n\r\n\r"
                          "Sovrascrivi: salva i dati sullo schermo al posto di quelli dell'altra postazione.\n\r"
                          "Mostra l'altra versione: visualizza i dati salvati dall'altra postazione; le modifiche "
                          "sullo schermo andranno perse.\n\r"
                          "Torna alla modifica: non salva nulla.")
        .arg(thisRecord);
}

QStringList RecordEditor::ConflictButtons() {
    return {QStringLiteral("Sovrascrivi"), QStringLiteral("Mostra l'altra versione"),
            QStringLiteral("Torna alla modifica")};
}

// ---- Browsing ----------------------------------------------------------------------------------

void RecordEditor::BrowseTo(Browse where) {
    const QString shown = TrimText(m_position->text());
    const qint64 p = shown.isEmpty() ? 0 : shown.toLongLong();
    auto fail = [&] {
        if (where == Browse::First && m_opt.firstFailsAsWarning)
            m_app.messages().Warning(ArchiveAccessError(), m_window);
        else
            m_app.messages().Error(ArchiveAccessError(), m_window);
    };
    RecordFile file(m_opt.recordSize);
    const QString path = m_opt.archivePath();
    bool opened = false;
    if (m_opt.openBeforeChecks) {
        if (!file.OpenOrCreate(path))
            return fail();
        opened = true;
    }
    if (where == Browse::Previous && !shown.isEmpty() && p == 1)
        return void(file.Close()); // the first record is shown already
    if (!opened && !file.OpenOrCreate(path))
        return fail();
    if (where == Browse::Next && shown.isEmpty() && m_opt.newStandsAtZero)
        m_position->setText(QStringLiteral("0")); // a new record stands before record 1
    const qint64 n = file.RecordCount();
    if (n < 0)
        return fail();
    if (n == 0) {
        if (where == Browse::Next)
            m_position->clear();
        if (!file.Close())
            return fail();
        m_app.messages().Information(m_opt.emptyNotice, m_window);
        return;
    }
    qint64 target = 0;
    switch (where) {
    case Browse::First:
        target = 1;
        break;
    case Browse::Last:
        target = n;
        break;
    case Browse::Next:
        if (p >= n)
            return void(file.Close()); // the last record is shown already
        target = p + 1;
        break;
    case Browse::Previous:
        target = shown.isEmpty() ? 1 : p - 1;
        break;
    }
    QByteArray bytes;
    if (target < 1 || !file.ReadRaw(target - 1, bytes) || !file.Close())
        return fail();
    m_opt.show(bytes, target);
}

// ---- The record as loaded, and saving over it ----------------------------------------------------

void RecordEditor::Remember(const QByteArray& bytes) {
    m_loaded = CanonicalRecord(*m_opt.layout, bytes);
    m_restored.clear();
}

void RecordEditor::Forget() {
    m_loaded.clear();
    m_restored.clear();
}

RecordEditor::Saved RecordEditor::Overwrite(qint64 position, QByteArray rec, const QString& kind,
                                            const std::function<bool()>& stillAsLoaded, QString* error) {
    // A version put back from the history and saved as it is goes back with every byte it had.
    if (!m_restored.isEmpty() && CanonicalRecord(*m_opt.layout, rec) == CanonicalRecord(*m_opt.layout, m_restored))
        rec = m_restored;
    const QString path = m_opt.archivePath();
    const JournalStamp stamp{m_app.clock().Now(), WorkstationName(), CurrentUserName()};
    RecordFile file(m_opt.recordSize);
    if (!file.OpenOrCreate(path)) {
        if (error)
            *error = file.ErrorString();
        return Saved::Failed;
    }
    // Not knowing what was loaded (a position written by another window alone) saves as before.
    const bool unknown = m_loaded.isEmpty();
    OverwriteOutcome out = AuditedOverwrite(file, path, *m_opt.layout, position - 1, m_loaded, rec, unknown, stamp,
                                            kind, unknown ? std::function<bool()>() : stillAsLoaded);
    if (out.result == OverwriteOutcome::Conflict) {
        file.Close();
        // Going back to editing is the default: a hurried Enter keeps the other workstation's change.
        const int choice =
            m_app.messages().Choose(ConflictQuestion(m_opt.thisRecord), ConflictButtons(), ConflictBack, m_window);
        if (choice == ConflictBack)
            return Saved::Back;
        if (choice == ConflictShow) {
            m_opt.show(out.current, position);
            Remember(out.current);
            return Saved::OtherShown;
        }
        if (!file.OpenOrCreate(path)) {
            if (error)
                *error = file.ErrorString();
            return Saved::Failed;
        }
        out = AuditedOverwrite(file, path, *m_opt.layout, position - 1, QByteArray(), rec, true, stamp, kind);
    }
    const bool closed = file.Close();
    if (out.result != OverwriteOutcome::Written || !closed) {
        if (error)
            *error = out.result != OverwriteOutcome::Written ? out.error : file.ErrorString();
        return Saved::Failed;
    }
    Remember(rec);
    if (out.historyMissing)
        m_app.messages().Warning(HistoryNotWritten(), m_window);
    return Saved::Written;
}

bool RecordEditor::SaveOver(qint64 position, const QByteArray& rec, const QString& kind,
                            const std::function<bool()>& stillAsLoaded) {
    const Saved saved = Overwrite(position, rec, kind, stillAsLoaded);
    if (saved == Saved::Failed) {
        if (m_opt.saveFailsAsWarning)
            m_app.messages().Warning(ArchiveAccessError(), m_window);
        else
            m_app.messages().Error(ArchiveAccessError(), m_window);
    }
    return saved == Saved::Written;
}

// ---- History -------------------------------------------------------------------------------------

void RecordEditor::ShowHistory() {
    bool numeric = false;
    const qint64 position = TrimText(m_position->text()).toLongLong(&numeric);
    if (!numeric || position < 1) {
        m_app.messages().Information(QStringLiteral("Lo storico delle modifiche è disponibile soltanto per i dati già "
                                                    "salvati in archivio."),
                                     m_window);
        return;
    }
    const QString path = m_opt.archivePath();
    QByteArray current;
    RecordFile file(m_opt.recordSize);
    if (!file.OpenOrCreate(path) || !file.ReadRaw(position - 1, current) || !file.Close())
        return m_app.messages().Error(ArchiveAccessError(), m_window);
    HistoryJournal journal(path, *m_opt.layout);
    QVector<HistoryEntry> entries;
    int damaged = 0;
    if (!journal.Read(position, entries, current, &damaged))
        return m_app.messages().Error(ArchiveAccessError(), m_window);
    if (damaged > 0)
        m_app.messages().Warning(TfrmStorico::DamagedLinesWarning(damaged), m_window);

    TfrmStorico w(m_app, m_window);
    if (m_opt.fieldLabel) {
        const QVector<FieldSpec>& layout = *m_opt.layout;
        w.SetFieldLabel([this, &layout](const QString& name) {
            for (int i = 0; i < layout.size(); ++i)
                if (name == QLatin1String(layout[i].name))
                    return m_opt.fieldLabel(i);
            return QString();
        });
    }
    // The moments a copy of this archive was put back: what they took away is named so in the list.
    QVector<QDateTime> restores;
    const QString fileName = QFileInfo(path).fileName();
    for (const BackupDay& d : ListBackupDays(m_app.ProgramFolder()))
        if (d.beforeRestore && d.taken.isValid() &&
            std::any_of(d.files.cbegin(), d.files.cend(), [&](const BackupFileInfo& f) { return f.name == fileName; }))
            restores << d.taken;
    w.SetEntries(entries, position, m_opt.recordName ? m_opt.recordName(current, position) : QString(), restores);
    if (w.exec() != QDialog::Accepted || w.Chosen() < 0)
        return;
    // The old version goes on screen as an edit of the stored record: what was loaded stays the
    // reference for the next save.
    const QByteArray loaded = m_loaded;
    const QByteArray old = entries.at(w.Chosen()).oldRecord;
    m_opt.show(old, position);
    m_loaded = loaded;
    m_restored = old;
}

// ---- Small windows -------------------------------------------------------------------------------

void RecordEditor::CheckTaxCode(Carvenna& app, QWidget* parent, const QString& code) {
    if (ReadPayerCode(code).kind == PayerCodeKind::VatNumber) {
        TfrmPartitaIva dlg(app, parent);
        dlg.ui.txtPartitaIva->setText(code);
        dlg.exec();
    } else {
        TfrmCodFisc dlg(app, parent);
        dlg.ui.txtCodFisc->setText(code);
        dlg.exec();
    }
}

bool RecordEditor::FailsCheck(Carvenna& app, QWidget* parent, const Check* checks, int count) {
    for (const Check* c = checks; c != checks + count; ++c) {
        if (c->failed) {
            app.messages().Warning(QString::fromUtf8(c->message), parent);
            c->field->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return false;
}
