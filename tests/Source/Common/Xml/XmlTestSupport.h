#pragma once
// An independent reader for what the wrapper writes: Python's ElementTree.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "TestEnvironment.h"
#include "qel/QelWideText.h"

namespace xmltest {

// Runs `script` with the file's path as argv[1]; true when it exits 0.
inline bool PythonAccepts(const std::filesystem::path& file, const std::string& script) {
  auto dir = testenv::MakeTempDir("py");
  testenv::WriteFile(dir / "check.py", script);
  std::string cmd = "/usr/bin/python3 -I '" + (dir / "check.py").string() + "' '" + file.string() + "'";
  return std::system(cmd.c_str()) == 0;
}

inline std::u16string Wide(const std::filesystem::path& p) { return QelFromUTF8(p.string()); }

}  // namespace xmltest
