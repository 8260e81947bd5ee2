#pragma once
// Writes a yearly receipt file for tests that need a year on disk, through the program's own writer.
#include "storage/ReceiptFile.h"
#include <QFile>
#include <QString>

/// Replaces `path` with a year holding `toRecord(row)` for each of `rows`, in order. Returns `path`,
/// or an empty text when the file could not be written whole.
template <class Rows, class ToRecord>
QString WriteReceiptYear(const QString& path, const Rows& rows, ToRecord toRecord) {
    QFile::remove(path);
    ReceiptFile f;
    if (!f.OpenOrCreate(path))
        return {};
    for (const auto& row : rows)
        if (!f.AppendRecord(toRecord(row)))
            return {};
    if (!f.Close())
        return {};
    return path;
}
