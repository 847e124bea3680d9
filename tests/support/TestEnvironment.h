#pragma once
// Every test process runs inside a private temporary tree: HOME, the XDG
// folders and TMPDIR point into it, so no test touches the developer's files.
#include <filesystem>
#include <string>

namespace testenv {

// The process's private root folder (created before the first test).
const std::filesystem::path& Root();

// A fresh, empty folder below Root(); names are made unique.
std::filesystem::path MakeTempDir(const std::string& hint = "t");

// Build and source folders handed in by CMake (empty when run by hand).
std::filesystem::path BuildDir();
std::filesystem::path SourceDir();
std::filesystem::path StageDir();

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

}  // namespace testenv
