#include "storage/RecordChanges.h"
#include "storage/FixedField.h"
#include <QCryptographicHash>
#include <cstring>

QVector<FieldChange> DiffRecords(const QVector<FieldSpec>& layout, const QByteArray& before, const QByteArray& after) {
    QVector<FieldChange> out;
    for (const FieldSpec& f : layout) {
        const QString a =
            before.size() > f.offset + f.width ? DecodeField(before.constData() + f.offset, f.width) : QString();
        const QString b =
            after.size() > f.offset + f.width ? DecodeField(after.constData() + f.offset, f.width) : QString();
        if (a != b)
            out.append({QLatin1String(f.name), a, b});
    }
    return out;
}

QByteArray CanonicalRecord(const QVector<FieldSpec>& layout, const QByteArray& record) {
    if (layout.isEmpty())
        return record;
    const FieldSpec& lastField = layout.constLast();
    QByteArray out(lastField.offset + lastField.width + 1, '\0');
    if (record.size() != out.size())
        return record;
    for (const FieldSpec& f : layout) {
        const auto [b, e] = StoredTextRange(record.constData() + f.offset, f.width);
        out[f.offset] = char(e - b);
        std::memcpy(out.data() + f.offset + 1, record.constData() + f.offset + 1 + b, size_t(e - b));
    }
    return out;
}

QByteArray RecordHash(const QVector<FieldSpec>& layout, const QByteArray& record) {
    return QCryptographicHash::hash(CanonicalRecord(layout, record), QCryptographicHash::Sha1).toHex();
}
