// What one step of each photo-editor tool costs on a 12-megapixel photo, as
// the user waits for it: the page rebuilds its result from the origin
// through the image control (or turns, mirrors, resizes it), and the
// control draws it fitted into a 1000 x 750 view. Real time and the CPU
// time of all the process's threads.
//   photo_edit_bench [Google Benchmark options]
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "CActionManage.h"
#include "Page.h"
#include "PagePhoto.h"
#include "img/ImageFile.h"
#include "qel/QelImageControl.h"
#include "qel/QelLayout.h"
#include "qel/QelWindow.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t kW = 4000, kH = 3000, kViewW = 1000, kViewH = 750;

img::Bitmap Photo() { return bench::PagePhoto(kW, kH); }

struct Editor {
  CQelWindow window;
  qel::ImageControl* control = nullptr;
  CPage* page = nullptr;
  CActionManage history;
  cairo_surface_t* screen = nullptr;

  Editor() {
    fs::path dir = fs::temp_directory_path() / ("photo_edit_bench." + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / "photo.bmp";
    img::SaveBmp(Photo(), file.string(), {});
    qel::Element* root = qel::LoadLayoutString(
        "<layout w=\"1000\" h=\"750\"><element type=\"cata\" name=\"cata_image\" x=\"0\" y=\"0\" w=\"1000\" "
        "h=\"750\"><element type=\"imgc\" name=\"imgc\" x=\"0\" y=\"0\" w=\"1000\" h=\"750\"/></element></layout>",
        dir.string());
    window.CreateFromPanel(root->Handle(), nullptr, nullptr);
    qel::Element* image = root->FindByName("cata_image", true);
    control = qel::ImageControl::From(root->FindByName("imgc", true)->Handle());
    root->Release();
    page = new CPage();
    page->SetOriginalPath(file.u16string().c_str());
    page->GetPictCtrl(PAGE_GET_RESULT);
    page->SetPanel(reinterpret_cast<PubQelmar::QelPanel*>(image->Handle()));
    fs::remove_all(dir);
    screen = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kViewW, kViewH);
  }
  ~Editor() {
    MyRelease(page);
    cairo_surface_destroy(screen);
  }
  // The picture changed: the control drops what it drew and draws again.
  void Draw() {
    Qel0Inter(control->Handle(), QEL_IF_IMAGECTRL, 15, 0, 0);
    cairo_t* cr = cairo_create(screen);
    control->Paint(cr, SRect32{0, 0, kViewW, kViewH});
    cairo_destroy(cr);
  }
  tagFrameParam Fresh() {
    tagFrameParam p;
    CPage::InitializeFrameParam(&p);
    return p;
  }
};

Editor& TheEditor() {
  static Editor* e = new Editor();
  return *e;
}

// One step of a continuous tool: each update a record a little different
// from the last, rebuilt from the origin and drawn.
template <typename Change>
void Step(benchmark::State& st, Change change) {
  Editor& e = TheEditor();
  tagFrameParam p = e.Fresh();
  int i = 0;
  for (auto _ : st) {
    change(p, ++i);
    e.page->DoWithParam(&p);
    e.Draw();
  }
}

void BM_Brightness(benchmark::State& st) {
  Step(st, [](tagFrameParam& p, int i) { p.BrightContrast.nBrightness = int16_t(-50 + i % 100); });
}
void BM_Contrast(benchmark::State& st) {
  Step(st, [](tagFrameParam& p, int i) { p.BrightContrast.nContrast = int16_t(-50 + i % 100); });
}
void BM_Sharpen(benchmark::State& st) {
  Step(st, [](tagFrameParam& p, int i) { p.Sharpen = {20 * (1 + i % 10), 2, 0}; });
}
void BM_AutoEnhance(benchmark::State& st) {
  Step(st, [](tagFrameParam& p, int i) {
    p.bAutoEnhance = 1;
    p.BrightContrast.nReserved = int16_t(i % 2);  // a new record each time
  });
}
void BM_ResizeHalf(benchmark::State& st) {
  Step(st, [](tagFrameParam& p, int i) { p.szTarget = SIZE{kW / 2 + i % 2, kH / 2}; });
}
// The page's own actions: turn and mirror the shown picture, with their
// undo step.
void BM_Rotate(benchmark::State& st) {
  Editor& e = TheEditor();
  e.page->DoWithParam(nullptr);
  int degrees = 0;
  for (auto _ : st) {
    degrees = (degrees + 90) % 360;
    {
      CActionCollect collect(&e.history);
      e.page->DoAction(PAGE_ACTION_ROTATE, degrees);
    }
    e.Draw();
  }
  e.history.ClearActionData();
}
void BM_Flip(benchmark::State& st) {
  Editor& e = TheEditor();
  int32_t flags[2] = {0, 0};
  for (auto _ : st) {
    flags[0] = !flags[0];
    {
      CActionCollect collect(&e.history);
      e.page->DoAction(PAGE_ACTION_FLIP, reinterpret_cast<intptr_t>(flags));
    }
    e.Draw();
  }
  e.history.ClearActionData();
}
void BM_DrawOnly(benchmark::State& st) {
  Editor& e = TheEditor();
  for (auto _ : st) e.Draw();
}

}  // namespace

int main(int argc, char** argv) {
  TheEditor();  // the photo is made and opened outside every timing
  auto add = [](const char* name, void (*fn)(benchmark::State&)) {
    benchmark::RegisterBenchmark(name, fn)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
  };
  add("Brightness", BM_Brightness);
  add("Contrast", BM_Contrast);
  add("Sharpen", BM_Sharpen);
  add("AutoEnhance", BM_AutoEnhance);
  add("ResizeHalf", BM_ResizeHalf);
  add("Rotate", BM_Rotate);
  add("Flip", BM_Flip);
  add("DrawOnly", BM_DrawOnly);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
