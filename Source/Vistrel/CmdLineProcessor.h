#pragma once
// Turns a command line into the application's file list and the index of
// the picture to show first. Two forms:
//   -AssetFilePath "<asset list>" -MBStatus ""   (what the albums send)
//   "<picture>" "<picture>" ...                  (a plain list of quoted paths)
// Never instantiated; main thread only.
#include <optional>
#include <string>

#include "FileInfo.h"

class CCmdLineProcessor {
 public:
  // Keeps the pointer (no copy) until the next call; null clears it.
  static void SetCommandLine(const WCHAR* lpCmdLine);
  // 0 when no text is set, or when the text named nothing that could be
  // read (an unreadable asset list, a plain list without one accepted
  // picture): the list and both outputs are left as they were. 1 when the
  // list was replaced: bFromNuvo is 1 for the asset-list form, 0 for the
  // plain form, and nCurIndex names the first picture to show.
  static int ProcessCommandLine(int& bFromNuvo, int& nCurIndex, int bPreProcess);
  // Reads an asset list into the application's file list. 0 (and nothing
  // changed) when the file cannot be read as XML; 1 otherwise, the list
  // then empty when the root is not "SelectedAssetList" or every picture
  // was refused.
  static int ParseCmdLine(const WCHAR* lpCmdPath, int& nCurIndex);
  // The supported pictures of the folder of `lpszCurrentFile`, sorted by
  // name, into `pFileList`, with nCurIndex at that picture; when it is not
  // among them the list holds it alone.
  static void FindImageFilesInFolder(const WCHAR* lpszFolder, FileList* pFileList, const WCHAR* lpszCurrentFile,
                                     int& nCurIndex);
  static int IsInitShowFullScreen() { return m_bInitShowFullScreen; }
  static int IsCmdlineProcessed() { return 1; }

  // The command line the program was started with: the text of a
  // "--cmdl=<text>" argument, else each argument as a quoted path (made
  // absolute); nothing without arguments. An argument holding a double
  // quote cannot be written as a path and is left out.
  static std::optional<std::u16string> FromArguments(int argc, char** argv);

  // A new record for `path` (library id 0 unless given).
  static tag_FILE_INFO* NewFileInfo(const std::u16string& path, uint32_t libId = 0);

 private:
  static const WCHAR* m_lpCmdLine;
  static int m_bCmdlineProcessed;
  static int m_bInitShowFullScreen;
};
