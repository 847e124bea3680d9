#pragma once
// The desktop's file and folder choosers: pick files to open, a name to save
// under, or a folder. On GTK a native chooser (served by the desktop portal
// where one runs); on the headless backend the answers come from a script
// (qel/QelHeadless.h). The call returns when the user has answered.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "qel/QelTypes.h"

class CQelWindow;

namespace qel {

struct FileChooserFilter {
  std::u16string name;                  // "JPEG (*.JPG, *.JPEG)"
  std::vector<std::string> extensions;  // with their dot: ".JPG"; compared ignoring case
};

struct FileChooserRequest {
  enum Action : int32_t { kOpen = 0, kSave = 1, kSelectFolder = 2 };
  Action action = kOpen;
  CQelWindow* parent = nullptr;   // the chooser is modal over it (null: none)
  std::u16string title;           // empty: the chooser's own
  std::string folder;             // where it starts (UTF-8 path); empty: its default
  std::u16string name;            // save: the proposed file name
  std::vector<FileChooserFilter> filters;  // open and save; none lists every file
  int32_t selectedFilter = 0;
  bool multiple = false;          // open: several files
};

struct FileChooserResult {
  bool chosen = false;             // false: cancelled, or no chooser could be shown
  std::vector<std::string> paths;  // UTF-8, absolute
  int32_t filter = -1;             // the filter in use when it was answered
};

// Whether `name` ends with one of the extensions, ignoring ASCII case.
QEL_API bool NameHasExtension(std::string_view name, const std::vector<std::string>& extensions);

// Runs the chooser; while it is up the program counts a modal window as in
// front (QelIsModalInFront).
QEL_API FileChooserResult RunFileChooser(const FileChooserRequest& request);
// Whether a chooser is up now.
QEL_API bool FileChooserOpen();

}  // namespace qel
