#include "TestEnvironment.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace testenv {
namespace fs = std::filesystem;

namespace {
fs::path g_root;

fs::path EnvPath(const char* name) {
  const char* v = std::getenv(name);
  return v ? fs::path(v) : fs::path();
}
}  // namespace

void CreateRoot() {
  std::string tmpl = (fs::temp_directory_path() / "dunsellow-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  g_root = tmpl;
  const char* subdirs[] = {"home", "config", "data", "cache", "runtime", "tmp"};
  for (const char* d : subdirs) fs::create_directories(g_root / d);
  fs::permissions(g_root / "runtime", fs::perms::owner_all, fs::perm_options::replace);
  setenv("HOME", (g_root / "home").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (g_root / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (g_root / "data").c_str(), 1);
  setenv("XDG_CACHE_HOME", (g_root / "cache").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (g_root / "runtime").c_str(), 1);
  setenv("TMPDIR", (g_root / "tmp").c_str(), 1);
  if (!std::getenv("QEL_BACKEND")) setenv("QEL_BACKEND", "headless", 1);
}

void RemoveRoot() {
  if (g_root.empty() || std::getenv("DUNSELLOW_KEEP_TEST_DIRS")) return;
  std::error_code ec;
  fs::remove_all(g_root, ec);
}

const fs::path& Root() { return g_root; }

fs::path MakeTempDir(const std::string& hint) {
  static std::atomic<int> counter{0};
  fs::path p = g_root / "tmp" / (hint + "-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  fs::create_directories(p);
  return p;
}

fs::path BuildDir() { return EnvPath("DUNSELLOW_BUILD_DIR"); }
fs::path SourceDir() { return EnvPath("DUNSELLOW_SOURCE_DIR"); }
fs::path StageDir() { return EnvPath("DUNSELLOW_STAGE_DIR"); }

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace testenv
