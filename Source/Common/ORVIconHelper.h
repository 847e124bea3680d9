#pragma once
// Icons: small pictures kept as an "icon family" (here the bytes of a PNG
// file), registered while in use; the row flip of bitmaps; and a file's
// icon as the desktop shows it (GIO's file icon, at 16 x 16) put into an
// element's picture layer.
#include <cstdint>

#include "FSRefHelper.h"
#include "qel/QelTypes.h"

namespace plat {
class Bundle;
}

struct ORVIcon;
typedef ORVIcon* IconRef;

class CORVIconHelper {
 public:
  // The icon's family (PNG bytes) copied into a new array the caller frees
  // with delete[]; answers its size. 0 for a null icon or out pointer, or
  // when the copy cannot be allocated.
  static uint32_t SaveIcon(IconRef icon, unsigned char** out);
  // Registers the family bytes as an icon (creator 'ZYLS', type 'VDLT');
  // null when they are not a picture.
  static IconRef LoadIcon(const unsigned char* data, uint32_t size);
  // Pictures are not icons: always null.
  static IconRef LoadPicture(const unsigned char* data, uint32_t size);
  // The family of an icon file (a PNG) registered as an icon; null on failure.
  static IconRef CreateIconFromFile(const FSRef* file);
  // The bundle's resource of that name (".png" added when it has no
  // extension), through CreateIconFromFile; null without a bundle or
  // resource.
  static IconRef LoadIcon(const WCHAR* name, const plat::Bundle* bundle);
  // 1 when the icon was registered and is now released; 0 otherwise.
  static int DestroyIcon(IconRef icon);
  // Width and height of a registered icon (0 x 0 otherwise).
  static SIZE IconSize(IconRef icon);

  // Flips rowCount rows of rowBytes bytes top to bottom in place. 1 on
  // success (also for fewer than two rows); 0 for a null buffer, a negative
  // size or when the scratch row cannot be allocated.
  static int ReverseBitmap(unsigned char* rows, int32_t rowBytes, int32_t rowCount);

  // The icon the desktop shows for the file, at 16 x 16, into the first
  // layer of the element's layer set: the colours, then the mask. Nothing
  // for a null path or element, a file GIO knows no icon for, or an icon
  // of another size.
  static void ExtractOpenWithIcon(const WCHAR* path, QelObject element);
};
