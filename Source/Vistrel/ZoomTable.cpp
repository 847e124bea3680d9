#include "ZoomTable.h"

#include <cmath>

const ZoomPair s_ZoomParam[s_nZoomParam] = {
    {1, 8},   {10, 75}, {1, 7},   {10, 65}, {1, 6},   {10, 55}, {1, 5},   {10, 45}, {1, 4},
    {10, 35}, {1, 3},   {10, 25}, {1, 2},   {10, 18}, {2, 3},   {10, 13}, {1, 1},   {12, 10},
    {13, 10}, {15, 10}, {18, 10}, {2, 1},   {23, 10}, {25, 10}, {28, 10}, {3, 1},   {35, 10},
    {4, 1},   {45, 10}, {5, 1},   {55, 10}, {6, 1},   {65, 10}, {7, 1},   {75, 10}, {8, 1},
};

namespace zoom {

namespace {
// a/b compared with c/d without division (all positive).
long long Cross(int a, int b, int c, int d) { return static_cast<long long>(a) * d - static_cast<long long>(c) * b; }
}  // namespace

void NextInTable(bool zoomIn, int& m, int& d) {
  if (zoomIn) {
    for (const ZoomPair& z : s_ZoomParam) {
      if (Cross(m, d, z.num, z.den) < 0) {
        m = z.num;
        d = z.den;
        return;
      }
    }
    m = s_ZoomParam[s_nZoomParam - 1].num;
    d = s_ZoomParam[s_nZoomParam - 1].den;
    return;
  }
  for (int i = s_nZoomParam - 1; i >= 0; --i) {
    const ZoomPair& z = s_ZoomParam[i];
    if (Cross(m, d, z.num, z.den) > 0) {
      m = z.num;
      d = z.den;
      return;
    }
  }
  m = s_ZoomParam[0].num;
  d = s_ZoomParam[0].den;
}

void Normalise(double m, double d, int& outM, int& outD) {
  if (m > d) {
    double v = d / m * 1000.0;
    outD = v > 1.0 ? static_cast<int>(v) : 1;
    outM = 1000;
  } else {
    double v = d > 0 ? m / d * 1000.0 : 0.0;
    outM = v > 1.0 ? static_cast<int>(v) : 1;
    outD = 1000;
  }
}

void CurToOrg(int mul, int div, bool fullResolution, SIZE shown, SIZE org, int& m, int& d) {
  if (fullResolution) {
    m = mul;
    d = div;
    return;
  }
  double mm, dd;
  if (shown.cx > shown.cy) {
    mm = double(mul) * shown.cx;
    dd = double(div) * org.cx;
  } else {
    mm = double(mul) * shown.cy;
    dd = double(div) * org.cy;
  }
  Normalise(mm, dd, m, d);
}

void OrgToCur(int m, int d, bool fullResolution, SIZE shown, SIZE org, int& mul, int& div) {
  if (fullResolution) {
    mul = m;
    div = d;
    return;
  }
  double mm, dd;
  if (shown.cx > shown.cy) {
    mm = double(m) * org.cx;
    dd = double(d) * shown.cx;
  } else {
    mm = double(m) * org.cy;
    dd = double(d) * shown.cy;
  }
  Normalise(mm, dd, mul, div);
}

}  // namespace zoom
