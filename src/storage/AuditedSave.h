#pragma once
// Saves that hold up when several workstations share the archives: an overwrite only over the record
// the editor loaded, with its history entry written first; a new receipt whose number is checked
// against the year's numbers under the archive's lock.
#include "storage/JournalLines.h"
#include "storage/ReceiptFile.h"
#include <QByteArray>
#include <QString>
#include <functional>

struct OverwriteOutcome {
    enum Result { Written, Conflict, Failed } result = Failed;
    QByteArray current;          // the record as the file held it (Conflict: the other workstation's version)
    bool historyMissing = false; // written, but its history entry could not be (the journal is unavailable)
    QString error;
};

/// Overwrites record `index` (0-based) of the open `file` with `rec`, under its lock, when the file still
/// holds the texts of `loaded` (canonical compare) and `stillAsLoaded` (may be empty) agrees, or when
/// `force`. First appends a history entry of `kind` (old record, changed fields) to the journal of
/// `archivePath` and flushes it; a journal that cannot be opened lets the save go on
/// (historyMissing), a journal write that fails stops it with nothing changed. An entry whose record
/// write then fails is marked as not applied.
OverwriteOutcome AuditedOverwrite(RecordFile& file, const QString& archivePath, const QVector<FieldSpec>& layout,
                                  qint64 index, const QByteArray& loaded, const QByteArray& rec, bool force,
                                  const JournalStamp& stamp, const QString& kind,
                                  const std::function<bool()>& stillAsLoaded = {});

/// The number "Nuovo" proposed for a new receipt: start + the record count at that moment.
struct NumberProposal {
    QString number; // empty: none proposed (the number was typed or duplicated into)
    qint64 start = 1;
    qint64 count = 0;
};

struct AppendOutcome {
    enum Result { Written, Renumbered, NumberTaken, Failed } result = Failed;
    qint64 position = 0; // of the new receipt (Written, Renumbered)
    QString number;      // the number stored (Renumbered: the new one)
    ReceiptRecord clash; // NumberTaken: the stored receipt that has the number
    qint64 clashPosition = 0;
    QString error;
};

/// Appends the receipt `rec` to the open year `file`, its number checked under the lock:
/// - the number `proposal` proposed, with receipts saved since: the receipt takes start + the count now
///   (or the next number no stored receipt has);
/// - any other number that a stored receipt has: nothing is written (NumberTaken) unless `allowTaken`.
AppendOutcome AppendReceiptChecked(ReceiptFile& file, ReceiptRecord rec, const NumberProposal& proposal,
                                   bool allowTaken);
