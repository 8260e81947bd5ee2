#include "app/DesktopPlatform.h"
#include "storage/Text.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

bool DesktopShell::Compose(const MailDraft& draft, QString* error) {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
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
}
