#pragma once
// Size, index and matrix arithmetic of the image view, kept apart from the
// windows so that it can be checked by value.
#include <vector>

#include "qel/QelTypes.h"

// Reduced decode levels of a preview.
enum enuDeflateLevel { PPIC_ORIGINAL = 0, PPIC_HALF = 1, PPIC_QUARTER = 2, PPIC_EIGHTH = 3 };

namespace geom {

// A 3x3 affine matrix, row-vector convention (as the layers take it):
// x' = x*eM11 + y*eM21 + eM31, y' = x*eM12 + y*eM22 + eM32.
struct Xform {
  double eM11 = 1, eM12 = 0, eM13 = 0;
  double eM21 = 0, eM22 = 1, eM23 = 0;
  double eM31 = 0, eM32 = 0, eM33 = 1;
};

// (fw, fh) is the frame, (w, h) the picture: the picture's aspect fitted
// into the frame, rounded, each side at least 1; 0 x 0 when any input is
// 0 or less.
void GetFitInSize(long fw, long fh, long w, long h, long& ow, long& oh);
// `source` shrunk to fit `dest` (never enlarged); 0 x 0 for an empty dest.
SIZE FitInSize(SIZE source, SIZE dest);
// The smallest reduced level whose picture still covers the fitted size.
enuDeflateLevel GetDeflateLevel(SIZE source, SIZE dest);

// The read order of the 2N+1 preview slots: the centre first, then the
// direction of travel, then the other side.
std::vector<int> ReadOrderNext(int n);
std::vector<int> ReadOrderPrevious(int n);
// Wraps any index into 0 .. size-1 around the list; 0 for an empty list.
int TransIndex(int index, int size);

// out = a x b.
void MultMatrix(Xform& out, const Xform* a, const Xform* b);
void TransformPoint(const Xform* t, double x, double y, double* nx, double* ny);
// The transformed rectangle's corners, rounded outward.
void Transform_Rect(const Xform* t, const SRect32& src, SRect32* dst);

}  // namespace geom
