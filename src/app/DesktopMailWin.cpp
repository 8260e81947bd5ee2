#include "app/DesktopPlatform.h"
#include "storage/Text.h"
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <windows.h>

#include <mapi.h> // needs windows.h first

// The mail program is reached through Simple MAPI, which Outlook, Thunderbird and the other Windows
// mail programs answer: it opens a new message with the PDF attached for the user to check and send.
namespace {
// What the call needs, owned by the thread that makes it: the call returns only when the user has
// sent or closed the message, and the window must not wait for that.
struct MapiCall {
    std::string to, subject, body, attachment, attachmentName;
    std::atomic<bool> done{false};
    std::atomic<ULONG> result{MAPI_E_FAILURE};
};

// Simple MAPI takes the system's ANSI code page (Windows-1252 on an Italian PC, which holds every
// letter of the program's texts and the euro sign).
std::string Ansi(const QString& text) {
    if (text.isEmpty())
        return std::string();
    const std::wstring wide = text.toStdWString();
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), out.data(), size, nullptr, nullptr);
    return out;
}

void Send(const std::shared_ptr<MapiCall>& call) {
    const HMODULE mapi = LoadLibraryW(L"mapi32.dll");
    const auto send =
        mapi ? reinterpret_cast<LPMAPISENDMAIL>(reinterpret_cast<void*>(GetProcAddress(mapi, "MAPISendMail")))
             : nullptr;
    if (!send) {
        call->result = MAPI_E_NOT_SUPPORTED;
        call->done = true;
        return;
    }
    MapiRecipDesc recipient{};
    recipient.ulRecipClass = MAPI_TO;
    recipient.lpszName = call->to.data();
    std::string address = "SMTP:" + call->to;
    recipient.lpszAddress = address.data();
    MapiFileDesc file{};
    file.nPosition = ULONG(-1);
    file.lpszPathName = call->attachment.data();
    file.lpszFileName = call->attachmentName.data();
    MapiMessage message{};
    message.lpszSubject = call->subject.data();
    message.lpszNoteText = call->body.data();
    message.nRecipCount = call->to.empty() ? 0 : 1;
    message.lpRecips = call->to.empty() ? nullptr : &recipient;
    message.nFileCount = 1;
    message.lpFiles = &file;
    call->result = send(0, 0, &message, MAPI_DIALOG | MAPI_LOGON_UI, 0);
    call->done = true;
    // mapi32.dll stays loaded: the mail program may still hold the message.
}
} // namespace

bool DesktopShell::Compose(const MailDraft& draft, QString* error) {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    auto call = std::make_shared<MapiCall>();
    call->to = Ansi(draft.to);
    call->subject = Ansi(draft.subject);
    call->body = Ansi(draft.body);
    call->attachment = Ansi(QDir::toNativeSeparators(draft.attachment));
    call->attachmentName = Ansi(QFileInfo(draft.attachment).fileName());
    std::thread(Send, call).detach();
    // A mail program that answers at all opens its message window at once, and the call then lasts
    // until the user sends it. A failure comes back quickly. The window keeps drawing meanwhile.
    QEventLoop wait;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
        if (call->done)
            wait.quit();
    });
    poll.start(20);
    QTimer::singleShot(mailWaitMs, &wait, &QEventLoop::quit);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    if (!call->done)
        return true; // the message window is open
    switch (call->result.load()) {
    case SUCCESS_SUCCESS:
    case MAPI_USER_ABORT: // the user closed the message: the program did answer
        return true;
    case MAPI_E_NOT_SUPPORTED:
        return fail(QStringLiteral("Nessun programma di posta elettronica è configurato sul computer."));
    case MAPI_E_LOGIN_FAILURE:
        return fail(QStringLiteral("Il programma di posta elettronica non ha accettato l'accesso."));
    case MAPI_E_ATTACHMENT_NOT_FOUND:
    case MAPI_E_ATTACHMENT_OPEN_FAILURE:
        return fail(QStringLiteral("Il programma di posta elettronica non ha potuto allegare il documento."));
    default:
        return fail(QStringLiteral("Il programma di posta elettronica non si è aperto (MAPI: codice %1).")
                        .arg(call->result.load()));
    }
}
