#include "einvoice/SdiNotice.h"
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

QString SdiNotice::State() const {
    switch (kind) {
    case Kind::Delivered:
        return QStringLiteral("Consegnata il %1")
            .arg((consegna.isValid() ? consegna : ricevuta).toString(QStringLiteral("dd/MM/yyyy")));
    case Kind::Rejected: {
        QStringList parts;
        for (const auto& [code, text] : errors)
            parts << QStringLiteral("%1 %2").arg(code, text);
        return QStringLiteral("Scartata: ") + parts.join(QStringLiteral(" | "));
    }
    case Kind::Undeliverable:
        return QStringLiteral("Non recapitata (copia di cortesia alla famiglia)");
    }
    return QString();
}

std::optional<SdiNotice> ReadSdiNotice(const QString& fileName, const QByteArray& xml, QString* error) {
    auto fail = [error](const QString& why) -> std::optional<SdiNotice> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    static const QRegularExpression nameForm(QStringLiteral("^(.+)_(RC|NS|MC)_(\\d{3})\\.xml$"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = nameForm.match(fileName);
    if (!m.hasMatch())
        return fail(QStringLiteral("il nome non è quello di una ricevuta SdI (<fattura>_RC|NS|MC_nnn.xml)"));
    const QString code = m.captured(2).toUpper();

    SdiNotice n;
    QXmlStreamReader r(xml);
    QStringList path;
    QString text;
    QString root;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            if (path.isEmpty()) {
                root = r.name().toString();
                if (r.namespaceUri() != QLatin1String(SdiMessagesNamespace))
                    return fail(QStringLiteral("non è un messaggio del Sistema di Interscambio"));
            }
            path << r.name().toString();
            text.clear();
            if (path.size() == 3 && path[1] == QLatin1String("ListaErrori") && path[2] == QLatin1String("Errore"))
                n.errors.append(QPair<QString, QString>());
        } else if (r.isCharacters()) {
            text += r.text();
        } else if (r.isEndElement()) {
            const QString t = text.trimmed();
            const QString p = path.mid(1).join(QLatin1Char('/'));
            if (p == QLatin1String("IdentificativoSdI"))
                n.identificativoSdI = t;
            else if (p == QLatin1String("NomeFile"))
                n.nomeFile = t;
            else if (p == QLatin1String("Hash"))
                n.hash = t;
            else if (p == QLatin1String("MessageId"))
                n.messageId = t;
            else if (p == QLatin1String("DataOraRicezione"))
                n.ricevuta = QDateTime::fromString(t, Qt::ISODate);
            else if (p == QLatin1String("DataOraConsegna"))
                n.consegna = QDateTime::fromString(t, Qt::ISODate);
            else if (p == QLatin1String("ListaErrori/Errore/Codice") && !n.errors.isEmpty())
                n.errors.last().first = t;
            else if (p == QLatin1String("ListaErrori/Errore/Descrizione") && !n.errors.isEmpty())
                n.errors.last().second = t.simplified();
            text.clear();
            path.removeLast();
        }
    }
    if (r.hasError())
        return fail(QStringLiteral("il file è danneggiato (%1)").arg(r.errorString()));
    if (root == QLatin1String("RicevutaConsegna"))
        n.kind = SdiNotice::Kind::Delivered;
    else if (root == QLatin1String("RicevutaScarto") || root == QLatin1String("NotificaScarto"))
        n.kind = SdiNotice::Kind::Rejected;
    else if (root == QLatin1String("RicevutaImpossibilitaRecapito") || root == QLatin1String("NotificaMancataConsegna"))
        n.kind = SdiNotice::Kind::Undeliverable;
    else
        return fail(QStringLiteral("non è una ricevuta di consegna, di scarto o di impossibilità di recapito"));
    const QString expected = n.kind == SdiNotice::Kind::Delivered ? QStringLiteral("RC")
                             : n.kind == SdiNotice::Kind::Rejected ? QStringLiteral("NS")
                                                                   : QStringLiteral("MC");
    if (code != expected)
        return fail(QStringLiteral("il nome dice %1 ma il contenuto è %2").arg(code, root));
    if (n.identificativoSdI.isEmpty() || n.nomeFile.isEmpty() || n.messageId.isEmpty() || !n.ricevuta.isValid())
        return fail(QStringLiteral("mancano IdentificativoSdI, NomeFile, DataOraRicezione o MessageId"));
    if (n.kind == SdiNotice::Kind::Rejected && n.errors.isEmpty())
        return fail(QStringLiteral("la ricevuta di scarto non elenca alcun errore"));
    // The name is the invoice's without .xml (a signed .xml.p7m keeps its own stem).
    const QString invoiceStem = n.nomeFile.section(QLatin1Char('.'), 0, 0);
    if (invoiceStem.compare(m.captured(1), Qt::CaseInsensitive) != 0)
        return fail(QStringLiteral("il nome del file non corrisponde alla fattura %1 indicata dentro").arg(n.nomeFile));
    return n;
}

NoticeResult ApplySdiNotices(const QString& programFolder, const QStringList& paths, int lockWaitMs) {
    NoticeResult result;
    RegisterLock lock(programFolder);
    if (!lock.Acquire(lockWaitMs, &result.failure))
        return result;
    const QString regPath = RegisterPath(programFolder);
    QVector<RegisterEntry> reg;
    QString why;
    if (!ReadRegister(regPath, reg, &why)) {
        result.failure = RegisterUnreadable(why);
        return result;
    }
    QHash<QString, int> byFile;
    for (int i = 0; i < reg.size(); ++i)
        byFile.insert(reg[i].file.toUpper(), i);
    bool changed = false;
    for (const QString& path : paths) {
        const QString name = QFileInfo(path).fileName();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            result.refused << QStringLiteral("%1: non può essere letto (%2)").arg(name, f.errorString());
            continue;
        }
        const std::optional<SdiNotice> n = ReadSdiNotice(name, f.readAll(), &why);
        if (!n) {
            result.refused << QStringLiteral("%1: %2").arg(name, why);
            continue;
        }
        const QString invoice = n->nomeFile.section(QLatin1Char('.'), 0, 0).toUpper() + QStringLiteral(".XML");
        const auto it = byFile.constFind(invoice);
        if (it == byFile.constEnd()) {
            result.refused << QStringLiteral("%1: la fattura %2 non è nel registro").arg(name, n->nomeFile);
            continue;
        }
        RegisterEntry& e = reg[*it];
        const QString state = n->State();
        if (e.stato == state) {
            result.unchanged << QStringLiteral("%1: già letta (%2 %3)").arg(name, e.file, state);
            continue;
        }
        e.stato = state;
        changed = true;
        result.applied << QStringLiteral("%1: %2 %3").arg(name, e.file, state);
    }
    if (changed && !SaveRegister(regPath, reg, &why)) {
        result.failure = QStringLiteral("Il registro delle fatture non può essere aggiornato: %1").arg(why);
        result.applied.clear();
    }
    return result;
}
