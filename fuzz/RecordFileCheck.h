#pragma once
// Properties shared by the receipt and registry file targets: the input is a whole file's bytes.
#include "FuzzCheck.h"
#include "storage/FixedField.h"
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstring>
#include <memory>

// Each field decoded from a copy of exactly its own bytes: a read outside the field is caught by ASan.
// The text is trimmed and never longer than the field.
template <class Record> Record DecodeFieldByField(const char* rec) {
    Record r;
    auto fields = r.Fields();
    const auto& layout = Record::Layout();
    for (int i = 0; i < layout.size(); ++i) {
        const int width = layout[i].width;
        std::unique_ptr<char[]> own(new char[size_t(width) + 1]);
        std::memcpy(own.get(), rec + layout[i].offset, size_t(width) + 1);
        *fields[i] = DecodeField(own.get(), width);
        const QString& t = *fields[i];
        FUZZ_CHECK(t.size() <= width);
        FUZZ_CHECK(t.isEmpty() || (t.front() > u' ' && t.back() > u' '));
    }
    return r;
}

// Decode, then encode into a buffer of old bytes, keeps every field within its width and gives back
// the same record; the whole-record decoder agrees with the field-by-field one.
template <class Record> void CheckRecord(const char* rec) {
    const Record byField = DecodeFieldByField<Record>(rec);
    const Record whole = Record::Decode(rec);
    FUZZ_CHECK(whole == byField);
    Record reused;
    reused.DecodeFrom(rec);
    FUZZ_CHECK(reused == whole);

    QByteArray buf(rec, Record::Size); // leftovers of the old record stay after each text
    whole.Encode(buf);
    FUZZ_CHECK(buf.size() == Record::Size);
    for (const FieldSpec& f : Record::Layout())
        FUZZ_CHECK(static_cast<unsigned char>(buf.at(f.offset)) <= f.width);
    FUZZ_CHECK(Record::Decode(buf.constData()) == whole);
}

// The same bytes as a file on disk: the file layer counts only whole records, reads what the
// decoder reads, and an append writes over a torn tail at the next whole position.
template <class Record, class File, class Open> void CheckFile(const uint8_t* data, size_t size, Open open) {
    const qint64 whole = qint64(size) / Record::Size;
    for (qint64 i = 0; i < whole; ++i)
        CheckRecord<Record>(reinterpret_cast<const char*>(data) + i * Record::Size);

    static QTemporaryDir dir; // one folder for the whole run: fuzzing makes no garbage
    const QString folder = dir.path() + QLatin1Char('/');
    File file;
    const QString path = open(file, folder, true);
    FUZZ_CHECK(file.RecordCount() == whole);
    QVector<Record> all;
    FUZZ_CHECK(file.ReadAll(all));
    FUZZ_CHECK(all.size() == whole);
    for (qint64 i = 0; i < whole; ++i)
        FUZZ_CHECK(all[i] == Record::Decode(reinterpret_cast<const char*>(data) + i * Record::Size));
    Record extra;
    if (whole > 0)
        extra = all.last();
    qint64 position = 0;
    FUZZ_CHECK(file.AppendRecord(extra, &position));
    FUZZ_CHECK(position == whole + 1);
    FUZZ_CHECK(file.RecordCount() == whole + 1);
    file.Close();
    FUZZ_CHECK(QFile(path).size() == (whole + 1) * Record::Size);
    File again;
    open(again, folder, false);
    Record back;
    FUZZ_CHECK(again.ReadRecord(whole, back));
    FUZZ_CHECK(back == extra);
}

// Writes `data` to `path` (replacing it).
inline void WriteBytes(const QString& path, const uint8_t* data, size_t size) {
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(f.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
}
