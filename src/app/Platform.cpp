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

bool Shell::Compose(const MailDraft&, QString* error) {
    if (error)
        *error = QStringLiteral("Nessun programma di posta elettronica disponibile.");
    return false;
}
