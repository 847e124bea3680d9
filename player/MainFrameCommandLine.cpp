// Command lines that reach the player and the asset lists they name.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "GlobalFun.h"
#include "MainFrame.h"
#include "VdlCommandLineText.h"
#include "VdlXmlParser.h"
#include "qel/QelWideText.h"

namespace {

// Paths from 1024 units up do not fit an entry; they are skipped, never cut.
constexpr size_t kMaxPathUnits = 1023;

// The path as the file system resolves it (links followed), so that two
// spellings of one file compare equal; the text itself when it cannot be
// resolved.
std::u16string Resolved(const std::u16string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(QelToUTF8(path).c_str(), nullptr), &std::free);
  return real ? QelFromUTF8(real.get()) : path;
}

// An entry the player may open: a full local path of a supported file.
bool IsPlayableEntry(const std::u16string& path) {
  return !path.empty() && path.size() <= kMaxPathUnits && path[0] == u'/' &&
         CGlobalFun::IsSupportedFile(path.c_str());
}

// A playlist entry as the player builds them.
tag_FILE_INFO* NewEntry(std::u16string path) {
  auto* info = new tag_FILE_INFO;
  info->szFilePath = std::move(path);
  info->nReserved1 = info->nReserved3 = info->nReserved4 = 0;
  return info;
}

}  // namespace

void CMainFrame::OnConmmandLine(const WCHAR* text) {
  int found = 1, start = 0;
  bool read = false;
  if (ProcessCommandLine(text, found, start, &read)) {
    // A command line that read no list leaves the entry being played alone.
    if (read) {
      m_nCurrentIndex = m_FileList.empty() ? -1 : start;
      PrepareToPlay(1);
    }
    if (IsMinimized()) ShowWindow(9);
    ShowWindow(5);
  }
  m_bNavigationReady = 1;
}

int CMainFrame::ProcessCommandLine(const WCHAR* text, int& found, int& start, bool* read) {
  if (read) *read = false;
  if (!text || !*text) {
    found = 0;
    return 0;
  }
  const std::u16string line(text);
  const size_t at = Vardel::FindAssetSwitch(line);
  found = at != std::u16string::npos ? 1 : 0;
  // Without the switch the text may name files itself, in double quotes, as
  // the desktop hands them over (one instance gets every later file).
  const bool parsed = found ? ParseCmdLine(Vardel::AssetListAfterSwitch(line, at), start) : TakePaths(line, start);
  if (read) *read = parsed;
  return 1;
}

bool CMainFrame::TakePaths(const std::u16string& text, int& start) {
  std::vector<std::u16string> playable;
  for (std::u16string& path : Vardel::QuotedItems(text)) {
    if (IsPlayableEntry(path)) {
      playable.push_back(std::move(path));
    } else if (!path.empty()) {
      std::fprintf(stderr, "Dunsellow Playvane: \"%s\" is not a movie or sound file it plays; skipped\n",
                   QelToUTF8(path).c_str());
    }
  }
  // Files of which none plays leave what is playing alone.
  if (playable.empty()) return false;
  ClearFileList();
  for (std::u16string& path : playable) m_FileList.push_back(NewEntry(std::move(path)));
  start = 0;
  return true;
}

bool CMainFrame::ParseCmdLine(const std::u16string& path, int& start) {
  if (path.empty()) return false;
  Vardel::CVdlXmlParser parser;
  if (!parser.Open(path.c_str())) return false;
  ClearFileList();
  int count = -1;
  std::u16string first;
  Vardel::CVdlXmlNode root = parser.GetRootNode();
  if (root.IsValid() && root.CompareNodeName(u"SelectedAssetList")) {
    for (Vardel::CVdlXmlNode node = root.GetChild(); node.IsValid(); node = node.NextSibling()) {
      if (node.GetType() != 1) continue;
      CQelStringW value;
      if (node.CompareNodeName(u"FirstFile")) {
        if (node.GetContentValue(value)) first = Resolved(value.c_str());
      } else if (node.CompareNodeName(u"FilePath")) {
        if (!node.GetContentValue(value)) continue;
        std::u16string entry(value.c_str());
        if (!IsPlayableEntry(entry)) continue;
        ++count;
        if (!first.empty() && Resolved(entry) == first) start = count;
        m_FileList.push_back(NewEntry(std::move(entry)));
      }
    }
  }
  parser.Close();
  return true;
}

void CMainFrame::ClearFileList() {
  for (tag_FILE_INFO* info : m_FileList) delete info;
  m_FileList.clear();
}
