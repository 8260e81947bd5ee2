#pragma once
// The fixed-width lines of the search and expiry lists, one builder per list, and the readers that
// scan a whole archive into such lines. Each line keeps the 1-based position of the record it was
// built from, so that a double-click loads exactly that record.
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

/// "Ric. n. " number, date, payer, cause, period and "Tot. € " amount: the receipt search line.
QString ReceiptListLine(const ReceiptRecord& r);
/// Parent, mobile, delegate, child and "Quota: € " fee: the registry search line.
QString CardListLine(const RegistryRecord& r);
/// Parent, mobile, tax code, child and certificate expiry: the expired certificates line.
QString CertificateListLine(const RegistryRecord& r);
/// Parent, mobile, child, enrolment number, expiry and fee: the expired enrolments line.
QString EnrolmentListLine(const RegistryRecord& r);

/// True when `dateText` is a valid dd/mm/yyyy date before `today`. A date equal to today has not
/// expired yet; a text that is not a valid date never counts as expired.
bool IsExpired(const QString& dateText, const QDate& today);

/// Lines of a list with the record each one was built from.
struct RecordList {
    QStringList lines;
    QVector<qint64> positions; // 1-based record position of each line
    void Clear() {
        lines.clear();
        positions.clear();
    }
    /// Orders the lines by their whole text with A-Z folded to lower case; equal lines keep file order.
    void SortAlphabetically();
};

/// The ten receipt search criteria, in the order of the search window's fields.
struct ReceiptCriteria {
    QString NumRic, Data, Pagatore, CodFisc, Sport, Dal, Praticante, DataNasc, LuogoNasc, Indirizzo;
};
/// The ten registry search criteria, in the order of the search window's fields.
struct CardCriteria {
    QString Tiratore, DataNasc, Cittadinanza, LuogoNasc, CodFisc, Gruppo, Tessera, Armi, Ente, Note;
};

/// Scans the receipt file at `path` (created empty when missing) and lists, in file order, the line of
/// every receipt that matches the criteria. False with `error` when the file cannot be opened or read.
bool SearchReceipts(const QString& path, const ReceiptCriteria& criteria, RecordList& out, QString* error = nullptr);
/// Scans the registry file of `programFolder` and lists the matching cards in alphabetical order.
bool SearchCards(const QString& programFolder, const CardCriteria& criteria, RecordList& out, QString* error = nullptr);

enum class ExpiryKind { Certificate, Enrolment };
/// Lists, in alphabetical order, the cards whose certificate (Studio) or enrolment (FineTes) expired
/// before `today`. Cards without a valid date are left out. On a read failure `out` keeps the cards
/// listed so far and the function returns false.
bool ExpiredCards(const QString& programFolder, ExpiryKind kind, const QDate& today, RecordList& out,
                  QString* error = nullptr);
