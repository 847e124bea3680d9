// Creation of the image kinds: pictures, layers, image controls, tool lists
// and tools (tools are hidden elements named by their kind number, so a tool
// list can hold them and a control can pick one as its current tool).
#include "qel/QelImageControl.h"

namespace qel {

namespace {
constexpr uint32_t kFirstTool = 512, kLastTool = 799;
}

Object* CreateImageObject(uint32_t kind) {
  switch (kind) {
    case QEL_KIND_PICTURE: return new Picture();
    case QEL_KIND_LAYER: return new Layer();
    case QEL_KIND_IMAGECTRL: return new ImageControl();
    default: break;
  }
  if (kind == QEL_KIND_TOOLLIST || (kind >= kFirstTool && kind <= kLastTool)) {
    auto* e = new Element(kind, kind == QEL_KIND_TOOLLIST ? "toolset" : "tool" + std::to_string(kind));
    e->Show(false);  // never drawn
    return e;
  }
  return nullptr;
}

Element* NewImageElement(uint32_t kind, const std::string& name) {
  if (kind != QEL_KIND_IMAGECTRL) return nullptr;
  return new ImageControl(name);
}

namespace {

void RegisterImageControl() {
  RegisterElementClass(QEL_KIND_IMAGECTRL, [](uint32_t, std::string name) -> Element* {
    return new ImageControl(std::move(name));
  });
}

void RegisterToolList() {
  RegisterElementClass(QEL_KIND_TOOLLIST, [](uint32_t kind, std::string) -> Element* {
    return static_cast<Element*>(CreateImageObject(kind));
  });
}

// Layouts name the image control by its class.
const bool g_registered = [] {
  RegisterImageControl();
  return true;
}();

}  // namespace

}  // namespace qel

int32_t ImageCtrlInit() {
  qel::RegisterImageControl();
  return 0;
}

int32_t ToolsCtrlInit() {
  qel::RegisterToolList();
  return 0;
}
