// The harness as a plain test: every file of the folders given (the seed
// corpus and the inputs that once made a fuzzer fail) is run once, in name
// order. A failing input crashes the run, or trips a sanitizer in the
// sanitizer build, and so fails the ctest case.

#include "FuzzSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path folder(argv[i]);
        if (!fs::is_directory(folder))
            continue; // a harness without regressions yet
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "no inputs found\n");
        return 1;
    }
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        std::fprintf(stderr, "%s\n", file.filename().c_str());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs passed\n", files.size());
    return 0;
}
