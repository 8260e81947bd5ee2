// The file an interrupted overwrite leaves beside an archive, read by the next open. The input is
// that file's bytes as they come (148 bytes make a well-formed one for 64-byte records), followed by
// what the archive's second record holds at that moment: the input's last 64 bytes, when it has
// that many beyond 148.
#include "FuzzCheck.h"
#include "storage/RecordFile.h"
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>

namespace {
constexpr int kSize = 64;
constexpr int kIntent = 20 + 2 * kSize;

QByteArray Bytes(const QString& path) {
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(f.write(bytes) == bytes.size());
}

// What the intent file promises, read independently of the file layer: its record index (-1 when it
// is not a well-formed intent for this archive), the old record and the new one.
qint64 IntentIndex(const QByteArray& intent, qint64 records) {
    if (intent.size() != kIntent || !intent.startsWith("CVNSOVR1"))
        return -1;
    qint64 offset = 0;
    qint32 size = 0;
    for (int i = 7; i >= 0; --i)
        offset = qint64(quint64(offset) << 8 | quint8(intent[8 + i]));
    for (int i = 3; i >= 0; --i)
        size = qint32(quint32(size) << 8 | quint8(intent[16 + i]));
    if (size != kSize || offset < 0 || offset % kSize != 0 || offset / kSize >= records)
        return -1;
    return offset / kSize;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir; // one folder for the whole run: fuzzing makes no garbage
    const QString path = dir.path() + QStringLiteral("/2026.ric");
    const QString intentPath = RecordFile::IntentPath(path);
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));
    const bool withRecord = input.size() >= kIntent + kSize;
    const QByteArray written = withRecord ? input.left(input.size() - kSize) : input;
    QByteArray archive(3 * kSize, '\0');
    for (int i = 0; i < archive.size(); ++i)
        archive[i] = char('A' + i / kSize + i % 7);
    if (withRecord)
        archive.replace(kSize, kSize, input.right(kSize));
    Write(path, archive);
    Write(intentPath, written);

    RecordFile file(kSize);
    FUZZ_CHECK(file.OpenOrCreate(path));
    file.Close();
    FUZZ_CHECK(!QFile::exists(intentPath)); // settled, whatever it held
    const QByteArray after = Bytes(path);
    FUZZ_CHECK(after.size() == archive.size());

    const qint64 index = IntentIndex(written, 3);
    bool torn = index >= 0;
    QByteArray old, fresh, current;
    if (torn) {
        old = written.mid(20, kSize);
        fresh = written.mid(20 + kSize, kSize);
        current = archive.mid(index * kSize, kSize);
        torn = current != old && current != fresh;
        for (int i = 0; torn && i < kSize; ++i)
            torn = current[i] == old[i] || current[i] == fresh[i];
    }
    // Only a record torn between the promised old and new one changes, and it becomes the old one.
    if (torn) {
        FUZZ_CHECK(after.mid(index * kSize, kSize) == old);
        archive.replace(index * kSize, kSize, old);
    }
    FUZZ_CHECK(after == archive);
    return 0;
}
