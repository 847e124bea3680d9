#pragma once
// The zoom steps of the image view and the arithmetic between the zoom of
// the picture on screen (often a reduced preview) and the zoom relative to
// the image in the file. Zooms are (numerator, denominator) pairs.
#include "qel/QelTypes.h"

struct ZoomPair {
  int num;
  int den;
};

// 36 steps in ascending order, stored unreduced; entry 16 (1/1) is actual size.
inline constexpr int s_nZoomParam = 36;
extern const ZoomPair s_ZoomParam[s_nZoomParam];

namespace zoom {

// Zooming in: the first step above m/d, or the last (8/1) when none is.
// Zooming out: the last step below m/d, or the first (1/8) when none is.
void NextInTable(bool zoomIn, int& m, int& d);

// m/d as a pair on the base 1000: the larger side becomes 1000, the other
// is truncated, never below 1.
void Normalise(double m, double d, int& outM, int& outD);

// The zoom of the image in the file for a control zoom mul/div on a
// picture of size `shown` standing for an image of size `org` (a full
// resolution picture: the same zoom). The longer side of the picture sets
// the scale.
void CurToOrg(int mul, int div, bool fullResolution, SIZE shown, SIZE org, int& m, int& d);
// The inverse: the control zoom that shows the image at m/d.
void OrgToCur(int m, int d, bool fullResolution, SIZE shown, SIZE org, int& mul, int& div);

// The command tests of the zoom buttons, on the zoom relative to the file.
inline bool CanZoomIn(int m, int d) {
  const ZoomPair& last = s_ZoomParam[s_nZoomParam - 1];
  return static_cast<long long>(m) * last.den < static_cast<long long>(last.num) * d;
}
inline bool CanZoomOut(int m, int d) {
  const ZoomPair& first = s_ZoomParam[0];
  return static_cast<long long>(m) * first.den > static_cast<long long>(first.num) * d;
}
inline bool CanDoActualSize(int m, int d) { return m != d; }

}  // namespace zoom
