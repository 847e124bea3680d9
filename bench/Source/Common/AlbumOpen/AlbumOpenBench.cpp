// album_open_bench [folder] [count]: `count` (5000) photos in `folder` (kept
// for the next run) with their thumbnails in the folder's database; then,
// five times, the way from the folder to the first drawn page of the album:
// list and date the files, sort them newest first, put them into the album
// of all files and the album of photos, show the first page (item panels
// for the cells in view, each thumbnail read from the database and put on
// its panel) and draw the window. Prints each run and the median.
#include <cairo.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "CDBManager.h"
#include "DibHelper.h"
#include "ThumbData.h"
#include "img/ImageFile.h"
#include "os/FileTime.h"
#include "qel/QelAlbum.h"
#include "qel/QelElementLayers.h"
#include "qel/QelHeadless.h"
#include "qel/QelLayout.h"
#include "qel/QelPaint.h"
#include "qel/QelWideText.h"
#include "qel/QelWindow.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point since) { return std::chrono::duration<double, std::milli>(Clock::now() - since).count(); }

const char* kWindow =
    "<layout w='1024' h='700' bg='#2e2e32'>"
    "<element type='albm' name='albumtable' x='8' y='50' w='232' h='640'/>"
    "<element type='albm' name='photos' x='8' y='50' w='232' h='640' visible='0'/>"
    "</layout>";
const char* kThumb =
    "<layout w='104' h='84'>"
    "<element type='cata' name='Select' x='2' y='2' w='100' h='80' bg='#3584e4' visible='0'/>"
    "<element type='cata' name='Normal1' x='5' y='5' w='94' h='74' bg='#3c3c42'/>"
    "<element type='view' name='view_ThumbImage' x='12' y='12' w='80' h='60'/>"
    "</layout>";

struct Page {
  CDBManager* db;
  qel::Album* album;
  int read = 0;
};

// What the album's view does when an item comes into view: its thumbnail
// from the database, put on the item's panel.
int32_t OnShown(QelObject, int32_t event, QELLPARAM param, void* data) {
  auto* page = static_cast<Page*>(data);
  auto* n = reinterpret_cast<QelAlbumItemNotify*>(param);
  if (event != qel::kAlbumItemShown || !n->flag) return 0;
  auto* record = static_cast<_THUMBDATA*>(page->album->Data(n->index));
  int mustMake = 1;
  if (!page->db->FindOneRecord(record, &mustMake) || mustMake || !record->dib) return 0;
  ++page->read;
  int32_t w, h;
  std::memcpy(&w, record->dib + 4, 4);
  std::memcpy(&h, record->dib + 8, 4);
  int32_t stride = int32_t(DIBStride(w, 24));
  qel::Element* image = page->album->ItemPanel(n->index)->FindByName("view_ThumbImage", true);
  QelLayerPixels pixels{sizeof(QelLayerPixels), 0, w, h, -stride, 24, record->dib + 40 + size_t(stride) * (h - 1)};
  image->Layers(true)->Layer()->SetPixels(pixels);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "dunsellow-album-bench";
  size_t count = argc > 2 ? size_t(std::atoi(argv[2])) : 5000;
  setenv("DUNSELLOW_BUNDLE", DUNSELLOW_APP, 0);
  setenv("QEL_BACKEND", "headless", 1);
  fs::create_directories(folder);

  // The photos and, once, their thumbnails in the database.
  std::vector<std::string> files(count);
  for (size_t i = 0; i < count; ++i) files[i] = (folder / ("IMG" + std::to_string(i + 1) + ".jpg")).string();
  std::atomic<size_t> next{0};
  std::vector<std::thread> makers;
  for (unsigned t = 0; t < std::max(1u, std::thread::hardware_concurrency()); ++t) {
    makers.emplace_back([&] {
      for (size_t i; (i = next++) < count;) {
        if (!fs::exists(files[i])) img::SaveJpeg(img::Bitmap::Filled(320, 240, uint8_t(i * 37)), files[i], {});
      }
    });
  }
  for (auto& t : makers) t.join();
  CDBManager db;
  if (!db.Connect(QelFromUTF8(folder.string()).c_str())) {
    std::printf("the thumbnail database cannot be opened in %s\n", folder.c_str());
    return 1;
  }
  std::unique_ptr<unsigned char[]> sample(DibGetFromImageFile(QelFromUTF8(files[0]).c_str(), 80, 60));
  db.BeginTrans();
  for (const std::string& f : files) {
    _THUMBDATA probe(1, QelFromUTF8(f).c_str());
    plat::FileDates dates;
    plat::GetFileDates(f, &dates);
    probe.fileTime = dates.Latest();
    int mustMake = 1;
    if (db.FindOneRecord(&probe, &mustMake) && !mustMake) continue;
    probe.SetDib(DibGetFromImageFile(probe.path, 80, 60));
    db.InsertOneRecord(&probe);
  }
  db.CommitTrans();

  std::vector<double> runs;
  for (int run = 0; run < 5; ++run) {
    auto start = Clock::now();
    std::vector<std::unique_ptr<_THUMBDATA>> records;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      std::string name = it->path().filename().string();
      if (name.size() < 4 || name.compare(name.size() - 4, 4, ".jpg") != 0) continue;
      auto r = std::make_unique<_THUMBDATA>(1, QelFromUTF8(it->path().string()).c_str());
      plat::FileDates dates;
      plat::GetFileDates(it->path().string(), &dates);
      r->fileTime = dates.Latest();
      records.push_back(std::move(r));
    }
    std::sort(records.begin(), records.end(), [](const auto& a, const auto& b) {
      if (a->fileTime != b->fileTime) return b->fileTime < a->fileTime;
      return _cstrcmpi(a->path, b->path) > 0;
    });
    double listed = Ms(start);

    qel::Element* root = qel::LoadLayoutString(kWindow, "");
    qel::Element* thumb = qel::LoadLayoutString(kThumb, "");
    CQelWindow window;
    window.CreateFromPanel(root->Handle(), nullptr, nullptr);
    root->Release();
    auto* all = static_cast<qel::Album*>(root->FindByName("albumtable", true));
    auto* photos = static_cast<qel::Album*>(root->FindByName("photos", true));
    Page page{&db, all};
    for (qel::Album* a : {all, photos}) {
      a->SetCellSize(104, 84);
      a->SetTemplate(thumb);
      for (auto& r : records) a->Insert(-1, r.get());
    }
    thumb->Release();
    all->SetCallback(&OnShown, &page);
    all->Select(0, true, true);
    all->SetCurrent(0);
    qel::headless::PumpUntilIdle();  // the cells in view get their panels and thumbnails
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1024, 700);
    cairo_t* cr = cairo_create(surface);
    qel::PaintTree(cr, window.Root());
    cairo_destroy(cr);
    double drawn = Ms(start);
    if (run == 0) cairo_surface_write_to_png(surface, (folder / "first-page.png").c_str());
    cairo_surface_destroy(surface);
    std::printf("run %d: %zu photos listed and sorted in %.1f ms; first page (%d thumbnails from the database) "
                "drawn after %.1f ms\n",
                run + 1, records.size(), listed, page.read, drawn);
    runs.push_back(drawn);
    all->SetCallback(nullptr, nullptr);
    window.Close();
    qel::headless::PumpUntilIdle();
  }
  std::sort(runs.begin(), runs.end());
  std::printf("median: %.1f ms from the folder to the first drawn page of %zu photos\n", runs[runs.size() / 2],
              count);
  return 0;
}
