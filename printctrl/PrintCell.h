#pragma once
// One cell of a page: a rectangle on the page showing one picture or text
// resource of the image list, the part of the picture it shows, its zoom,
// auto-crop, and the ordered turns and flips applied to the picture.
#include <cstdint>
#include <list>

#include "qel/QelTypes.h"

class CPrintCell {
 public:
  struct NODE1 {
    virtual ~NODE1() = default;
    int32_t kind = 0;   // 0 rotation, 1 flip
    int32_t value = 0;  // rotation: 90, 180, 270; flip: 1 left-right, 0 top-bottom
  };

  static const double s_dZoom[];
  static const int s_dZoomNum;

  CPrintCell() { _Init(); }
  explicit CPrintCell(const CPrintCell* other);
  CPrintCell(const CPrintCell& other) = default;
  CPrintCell& operator=(const CPrintCell& other) = default;
  virtual ~CPrintCell() = default;

  void SetResourceIndex(int res, SIZE size, bool text);
  void SetPicRect(const SRect32& r);
  void SetPicSize(int w, int h) { picWidth = w, picHeight = h; }
  int DoPan(const SRect32& r);
  bool CanZoomIn() const;
  bool CanZoomOut() const;
  // step 0: whole picture; +1 / -1: the next zoom step in or out.
  int DoZoom(int step);
  int _SetZoom(double z);
  int DoMoveOrZoom(const SRect32& r);
  void DoAutoCrop(bool on);
  void GetPicShowRect(SRect32& out) const;
  void DoRotate(long angle);
  void DoFlip(bool dir);
  void DoAutoRotate(long mode);
  // (angle, flipA, flipB): flip left-right (flipA) or top-bottom (flipB)
  // first, then turn counter-clockwise by angle.
  void GetImgState(long& angle, int& flipA, int& flipB) const;
  bool operator==(const CPrintCell& o) const;

  SRect32 picRect;
  SRect32 cellRect;
  double zoom;
  int32_t resIndex;
  bool autoCrop;
  std::list<NODE1> history;
  int32_t picWidth, picHeight;
  int32_t zOrder;
  bool isText;
  bool excluded;

 private:
  void _Init();
  void _Rotated(int32_t a);
  void _Flipped(int32_t dir);
  bool HasPicture() const { return !isText && resIndex >= 0; }
};
