// Runs a fuzz target over every file of the given corpus folders (or files), as libFuzzer
// would replay them, so the normal build checks the corpus without clang.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

static void RunOne(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // A copy on the heap of exactly the input's size: a read past the end is caught by ASan.
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(data.data(), data.size());
}

int main(int argc, char** argv) {
    int runs = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        if (fs::is_directory(arg)) {
            for (const auto& e : fs::directory_iterator(arg))
                if (e.is_regular_file()) {
                    RunOne(e.path());
                    ++runs;
                }
        } else {
            RunOne(arg);
            ++runs;
        }
    }
    if (runs == 0) {
        std::fprintf(stderr, "no input replayed\n");
        return 1;
    }
    std::printf("%d passed, 0 failed\n", runs);
    return 0;
}
