#include "ControlHost.h"

#include "PrintCtrlClass.h"
#include "TestEnvironment.h"
#include "qel/QelElement.h"

namespace pctest {

namespace {

std::string Rect(const SRect32* r) {
  if (!r) return "null";
  return std::to_string(r->left) + "," + std::to_string(r->top) + "," + std::to_string(r->right) + "," +
         std::to_string(r->bottom);
}

int32_t Callback(QelObject, int32_t event, QELLPARAM param, void* user) {
  auto* h = static_cast<ElementHost*>(user);
  h->got.emplace_back(event, param);
  if (event == PRTC_ERROR && param) h->errors.push_back(reinterpret_cast<const tagMessageInfo*>(param)->code);
  if (h->onNotify) h->onNotify(event, param);
  return 0;
}

}  // namespace

int RecordingPrintManager::StartPrint(const WCHAR* name) {
  calls.push_back("start " + qel::ToU8(std::u16string_view(name ? name : u"")));
  return startAnswer;
}
int RecordingPrintManager::EndPrint(int cancelled) {
  calls.push_back("end " + std::to_string(cancelled));
  return endAnswer;
}
int RecordingPrintManager::StartPage() {
  calls.push_back("page");
  return 1;
}
int RecordingPrintManager::EndPage() {
  calls.push_back("end page");
  return 1;
}
int RecordingPrintManager::PrintLayer(QelObject layer, SRect32* dest) {
  qel::Layer* l = qel::Layer::From(layer);
  const std::string size = l ? std::to_string(l->Pixels().width()) + "x" + std::to_string(l->Pixels().height()) : "none";
  calls.push_back("layer " + Rect(dest) + " " + size);
  return 1;
}
int RecordingPrintManager::Count(const std::string& prefix) const {
  int n = 0;
  for (const auto& c : calls) n += c.rfind(prefix, 0) == 0 ? 1 : 0;
  return n;
}

void ElementHost::SetUp() {
  ASSERT_EQ(PrintControlInit(), 1);
  element = Qel0CreateObj(QelFourCC("prtc"));
  ASSERT_NE(element, nullptr);
  qel::Element::From(element)->SetCallback(&Callback, this);
  project = PrintCtrlProjectOf(element);
  ASSERT_NE(project, nullptr);
  dir = testenv::MakeTempDir("prtc-host");
  manager = new RecordingPrintManager();
  manager->AddRef();
  manager->cells = {{10, 10, 290, 390}, {300, 10, 580, 390}, {10, 400, 290, 780}, {300, 400, 580, 780}};
}

void ElementHost::TearDown() {
  if (element) Qel0Release(element);
  if (manager) manager->Release();
  PrintControlUninit();
}

intptr_t ElementHost::Cmd(uint32_t c, intptr_t w, const void* l) {
  return Qel0Inter(element, 53, int32_t(c), w, reinterpret_cast<QELLPARAM>(l));
}

void ElementHost::Attach() {
  ASSERT_EQ(Cmd(0, reinterpret_cast<intptr_t>(static_cast<CZylPrintManager*>(manager))), 1);
  ASSERT_EQ(Cmd(11), 1);
}

std::u16string ElementHost::Photo(const std::string& name, const img::Bitmap& pixels) {
  return WritePng(pixels, dir / name);
}

intptr_t ElementHost::AddPhoto(const std::u16string& p) {
  return Cmd(17, reinterpret_cast<intptr_t>(p.c_str()), reinterpret_cast<const void*>(intptr_t(-1)));
}

intptr_t ElementHost::Print(tagDOPRINTINFO info) {
  got.clear();
  errors.clear();
  return Cmd(13, reinterpret_cast<intptr_t>(&info), &cancel);
}

std::vector<int32_t> ElementHost::Codes() const {
  std::vector<int32_t> c;
  for (auto& g : got) c.push_back(g.first);
  return c;
}

std::vector<intptr_t> ElementHost::Data(int32_t code) const {
  std::vector<intptr_t> d;
  for (auto& g : got)
    if (g.first == code) d.push_back(g.second);
  return d;
}

std::vector<int32_t> ElementHost::ErrorCodes() const { return errors; }

}  // namespace pctest
