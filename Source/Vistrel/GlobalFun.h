#pragma once
// The viewer's stand-alone functions: which files it shows, opening a
// picture at thumbnail size, reading a picture's size, its string table,
// screen sizes, the image control's background, tools, keys and the beep.
#include <cstdint>
#include <string>

#include "PictureReader.h"
#include "PubImage.h"
#include "qel/QelTypes.h"

class CGlobalFun {
 public:
  // The program's string table "VistrelRes.aui" (from the bundle's UI folder).
  static void LoadResourceObject(const std::string& bundleContents);
  static void FreeResource();
  // Copies string `id` into buffer (at most length units, terminated) when
  // the table is loaded, the buffer set and length above 0; otherwise the
  // buffer keeps what it held.
  static void LoadQelmarString(uint32_t id, WCHAR* buffer, int32_t length);
  // Formats string `id` (a format with exactly two integer placeholders)
  // with the two numbers; the built-in `fallback` format when the table's
  // text has other placeholders.
  static std::u16string FormatTwoIntegers(uint32_t id, const WCHAR* fallback, int32_t a, int32_t b);

  // A toolkit object of `toolClass` placed last inside `panel`; the
  // toolkit's answer, 0 when none could be made.
  static int32_t RegisterTool(const void* panel, int32_t toolClass);
  // A black 128 x 128 background for an image control; other elements are ignored.
  static void SetImageCtrlBackground(PubQelmar::QelElement* imageControl);

  static int32_t IsFileExist(const WCHAR* path);
  // JPEG, PNG and BMP pictures, by their extension.
  static int32_t IsSupportedImageFile(const WCHAR* path);
  // 1 for a picture the image reader decodes itself, 0 for a camera raw
  // file. No raw format is read here, so every path answers 1.
  static int32_t IsSupportImage(const WCHAR* path);
  // Both 0 unless the file's header gives its size.
  static void GetImageSize(const WCHAR* path, int32_t& width, int32_t& height);
  // The picture fitted into si (aspect kept), decoded at the smallest
  // reduced resolution that still covers it; null when it cannot be read or
  // fAbort asked to stop. The caller owns the picture. `fullSize`, when
  // given, receives the size of the image in the file.
  static PubImage::QelPicture* OpenImgFileThumb(const WCHAR* path, SIZE& si, ImgAbortProc fAbort, void* pExtra,
                                                int32_t fileType, int32_t rawFile, SIZE* fullSize = nullptr);

  // Non-zero while the modifier is held (256: Command, which is Control here).
  static int32_t IsKeyDown(uint32_t key);
  // The warning beep (counted, so that tests can see it).
  static void MessageBeep();
  static int BeepCount();

  static void GetScreenSize(SIZE& size);
  static void GetScreenWorkArea(SIZE& size);
  // Left and top of the work area too (a panel may sit left or on top).
  static void GetScreenWorkArea(SRect32& area);
};
