#pragma once
// The print project's store of resources: one entry per picture file or
// text; cells name entries by index, and an entry keeps its index for the
// project's life. Pictures are loaded once, at a reduced display size; the
// full original only when printing asks for it.
#include <cstdint>
#include <filesystem>
#include <vector>

#include "CQelLock.h"
#include "CQelStringW.h"
#include "MyTextInfo.h"
#include "PrintFileInfo.h"
#include "PubImage.h"

struct FILENODE {
  CQelStringW fileName;
  PubImage::QelPicture* dispPic = nullptr;
  PubImage::QelPicture* thumbPic = nullptr;  // may be dispPic itself (its own reference)
  PubImage::QelPicture* orgPic = nullptr;
  int32_t copies = 0;
  SIZE orgSize{0, 0};
  SIZE dispSize{0, 0};
  int32_t dispAngle = 0;  // 0, 90 or 270: the display picture's turn against the file
  bool tmp = false;
  bool isText = false;
  bool tmp2 = false;
  POINT shadowOffset{0, 0};
  CMyTextInfo textInfo;
  int32_t userData[4] = {};
  CQelStringW shotTime;
  CQelStringW otherInfo;
};

class CPrintImageList {
 public:
  explicit CPrintImageList(CQelLock* lock = nullptr);
  virtual ~CPrintImageList();
  CPrintImageList(const CPrintImageList&) = delete;
  CPrintImageList& operator=(const CPrintImageList&) = delete;

  // Temporary files are deleted only inside this folder (the project's own);
  // files elsewhere are the user's and are never deleted.
  void SetTempFolder(const std::filesystem::path& folder);

  void SetDisMaxWH(int w, int h);
  void SetThumbMaxWH(int w, int h);
  void GetDispMaxWH(int* w, int* h) const;
  void GetThumbMaxWH(int* w, int* h) const;
  void SetPicProvider(PICOPENPROC proc, void* context) { openProc = proc, openContext = context; }
  void SetNoPreload(bool on) { noPreload = on; }
  void SetFastScale(bool on) { fastScale = on; }
  void SetAutoRotateAngle(int32_t a) { autoRotateAngle = a; }
  // Opaque values the project keeps here for its settings 7, 8 and 29.
  void SetProjectValue(int setting, int32_t value);
  int32_t GetProjectValue(int setting) const;
  bool RotateFailed() const { return rotateFailed; }

  int32_t GetPrintPicNum() const { return printPicNum; }
  int32_t GetCount() const { return int32_t(nodes.size()); }
  int32_t AddFile(const WCHAR* path, bool tmp, SIZE* knownSize);
  int32_t AddText(const CMyTextInfo& text, int);
  int32_t AppendNode(const FILENODE& node);
  int GetNode(long i, FILENODE& out) const;
  int RefreshFile(long i, const WCHAR* newPath);
  int CopyAdd(long i);
  int CopyDecrease(long i, bool drop);
  int SetCopies(long i, int32_t n);
  int32_t GetCopies(long i) const;
  int GetOrgSize(long i, SIZE* out) const;
  SIZE GetDispSize(long i) const;
  int32_t GetOrgDispPiclAngle(long i) const;
  PubImage::QelPicture* GetThumbPic(long i) const;
  PubImage::QelPicture* GetDispPic(long i);
  PubImage::QelPicture* GetOrgPic(long i);
  PubImage::QelPicture* GetOrgWithAct(long i);
  void FreeDispPic(long i);
  void FreeOrgPic(long i);
  void ClearOrgPics();
  void ClearAllPic();
  bool IsText(long i) const;
  bool IsPic(long i) const;
  bool IsNodeEmpty(long i) const;
  bool CanEdit() const;
  bool IsFileExisted(const WCHAR* path) const;
  long PicIndex2ResIndex(long n) const;
  void SetTmp2(long i, bool on);
  bool GetTmp2(long i) const;
  void SetShotTime(long i, const WCHAR* text);
  void SetOtherInfo(long i, const WCHAR* text);
  CQelStringW GetShotTime(long i) const;
  CQelStringW GetOtherInfo(long i) const;
  CQelStringW GetFileName(long i) const;
  int GetTextInfo(long i, CMyTextInfo& out) const;
  int GetTextInfo(long i, CMyTextInfo* out) const;
  int UpdateText(long i, const CMyTextInfo& t, POINT* oldShadow, int);
  int GetTextShadowOffset(long i, POINT& out) const;
  int DoAutoRotate(long i, long cellW, long cellH);
  const std::vector<tagPRINTFileINFO>& GetOutFileVect();
  void ClearDirty(bool erase);
  void Clear();
  long _FindFile(const WCHAR* name, long hint) const;
  // Empties entry i (sizes, pictures, temporary mark); its index stays.
  void _Remove(long i);

 private:
  bool Valid(long i) const { return i >= 0 && i < long(nodes.size()); }
  // Sizes and, unless loading is deferred, pictures of a file into n.
  bool _Fill(FILENODE& n, const WCHAR* path, SIZE* knownSize);
  SIZE _DisplaySizeFor(SIZE pic) const;
  PubImage::QelPicture* _OpenDisplay(const FILENODE& n);
  PubImage::QelPicture* _GetPictObject(const WCHAR* path);
  void _DeleteOwnFile(const FILENODE& n) const;
  static void ReleasePics(FILENODE& n);

  std::vector<FILENODE> nodes;
  std::vector<tagPRINTFileINFO> outFiles;
  PubImage::QelPicture* actPic = nullptr;
  int32_t value7 = 0, value8 = 0, value29 = 1;
  bool rotateFailed = false;
  bool fastScale = true;
  int32_t printPicNum = 0;
  int dispMaxW = 800, dispMaxH = 800;
  int thumbMaxW = 0, thumbMaxH = 0;
  PICOPENPROC openProc = nullptr;
  void* openContext = nullptr;
  bool noPreload = false;
  CQelLock* lock;
  int32_t autoRotateAngle = 270;
  std::filesystem::path tempFolder;
};
