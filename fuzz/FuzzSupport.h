#pragma once
// Small helpers shared by the harnesses: typed values read off the front of
// an input, and a private file to hand an input to code that reads files.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// Reads values off the front of an input; past its end every value is 0.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : p_(data), left_(size) {}

  template <typename T>
  T Take() {
    T v{};
    size_t n = std::min(sizeof v, left_);
    if (n) std::memcpy(&v, p_, n);
    p_ += n;
    left_ -= n;
    return v;
  }
  // A value in lo..hi (both included).
  int64_t Range(int64_t lo, int64_t hi) {
    uint64_t span = uint64_t(hi - lo) + 1;
    uint64_t v = Take<uint32_t>();
    return span == 0 ? lo + int64_t(v) : lo + int64_t(v % span);
  }
  bool Flag() { return (Take<uint8_t>() & 1) != 0; }
  // The rest of the input, consumed.
  std::string_view Rest() {
    std::string_view r(reinterpret_cast<const char*>(p_), left_);
    p_ += left_;
    left_ = 0;
    return r;
  }
  size_t left() const { return left_; }

 private:
  const uint8_t* p_;
  size_t left_;
};

// UTF-16 text from raw bytes, two a unit (little-endian), an odd last byte dropped.
inline std::u16string Utf16(std::string_view bytes) {
  std::u16string out;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    out.push_back(char16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8)));
  return out;
}

// A folder of this process's own below TMPDIR (or /tmp), made once.
inline const std::string& PrivateFolder() {
  static const std::string folder = [] {
    const char* base = std::getenv("TMPDIR");
    std::string t = std::string(base && *base ? base : "/tmp") + "/dunsellow-fuzz-XXXXXX";
    std::vector<char> name(t.begin(), t.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) std::abort();
    return std::string(name.data());
  }();
  return folder;
}

// Writes the input to `name` in the private folder (replaced each time);
// answers the file's path.
inline std::string WriteFile(const std::string& name, const uint8_t* data, size_t size) {
  std::string path = PrivateFolder() + "/" + name;
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) std::abort();
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n <= 0) std::abort();
    data += n;
    size -= size_t(n);
  }
  ::close(fd);
  return path;
}

// Stops the run: an inconsistency the harness checks for (shown as a crash).
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

}  // namespace fuzz
