#pragma once
// What the journals keep of a record: its changes field by field, and a hash of its texts that does not
// depend on what an earlier buffer left after them.
#include <QByteArray>
#include <QString>
#include <QVector>

struct FieldSpec;

/// One changed field of an entry, as text.
struct FieldChange {
    QString field, before, after;
};

/// The changes between two records of `layout`, field by field, as decoded texts.
QVector<FieldChange> DiffRecords(const QVector<FieldSpec>& layout, const QByteArray& before, const QByteArray& after);
/// A record's bytes with every byte after each field's text set to 0: records that show the same
/// texts compare equal whatever an earlier buffer left in them.
QByteArray CanonicalRecord(const QVector<FieldSpec>& layout, const QByteArray& record);
/// The hash the journals keep of a record's canonical bytes (hex).
QByteArray RecordHash(const QVector<FieldSpec>& layout, const QByteArray& record);
