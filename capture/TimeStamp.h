#pragma once
// The date stamp drawn into the lower right corner of a photo, composed of
// eleven digit pictures shipped beside the plug-in ("0.png" .. "9.png" and
// the separator "10.png"), never drawn in a font. One instance at a time;
// the panel makes it on the first stamped photo and keeps it.
#include <array>
#include <cstdint>

#include "PubImage.h"

class CTimeStamp {
 public:
  // Loads the eleven pictures; a missing one leaves the stamp without
  // pictures (Loaded() false). Destroys a previous instance first.
  CTimeStamp();
  virtual ~CTimeStamp();
  static CTimeStamp* GetPtr();

  int32_t Init();
  void UnInit();
  bool Loaded() const { return m_bLoaded; }

  // Today as ten picture indexes: month tens, month units, 10, day tens,
  // day units, 10, then the year's four digits.
  static void GetSystemTime(int32_t* indexes, int32_t count);
  static void DateIndexes(int32_t year, int32_t month, int32_t day, int32_t* indexes);
  // Draws the date right-aligned at (1 - rightMargin) x W on the baseline
  // (1 - bottomMargin) x H, `widthFraction` x W wide before the digits'
  // overlap. 1 done; 0 for no picture or when the digit pictures are
  // missing (the photo is kept without a stamp; logged once).
  int32_t AddTimeStamp(PubImage::QelPicture* picture, double widthFraction, double rightMargin, double bottomMargin);
  // The same for a given date (tests and a fixed clock).
  int32_t AddTimeStampFor(PubImage::QelPicture* picture, const int32_t* indexes, double widthFraction,
                          double rightMargin, double bottomMargin);

  // The width fraction a photo of that width gets.
  static double WidthFraction(int32_t pictureWidth);

 private:
  std::array<PubImage::QelPicture*, 11> m_digits{};
  std::array<SIZE, 11> m_sizes{};
  bool m_bLoaded = false;
};
