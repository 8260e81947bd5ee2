#pragma once
// What the receipt editor and the registry editor share: browsing the archive, the record as it was
// loaded (so that a save over it notices another workstation's change), the question when it did, the
// history window, and the small windows both open in the same way.
#include "storage/FixedField.h"
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class Carvenna;
class QLabel;
class QLineEdit;
class QWidget;

class RecordEditor : public QObject {
public:
    struct Options {
        int recordSize = 0;
        const QVector<FieldSpec>* layout = nullptr;
        QString emptyNotice;              // browsing an empty archive
        bool firstFailsAsWarning = false; // the receipt editor's First reports its failure as a warning
        bool openBeforeChecks = false;    // the registry opens (creates) its file before anything else
        bool newStandsAtZero = false;     // the registry's Next from a new card writes "0" first
        bool saveFailsAsWarning = false;  // the receipt editor reports a failed save as a warning
        QString thisRecord;               // "questa ricevuta", "questa scheda"
        /// The field's caption on the editor's form, for the history window (empty: the field's name).
        std::function<QString(int field)> fieldLabel;
        std::function<QString()> archivePath;
        /// The stored record as the history names it ("la ricevuta n. 12"); unset: by its position.
        std::function<QString(const QByteArray& bytes, qint64 position)> recordName;
        /// Shows a stored record and its position (and what goes with it: the card's photo).
        std::function<void(const QByteArray& bytes, qint64 position)> show;
    };
    RecordEditor(Carvenna& app, QWidget* window, QLabel* lblPosizione, Options options);

    enum class Browse { First, Previous, Next, Last };
    /// First, Previous, Next, Last over the archive, as both editors browse it.
    void BrowseTo(Browse where);

    /// The record as loaded from the archive (its texts), remembered for the next save over it.
    void Remember(const QByteArray& bytes);
    void Forget();
    const QByteArray& Loaded() const { return m_loaded; }

    enum class Saved { Written, OtherShown, Back, Failed };
    /// Saves `rec` over record `position`, unless another workstation changed it since it was loaded
    /// (or `stillAsLoaded` says no): then asks whether to overwrite it, show the other version, or go
    /// back to editing. A record put back from the history is written with its own bytes. On
    /// Failed, `error` gets the reason; the caller shows its access message.
    Saved Overwrite(qint64 position, QByteArray rec, const QString& kind = QStringLiteral("modifica"),
                    const std::function<bool()>& stillAsLoaded = {}, QString* error = nullptr);

    /// Overwrite, with a failure reported by the editor's access message. True when written.
    bool SaveOver(qint64 position, const QByteArray& rec, const QString& kind = QStringLiteral("modifica"),
                  const std::function<bool()>& stillAsLoaded = {});

    /// The history window of the record shown; an old version chosen there goes on screen.
    void ShowHistory();

    /// The message when a save went through but its history entry could not be written.
    static QString HistoryNotWritten();
    /// The question when another workstation changed the record since it was shown, and its buttons.
    static QString ConflictQuestion(const QString& thisRecord);
    static QStringList ConflictButtons();
    enum ConflictChoice { ConflictOverwrite, ConflictShow, ConflictBack };

    // ---- Small windows both editors open alike -------------------------------------------------
    /// The tax code check, or the VAT number check for a code of digits only.
    static void CheckTaxCode(Carvenna& app, QWidget* parent, const QString& code);
    /// Opens a per-use modal window of type W, created with the editor as owner.
    template <class W> static void OpenModal(Carvenna& app, QWidget* parent) {
        W w(app, parent);
        w.exec();
    }
    /// The same with the window's context written into its `lblMemory`.
    template <class W> static void OpenModal(Carvenna& app, QWidget* parent, const QString& memory) {
        W w(app, parent);
        w.lblMemory->setText(memory);
        w.exec();
    }
    /// Opens list window `W` with its context in `lblMemory` and returns the position (1-based) of the
    /// record chosen there, for the caller to act on; nothing when the list was closed without a choice.
    template <class W>
    static std::optional<qint64> PickFromList(Carvenna& app, QWidget* parent, const QString& memory = QString()) {
        W w(app, parent);
        w.lblMemory->setText(memory);
        w.exec();
        return w.Chosen();
    }
    /// The first of `checks` whose condition holds: its warning is shown and its field gets the focus.
    struct Check {
        QLineEdit* field;
        bool failed;
        const char* message;
    };
    static bool FailsCheck(Carvenna& app, QWidget* parent, const Check* checks, int count);
    template <int N> static bool FailsCheck(Carvenna& app, QWidget* parent, const Check (&checks)[N]) {
        return FailsCheck(app, parent, checks, N);
    }

private:
    Carvenna& m_app;
    QWidget* m_window;
    QLabel* m_position;
    Options m_opt;
    QByteArray m_loaded;   // texts of the record as loaded or last saved; empty: not known
    QByteArray m_restored; // an old version put back from the history, until the screen changes it
};
