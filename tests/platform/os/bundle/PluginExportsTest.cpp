// Every staged plug-in bundle exports its entry points and nothing else:
// no C++ name, neither its own code's nor the libraries' it was linked
// with (the enhancement kernels, the common library, template code).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "TestEnvironment.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Exports(const fs::path& library) {
  std::vector<std::string> names;
  const std::string command = "nm -D --defined-only '" + library.string() + "' 2>/dev/null";
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char line[4096];
    while (std::fgets(line, sizeof line, p)) {
      std::string s(line);
      while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
      const size_t space = s.rfind(' ');
      const std::string name = space == std::string::npos ? s : s.substr(space + 1);
      // The linker's own markers of every shared object.
      if (name == "_init" || name == "_fini" || name == "_edata" || name == "_end" || name == "__bss_start") continue;
      names.push_back(name);
    }
    ::pclose(p);
  }
  return names;
}

TEST(PluginExports, EachBundleExportsItsEntryPointsOnly) {
  size_t bundles = 0;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(testenv::StageDir(), ec); !ec && it != fs::end(it); it.increment(ec)) {
    const fs::path& p = it->path();
    if (p.extension() != ".so" || p.parent_path().filename() != "MacOS") continue;
    ++bundles;
    const std::vector<std::string> names = Exports(p);
    EXPECT_FALSE(names.empty()) << p;
    EXPECT_LE(names.size(), 4u) << p;
    for (const std::string& n : names) EXPECT_NE(n.rfind("_Z", 0), 0u) << p << " exports " << n;
  }
  EXPECT_GE(bundles, 1u);
}

}  // namespace
