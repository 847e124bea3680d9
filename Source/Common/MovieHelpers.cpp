#include "MovieHelpers.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "CQelStringW.h"
#include "img/Operations.h"
#include "os/Offscreen.h"
#include "qel/QelWideText.h"

namespace {
constexpr OSErr kMemFullErr = -108;
}

Movie OpenMovFile(const WCHAR* path) {
  if (!path || !*path) return nullptr;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(QelToUTF8(path), ec)) return nullptr;
  return OpenMovieFromPath(path);
}

Movie OpenMovieFromPath(const WCHAR* path) {
  if (!path) return nullptr;
  FSRef ref;
  if (!CQelStringW(path).MakeFSRef(&ref.path)) return nullptr;
  return OpenMovieFromRef(&ref);
}

Movie OpenMovieFromRef(const FSRef* ref) {
  return ref && !ref->path.empty() ? NewMovieFromUTF8Path(ref->path.c_str()) : nullptr;
}

void GetMovieActiveSDTime(Movie movie, int32_t* start, int32_t* duration) {
  if (start) *start = 0;
  if (duration) *duration = GetMovieDuration(movie);
}

OSErr NewGWorld1(GWorldPtr* world, int16_t depth, const Rect* bounds, CTabHandle, GDHandle) {
  if (!world || !bounds) return paramErr;
  *world = nullptr;
  int32_t width = bounds->right - bounds->left, height = bounds->bottom - bounds->top;
  if (width <= 0 || height <= 0 || plat::OffscreenRowBytes(width, depth) == 0) return paramErr;
  *world = plat::NewOffscreen(width, height, depth);
  return *world ? OSErr(0) : kMemFullErr;
}

GWorldPtr MovieFrameToGWorldSimple(Movie movie, int32_t time, Rect& bounds, unsigned char restore) {
  bounds.right -= bounds.left;
  bounds.bottom -= bounds.top;
  bounds.left = bounds.top = 0;
  if (!movie) return nullptr;
  GWorldPtr world = nullptr;
  if (NewGWorld1(&world, plat::kOffscreenARGB32, &bounds, nullptr, nullptr) != 0) return nullptr;
  GWorldPtr previous = GetMovieGWorld(movie);
  SetMovieGWorld(movie, world);
  SetMovieTimeValue(movie, time);
  MoviesTask(movie, 0);
  if (restore) SetMovieGWorld(movie, previous);
  return world;
}

void MovieFrameToGWorldSimple(Movie movie) {
  if (movie) MoviesTask(movie, 0);
}

GWorldPtr CopyGWorld(GWorldPtr source) {
  if (!source) return nullptr;
  GWorldPtr copy = plat::NewOffscreen(source->width, source->height, source->depth);
  if (copy) plat::CopyOffscreen(source, copy);
  return copy;
}

void CopyGWorld(GWorldPtr source, GWorldPtr target) {
  if (!source || !target || source->depth != target->depth) return;
  int32_t height = std::min(source->height, target->height);
  size_t bytes = size_t(std::min(plat::OffscreenRowBytes(std::min(source->width, target->width), source->depth),
                                 std::min(source->rowBytes, target->rowBytes)));
  for (int32_t y = 0; y < height; ++y)
    std::memcpy(target->pixels + size_t(y) * size_t(target->rowBytes),
                source->pixels + size_t(y) * size_t(source->rowBytes), bytes);
}

void DisposeGWorld(GWorldPtr world) { plat::DisposeOffscreen(world); }

int32_t TickCountToTimeValue(int32_t ticks) { return ticks * 10; }

int GWProcessBrightnessAndContrast(GWorldPtr world, int brightness, int contrast, int channels) {
  if (!world) return 0;
  if (brightness == 0 && contrast == 0) return 1;
  if (world->depth != plat::kOffscreenARGB32) return 0;
  // The full row stride, whatever the width.
  img::ApplyBrightnessContrastArgb(world->pixels, world->width, world->height, size_t(world->rowBytes),
                                   brightness, contrast, channels);
  return 1;
}
