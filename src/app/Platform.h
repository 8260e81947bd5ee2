#pragma once
// The services that touch the outside world. Production implementations live in this folder;
// the tests give doubles (tests/support). Windows reach them only through Carvenna.
#include "app/ProgramRunner.h"
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

class QWidget;
class Printing; // src/app/Printing.h
class Camera;   // src/registry (comes with the webcam window)

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate Today() const = 0;
    virtual QDateTime Now() const = 0;
};

/// Message dialogs. Texts keep their \n and \r; only the dialog turns them into line breaks.
class Messages {
public:
    enum class Kind { Warning, Error, Information, Confirmation, Plain, Question, Notice };
    virtual ~Messages() = default;
    /// Shows the message; returns false only when a confirmation is answered No.
    virtual bool Show(Kind kind, const QString& text, QWidget* parent) = 0;

    void Warning(const QString& text, QWidget* parent = nullptr) { Show(Kind::Warning, text, parent); }
    void Error(const QString& text, QWidget* parent = nullptr) { Show(Kind::Error, text, parent); }
    void Information(const QString& text, QWidget* parent = nullptr) { Show(Kind::Information, text, parent); }
    bool Confirm(const QString& text, QWidget* parent = nullptr) { return Show(Kind::Confirmation, text, parent); }
    /// A warning with OK alone, for the windows where a Cancel would answer nothing.
    void Notice(const QString& text, QWidget* parent = nullptr) { Show(Kind::Notice, text, parent); }
    /// The plain message box with one OK button.
    void Plain(const QString& text, QWidget* parent = nullptr) { Show(Kind::Plain, text, parent); }
    /// A question with Yes and No whose default answer is No: true only when answered Yes.
    bool Ask(const QString& text, QWidget* parent = nullptr) { return Show(Kind::Question, text, parent); }
    /// A question answered by one of `buttons` (left to right); returns the index of the one pressed.
    /// Button `safeIndex` is the default and the answer when the dialog is closed with Escape.
    virtual int Choose(const QString& text, const QStringList& buttons, int safeIndex, QWidget* parent) = 0;

    /// The buttons a dialog of `kind` shows, left to right, by their captions ("OK", "Annulla", "Sì", "No"),
    /// and the index of the default one (Enter). An information box has OK alone; a confirmation says Yes
    /// by default, a question No.
    struct ButtonSet {
        QStringList captions;
        int defaultIndex = 0;
    };
    static ButtonSet ButtonsOf(Kind kind);

    /// The text as a dialog shows it: the \n\r\n\r and \r\n\r\n sequences become line breaks.
    static QString ForDisplay(const QString& text);
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    /// Returns the chosen file or an empty text when cancelled. `filter` uses Qt's ";;" form; `defaultSuffix`
    /// (without the dot) is added to a name typed without extension.
    virtual QString Open(QWidget* parent, const QString& title, const QString& filter, const QString& folder,
                         const QString& defaultSuffix = QString()) = 0;
    /// Asks before overwriting an existing file. `defaultSuffix` without the dot.
    virtual QString Save(QWidget* parent, const QString& title, const QString& filter, const QString& proposedPath,
                         const QString& defaultSuffix) = 0;
    /// Returns the chosen folder or an empty text when cancelled.
    virtual QString Folder(QWidget* parent, const QString& title, const QString& startFolder) = 0;
};

/// A new message for the desktop's mail program: recipient, subject, text and one attached file.
struct MailDraft {
    QString to, subject, body, attachment;
};

/// Hands a path, web address or mailto link to the desktop; the result is not looked at.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void Open(const QString& command) = 0;
    /// Opens the desktop's mail program on a new message filled from `draft`, its file attached, for the
    /// user to check and send. False, with `error`, when no mail program could be started.
    virtual bool Compose(const MailDraft& draft, QString* error);
};

/// Everything a window may need from outside. Pointers are owned elsewhere.
struct Platform {
    QString programFolder; // with a trailing '/'
    Clock* clock = nullptr;
    Messages* messages = nullptr;
    FileDialogs* fileDialogs = nullptr;
    Shell* shell = nullptr;
    ProgramRunner* programs = nullptr; // outside programs run for core (LibreOffice converting a sheet)
    Printing* printing = nullptr;
    Camera* camera = nullptr;
};
