#pragma once
// Production implementations of the platform services.
#include "app/Platform.h"

class SystemClock : public Clock {
public:
    QDate Today() const override;
    QDateTime Now() const override;
};

class DialogMessages : public Messages {
public:
    bool Show(Kind kind, const QString& text, QWidget* parent) override;
    int Choose(const QString& text, const QStringList& buttons, int safeIndex, QWidget* parent) override;
};

class DesktopFileDialogs : public FileDialogs {
public:
    QString Open(QWidget* parent, const QString& title, const QString& filter, const QString& folder,
                 const QString& defaultSuffix = QString()) override;
    QString Save(QWidget* parent, const QString& title, const QString& filter, const QString& proposedPath,
                 const QString& defaultSuffix) override;
    QString Folder(QWidget* parent, const QString& title, const QString& startFolder) override;
};

class DesktopShell : public Shell {
public:
    void Open(const QString& command) override;
    bool Compose(const MailDraft& draft, QString* error) override;
    /// How long Compose waits for the mail program to take the message before telling the user.
    int mailWaitMs = 5000;
};

/// Runs a program with QProcess and waits for it (without running the event loop).
class DesktopProgramRunner : public ProgramRunner {
public:
    ProgramResult Run(const QString& program, const QStringList& arguments, int limitMs) override;
};
