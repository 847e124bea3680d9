#pragma once
// The page strip: one thumbnail per page of the project in a one-row album,
// numbered from 1, with the selection mark, scrolling and the states of the
// strip's buttons. Choosing a thumbnail shows its page.
#include <cstdint>
#include <vector>

#include "qel/QelAlbum.h"
#include "qel/QelImage.h"

class CPrintProject;

// One album item: binds the item's panel (while the album shows it) to the
// page's thumbnail picture.
class CPageThumbNail {
 public:
  CPageThumbNail() = default;
  CPageThumbNail(const CPageThumbNail&) = delete;
  CPageThumbNail& operator=(const CPageThumbNail&) = delete;
  virtual ~CPageThumbNail();

  void SetPanel(qel::Element* panel, qel::Picture* picture, const SIZE* size);
  void RefreshPictSize(const SIZE* size);
  void Update(qel::Picture* picture);
  int RefreshSelect();
  bool IsPtInThumb(POINT p) const;
  void SetPageNumber(long number);

  qel::Element* panel = nullptr;  // one reference held
  int32_t selected = 0;
  SIZE thumbSize{0, 0};
  qel::Picture* pict = nullptr;   // the page's, not owned
  qel::Element* imgCtrl = nullptr;
};

class CPageBin {
 public:
  // Button-state bits told to the host (notification 2117).
  static constexpr uint32_t kCanScrollLeft = 2, kCanScrollRight = 4, kCanDelete = 8;

  CPageBin(qel::Element* panel, qel::Album* album, CPrintProject* project);
  CPageBin(const CPageBin&) = delete;
  CPageBin& operator=(const CPageBin&) = delete;
  virtual ~CPageBin();

  int AddPict(qel::Picture* picture);
  int DeletePict(int index, int report);
  void ClearPicts(int report);
  void Update(unsigned long index, qel::Picture* picture);
  void SetCurrent(int index);
  void MakeItemVisible(long index);
  void DoLScroll();
  void DoRScroll();
  int GetFirstIndex(POINT* where = nullptr);
  bool CanRScroll();
  void RefreshPicPageNum(int from);
  uint32_t GetButtonState();
  long Count() const { return long(thumbs.size()); }
  qel::Album* GetAlbum() const { return album; }

 private:
  static int32_t AlbumCBK(QelObject element, int32_t event, QELLPARAM data, void* strip);
  int32_t OnAlbum(int32_t event, QELLPARAM data);
  void ReportState();
  void ScrollTo(int index);
  bool Valid(long i) const { return i >= 0 && i < long(thumbs.size()); }

  std::vector<CPageThumbNail*> thumbs;
  qel::Album* album = nullptr;     // one reference held
  qel::Element* panel = nullptr;
  CPrintProject* project = nullptr;
  int32_t deleting = 0;
};
