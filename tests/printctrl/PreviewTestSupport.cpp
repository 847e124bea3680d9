#include "PreviewTestSupport.h"

#include <cstdlib>

#include "PrintCtrlClass.h"
#include "PrintPage.h"
#include "TestEnvironment.h"
#include "qel/QelHeadless.h"
#include "qel/QelInput.h"
#include "qel/QelLayout.h"

namespace pvtest {

img::Bitmap Solid(int w, int h, uint32_t rgb, SRect32 marker) {
  img::Bitmap b = img::Bitmap::Create(w, h);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = b.mutable_row(y);
    for (int x = 0; x < w; ++x) {
      const bool dark = x >= marker.left && x < marker.right && y >= marker.top && y < marker.bottom;
      row[3 * x] = dark ? 0 : uint8_t(rgb & 0xff);
      row[3 * x + 1] = dark ? 0 : uint8_t((rgb >> 8) & 0xff);
      row[3 * x + 2] = dark ? 0 : uint8_t((rgb >> 16) & 0xff);
    }
  }
  return b;
}

namespace {
template <typename Px>
Centre Dark(int width, int height, SRect32 r, Px px) {
  Centre c;
  double sx = 0, sy = 0;
  for (int y = std::max(r.top, 0); y < std::min(r.bottom, height); ++y) {
    for (int x = std::max(r.left, 0); x < std::min(r.right, width); ++x) {
      const uint32_t v = px(x, y);
      if (((v >> 16) & 0xff) < 60 && ((v >> 8) & 0xff) < 60 && (v & 0xff) < 60) sx += x + 0.5, sy += y + 0.5, ++c.count;
    }
  }
  if (c.count) c.x = sx / double(c.count), c.y = sy / double(c.count);
  return c;
}
}  // namespace

Centre DarkCentre(cairo_surface_t* s, SRect32 r) {
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  return Dark(cairo_image_surface_get_width(s), cairo_image_surface_get_height(s), r, [&](int x, int y) {
    return reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride))[x] & 0xffffff;
  });
}

Centre DarkCentre(const img::Bitmap& b, SRect32 r) {
  return Dark(b.width(), b.height(), r, [&](int x, int y) { return At(b, x, y); });
}

uint32_t At(const img::Bitmap& b, int x, int y) {
  const uint8_t* p = b.row(y) + 3 * x;
  return (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}

PreviewHost::PreviewHost(bool strip) {
  PrintControlInit();
  dir = testenv::MakeTempDir("preview");
  std::string xml =
      "<layout w='720' h='640' bg='#242424'>"
      "<element type='prtc' name='prtc_layout' x='0' y='0' w='720' h='500'/>";
  if (strip) xml += "<element type='cata' name='cata_pages' x='0' y='500' w='720' h='140' bg='#2e2e32'>"
                    "<element type='albm' name='albm_pages' x='8' y='8' w='704' h='124'/></element>";
  xml += "</layout>";
  qel::Element* root = qel::LoadLayoutString(xml, "");
  window = new CQelWindow;
  window->CreateFromPanel(root->Handle(), nullptr, nullptr);
  root->Release();
  window->ShowWindow(5);
  qel::Element* e = root->FindByName("prtc_layout", true);
  element = e ? e->Handle() : nullptr;
  if (e) e->SetCallback(&PreviewHost::Callback, this);
  album = root->FindByName("albm_pages", true);
  const char* src = std::getenv("DUNSELLOW_SOURCE_DIR");
  const std::u16string ui = qel::ToU16(std::string(src ? src : ".") + "/printctrl/UI/");
  Cmd(2, 215, ui.c_str());
  manager = new pctest::TemplatePrintManager();
  manager->AddRef();
  manager->cells = {{10, 10, 290, 390}, {300, 10, 580, 390}, {10, 400, 290, 780}, {300, 400, 580, 780}};
}

PreviewHost::~PreviewHost() {
  if (window) {
    window->Close();
    qel::headless::PumpUntilIdle();
    delete window;
  }
  manager->Release();
  PrintControlUninit();
}

int32_t PreviewHost::Callback(QelObject, int32_t event, QELLPARAM param, void* user) {
  static_cast<PreviewHost*>(user)->heard.emplace_back(event, param);
  return 0;
}

std::vector<intptr_t> PreviewHost::Heard(int32_t code) const {
  std::vector<intptr_t> v;
  for (auto& h : heard) {
    if (h.first == code) v.push_back(h.second);
  }
  return v;
}

intptr_t PreviewHost::Cmd(uint32_t c, intptr_t w, const void* l) {
  return Qel0Inter(element, 53, int32_t(c), w, reinterpret_cast<QELLPARAM>(l));
}

std::u16string PreviewHost::Photo(const std::string& name, const img::Bitmap& b) {
  return pctest::WritePng(b, dir / name);
}

void PreviewHost::Fill(const std::vector<uint32_t>& colours, int w, int h) {
  Cmd(0, reinterpret_cast<intptr_t>(static_cast<CZylPrintManager*>(manager)));
  Cmd(11);
  if (album) Cmd(1, reinterpret_cast<intptr_t>(album->Parent()->Handle()), album->Handle());
  for (size_t i = 0; i < colours.size(); ++i) {
    const std::u16string p = Photo("p" + std::to_string(i) + ".png", Solid(w, h, colours[i]));
    Cmd(17, reinterpret_cast<intptr_t>(p.c_str()), reinterpret_cast<const void*>(intptr_t(-1)));
  }
  qel::headless::PumpUntilIdle();
}

CPrintProject* PreviewHost::Project() const { return PrintCtrlProjectOf(element); }
CPrintPreview* PreviewHost::Preview() const { return Project() ? Project()->GetPreview() : nullptr; }
CPrintPage* PreviewHost::Page() const { return Preview() ? Preview()->GetPage() : nullptr; }

POINT PreviewHost::CellCentre(long cell) const {
  const SRect32 r = Preview()->CellRect(cell);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

namespace {
void Send(CQelWindow* w, qel::PointerInput::Kind kind, POINT p, int button) {
  qel::PointerInput in;
  in.kind = kind;
  in.at = p;
  in.button = button;
  qel::input::Pointer(w, in);
}
}  // namespace

void PreviewHost::Down(POINT p, int button) { Send(window, qel::PointerInput::kDown, p, button); }
void PreviewHost::Double(POINT p) { Send(window, qel::PointerInput::kDouble, p, 1); }
void PreviewHost::Move(POINT p) { Send(window, qel::PointerInput::kMove, p, 1); }
void PreviewHost::Up(POINT p, int button) { Send(window, qel::PointerInput::kUp, p, button); }

void PreviewHost::Drag(POINT from, POINT to, int steps) {
  Down(from);
  for (int i = 1; i <= steps; ++i) {
    Move(POINT{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
  }
  Up(to);
}

}  // namespace pvtest
