// Shared helpers of the test suites: the corpus of real documents and file reading.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "RovuVuz/Bytes.h"

namespace rovuvuz::testing {

// Every .docx file of the corpus, sorted by name. Empty when the folder is missing.
std::vector<std::filesystem::path> corpusFiles();

Bytes readFile(const std::filesystem::path& path);

// A file name suitable as a gtest parameter name (letters, digits and underscores).
std::string parameterName(const std::filesystem::path& path);

}  // namespace rovuvuz::testing
