// The yearly receipt file's bytes through the record decoder and the file layer.
#include "RecordFileCheck.h"
#include "storage/ReceiptFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckFile<ReceiptRecord, ReceiptFile>(data, size, [&](ReceiptFile& f, const QString& folder, bool fresh) {
        const QString path = folder + QStringLiteral("2026.ric");
        if (fresh)
            WriteBytes(path, data, size);
        FUZZ_CHECK(f.OpenOrCreate(path));
        return path;
    });
    return 0;
}
