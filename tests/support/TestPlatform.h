#pragma once
// Test doubles for the platform services and a fresh program folder per test.
#include "app/Platform.h"
#include "FakeProgramRunner.h"
#include <QDate>
#include <QDateTime>
#include <QPair>
#include <QQueue>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>
#include <memory>

class FixedClock : public Clock {
public:
    QDateTime now = QDateTime(QDate(2026, 12, 10), QTime(10, 30, 0));
    QDate Today() const override { return now.date(); }
    QDateTime Now() const override { return now; }
};

/// Records every message; confirmations and questions are answered from a queue (when it is empty,
/// a confirmation Yes and a question No, their default buttons).
class RecordingMessages : public Messages {
public:
    struct Shown {
        Kind kind;
        QString text;
        QStringList buttons;  // captions, left to right, as the dialog would show them
        QString defaultButton; // the one Enter presses
    };
    QVector<Shown> shown;
    QQueue<bool> answers;
    /// Answers of Choose by button index; when empty, its safe button.
    QQueue<int> choices;
    QStringList lastButtons; // the buttons of the last Choose
    bool Show(Kind kind, const QString& text, QWidget* parent) override;
    int Choose(const QString& text, const QStringList& buttons, int safeIndex, QWidget* parent) override;
    /// Returns and forgets what was shown.
    QVector<Shown> Take();
    /// The texts shown so far, forgetting them.
    QStringList TakeTexts();
};

class QueuedFileDialogs : public FileDialogs {
public:
    QQueue<QString> answers; // an empty queue answers "cancelled"
    struct Asked {
        QString title, filter, path, suffix;
        bool save;
    };
    QVector<Asked> asked;
    QString Open(QWidget* parent, const QString& title, const QString& filter, const QString& folder,
                 const QString& defaultSuffix = QString()) override;
    QString Save(QWidget* parent, const QString& title, const QString& filter, const QString& proposedPath,
                 const QString& defaultSuffix) override;
    /// Recorded with an empty filter and `save` false, the start folder as its path.
    QString Folder(QWidget* parent, const QString& title, const QString& startFolder) override;
};

class RecordingShell : public Shell {
public:
    QStringList opened;
    void Open(const QString& command) override { opened << command; }
    /// Every message handed to the mail program; with `mailFails` none opens and the error is "nessun
    /// programma di posta".
    QVector<MailDraft> mails;
    bool mailFails = false;
    bool Compose(const MailDraft& draft, QString* error) override {
        mails << draft;
        if (mailFails && error)
            *error = QStringLiteral("nessun programma di posta");
        return !mailFails;
    }
};

/// A temporary program folder and the doubles, wired into a Platform.
/// Printing and Camera doubles are set by the tests that need them.
class TestPlatform {
public:
    TestPlatform();
    QTemporaryDir dir;
    FixedClock clock;
    RecordingMessages messages;
    QueuedFileDialogs fileDialogs;
    RecordingShell shell;
    FakeProgramRunner programs;
    Platform platform;
    QString Path(const QString& name) const { return platform.programFolder + name; }
    /// Writes the password file with `plain` scrambled by the program's own routine.
    void WritePassword(const QString& plain);
};
