#include "storage/AuditedSave.h"
#include "storage/FixedField.h"
#include "storage/HistoryJournal.h"
#include "storage/Text.h"
#include <QSet>

OverwriteOutcome AuditedOverwrite(RecordFile& file, const QString& archivePath, const QVector<FieldSpec>& layout,
                                  qint64 index, const QByteArray& loaded, const QByteArray& rec, bool force,
                                  const JournalStamp& stamp, const QString& kind,
                                  const std::function<bool()>& stillAsLoaded) {
    OverwriteOutcome out;
    const bool done = file.Locked([&] {
        const qint64 count = file.RecordCount();
        if (count < 0)
            return false;
        if (index < 0 || index >= count)
            return file.SetError(QStringLiteral("record %1 does not exist").arg(index + 1));
        if (!file.ReadRaw(index, out.current))
            return false;
        if (!force && (CanonicalRecord(layout, out.current) != CanonicalRecord(layout, loaded) ||
                       (stillAsLoaded && !stillAsLoaded()))) {
            out.result = OverwriteOutcome::Conflict;
            return true;
        }
        HistoryJournal journal(archivePath, layout);
        HistoryEntry entry;
        entry.stamp = stamp;
        entry.position = index + 1;
        entry.kind = kind;
        entry.newHash = RecordHash(layout, rec);
        entry.oldRecord = out.current;
        entry.changes = DiffRecords(layout, out.current, rec);
        QString journalError;
        const JournalFailure jf = journal.Append(entry, &journalError);
        if (jf == JournalFailure::WriteFailed)
            return file.SetError(journalError);
        out.historyMissing = jf == JournalFailure::Unavailable;
        if (!file.OverwriteRaw(index, rec)) {
            const QString err = file.ErrorString();
            // The entry stays, marked: its change never reached the record. Without the mark the
            // reader still sees it, the record holding the entry's old bytes.
            if (!out.historyMissing)
                journal.MarkNotApplied(entry.id, entry.position);
            return file.SetError(err);
        }
        out.result = OverwriteOutcome::Written;
        return true;
    });
    if (!done) {
        out.result = OverwriteOutcome::Failed;
        out.error = file.ErrorString();
    }
    return out;
}

namespace {
// The numbers of the year's stored receipts, trimmed, with the first position holding each.
bool StoredNumbers(RecordFile& file, QHash<QString, qint64>& out) {
    const FieldSpec& f = ReceiptRecord::Layout().at(ReceiptField::NumRic);
    return file.Scan([&](qint64 i, const char* rec) {
        const QString n = TrimText(DecodeField(rec + f.offset, f.width));
        if (!out.contains(n))
            out.insert(n, i + 1);
        return true;
    });
}
} // namespace

AppendOutcome AppendReceiptChecked(ReceiptFile& file, ReceiptRecord rec, const NumberProposal& proposal,
                                   bool allowTaken) {
    AppendOutcome out;
    bool cancelled = false;
    RecordFile& raw = file.Raw();
    const QString typed = TrimText(rec.NumRic);
    const bool isProposed = !proposal.number.isEmpty() && typed == TrimText(proposal.number);
    const bool ok = raw.AppendBatchRaw(
        [&](qint64 countBefore, QByteArray& recs) {
            QHash<QString, qint64> numbers;
            if (isProposed && countBefore != proposal.count) {
                // Another workstation saved since "Nuovo": the next number free at this moment.
                if (!StoredNumbers(raw, numbers))
                    return false;
                qint64 n = proposal.start + countBefore;
                while (numbers.contains(QString::number(n)))
                    ++n;
                rec.NumRic = QString::number(n);
                out.result = AppendOutcome::Renumbered;
            } else if (!isProposed && !allowTaken) {
                if (!StoredNumbers(raw, numbers))
                    return false;
                if (const auto it = numbers.constFind(typed); it != numbers.constEnd()) {
                    QByteArray bytes;
                    if (!raw.ReadRaw(it.value() - 1, bytes))
                        return false;
                    out.clash = ReceiptRecord::Decode(bytes.constData());
                    out.clashPosition = it.value();
                    out.result = AppendOutcome::NumberTaken;
                    cancelled = true;
                    return false;
                }
            }
            rec.Encode(recs);
            return true;
        },
        &out.position);
    if (cancelled)
        return out;
    if (!ok) {
        out.result = AppendOutcome::Failed;
        out.error = raw.ErrorString();
        return out;
    }
    if (out.result != AppendOutcome::Renumbered)
        out.result = AppendOutcome::Written;
    out.number = TrimText(rec.NumRic);
    return out;
}
