#pragma once
// Layout (".aui") files and string tables. A layout is an XML file of our
// own format (schema: platform/qel/schema/qel-layout.rng):
//   <layout name="cata_root" w="400" h="300">
//     <element type="butn" name="butn_OK" x="10" y="10" w="80" h="24" text="OK"/>
//   </layout>
// and a string table is <strings><s id="27">Text</s></strings>.
// Paths may start with "$app\" (the main bundle's Contents folder) or "$M\"
// (an absolute POSIX path follows); '\' and '/' both separate.
#include <map>
#include <string>

#include "qel/QelElement.h"

// Positions, margins and sizes a layout file may give (in pixels, either
// sign); a file with larger ones is refused. Font sizes go up to
// kQelLayoutMaxFontSize.
inline constexpr int32_t kQelLayoutMaxCoordinate = 1 << 20;
inline constexpr int32_t kQelLayoutMaxFontSize = 1000;

// A string-table object (kind 120); QEL_IF_AUI method 2 answers the text of
// an id as const WCHAR*, null when absent.
QEL_API QelObject QelCreateAUI(const char* path);
QEL_API QelObject QelCreateAUIW(const WCHAR* path);
// The root panel of a layout, count 1 (the caller releases it); null when the
// file is missing or not a valid layout.
QEL_API QelObject QelCreateLayoutW(const WCHAR* path);
QEL_API QelObject QelCreateLayout(const char* path);

// "$app\" root: settable by the application. By default DUNSELLOW_BUNDLE (the
// .app folder) + "/Contents", else realpath(/proc/self/exe) up two levels.
QEL_API void QelSetAppRoot(const char* contents_folder);
QEL_API std::string QelGetAppRoot();
// A toolkit path as a POSIX path ("$app\UI\x.aui" -> ".../Contents/UI/x.aui").
QEL_API std::string QelResolvePath(const std::string& toolkit_path);

namespace qel {

class QEL_API StringTable : public Object {
 public:
  StringTable() : Object(QEL_KIND_STRINGTABLE) {}
  bool Load(const std::string& posix_path);
  const std::u16string* Find(int32_t id) const;
  void Set(int32_t id, std::u16string text) { strings_[id] = std::move(text); }
  size_t Count() const { return strings_.size(); }
  const std::map<int32_t, std::u16string>& Strings() const { return strings_; }
  intptr_t Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) override;

 private:
  std::map<int32_t, std::u16string> strings_;
};

// Reads a layout file; null with a line on stderr when it cannot be read.
QEL_API Element* LoadLayoutFile(const std::string& posix_path);
QEL_API Element* LoadLayoutString(const std::string& xml, const std::string& base_dir);

}  // namespace qel
