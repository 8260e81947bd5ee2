#pragma once
// The exchange system's answers about a sent invoice (private-sector flow): delivered (RC), rejected
// with its errors (NS), not deliverable (MC). Read from the files the office downloads from the portal
// or receives by certified mail, they set the invoice's state in the register.
#include "einvoice/InvoiceFiles.h"
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

inline constexpr char SdiMessagesNamespace[] = "http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fattura/messaggi/v1.0";

struct SdiNotice {
    enum class Kind { Delivered, Rejected, Undeliverable };
    Kind kind = Kind::Delivered;
    QString identificativoSdI, nomeFile, hash, messageId;
    QDateTime ricevuta, consegna; // received by the exchange system; delivered (RC only)
    QVector<QPair<QString, QString>> errors; // code and description (NS)

    /// The register state this notice gives its invoice.
    QString State() const;
};

/// Reads notification `fileName` (its name as downloaded) with content `xml`. Nothing, with the reason in
/// `error`, when it is not such a notification or its name does not match what it says.
std::optional<SdiNotice> ReadSdiNotice(const QString& fileName, const QByteArray& xml, QString* error = nullptr);

struct NoticeResult {
    QStringList applied;   // "<notification file>: <invoice file> <state>"
    QStringList unchanged; // read before: nothing to do
    QStringList refused;   // "<notification file>: <reason>"
    QString failure;       // the register could not be saved: nothing changed
};

/// Reads the notification files at `paths` and records their states in the register, all in one save.
/// A file that is not a notification, or names an invoice not in the register, is refused with its
/// reason; a notification read before changes nothing.
NoticeResult ApplySdiNotices(const QString& programFolder, const QStringList& paths, int lockWaitMs = 15000);
