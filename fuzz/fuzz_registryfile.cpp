// The registry file's bytes through the card decoder and the file layer.
#include "RecordFileCheck.h"
#include "storage/RegistryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckFile<RegistryRecord, RegistryFile>(data, size, [&](RegistryFile& f, const QString& folder, bool fresh) {
        const QString path = folder + QLatin1String(RegistryFileName);
        if (fresh)
            WriteBytes(path, data, size);
        FUZZ_CHECK(f.OpenOrCreate(folder));
        return path;
    });
    return 0;
}
