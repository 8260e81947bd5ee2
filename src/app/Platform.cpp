#include "app/Platform.h"

QString Messages::ForDisplay(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\n\r\n\r"), QStringLiteral("\n\n"));
    t.replace(QStringLiteral("\r\n\r\n"), QStringLiteral("\n\n"));
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

Messages::ButtonSet Messages::ButtonsOf(Kind kind) {
    const QString ok = QStringLiteral("OK"), cancel = QStringLiteral("Annulla");
    const QString yes = QStringLiteral("Sì"), no = QStringLiteral("No");
    switch (kind) {
    case Kind::Warning:
    case Kind::Error:
        return {{ok, cancel}, 0};
    case Kind::Information: // it only tells: nothing to cancel
    case Kind::Plain:
    case Kind::Notice:
        return {{ok}, 0};
    case Kind::Confirmation:
        return {{yes, no}, 0};
    case Kind::Question:
        return {{yes, no}, 1};
    }
    return {{ok}, 0};
}

bool Shell::Compose(const MailDraft&, QString* error) {
    if (error)
        *error = QStringLiteral("Nessun programma di posta elettronica disponibile.");
    return false;
}
