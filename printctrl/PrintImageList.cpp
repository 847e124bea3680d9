#include "PrintImageList.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "FunctionImgCtrl.h"
#include "PictureFunctions.h"
#include "PictureHandles.h"
#include "qel/QelElement.h"

namespace fs = std::filesystem;

namespace {

std::string U8(const WCHAR* s) { return s ? qel::ToU8(std::u16string_view(s)) : std::string(); }

// Paths name the same file when they are equal once made absolute and
// resolved (a Linux file system tells letter case apart).
std::string PathKey(const WCHAR* path) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::absolute(U8(path), ec), ec);
  return p.lexically_normal().string();
}

// A picture's own turned copy is the display picture: turning is done in
// place by the shared image-function object.
bool Turn(PubImage::QelPicture* pic, int32_t angle) {
  if (angle % 360 == 0) return true;
  CFunctionImgCtrl* f = g_lpImgFunc;
  return f && f->RotatePic(pic, angle);
}

void Release(PubImage::QelPicture*& p) {
  if (p) p->Release();
  p = nullptr;
}

SIZE PicSize(PubImage::QelPicture* p) {
  SIZE s{0, 0};
  if (p) p->GetSize(&s);
  return s;
}

// The display picture no larger than `bound` (formats without reduced
// decoding arrive at full size).
PubImage::QelPicture* Bounded(PubImage::QelPicture* pic, SIZE bound) {
  SIZE s = PicSize(pic);
  if (!pic || (s.cx <= bound.cx && s.cy <= bound.cy) || bound.cx < 1 || bound.cy < 1) return pic;
  PubImage::QelPicture* small = ResamplePic(pic, unsigned(bound.cx), unsigned(bound.cy), 1);
  pic->Release();
  return small;
}

}  // namespace

CPrintImageList::CPrintImageList(CQelLock* lock) : lock(lock) {}

CPrintImageList::~CPrintImageList() { Clear(); }

void CPrintImageList::SetTempFolder(const fs::path& folder) {
  std::error_code ec;
  tempFolder = folder.empty() ? fs::path() : fs::weakly_canonical(folder, ec);
}

void CPrintImageList::SetDisMaxWH(int w, int h) {
  dispMaxW = std::clamp(w, 10, 99999);
  dispMaxH = std::clamp(std::min(w, h), 10, 99999);
}

void CPrintImageList::SetThumbMaxWH(int w, int h) {
  thumbMaxW = std::clamp(w, 0, 1024);
  thumbMaxH = std::clamp(std::min(w, h), 0, 1024);
}

void CPrintImageList::GetDispMaxWH(int* w, int* h) const {
  if (w) *w = dispMaxW;
  if (h) *h = dispMaxH;
}

void CPrintImageList::GetThumbMaxWH(int* w, int* h) const {
  if (w) *w = thumbMaxW;
  if (h) *h = thumbMaxH;
}

void CPrintImageList::SetProjectValue(int setting, int32_t value) {
  if (setting == 7) value7 = value;
  else if (setting == 8) value8 = value;
  else if (setting == 29) value29 = value;
}

int32_t CPrintImageList::GetProjectValue(int setting) const {
  return setting == 7 ? value7 : setting == 8 ? value8 : setting == 29 ? value29 : 0;
}

long CPrintImageList::_FindFile(const WCHAR* name, long hint) const {
  if (!name || !*name) return -1;
  const std::string key = PathKey(name);
  auto match = [&](long i) {
    return !nodes[size_t(i)].isText && !nodes[size_t(i)].fileName.IsEmpty() &&
           PathKey(nodes[size_t(i)].fileName.c_str()) == key;
  };
  const long n = long(nodes.size());
  if (hint >= 0 && hint < n && match(hint)) return hint;
  for (long i = std::min(hint, n) - 1; i >= 0; --i) {
    if (match(i)) return i;
  }
  for (long i = std::max(hint, 0L); i < n; ++i) {
    if (match(i)) return i;
  }
  return -1;
}

SIZE CPrintImageList::_DisplaySizeFor(SIZE pic) const {
  long w = pic.cx, h = pic.cy;
  if (w > dispMaxW || h > dispMaxH) {
    GetHalfFitInSize(dispMaxW, dispMaxH, pic.cx, pic.cy, w, h);
    if (fastScale) {
      for (int div : {32, 16, 8, 4, 2}) {
        long snapped = pic.cx / div;
        if (snapped >= w) {
          // A sliver of a picture keeps its fitted size: snapped, one of its
          // sides would go far past the limits.
          const long snappedH = std::max(long(std::floor(double(snapped) * pic.cy / pic.cx + 0.5)), 1L);
          if (snapped <= 2L * dispMaxW && snappedH <= 2L * dispMaxH) w = snapped, h = snappedH;
          break;
        }
      }
    }
  }
  return SIZE{int32_t(w), int32_t(h)};
}

PubImage::QelPicture* CPrintImageList::_OpenDisplay(const FILENODE& n) {
  // The file's own orientation, turned afterwards like the entry.
  SIZE want = n.dispSize;
  if (n.dispAngle == 90 || n.dispAngle == 270) std::swap(want.cx, want.cy);
  if (lock) lock->Lock();
  PubImage::QelPicture* pic = Bounded(OpenImgFileThumb(n.fileName.c_str(), want), want);
  if (lock) lock->Unlock();
  if (pic && !Turn(pic, n.dispAngle)) Release(pic);
  return pic;
}

bool CPrintImageList::_Fill(FILENODE& n, const WCHAR* path, SIZE* knownSize) {
  // The picture's size: from the provider, from the caller, or from the file.
  SIZE size{0, 0};
  if (openProc) {
    tagPICOPENINFO req;
    req.kind = 1;
    req.path = path;
    req.picSize = &size;
    if (!openProc(&req, openContext)) size = SIZE{0, 0};
  } else if (knownSize && knownSize->cx > 0 && knownSize->cy > 0) {
    size = *knownSize;
  } else {
    size = GetImgFileDimension(path);
  }
  if (size.cx <= 0 || size.cy <= 0) return false;
  n.orgSize = size;
  n.dispSize = _DisplaySizeFor(size);
  n.dispAngle = 0;
  if (openProc || noPreload) return true;  // loaded when first shown
  if (lock) lock->Lock();
  SIZE want = n.dispSize;
  PubImage::QelPicture* disp = Bounded(OpenImgFileThumb(path, want), want);
  if (lock) lock->Unlock();
  if (!disp) return false;
  n.dispPic = disp;
  n.dispSize = PicSize(disp);
  if (thumbMaxW >= 1 && thumbMaxH >= 1) {
    if (n.dispSize.cx > thumbMaxW || n.dispSize.cy > thumbMaxH) {
      long tw = 0, th = 0;
      GetHalfFitInSize(thumbMaxW, thumbMaxH, n.dispSize.cx, n.dispSize.cy, tw, th);
      n.thumbPic = ResamplePic(disp, unsigned(tw), unsigned(th), 1);
    }
    if (!n.thumbPic) {
      disp->Retain();
      n.thumbPic = disp;
    }
  }
  return true;
}

int32_t CPrintImageList::AddFile(const WCHAR* path, bool tmp, SIZE* knownSize) {
  if (!path || !*path) return -1;
  long at = -1;
  if (!noPreload) {
    at = _FindFile(path, -1);
    if (at >= 0 && nodes[size_t(at)].orgSize.cx > 0) return int32_t(at);
  }
  FILENODE fresh;
  if (!_Fill(fresh, path, knownSize)) return -1;
  if (at < 0) {
    nodes.push_back(FILENODE());
    at = long(nodes.size()) - 1;
  }
  // An emptied entry of the same file is filled again at its index.
  FILENODE& n = nodes[size_t(at)];
  ReleasePics(n);
  n.fileName = path;
  n.dispPic = fresh.dispPic, n.thumbPic = fresh.thumbPic;
  n.orgSize = fresh.orgSize, n.dispSize = fresh.dispSize, n.dispAngle = 0;
  n.copies = 0;
  n.tmp = tmp;
  return int32_t(at);
}

int32_t CPrintImageList::AddText(const CMyTextInfo& text, int) {
  FILENODE n;
  n.isText = true;
  n.textInfo = text;
  n.orgSize = n.dispSize = SIZE{1, 1};
  nodes.push_back(n);
  return int32_t(nodes.size() - 1);
}

int32_t CPrintImageList::AppendNode(const FILENODE& node) {
  nodes.push_back(node);
  return int32_t(nodes.size() - 1);
}

int CPrintImageList::GetNode(long i, FILENODE& out) const {
  if (!Valid(i)) return 0;
  out = nodes[size_t(i)];
  return 1;
}

int CPrintImageList::RefreshFile(long i, const WCHAR* newPath) {
  if (!Valid(i)) return 0;
  if (!newPath) nodes[size_t(i)].tmp = false;
  const int32_t copies = nodes[size_t(i)].copies;
  nodes[size_t(i)].copies = 0;
  _Remove(i);
  if (newPath) nodes[size_t(i)].fileName = newPath;
  // Filled at this very index, even when another entry names the same file.
  FILENODE fresh;
  const CQelStringW path = nodes[size_t(i)].fileName;
  if (path.IsEmpty() || !_Fill(fresh, path.c_str(), nullptr)) {
    printPicNum -= copies;
    return 0;
  }
  FILENODE& n = nodes[size_t(i)];
  n.dispPic = fresh.dispPic, n.thumbPic = fresh.thumbPic;
  n.orgSize = fresh.orgSize, n.dispSize = fresh.dispSize, n.dispAngle = 0;
  n.copies = copies;
  return 1;
}

int CPrintImageList::CopyAdd(long i) {
  if (!Valid(i)) return 0;
  FILENODE& n = nodes[size_t(i)];
  if (n.isText) {
    n.copies = 1;
  } else {
    ++n.copies;
    ++printPicNum;
  }
  return 1;
}

int CPrintImageList::CopyDecrease(long i, bool drop) {
  if (!Valid(i)) return 0;
  FILENODE& n = nodes[size_t(i)];
  if (n.copies > 0) {
    --n.copies;
    if (!n.isText) --printPicNum;
    if (n.copies == 0 && drop) _Remove(i);
  }
  return 1;
}

int CPrintImageList::SetCopies(long i, int32_t c) {
  if (!Valid(i)) return 0;
  printPicNum += c - nodes[size_t(i)].copies;
  nodes[size_t(i)].copies = c;
  return 1;
}

int32_t CPrintImageList::GetCopies(long i) const { return Valid(i) ? nodes[size_t(i)].copies : 0; }

int CPrintImageList::GetOrgSize(long i, SIZE* out) const {
  if (!Valid(i) || !out) return 0;
  *out = nodes[size_t(i)].orgSize;
  return 1;
}

SIZE CPrintImageList::GetDispSize(long i) const { return Valid(i) ? nodes[size_t(i)].dispSize : SIZE{0, 0}; }
int32_t CPrintImageList::GetOrgDispPiclAngle(long i) const { return Valid(i) ? nodes[size_t(i)].dispAngle : 0; }
PubImage::QelPicture* CPrintImageList::GetThumbPic(long i) const {
  return Valid(i) ? nodes[size_t(i)].thumbPic : nullptr;
}

PubImage::QelPicture* CPrintImageList::GetDispPic(long i) {
  if (!Valid(i)) return nullptr;
  FILENODE& n = nodes[size_t(i)];
  if (n.isText || n.dispPic || n.fileName.IsEmpty() || n.dispSize.cx <= 0) return n.dispPic;
  if (openProc) {
    SIZE want = n.dispSize;
    if (n.dispAngle) std::swap(want.cx, want.cy);
    PubImage::QelPicture* pic = nullptr;
    tagPICOPENINFO req;
    req.kind = 2;
    req.path = n.fileName.c_str();
    req.picSize = &want;
    req.picture = &pic;
    if (openProc(&req, openContext) && pic) {
      if (Turn(pic, n.dispAngle)) n.dispPic = pic;
      else pic->Release();
    }
  } else {
    n.dispPic = _OpenDisplay(n);
  }
  return n.dispPic;
}

PubImage::QelPicture* CPrintImageList::_GetPictObject(const WCHAR* path) {
  if (!path || !*path) return nullptr;
  if (openProc) {
    PubImage::QelPicture* pic = nullptr;
    tagPICOPENINFO req;
    req.kind = 2;
    req.path = path;
    req.picture = &pic;
    return openProc(&req, openContext) ? pic : nullptr;
  }
  if (lock) lock->Lock();
  PubImage::QelPicture* pic = OpenImgFile(path, false, nullptr, nullptr);
  if (lock) lock->Unlock();
  return pic;
}

PubImage::QelPicture* CPrintImageList::GetOrgPic(long i) {
  if (!Valid(i)) return nullptr;
  FILENODE& n = nodes[size_t(i)];
  if (n.orgPic) return n.orgPic;
  if (n.isText) return n.dispPic;
  n.orgPic = _GetPictObject(n.fileName.c_str());
  return n.orgPic ? n.orgPic : n.dispPic;
}

PubImage::QelPicture* CPrintImageList::GetOrgWithAct(long i) {
  Release(actPic);
  if (!Valid(i)) return nullptr;
  FILENODE& n = nodes[size_t(i)];
  if (n.orgSize.cx < dispMaxW && n.orgSize.cy < dispMaxH) {
    if (PubImage::QelPicture* d = GetDispPic(i)) return d;
  }
  actPic = _GetPictObject(n.fileName.c_str());
  return actPic;
}

void CPrintImageList::ReleasePics(FILENODE& n) {
  Release(n.dispPic);
  Release(n.thumbPic);
  Release(n.orgPic);
}

void CPrintImageList::FreeDispPic(long i) {
  if (!Valid(i)) return;
  Release(nodes[size_t(i)].dispPic);
  Release(nodes[size_t(i)].thumbPic);
}

void CPrintImageList::FreeOrgPic(long i) {
  if (Valid(i)) Release(nodes[size_t(i)].orgPic);
}

void CPrintImageList::ClearOrgPics() {
  for (FILENODE& n : nodes) Release(n.orgPic);
}

void CPrintImageList::ClearAllPic() {
  for (FILENODE& n : nodes) ReleasePics(n);
}

bool CPrintImageList::IsText(long i) const { return Valid(i) && nodes[size_t(i)].isText; }
bool CPrintImageList::IsPic(long i) const { return Valid(i) && !nodes[size_t(i)].isText; }

bool CPrintImageList::IsNodeEmpty(long i) const {
  // A dropped picture (no original size) is as empty as a dropped text.
  return !Valid(i) || nodes[size_t(i)].orgSize.cx == 0;
}

bool CPrintImageList::CanEdit() const {
  return std::any_of(nodes.begin(), nodes.end(), [](const FILENODE& n) { return !n.isText && n.copies > 0; });
}

bool CPrintImageList::IsFileExisted(const WCHAR* path) const {
  long i = _FindFile(path, -1);
  return i >= 0 && (nodes[size_t(i)].copies > 0 || nodes[size_t(i)].orgSize.cx != 0);
}

long CPrintImageList::PicIndex2ResIndex(long n) const {
  if (n < 0 || n >= long(outFiles.size())) return -1;
  return _FindFile(outFiles[size_t(n)].path.c_str(), -1);
}

void CPrintImageList::SetTmp2(long i, bool on) {
  if (Valid(i)) nodes[size_t(i)].tmp2 = on;
}
bool CPrintImageList::GetTmp2(long i) const { return Valid(i) && nodes[size_t(i)].tmp2; }
void CPrintImageList::SetShotTime(long i, const WCHAR* t) {
  if (Valid(i)) nodes[size_t(i)].shotTime = t ? t : u"";
}
void CPrintImageList::SetOtherInfo(long i, const WCHAR* t) {
  if (Valid(i)) nodes[size_t(i)].otherInfo = t ? t : u"";
}
CQelStringW CPrintImageList::GetShotTime(long i) const { return Valid(i) ? nodes[size_t(i)].shotTime : CQelStringW(); }
CQelStringW CPrintImageList::GetOtherInfo(long i) const {
  return Valid(i) ? nodes[size_t(i)].otherInfo : CQelStringW();
}
CQelStringW CPrintImageList::GetFileName(long i) const { return Valid(i) ? nodes[size_t(i)].fileName : CQelStringW(); }

int CPrintImageList::GetTextInfo(long i, CMyTextInfo& out) const {
  if (!Valid(i) || !nodes[size_t(i)].isText) return 0;
  out = nodes[size_t(i)].textInfo;
  return 1;
}

int CPrintImageList::GetTextInfo(long i, CMyTextInfo* out) const { return out ? GetTextInfo(i, *out) : 0; }

int CPrintImageList::UpdateText(long i, const CMyTextInfo& t, POINT* oldShadow, int) {
  if (!Valid(i)) return 0;
  FILENODE& n = nodes[size_t(i)];
  if (n.textInfo == t) return 0;
  n.dispSize = n.orgSize;
  if (oldShadow) *oldShadow = n.shadowOffset;
  n.textInfo = t;
  return 1;
}

int CPrintImageList::GetTextShadowOffset(long i, POINT& out) const {
  if (!Valid(i)) return 0;
  out = nodes[size_t(i)].shadowOffset;
  return 1;
}

int CPrintImageList::DoAutoRotate(long i, long cellW, long cellH) {
  if (!Valid(i)) return 0;
  FILENODE& n = nodes[size_t(i)];
  if (n.isText || !n.dispPic || n.dispSize.cy == 0 || cellW <= 0 || cellH <= 0) return 0;
  long w = n.dispSize.cx, h = n.dispSize.cy;
  if (n.dispAngle == 90 || n.dispAngle == 270) std::swap(w, h);
  if (w <= 0 || h <= 0) return 0;
  const double p = double(w) / h, c = double(cellW) / cellH;
  const bool differ = (p > 1 && c < 1) || (p < 1 && c > 1);
  int32_t turn;
  if (differ && n.dispAngle == 0) turn = autoRotateAngle;
  else if (!differ && n.dispAngle != 0) turn = 360 - n.dispAngle;
  else return 0;
  bool ok = Turn(n.dispPic, turn);
  if (ok && n.thumbPic && n.thumbPic != n.dispPic) ok = Turn(n.thumbPic, turn);
  if (!ok) {
    rotateFailed = true;
    return 0;
  }
  rotateFailed = false;
  if (differ) n.dispSize = SIZE{int32_t(h), int32_t(w)}, n.dispAngle = autoRotateAngle;
  else n.dispSize = SIZE{int32_t(w), int32_t(h)}, n.dispAngle = 0;
  return 1;
}

const std::vector<tagPRINTFileINFO>& CPrintImageList::GetOutFileVect() {
  outFiles.clear();
  for (const FILENODE& n : nodes) {
    if (n.isText || n.copies < 1) continue;
    tagPRINTFileINFO r;
    r.path = n.fileName;
    r.thumbnail = n.thumbPic;
    r.display = n.dispPic;
    r.copies = n.copies;
    r.width = n.dispAngle ? n.orgSize.cy : n.orgSize.cx;
    r.height = n.dispAngle ? n.orgSize.cx : n.orgSize.cy;
    std::copy(std::begin(n.userData), std::end(n.userData), std::begin(r.userData));
    outFiles.push_back(r);
  }
  return outFiles;
}

void CPrintImageList::_Remove(long i) {
  if (!Valid(i)) return;
  FILENODE& n = nodes[size_t(i)];
  n.orgSize = n.dispSize = SIZE{0, 0};
  ReleasePics(n);
  n.tmp = false;
}

void CPrintImageList::_DeleteOwnFile(const FILENODE& n) const {
  if (n.fileName.IsEmpty() || tempFolder.empty()) return;
  std::error_code ec;
  fs::path p = fs::weakly_canonical(U8(n.fileName.c_str()), ec);
  if (ec) return;
  // Only a file directly below the project's temporary folder is its own.
  auto [end, _] = std::mismatch(tempFolder.begin(), tempFolder.end(), p.begin(), p.end());
  if (end != tempFolder.end() || p == tempFolder) return;
  fs::remove(p, ec);
}

void CPrintImageList::ClearDirty(bool erase) {
  for (long i = long(nodes.size()) - 1; i >= 0; --i) {
    FILENODE& n = nodes[size_t(i)];
    if (n.copies != 0) continue;
    ReleasePics(n);
    if (n.tmp || n.tmp2) {
      _DeleteOwnFile(n);
      n.tmp = false;
    }
    n.orgSize = n.dispSize = SIZE{0, 0};
    if (erase) nodes.erase(nodes.begin() + i);
  }
}

void CPrintImageList::Clear() {
  for (FILENODE& n : nodes) {
    ReleasePics(n);
    if (n.tmp || n.tmp2) _DeleteOwnFile(n);
  }
  nodes.clear();
  outFiles.clear();
  Release(actPic);
  printPicNum = 0;
}
