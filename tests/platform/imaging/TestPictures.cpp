#include "TestPictures.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <fstream>

#include "TestEnvironment.h"

namespace imgtest {

img::Bitmap Scene(int32_t w, int32_t h, uint32_t seed) {
  img::Bitmap b = img::Bitmap::Create(w, h);
  uint32_t s = seed * 2654435761u + 1;
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* p = b.mutable_row(y);
    for (int32_t x = 0; x < w; ++x) {
      s = s * 1664525u + 1013904223u;
      int noise = int(s >> 28) - 8;
      int r = 40 + 160 * x / std::max(1, w - 1);
      int g = 30 + 180 * y / std::max(1, h - 1);
      int bl = ((x / 7 + y / 5) % 2) ? 200 : 60;
      if ((x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2) < (w * h) / 16) r = 230, g = 210;
      p[3 * x] = uint8_t(std::clamp(bl + noise, 0, 255));
      p[3 * x + 1] = uint8_t(std::clamp(g + noise, 0, 255));
      p[3 * x + 2] = uint8_t(std::clamp(r + noise, 0, 255));
    }
  }
  return b;
}

img::Bitmap Noise(int32_t w, int32_t h, uint32_t seed) {
  img::Bitmap b = img::Bitmap::Create(w, h);
  uint32_t s = seed;
  uint8_t* p = b.mutable_data();
  for (size_t i = 0; i < b.bytes(); ++i) {
    s = s * 1664525u + 1013904223u;
    p[i] = uint8_t(s >> 24);
  }
  return b;
}

bool SamePixels(const img::Bitmap& a, const img::Bitmap& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  for (int32_t y = 0; y < a.height(); ++y) {
    if (std::memcmp(a.row(y), b.row(y), a.stride()) != 0) return false;
  }
  return true;
}

double Psnr(const img::Bitmap& a, const img::Bitmap& b) {
  if (a.width() != b.width() || a.height() != b.height()) return -1;
  double se = 0;
  for (size_t i = 0; i < a.bytes(); ++i) {
    double d = double(a.data()[i]) - double(b.data()[i]);
    se += d * d;
  }
  if (se == 0) return 999;
  double mse = se / double(a.bytes());
  return 10 * std::log10(255.0 * 255.0 / mse);
}

int Run(const std::vector<std::string>& argv, std::string* out) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(pipefd[1], 1);
    close(pipefd[0]);
    close(pipefd[1]);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(pipefd[1]);
  std::string text;
  char buf[4096];
  ssize_t n;
  while ((n = read(pipefd[0], buf, sizeof buf)) > 0) text.append(buf, size_t(n));
  close(pipefd[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveTool(const std::string& name) {
  return Run({"sh", "-c", "command -v " + name + " >/dev/null"}) == 0;
}

std::string Python() {
  return access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
}

void WritePpm(const img::Bitmap& b, const std::filesystem::path& path) {
  std::ofstream f(path, std::ios::binary);
  f << "P6\n" << b.width() << " " << b.height() << "\n255\n";
  std::vector<char> row(b.stride());
  for (int32_t y = 0; y < b.height(); ++y) {
    const uint8_t* p = b.row(y);
    for (int32_t x = 0; x < b.width(); ++x) {
      row[3 * size_t(x)] = char(p[3 * x + 2]);
      row[3 * size_t(x) + 1] = char(p[3 * x + 1]);
      row[3 * size_t(x) + 2] = char(p[3 * x]);
    }
    f.write(row.data(), std::streamsize(row.size()));
  }
}

img::Bitmap ReadPpm(const std::filesystem::path& path) {
  std::ifstream f(path, std::ios::binary);
  std::string magic;
  int w = 0, h = 0, max = 0;
  f >> magic >> w >> h >> max;
  f.get();
  if (magic != "P6" || max != 255) return img::Bitmap();
  img::Bitmap b = img::Bitmap::Create(w, h);
  std::vector<char> row(size_t(w) * 3);
  for (int32_t y = 0; y < h; ++y) {
    f.read(row.data(), std::streamsize(row.size()));
    uint8_t* p = b.mutable_row(y);
    for (int32_t x = 0; x < w; ++x) {
      p[3 * x] = uint8_t(row[3 * size_t(x) + 2]);
      p[3 * x + 1] = uint8_t(row[3 * size_t(x) + 1]);
      p[3 * x + 2] = uint8_t(row[3 * size_t(x)]);
    }
  }
  return b;
}

bool HavePillow() { return Run({Python(), "-c", "import PIL"}) == 0; }

img::Bitmap PillowReference(const img::Bitmap& in, const std::vector<std::string>& op,
                            const std::filesystem::path& dir) {
  auto src = dir / "pillow-in.ppm", dst = dir / "pillow-out.ppm";
  std::filesystem::remove(dst);
  WritePpm(in, src);
  std::filesystem::path script = testenv::SourceDir() / "tests/platform/imaging/pillow_ref.py";
  std::vector<std::string> argv{Python(), script.string(), src.string(), dst.string()};
  argv.insert(argv.end(), op.begin(), op.end());
  if (Run(argv) != 0) return img::Bitmap();
  return ReadPpm(dst);
}

bool MakeOrientedPhotos(const std::filesystem::path& dir) {
  std::filesystem::path script = testenv::SourceDir() / "tests/platform/imaging/oriented_photos.py";
  return Run({Python(), script.string(), dir.string()}) == 0;
}

img::Bitmap PillowUpright(const std::filesystem::path& jpeg, const std::filesystem::path& dir) {
  std::filesystem::path script = testenv::SourceDir() / "tests/platform/imaging/oriented_photos.py";
  std::filesystem::path out = dir / "pillow-upright.ppm";
  std::filesystem::remove(out);
  if (Run({Python(), script.string(), "--upright", jpeg.string(), out.string()}) != 0) return img::Bitmap();
  return ReadPpm(out);
}

bool SameLayout(const img::Bitmap& a, const img::Bitmap& b, int tolerance) {
  if (a.empty() || b.empty()) return false;
  for (int cy = 0; cy < 4; ++cy) {
    for (int cx = 0; cx < 4; ++cx) {
      const uint8_t* pa = a.row((2 * cy + 1) * a.height() / 8) + 3 * ((2 * cx + 1) * a.width() / 8);
      const uint8_t* pb = b.row((2 * cy + 1) * b.height() / 8) + 3 * ((2 * cx + 1) * b.width() / 8);
      for (int c = 0; c < 3; ++c) {
        if (std::abs(int(pa[c]) - int(pb[c])) > tolerance) return false;
      }
    }
  }
  return true;
}

}  // namespace imgtest
