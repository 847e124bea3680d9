// Random command and argument sequences into one 'prtc' element: the
// command interface with any numbers, real and missing files, settings of
// every id with bounded buffers, cell actions, printing and still images
// (cancelled or not), and the print manager attached and not.
#include <cstdint>
#include <filesystem>
#include <string>

#include "FuzzSupport.h"
#include "PrintCtrlClass.h"
#include "PrintManagerApi.h"
#include "PrintProject.h"
#include "img/ImageFile.h"
#include "img/Operations.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"

namespace {

// A printer with fixed geometry and a template of up to four cells.
class FuzzManager : public CZylPrintManager {
 public:
  int cells = 4;
  int GetPaperSize(int* w, int* h) override {
    if (!w || !h) return 0;
    *w = 600, *h = 800;
    return 1;
  }
  int GetPixel(int* x, int* y) override {
    if (!x || !y) return 0;
    *x = *y = 100;
    return 1;
  }
  int GetPrintArea(SRect32* a) override {
    if (a) *a = SRect32{10, 10, 590, 790};
    return 1;
  }
  // Jobs go nowhere; a cancel may come at any progress value.
  int StartPrint(const WCHAR*) override { return 1; }
  int EndPrint(int) override { return 1; }
  int StartPage() override { return 1; }
  int EndPage() override { return 1; }
  int PrintLayer(QelObject layer, SRect32* r) override { return layer && r && r->right > r->left ? 1 : 0; }
  CTemplate* GetTemplateByName(const WCHAR*, const WCHAR*, int, int*) override {
    auto* t = new CTemplate();
    t->SetRecommendedScaling(1.0);
    for (int i = 0; i < cells; ++i) t->AddCell(SRect32{10 + 140 * i, 10, 140 + 140 * i, 200});
    return t;
  }
};

// The host's side of a job: it sets the cancel flag at a progress value.
struct StopAt {
  int32_t** flag;
  int32_t at;
};

int32_t StopAtProgress(QelObject, int32_t code, QELLPARAM value, void* user) {
  auto* s = static_cast<StopAt*>(user);
  if (code == 2125 && *s->flag && value >= s->at) **s->flag = 1;
  return 0;
}

const std::u16string& PhotoPath(int n) {
  static std::u16string paths[3];
  if (paths[n].empty()) {
    std::string p = fuzz::PrivateFolder() + "/photo" + std::to_string(n) + ".png";
    img::Bitmap b = img::Bitmap::Filled(20 + 17 * n, 30 - 7 * n, uint8_t(40 * n));
    img::SavePng(b, {}, p, img::PngOptions{});
    paths[n] = qel::ToU16(p);
  }
  return paths[n];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool registered = PrintControlInit() == 1;
  (void)registered;
  fuzz::Input in(data, size);
  QelObject element = Qel0CreateObj(QelFourCC("prtc"));
  QelObject strip = Qel0CreateObj(QelFourCC("cata"));
  QelObject album = Qel0CreateObj(QelFourCC("albm"));
  Qel0Inter(album, 3, 11, reinterpret_cast<QELWPARAM>(strip), reinterpret_cast<QELLPARAM>(ADDEleEnd));
  auto* manager = new FuzzManager();
  manager->AddRef();
  WCHAR text[1024] = {};
  int32_t ints[64] = {};  // room for every record a command writes
  for (int step = 0; step < 64 && in.left() > 0; ++step) {
    const uint32_t command = uint32_t(in.Range(0, 40));
    intptr_t w = intptr_t(in.Take<int32_t>());
    // Pointer arguments are null or real buffers: a host handing wild
    // pointers is not what this harness looks for.
    const void* l = nullptr;
    switch (in.Range(0, 2)) {
      case 1: l = ints; break;
      case 2: l = text; break;
      default: break;
    }
    const intptr_t small = in.Take<int16_t>();
    ints[0] = in.Take<int32_t>(), ints[1] = in.Take<int32_t>();
    switch (command) {
      case 0:
        w = in.Flag() ? reinterpret_cast<intptr_t>(static_cast<CZylPrintManager*>(manager)) : 0;
        manager->cells = int(in.Range(0, 4));
        break;
      case 2: case 18:
        w = in.Range(0, 245);
        // Pointer settings get a real buffer; value settings a number.
        if (w >= 200) l = in.Flag() ? static_cast<const void*>(text) : static_cast<const void*>(ints);
        if (w == 237 || w == 238) l = nullptr;
        if (command == 2 && w < 200 && w != 17 && w != 18) l = reinterpret_cast<const void*>(small);
        if (command == 2 && w == 6) l = reinterpret_cast<const void*>(intptr_t(in.Flag()));
        break;
      case 5: case 15: case 16:
        w = 0;
        break;
      case 14:
        w = small;
        break;
      case 8: case 20:
        l = in.Flag() ? nullptr : static_cast<const void*>(ints);
        break;
      case 19: case 21:
        l = reinterpret_cast<const void*>(intptr_t(in.Range(-1, 4)));
        break;
      case 3: {
        // Actions 15, 16, 20 and 32 take a number, the others ignore it;
        // 30 (the preview's zoom) a double.
        static double zoom = 0;
        w = in.Range(0, 34);
        l = reinterpret_cast<const void*>(in.Flag() ? small : intptr_t(in.Range(-1, 4)));
        if (w == 30) zoom = double(small) / 1000.0, l = in.Flag() ? &zoom : nullptr;
        break;
      }
      case 1:
        // The page strip: a real panel and album, or none.
        w = in.Flag() ? reinterpret_cast<intptr_t>(strip) : 0;
        l = in.Flag() ? album : nullptr;
        break;
      case 7: case 26: case 30: case 34:
        w = small;
        break;
      case 10:
        w = 0;
        l = reinterpret_cast<const void*>(intptr_t(-1));
        break;
      case 12:
        l = in.Flag() ? static_cast<const void*>(PhotoPath(int(in.Range(0, 2))).c_str()) : nullptr;
        break;
      case 13: {
        // Pages printed or written as pictures into a private folder; the
        // job is stopped at a random progress step, or not at all.
        static const std::u16string still = qel::ToU16(fuzz::PrivateFolder() + "/still/p.jpg");
        static const char16_t* types[] = {u"jpg", u"PNG", u"bmp", u"xyz"};
        tagDOPRINTINFO info{int32_t(in.Range(0, 3)), int32_t(in.Range(-1, 4)), int32_t(in.Range(-1, 4)),
                            int32_t(in.Range(0, 1)), still.c_str(), types[in.Range(0, 3)], int32_t(in.Range(70, 80)),
                            int32_t(in.Range(0, 130))};
        int32_t* cancel = nullptr;
        StopAt stop{&cancel, int32_t(in.Range(0, 200))};
        qel::Element::From(element)->SetCallback(&StopAtProgress, &stop);
        Qel0Inter(element, 53, 13, reinterpret_cast<QELWPARAM>(&info), reinterpret_cast<QELLPARAM>(&cancel));
        qel::Element::From(element)->SetCallback(nullptr, nullptr);
        std::error_code ec;
        std::filesystem::remove_all(fuzz::PrivateFolder() + "/still", ec);
        std::filesystem::create_directories(fuzz::PrivateFolder() + "/still", ec);
        continue;
      }
      case 33:
        continue;  // host callbacks need a real host
      case 17: case 23: case 36:
        w = reinterpret_cast<intptr_t>(PhotoPath(int(in.Range(0, 2))).c_str());
        if (command == 36) l = nullptr;
        if (command == 17) l = reinterpret_cast<const void*>(small);  // page<<16 | cell
        break;
      case 24: case 25: case 27: case 32:
        l = in.Flag() ? static_cast<const void*>(ints) : nullptr;
        if (command == 25) l = in.Flag() ? text : nullptr;
        break;
      default:
        break;
    }
    intptr_t r = Qel0Inter(element, 53, int32_t(command), w, reinterpret_cast<QELLPARAM>(l));
    if ((command == 8 || command == 20 || command == 21) && r) {
      // Pictures handed out are the caller's (except 20's, the page's own copy).
      Qel0Release(reinterpret_cast<QelObject>(r));
    }
    text[1023] = 0;
  }
  CPrintProject* project = PrintCtrlProjectOf(element);
  if (project && project->GetCurrentPage() >= project->GetPageCount()) fuzz::Fail("current page past the pages");
  Qel0Release(element);
  Qel0Release(album);
  Qel0Release(strip);
  manager->Release();
  return 0;
}
