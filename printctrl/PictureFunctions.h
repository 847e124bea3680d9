#pragma once
// The control's picture toolbox: DIBs in memory blocks, toolkit pictures and
// layers, rectangle mapping between coordinate spaces, fit sizes, picture
// files and the turn-and-flip merge. Free functions without state; the one
// shared object is CFunctionImgCtrl (FunctionImgCtrl.h).
#include <cstdint>
#include <vector>

#include "PubImage.h"
#include "qel/QelTypes.h"

class CMyTextInfo;
class CQelStringW;

// ---- DIBs ----
// A DIB lives in one memory block: a toolkit heap block (qelHeapAlloc) or a
// memory handle (NewHandleClear); `toolkitHeap` says which. The block holds
// the 40-byte header, the palette and the rows padded to 4 bytes.
typedef char** DIBBLOCK;

// New DIB (1, 8 or 24 bits) filled with colour 0x00BBGGRR, in a toolkit heap
// block; null for a bad size, one over the pixel budget or no memory.
DIBBLOCK DibNew(long width, long height, long bits, long resolution, unsigned long colour);
// Frees a DIB of either kind.
void DibFree(DIBBLOCK dib, int toolkitHeap);
// The bytes of a DIB (header first); null for null.
uint8_t* DibLock(DIBBLOCK dib, int toolkitHeap);
void DibUnlock(DIBBLOCK dib, int toolkitHeap);

// A layer from a 24-bit DIB: asStored keeps the stored row order (the first
// stored row on top), otherwise a bottom-up DIB arrives upright.
PubImage::QelLayer* CreateLayerFromDib(DIBBLOCK dib, int toolkitHeap, int asStored);
PubImage::QelPicture* CreatePictureFromDib(DIBBLOCK dib, int toolkitHeap, int asStored);
// A 24-bit DIB of the layer (positive height): bottomUp stores the rows
// upright, otherwise the top row is stored first.
DIBBLOCK QelLayerToDib(const void* layer, int toolkitHeap, int bottomUp);
// The printing form: a masked layer is flattened over white first; a
// handle DIB, top row first with a negative height when topDown is set,
// else an upright bottom-up DIB.
DIBBLOCK Layer2Dib(PubImage::QelLayer* layer, int topDown, int busyCursor);
// A new handle DIB with the rows in reverse order (1, 4, 8, 24 bits).
DIBBLOCK ProcessFlipVertically(DIBBLOCK dib, int busyCursor);

// ---- layers and pictures ----
PubImage::QelLayer* CreateLayerObj(SRect32* rect);
// A copy of a layer (with a copy of its mask); null for anything but a layer.
PubImage::QelLayer* CopyQelLayer(PubImage::QelLayer* layer);
PubImage::QelLayer* CopyQelLayer(const void* layer);
// A copy of the picture's first layer.
PubImage::QelLayer* Pic2Layer(PubImage::QelPicture* picture);
// An empty picture of that size; null unless both sides are at least 1.
PubImage::QelPicture* CreatePicObj(SIZE size);
void GetLayerSize(PubImage::QelLayer* layer, SIZE& size);
void GetLayerSize(PubImage::QelLayer* layer, long& width, long& height);
// Resample quality: 0 fast (also for masked layers), 1 good.
typedef int32_t IMGC_LYR_Q;
PubImage::QelLayer* ResampleLayer(const void* layer, int width, int height, IMGC_LYR_Q quality);
PubImage::QelPicture* ResamplePic(PubImage::QelPicture* picture, unsigned long width, unsigned long height,
                                  IMGC_LYR_Q quality);
PubImage::QelLayer* CropLayer(const void* layer, const SRect32& rect, long quality);
// Turns (counter-clockwise degrees) and then mirrors left to right a copy
// of the layer; the layer itself when both are 0 (one more reference).
PubImage::QelLayer* RotateFlipLayer(PubImage::QelLayer* layer, long angle, long flip);
// Dims the layer three quarters toward white, in place; 1 when done.
int FoggyLayer(const void* layer);

// ---- geometry ----
int GetZoomRect(const SIZE& from, SRect32& rect, SIZE& to, SRect32& out, bool keepSize);
int ZoomRect(SRect32& rect, double zoom);
int MyZoomRects(const std::vector<SRect32>& src, std::vector<SRect32>& dst, _QELDIV factor);
int GetLeftIndex(const std::vector<SRect32>& rects, int i);
int GetTopIndex(const std::vector<SRect32>& rects, int i);
void GetFitInSize(const long& boxW, const long& boxH, const long& picW, const long& picH, long& outW, long& outH);
void GetHalfFitInSize(const long& boxW, const long& boxH, const long& picW, const long& picH, long& outW,
                      long& outH);
void GetAutoCropSize(const long& boxW, const long& boxH, const long& picW, const long& picH, long& outW,
                     long& outH);
void HoldDispRect(SRect32* rect, SRect32* bound);
int GetPicRect(PubImage::QelImgControl* control, SRect32& rect);
int GetImgCtrlPicView(PubImage::QelImgControl* control, SRect32& rect);

// Turn and flip steps: 0 turn 90, 1 turn 180, 2 turn 270, 3 flip left to
// right, 4 flip top to bottom (a flip and a half turn). Turns are counter-
// clockwise. The merged result means: turn by angle, then flip left to right.
enum RFATYPE : int32_t { RFA_ROTATE90 = 0, RFA_ROTATE180, RFA_ROTATE270, RFA_FLIP, RFA_FLIP_OTHER };
void MergeRotateFlip(std::vector<RFATYPE>& steps, long& angle, int& flip);

// ---- files ----
typedef unsigned long (*IMGABORTPROC)(void*);  // 0: stop
// The picture of a file at full size (flag set: as decoded, without a
// re-render); abort is polled while decoding. Null when it cannot be read.
PubImage::QelPicture* OpenImgFile(const WCHAR* path, bool flag, IMGABORTPROC abort, void* data);
// The file decoded at the reduction that still gives the wanted width.
PubImage::QelPicture* OpenImgFileThumb(const WCHAR* path, SIZE& want);
// Reduction level for a wanted width: 0 full, 1 half, 2 quarter, 3 eighth.
int ReductionLevelFor(long fileWidth, long wantWidth);
// The size of a file's picture from its headers; 0 x 0 when unreadable.
SIZE GetImgFileDimension(const WCHAR* path);
// Saves by the file name's extension (JPEG, BMP, PNG) at `resolution` dots
// per inch; option points at {1, JPEG quality} or is null. 1 when the file
// exists afterwards.
int SaveImgFile(const void* picture, const WCHAR* path, long resolution, void* option);
// Turns an existing path into the first free "name_N.ext" beside it.
int GetNotExistedFileName(CQelStringW& path);

// ---- text ----
// The toolkit's text-info record: the text, the font name and nine values.
struct ZYLTEXTINFO {
  const WCHAR* text;
  const WCHAR* faceName;
  int32_t values[9];
};
int ZylText2MyTextInfo(const ZYLTEXTINFO* source, CMyTextInfo& out);
// Text cells are not rendered yet: always null.
PubImage::QelLayer* Text2Layer(const CMyTextInfo& info, _QELDIV scale, int pixels, bool flag);
