#include "MacPiece.h"

#include <cairo.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>

#include "ORVPubTools.h"
#include "os/Bundle.h"
#include "qel/QelElement.h"
#include "qel/QelInput.h"
#include "qel/QelWideText.h"
#include "qel/QelWindow.h"

namespace {

size_t Units(const WCHAR* text) { return text ? std::char_traits<char16_t>::length(text) : 0; }

// Copies text with its terminator into out of size units, or leaves out
// empty when it does not fit.
template <typename C>
bool CopyBounded(C* out, const std::basic_string<C>& text, size_t size) {
  if (!out || size == 0) return false;
  if (text.size() + 1 > size) {
    out[0] = 0;
    return false;
  }
  std::memcpy(out, text.c_str(), (text.size() + 1) * sizeof(C));
  return true;
}

std::string ToUtf8(const WCHAR* text) { return text ? QelToUTF8(std::u16string_view(text, Units(text))) : ""; }

}  // namespace

// --- text ---

char* unichar_to_utf8(const WCHAR* text, char* buffer, size_t size) {
  if (!text || !buffer) return nullptr;
  return CopyBounded(buffer, ToUtf8(text), size) ? buffer : nullptr;
}

WCHAR* utf8_to_unichar(const char* text, WCHAR* buffer, size_t size) {
  if (!text || !buffer || !g_utf8_validate(text, -1, nullptr)) return nullptr;
  return CopyBounded(buffer, QelFromUTF8(text), size) ? buffer : nullptr;
}

char* W2ACopy(const WCHAR* text) {
  if (!text) return nullptr;
  // Three bytes a unit at most (a surrogate pair is two units, four bytes).
  size_t bytes = std::max<size_t>(2049, 3 * Units(text) + 1);
  char* copy = static_cast<char*>(std::malloc(bytes));
  if (!copy) return nullptr;
  std::string utf8 = ToUtf8(text);
  std::memcpy(copy, utf8.c_str(), utf8.size() + 1);
  return copy;
}

WCHAR* A2WCopy(const char* text) {
  if (!text) return nullptr;
  std::u16string wide = QelFromUTF8(text);
  // Never more units than bytes.
  WCHAR* copy = static_cast<WCHAR*>(std::malloc((std::strlen(text) + 1) * sizeof(WCHAR)));
  if (!copy) return nullptr;
  std::memcpy(copy, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
  return copy;
}

// --- files and paths ---

int GetModuleFileName(const plat::Bundle* bundle, WCHAR* buffer, size_t size) {
  if (!bundle || !buffer || bundle->path().empty()) return 0;
  return CopyBounded(buffer, QelFromUTF8(bundle->path()), size) ? 1 : 0;
}

int IsBadReadPtr(const void* pointer, size_t) { return pointer ? 1 : 0; }
int IsBadWritePtr(void* pointer, size_t) { return pointer ? 1 : 0; }

void RemoveBacksplash(WCHAR* path) {
  if (path) QelPathRemoveSlash(path);
}

void RemoveBacksplash(CQelStringW& path) {
  int n = path.GetLength();
  if (n > 1 && path[n - 1] == QEL_PATH_SEPARATOR) path = path.Left(n - 1);
}

void PathAddBackslash(WCHAR* path, size_t size) {
  if (path) QelPathAddSlash(path, size);
}

void PathAddBackslash(CQelStringW& path) {
  int n = path.GetLength();
  if (n > 0 && path[n - 1] != QEL_PATH_SEPARATOR) path += u"/";
}

CQelStringW MakeFullPath(const WCHAR* folder, const WCHAR* name) {
  std::u16string a = folder ? folder : u"";
  std::u16string b = name ? name : u"";
  if (a.empty()) return CQelStringW(b.c_str());
  if (b.empty()) return CQelStringW(a.c_str());
  while (a.size() > 1 && a.back() == u'/') a.pop_back();
  size_t skip = b.find_first_not_of(u'/');
  b = skip == std::u16string::npos ? u"" : b.substr(skip);
  if (a.back() != u'/') a += u'/';
  return CQelStringW((a + b).c_str());
}

int DeleteFile(const WCHAR* path) {
  if (!path || !*path) return 0;
  std::string p = ToUtf8(path);
  struct stat st;
  if (lstat(p.c_str(), &st) != 0) return 0;
  return (S_ISDIR(st.st_mode) ? rmdir(p.c_str()) : unlink(p.c_str())) == 0 ? 1 : 0;
}

int PathFileExists(const WCHAR* path) {
  if (!path || !*path) return 0;
  struct stat st;
  return stat(ToUtf8(path).c_str(), &st) == 0 ? 1 : 0;
}

int PathToSpec(const WCHAR* path, FSSpec* spec) {
  if (!path || !spec) return 0;
  std::string p = ToUtf8(path);
  if (Mac_GetFileByPath(p.c_str(), spec)) return 1;
  size_t cut = p.find_last_of('/');
  if (cut == std::string::npos) return 0;
  size_t run = cut;
  while (run > 0 && p[run - 1] == '/') --run;  // a run of separators counts as one
  std::string folder = run == 0 ? "/" : p.substr(0, run);
  std::string leaf = p.substr(cut + 1);
  FSSpec parent;
  if (!Mac_GetFileByPath(folder.c_str(), &parent)) return 0;
  struct stat st;
  std::string resolved = parent.parent == "/" ? "/" + parent.name : parent.parent + "/" + parent.name;
  if (parent.name.empty()) resolved = parent.parent;
  if (stat(resolved.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return 0;
  spec->volume = parent.volume;
  spec->parent = resolved;
  spec->name = leaf;
  return 0;
}

namespace {

struct SplitParts {
  std::string folder, name, extension;
};

bool SplitExisting(const char* path, SplitParts* parts) {
  if (!path || !*path) return false;
  struct stat st;
  if (stat(path, &st) != 0) return false;
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  size_t cut = p.find_last_of('/');
  std::string leaf = cut == std::string::npos ? p : p.substr(cut + 1);
  std::string folder = cut == std::string::npos ? "." : (cut == 0 ? "/" : p.substr(0, cut));
  char* real = realpath(folder.c_str(), nullptr);
  if (!real) return false;
  parts->folder = real;
  std::free(real);
  if (parts->folder.size() > 1 && parts->folder.back() == '/') parts->folder.pop_back();
  parts->name = leaf;
  if (!S_ISDIR(st.st_mode)) {
    size_t dot = leaf.find_last_of('.');
    if (dot != std::string::npos) {
      parts->extension = leaf.substr(dot);
      parts->name = leaf.substr(0, dot);
    }
  }
  return true;
}

}  // namespace

void splitpath(const char* path, char* drive, char* folder, char* name, char* extension) {
  SplitParts parts;
  if (!SplitExisting(path, &parts)) return;
  if (drive) drive[0] = 0;
  if (extension) extension[0] = 0;
  if (folder) CopyBounded(folder, parts.folder, QEL_MAX_PATH);
  if (name) {
    CopyBounded(name, parts.name, QEL_MAX_PATH);
    if (extension) CopyBounded(extension, parts.extension, QEL_MAX_PATH);
  }
}

void _splitpath(const WCHAR* path, WCHAR* drive, WCHAR* folder, WCHAR* name, WCHAR* extension) {
  SplitParts parts;
  bool ok = path && SplitExisting(ToUtf8(path).c_str(), &parts);
  if (!ok) parts = SplitParts{};
  if (drive) drive[0] = 0;
  if (folder) CopyBounded(folder, QelFromUTF8(parts.folder), QEL_MAX_PATH);
  if (name) CopyBounded(name, QelFromUTF8(parts.name), QEL_MAX_PATH);
  if (extension) CopyBounded(extension, QelFromUTF8(parts.extension), QEL_MAX_PATH);
}

namespace {

template <typename C>
std::basic_string<C> MakePath(const C* drive, const C* folder, const C* name, const C* extension) {
  std::basic_string<C> out;
  if (drive) out = drive;
  if (folder && *folder) {
    if ((out.empty() || out[0] != C('/')) && folder[0] != C('/')) out += C('/');
    out += folder;
  }
  bool hasName = name && *name;
  bool hasExt = extension && *extension;
  if (hasName || hasExt) {
    out += C('/');
    if (name) out += name;
    if (extension) {
      out += C('.');
      out += extension;
    }
  }
  return out;
}

}  // namespace

void makepath(char* out, const char* drive, const char* folder, const char* name, const char* extension,
              size_t size) {
  CopyBounded(out, MakePath<char>(drive, folder, name, extension), size);
}

WCHAR* _tmakepath(WCHAR* out, const WCHAR* drive, const WCHAR* folder, const WCHAR* name, const WCHAR* extension,
                  size_t size) {
  // Name and extension always count as given, as empty texts at least.
  CopyBounded(out, MakePath<WCHAR>(drive ? drive : u"", folder ? folder : u"", name ? name : u"",
                                   extension ? extension : u""),
              size);
  return out;
}

// --- windows and points ---

int IsWindowEnabled(WindowRef window) {
  CQelWindow* w = window ? CQelWindow::FetchQelWindow(window) : nullptr;
  if (!w) return 0;
  if (!QelIsModalInFront()) return 1;
  auto* modal = dynamic_cast<CQelModalWnd*>(w);
  return modal && modal->InModal() ? 1 : 0;
}

int ScreenToClient(WindowRef window, POINT* point) { return CORVPubTools::ScreenToClient(window, point); }
int ClientToScreen(WindowRef window, POINT* point) { return CORVPubTools::ClientToScreen(window, point); }

namespace {
WindowRef g_capture = nullptr;
}

int SetCapture(WindowRef window) {
  g_capture = window;
  return 0;
}

void ReleaseCapture() { g_capture = nullptr; }
WindowRef GetCapture() { return g_capture; }

void* GetDC(WindowRef window) {
  if (!window || !CQelWindow::FetchQelWindow(window)) return nullptr;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* cr = cairo_create(surface);
  cairo_surface_destroy(surface);  // the context keeps it
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
    cairo_destroy(cr);
    return nullptr;
  }
  return cr;
}

int ReleaseDC(WindowRef, void* context) {
  if (!context) return 0;
  cairo_destroy(static_cast<cairo_t*>(context));
  return 1;
}

int16_t GetKeyState(int32_t key) {
  uint32_t held = qel::input::Modifiers();
  if (key == 256) return (held & qel::PointerInput::kControl) ? -1 : 0;
  if (key == 512) return (held & qel::PointerInput::kShift) ? -1 : 0;
  return 0;
}

// --- messages ---

int EventToMSG(std::shared_ptr<const MacEvent> event, tagMSG* msg, int keep, WindowRef window) {
  if (!event || !msg) return 0;
  *msg = tagMSG{};
  double ticks = event->time * 60.0 + 0.5;
  msg->time = ticks <= 0 ? 0u : ticks >= 4294967295.0 ? 4294967295u : uint32_t(ticks);
  if (keep) msg->event = event;
  WindowRef target = event->window;
  if (!target || !CQelWindow::FetchQelWindow(target)) target = window;
  msg->hwnd = target;
  switch (event->eventClass) {
    case kMacEventClassWindow:
      msg->pt = event->where;
      msg->message = event->kind == 40 ? 32 : event->kind == 201 ? 533 : event->kind;
      break;
    case kMacEventClassKeyboard:
      if (event->kind == 1 || event->kind == 2) {
        msg->message = QEL_WM_KEYDOWN;
        msg->wParam = event->character == QEL_KEY_ENTER ? QELWPARAM(QEL_KEY_RETURN) : QELWPARAM(int8_t(event->character));
      }
      break;
    case kMacEventClassMouse: {
      msg->pt = event->where;
      SRect32 bounds{0, 0, 0, 0};
      CORVPubTools::GetWindowRect(target, &bounds);
      uint32_t x = uint16_t(event->where.x - bounds.left);
      uint32_t y = uint16_t(event->where.y - bounds.top);
      msg->lParam = QELLPARAM(x | (y << 16));
      switch (event->kind) {
        case 1: msg->message = (event->buttons & 1) ? QEL_WM_LBUTTONDOWN : QEL_WM_RBUTTONDOWN; break;
        case 2: msg->message = QEL_WM_LBUTTONUP; break;
        case 5:
        case 6: msg->message = QEL_WM_MOUSEMOVE; break;
        case 10:
          msg->message = QEL_WM_MOUSEWHEEL;
          msg->wParam = QELWPARAM(uint32_t(uint16_t(event->wheelDelta)) << 16);
          break;
        default: break;
      }
      break;
    }
    case kMacEventClassMessage:
      msg->message = event->kind;
      msg->wParam = event->wParam;
      msg->lParam = event->lParam;
      if (event->window) msg->hwnd = event->window;
      break;
    default: break;
  }
  return 1;
}

namespace {
std::deque<std::shared_ptr<const MacEvent>> g_events;
int g_waiting = 0;
bool g_endWait = false;
}  // namespace

void MacQueueEvent(const MacEvent& event) {
  g_events.push_back(std::make_shared<const MacEvent>(event));
  g_main_context_wakeup(nullptr);
}

int MacMessageLoopDepth() { return g_waiting; }

void MacEndMessageWait() {
  if (g_waiting == 0) return;  // only a wait that runs now ends
  g_endWait = true;
  g_main_context_wakeup(nullptr);
}

int GetMessage(tagMSG* msg, WindowRef window, uint32_t, uint32_t) {
  if (!msg) return 0;
  ++g_waiting;
  while (g_events.empty() && !g_endWait) g_main_context_iteration(nullptr, TRUE);
  --g_waiting;
  if (g_waiting == 0) g_endWait = false;
  if (g_events.empty()) return 0;
  std::shared_ptr<const MacEvent> event = g_events.front();
  g_events.pop_front();
  return EventToMSG(std::move(event), msg, 1, window);
}

int TranslateMessage(const tagMSG*) { return 1; }

intptr_t DispatchMessage(const tagMSG* msg) {
  if (msg && msg->hwnd && msg->message) SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
  return -1;
}
