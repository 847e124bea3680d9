#include "CmdLineProcessor.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "App.h"
#include "DeviceHelper.h"
#include "GlobalFun.h"
#include "VdlCommandLineText.h"
#include "VdlXmlParser.h"
#include "qel/QelWideText.h"

const WCHAR* CCmdLineProcessor::m_lpCmdLine = nullptr;
int CCmdLineProcessor::m_bCmdlineProcessed = 0;
int CCmdLineProcessor::m_bInitShowFullScreen = 0;

namespace {

// A path the file system cannot take is skipped, never cut short: a cut
// path could name another file.
bool PathFits(const std::u16string& path) {
  if (QelToUTF8(path).size() < PATH_MAX) return true;
  std::fprintf(stderr, "Dunsellow Vistrel: a path of %zu units is too long; skipped\n", path.size());
  return false;
}

bool Accepts(const std::u16string& path) {
  return !path.empty() && CGlobalFun::IsSupportedImageFile(path.c_str()) && PathFits(path);
}

std::string Resolved(const std::u16string& path) {
  std::string utf8 = QelToUTF8(path);
  char buffer[PATH_MAX];
  return realpath(utf8.c_str(), buffer) ? std::string(buffer) : utf8;
}

// Two paths name one file when they are equal, or equal once resolved (the
// file system tells letter case apart).
bool SamePath(const std::u16string& a, const std::u16string& b) {
  if (a == b) return true;
  return !a.empty() && !b.empty() && Resolved(a) == Resolved(b);
}

std::u16string Text(const CQelStringW& s) { return std::u16string(s.c_str(), size_t(s.GetLength())); }

}  // namespace

void CCmdLineProcessor::SetCommandLine(const WCHAR* lpCmdLine) { m_lpCmdLine = lpCmdLine; }

tag_FILE_INFO* CCmdLineProcessor::NewFileInfo(const std::u16string& path, uint32_t libId) {
  auto* info = new tag_FILE_INFO;
  info->szFilePath = path;
  info->dwLibID = libId;
  info->bInLibrary = libId != 0 ? 1 : 0;
  info->nFileType = CGlobalFun::IsSupportImage(path.c_str());
  info->bSupportRating = Vardel::CDeviceHelper::IsSupportPath(path.c_str());
  return info;
}

int CCmdLineProcessor::ProcessCommandLine(int& bFromNuvo, int& nCurIndex, int /*bPreProcess*/) {
  if (!m_lpCmdLine) return 0;
  m_bInitShowFullScreen = 0;
  const std::u16string text(m_lpCmdLine);
  FileList* list = g_pApp->GetFilelist();

  size_t option = Vardel::FindAssetSwitch(text);
  if (option != std::u16string::npos) {
    // The asset list is the text between the next two double quotes;
    // everything else ("-MBStatus" and its empty argument) plays no part.
    std::u16string assetList = Vardel::AssetListAfterSwitch(text, option);
    int index = 0;
    if (!ParseCmdLine(assetList.c_str(), index)) {
      std::fprintf(stderr, "Dunsellow Vistrel: the asset list \"%s\" cannot be read\n", QelToUTF8(assetList).c_str());
      return 0;
    }
    bFromNuvo = 1;
    nCurIndex = index;
    m_bCmdlineProcessed = 1;
    return 1;
  }

  // Plain form: quoted paths; text outside quotes plays no part.
  std::u16string first;
  int accepted = 0;
  for (const std::u16string& path : Vardel::QuotedItems(text)) {
    if (!Accepts(path)) continue;
    if (accepted++ == 0) {
      g_pApp->ClearFileList();
      first = path;
    }
    list->push_back(NewFileInfo(path));
  }
  if (accepted == 0) return 0;
  bFromNuvo = 0;
  nCurIndex = 0;
  if (list->size() == 1) {
    g_pApp->ClearFileList();
    FindImageFilesInFolder(first.c_str(), list, first.c_str(), nCurIndex);
  }
  m_bCmdlineProcessed = 1;
  return 1;
}

int CCmdLineProcessor::ParseCmdLine(const WCHAR* lpCmdPath, int& nCurIndex) {
  if (!lpCmdPath || !*lpCmdPath) return 0;
  Vardel::CVdlXmlParser parser;
  if (!parser.Open(lpCmdPath)) return 0;
  g_pApp->ClearFileList();
  FileList* list = g_pApp->GetFilelist();
  Vardel::CVdlXmlNode root = parser.GetRootNode();
  if (!root.CompareNodeName(u"SelectedAssetList")) return 1;

  std::u16string firstFile;
  int counter = -1;
  for (Vardel::CVdlXmlNode node = root.GetChild(); node.IsValid(); node = node.NextSibling()) {
    if (node.GetType() != 1) continue;
    if (node.CompareNodeName(u"FirstFile")) {
      CQelStringW content;
      firstFile = node.GetContentValue(content) ? Text(content) : std::u16string();
      continue;
    }
    if (!node.CompareNodeName(u"FilePath")) continue;
    uint32_t libId = 0;
    CQelStringW idText;
    if (node.GetPropValue(u"LibFileID", idText)) libId = static_cast<uint32_t>(qel_wtoi(idText));
    CQelStringW content;
    if (!node.GetContentValue(content)) continue;
    std::u16string path = Text(content);
    if (!Accepts(path)) continue;
    ++counter;
    if (!firstFile.empty() && SamePath(path, firstFile)) nCurIndex = counter;
    list->push_back(NewFileInfo(path, libId));
  }
  return 1;
}

void CCmdLineProcessor::FindImageFilesInFolder(const WCHAR* lpszFolder, FileList* pFileList,
                                               const WCHAR* lpszCurrentFile, int& nCurIndex) {
  namespace fs = std::filesystem;
  nCurIndex = 0;
  if (!pFileList || !lpszCurrentFile) return;
  const std::u16string current(lpszCurrentFile);
  fs::path folder = fs::path(QelToUTF8(lpszFolder ? lpszFolder : lpszCurrentFile)).parent_path();
  std::u16string currentName = QelFromUTF8(fs::path(QelToUTF8(current)).filename().string());

  std::vector<std::u16string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::u16string name = QelFromUTF8(it->path().filename().string());
    if (name.empty() || (name[0] == u'.' && name != currentName)) continue;  // hidden files
    std::error_code typeError;
    if (!fs::is_regular_file(it->path(), typeError)) continue;
    if (!CGlobalFun::IsSupportedImageFile(name.c_str())) continue;
    names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());  // code-unit order

  if (std::find(names.begin(), names.end(), currentName) == names.end()) {
    pFileList->push_back(NewFileInfo(current));
    return;
  }
  std::u16string prefix = current.substr(0, current.size() - currentName.size());
  for (const std::u16string& name : names) {
    if (name == currentName) {
      nCurIndex = static_cast<int>(pFileList->size());
      pFileList->push_back(NewFileInfo(current));
      continue;
    }
    std::u16string path = prefix + name;
    if (PathFits(path)) pFileList->push_back(NewFileInfo(path));
  }
}

std::optional<std::u16string> CCmdLineProcessor::FromArguments(int argc, char** argv) {
  return Vardel::CommandLineFromArguments(argc, argv, "Dunsellow Vistrel");
}
