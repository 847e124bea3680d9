// thumbnail_bench [folder] [count]: writes `count` (500) JPEG photos of
// 2048 x 1536 into `folder` (kept for the next run), then measures:
//  - our thumbnails (decode at a reduced size, fit into 80 x 60, bitmap) on
//    every core, against djpeg -scale 1/8 on the same files with as many
//    processes at once; the ratio is ours / djpeg in files per second;
//  - the album's thumbnail thread (one worker, database look-up, thumbnail,
//    database insert) cold, and warm (every thumbnail from the database).
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "CDBManager.h"
#include "CDIBGetThread.h"
#include "DibHelper.h"
#include "ThumbData.h"
#include "img/ImageFile.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

extern char** environ;

namespace {

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// A page under a document camera: paper, lines of "text", a photo-like
// gradient block and sensor noise, so the files compress like real ones.
img::Bitmap Page(int w, int h, unsigned seed) {
  img::Bitmap b = img::Bitmap::Create(w, h);
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> noise(-6, 6);
  uint8_t* p = b.mutable_data();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int v = 235;
      bool text = (y / 24) % 2 == 0 && (y % 24) > 6 && (x / 9 + y / 24 + int(seed)) % 7 != 0 && x > w / 10 &&
                  x < w * 9 / 10;
      if (text) v = 40;
      uint8_t* px = p + (size_t(y) * w + x) * 3;
      bool block = x > w / 2 && y > h / 2 && x < w * 7 / 8 && y < h * 7 / 8;
      int r = block ? (x * 255 / w) : v, g = block ? (y * 255 / h) : v, bl = block ? 128 + int(seed % 64) : v;
      px[0] = uint8_t(std::clamp(bl + noise(rng), 0, 255));
      px[1] = uint8_t(std::clamp(g + noise(rng), 0, 255));
      px[2] = uint8_t(std::clamp(r + noise(rng), 0, 255));
    }
  }
  return b;
}

template <typename Work>
void OnEveryCore(size_t n, unsigned cores, Work work) {
  std::atomic<size_t> next{0};
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < cores; ++t) {
    threads.emplace_back([&] {
      for (size_t i; (i = next++) < n;) work(i);
    });
  }
  for (auto& t : threads) t.join();
}

bool RunDjpeg(const std::string& file) {
  const char* argv[] = {"djpeg", "-scale", "1/8", "-outfile", "/dev/null", file.c_str(), nullptr};
  pid_t pid;
  if (posix_spawnp(&pid, "djpeg", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Walk {
  std::vector<std::unique_ptr<_THUMBDATA>>* items;
  CDBManager* db;
  std::atomic<size_t> made{0};
};

int MakeOne(int32_t index, const void* first, const void*) {
  auto* w = static_cast<Walk*>(const_cast<void*>(first));
  if (index < 0 || size_t(index) >= w->items->size()) return 0;
  _THUMBDATA* record = (*w->items)[size_t(index)].get();
  _THUMBDATA probe(record->type, record->path);
  probe.fileTime = record->fileTime;
  int mustMake = 1;
  bool found = w->db->FindOneRecord(&probe, &mustMake);
  if (!found || mustMake) {
    if (found) w->db->DeleteOneRecord(&probe);
    probe.SetDib(DibGetFromImageFile(record->path, 80, 60));
    if (probe.dib) w->db->InsertOneRecord(&probe);
  }
  if (probe.dib) ++w->made;
  return 1;
}

double AlbumWorker(std::vector<std::unique_ptr<_THUMBDATA>>& items, CDBManager& db, size_t* made) {
  Walk walk{&items, &db};
  auto start = Clock::now();
  auto* thread = new CDIBGetThread(0, &walk, nullptr, &MakeOne);
  thread->WaitFor();
  CDIBGetThread::StopCurrent();
  *made = walk.made;
  return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
  fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "dunsellow-thumbnail-bench";
  size_t count = argc > 2 ? size_t(std::atoi(argv[2])) : 500;
  unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  setenv("DUNSELLOW_BUNDLE", DUNSELLOW_APP, 0);
  fs::create_directories(folder);

  std::vector<std::string> files(count);
  for (size_t i = 0; i < count; ++i) files[i] = (folder / ("photo" + std::to_string(i + 1) + ".jpg")).string();
  auto made = Clock::now();
  OnEveryCore(count, cores, [&](size_t i) {
    if (!fs::exists(files[i])) img::SaveJpeg(Page(2048, 1536, unsigned(i)), files[i], {});
  });
  std::printf("%zu photos of 2048 x 1536 in %s (%.1f s to make the missing ones); %u cores\n", count,
              folder.c_str(), Seconds(made), cores);

  // Each side once before measuring, so both read the files from the cache.
  for (const auto& f : files) {
    if (unsigned char* dib = DibGetFromImageFile(QelFromUTF8(f).c_str(), 80, 60)) DIBDelete(dib);
  }

  std::atomic<size_t> ours{0};
  auto start = Clock::now();
  OnEveryCore(count, cores, [&](size_t i) {
    if (unsigned char* dib = DibGetFromImageFile(QelFromUTF8(files[i]).c_str(), 80, 60)) {
      DIBDelete(dib);
      ++ours;
    }
  });
  double ourSeconds = Seconds(start);
  std::atomic<size_t> theirs{0};
  start = Clock::now();
  OnEveryCore(count, cores, [&](size_t i) { theirs += RunDjpeg(files[i]) ? 1 : 0; });
  double djpegSeconds = Seconds(start);
  std::printf("thumbnails, %u at once:  ours %zu in %.3f s (%.0f files/s), djpeg -scale 1/8 %zu in %.3f s "
              "(%.0f files/s): ratio %.2f\n",
              cores, ours.load(), ourSeconds, ours / ourSeconds, theirs.load(), djpegSeconds, theirs / djpegSeconds,
              (ours / ourSeconds) / (theirs / djpegSeconds));

  // The album's one thumbnail thread with its database, cold then warm.
  fs::path db = folder / "ZylORVThumb.db";
  fs::remove(db);
  std::vector<std::unique_ptr<_THUMBDATA>> items;
  for (const auto& f : files) {
    items.push_back(std::make_unique<_THUMBDATA>(1, QelFromUTF8(f).c_str()));
    items.back()->fileTime.bytes[0] = 1;
  }
  CDBManager manager;
  if (!manager.Connect(QelFromUTF8(folder.string()).c_str())) std::printf("(no database: thumbnails not kept)\n");
  size_t n = 0;
  double cold = AlbumWorker(items, manager, &n);
  std::printf("album thread, cold: %zu thumbnails made and stored in %.3f s (%.1f ms each)\n", n, cold,
              1000 * cold / std::max<size_t>(n, 1));
  double warm = AlbumWorker(items, manager, &n);
  std::printf("album thread, warm: %zu thumbnails read from the database in %.3f s (%.2f ms each)\n", n, warm,
              1000 * warm / std::max<size_t>(n, 1));
  return 0;
}
