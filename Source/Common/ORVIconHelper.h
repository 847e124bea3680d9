#pragma once
// Bitmap and icon conversions. Only the row flip has a meaning here: the
// icon families, registered icons and Finder icon layers it once converted
// between belong to a platform this program does not run on.
#include <cstdint>

class CORVIconHelper {
 public:
  // Flips rowCount rows of rowBytes bytes top to bottom in place. 1 on
  // success (also for fewer than two rows); 0 for a null buffer, a negative
  // size or when the scratch row cannot be allocated.
  static int ReverseBitmap(unsigned char* rows, int32_t rowBytes, int32_t rowCount);
};
