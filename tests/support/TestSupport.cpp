#include "support/TestSupport.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#ifndef TOVIN_CORPUS_DIR
#define TOVIN_CORPUS_DIR "../shared/corpus"
#endif

namespace rovuvuz::testing {

std::vector<std::filesystem::path> corpusFiles() {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(TOVIN_CORPUS_DIR, error))
        if (entry.path().extension() == ".docx") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string parameterName(const std::filesystem::path& path) {
    std::string name = path.stem().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

}  // namespace rovuvuz::testing
