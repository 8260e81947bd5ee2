#include "app/DesktopPlatform.h"
#include "storage/Text.h"
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QProcess>
#include <QRegularExpression>
#include <QUrlQuery>
#include <QUrl>

QDate SystemClock::Today() const { return QDate::currentDate(); }
QDateTime SystemClock::Now() const { return QDateTime::currentDateTime(); }

bool DialogMessages::Show(Kind kind, const QString& text, QWidget* parent) {
    QMessageBox box(parent ? parent : QApplication::activeWindow());
    box.setWindowTitle(QStringLiteral("Carvenna"));
    box.setText(ForDisplay(text));
    switch (kind) {
    case Kind::Warning:
    case Kind::Notice:
        box.setIcon(QMessageBox::Warning);
        break;
    case Kind::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Kind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Kind::Confirmation:
    case Kind::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Kind::Plain:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    // The buttons and the default come from the one table the test double records too.
    const ButtonSet set = ButtonsOf(kind);
    auto standard = [](const QString& caption) {
        if (caption == QLatin1String("Annulla"))
            return QMessageBox::Cancel;
        if (caption == QStringLiteral("Sì"))
            return QMessageBox::Yes;
        if (caption == QLatin1String("No"))
            return QMessageBox::No;
        return QMessageBox::Ok;
    };
    QMessageBox::StandardButtons buttons;
    for (const QString& c : set.captions)
        buttons |= standard(c);
    box.setStandardButtons(buttons);
    box.setDefaultButton(standard(set.captions.value(set.defaultIndex)));
    const int answer = box.exec();
    return kind == Kind::Question ? answer == QMessageBox::Yes : answer != QMessageBox::No;
}

int DialogMessages::Choose(const QString& text, const QStringList& buttons, int safeIndex, QWidget* parent) {
    QMessageBox box(parent ? parent : QApplication::activeWindow());
    box.setWindowTitle(QStringLiteral("Carvenna"));
    box.setText(ForDisplay(text));
    box.setIcon(QMessageBox::Question);
    QVector<QAbstractButton*> pressed;
    for (int i = 0; i < buttons.size(); ++i) {
        QPushButton* b = box.addButton(buttons[i], i == safeIndex ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        pressed << b;
        if (i == safeIndex) {
            box.setDefaultButton(b);
            box.setEscapeButton(b);
        }
    }
    box.exec();
    const int i = int(pressed.indexOf(box.clickedButton()));
    return i >= 0 ? i : safeIndex;
}

QString DesktopFileDialogs::Folder(QWidget* parent, const QString& title, const QString& startFolder) {
    return QFileDialog::getExistingDirectory(parent, title, startFolder);
}

QString DesktopFileDialogs::Open(QWidget* parent, const QString& title, const QString& filter, const QString& folder,
                                 const QString& defaultSuffix) {
    if (defaultSuffix.isEmpty())
        return QFileDialog::getOpenFileName(parent, title, folder, filter);
    QFileDialog dlg(parent, title, folder, filter);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(defaultSuffix);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst();
}

QString DesktopFileDialogs::Save(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& proposedPath, const QString& defaultSuffix) {
    QFileDialog dlg(parent, title, proposedPath, filter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(defaultSuffix);
    // A name typed without extension takes the one of the file type chosen in the dialog.
    QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg](const QString& chosen) {
        static const QRegularExpression first(QStringLiteral("\\*\\.(\\w+)"));
        const QRegularExpressionMatch m = first.match(chosen);
        if (m.hasMatch())
            dlg.setDefaultSuffix(m.captured(1));
    });
    dlg.selectFile(proposedPath);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst();
}

void DesktopShell::Open(const QString& command) {
    // Callers quote paths (they may hold blanks); the desktop wants the bare path or URL.
    QString target = command;
    if (target.size() >= 2 && target.startsWith(u'"') && target.endsWith(u'"'))
        target = target.mid(1, target.size() - 2);
    const QUrl url = QUrl::fromUserInput(target, QString(), QUrl::AssumeLocalFile);
    if (QFileInfo(target).isAbsolute())
        QDesktopServices::openUrl(QUrl::fromLocalFile(target));
    else
        QDesktopServices::openUrl(url);
}

bool DesktopShell::Compose(const MailDraft& draft, QString* error) {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
#ifdef Q_OS_WIN
    // A mailto link carries no file: the text tells where the PDF is, for the user to attach it.
    QUrl url(QStringLiteral("mailto:") + draft.to);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), draft.subject);
    query.addQueryItem(QStringLiteral("body"),
                       draft.body + QStringLiteral("\n\nAllegato: ") + QDir::toNativeSeparators(draft.attachment));
    url.setQuery(query);
    return QDesktopServices::openUrl(url) ? true : fail(QStringLiteral("Nessun programma associato ai link mailto."));
#else
    // xdg-email finds the desktop's mail program and hands it the message with the file attached. It
    // returns once the program has the message. The window keeps drawing while it waits (the wait runs
    // the event loop, without user input), and the wait is short: a desktop without a mail program may
    // send the link to a text browser that never returns, and a mail program that was not running yet
    // keeps it waiting too. Either way the user is told where the PDF is; the process is left to run.
    auto* p = new QProcess(QCoreApplication::instance());
    bool started = false;
    {
        QEventLoop wait;
        QObject::connect(p, &QProcess::started, &wait, [&] { started = true; });
        QObject::connect(p, &QProcess::finished, &wait, &QEventLoop::quit);
        QObject::connect(p, &QProcess::errorOccurred, &wait, [&](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart)
                wait.quit();
        });
        QTimer::singleShot(mailWaitMs, &wait, &QEventLoop::quit);
        p->start(QStringLiteral("xdg-email"),
                 {QStringLiteral("--utf8"), QStringLiteral("--subject"), draft.subject, QStringLiteral("--body"),
                  draft.body, QStringLiteral("--attach"), draft.attachment, draft.to});
        if (p->state() != QProcess::NotRunning)
            wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (p->error() == QProcess::FailedToStart && !started) {
        const QString why = p->errorString();
        delete p;
        return fail(QStringLiteral("xdg-email non disponibile (pacchetto xdg-utils): ") + why);
    }
    if (p->state() != QProcess::NotRunning) {
        QObject::connect(p, &QProcess::finished, p, &QObject::deleteLater);
        return fail(QStringLiteral("Il programma di posta elettronica non si è aperto entro %1: sul computer "
                                   "potrebbe non esserne configurato nessuno.")
                        .arg(Counted((mailWaitMs + 999) / 1000, QStringLiteral("secondo"), QStringLiteral("secondi"))));
    }
    p->deleteLater();
    if (p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0)
        return true;
    // xdg-email says "no method available" (exit code 3) when the desktop names no mail program and no
    // fallback exists; its last line of errors is its own summary, the lines before come from its helpers.
    if (p->exitStatus() == QProcess::NormalExit && p->exitCode() == 3)
        return fail(QStringLiteral("Nessun programma di posta elettronica è configurato sul computer."));
    const QStringList said = QString::fromLocal8Bit(p->readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    return fail(QStringLiteral("Il programma di posta elettronica non si è aperto (xdg-email: codice di uscita %1)")
                    .arg(p->exitCode()) +
                (said.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + said.last().trimmed()));
#endif
}

ProgramResult DesktopProgramRunner::Run(const QString& program, const QStringList& arguments, int limitMs) {
    ProgramResult out;
    QProcess p;
    p.setProgram(program);
    p.setArguments(arguments);
    p.start();
    // A program that has not even started in 15 s is not coming; the limit is for its work.
    if (!p.waitForStarted(15000) || !p.waitForFinished(limitMs)) {
        p.kill();
        p.waitForFinished(2000);
        out.error = p.errorString();
        return out;
    }
    out.finished = true;
    out.exitCode = p.exitCode();
    out.errorOutput = p.readAllStandardError();
    return out;
}
