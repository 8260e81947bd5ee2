#pragma once
// Fixed-width text field: one length byte L, then `width` bytes of which the first L hold
// Windows-1252 text. Both archive records are sequences of such fields.
#include <QString>
#include <QVector>
#include <initializer_list>
#include <utility>

/// Writes `value` trimmed and cut to `width` characters into dst[0..width]; bytes after the text
/// are left as they were in dst.
void EncodeField(char* dst, int width, const QString& value);
/// Reads a field; a length byte larger than `width` (a damaged file) is clamped to `width`.
QString DecodeField(const char* src, int width);
/// The same into `out`, reusing its storage: a scan that decodes record after record into one
/// record allocates nothing once the texts have grown to size.
void DecodeFieldInto(const char* src, int width, QString& out);
/// The stored text of a field as DecodeField reads it: the byte range [begin, end) after the length
/// byte, the length clamped to `width` and the bytes up to 0x20 trimmed from both ends.
std::pair<int, int> StoredTextRange(const char* src, int width);

/// Describes one field of a record layout: its name, its text width and its byte offset.
struct FieldSpec {
    const char* name;
    int width;
    int offset;
};

/// Lays out fields one after the other from offset 0: each takes its width plus the length byte.
QVector<FieldSpec> BuildLayout(std::initializer_list<std::pair<const char*, int>> fields);
