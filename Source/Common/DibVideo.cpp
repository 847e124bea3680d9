// The thumbnail of a movie file: its first frame, fitted into the asked size.
#include <algorithm>

#include "DibHelper.h"
#include "media/Movie.h"
#include "qel/QelWideText.h"

unsigned char* DibGetFromVideoFile(const char16_t* path, int width, int height) {
  if (!path || !*path || width <= 0 || height <= 0) return nullptr;
  media::Movie movie;
  if (movie.Open(QelToUTF8(path)) != 0 || !movie.HasVideo() || movie.Duration() < 1) return nullptr;
  media::Size natural = movie.NaturalSize();
  if (natural.width <= 0 || natural.height <= 0) return nullptr;
  // Fitted keeping the proportions; small movies are enlarged as pictures are.
  double s = std::min(double(width) / natural.width, double(height) / natural.height);
  media::Size size{std::max(int32_t(natural.width * s), 1), std::max(int32_t(natural.height * s), 1)};
  media::Frame frame;
  if (movie.FrameAt(0, frame, size) != 0 || frame.width <= 0 || frame.height <= 0) return nullptr;
  unsigned char* dib = DIBNew(frame.width, frame.height, 24, 72);
  if (!dib) return nullptr;
  size_t stride = DIBStride(frame.width, 24);
  for (int32_t y = 0; y < frame.height; ++y) {
    const uint8_t* in = frame.Row(y);                                   // A, R, G, B
    unsigned char* out = dib + 40 + size_t(frame.height - 1 - y) * stride;  // bottom-up B, G, R
    for (int32_t x = 0; x < frame.width; ++x, in += 4, out += 3) {
      out[0] = in[3];
      out[1] = in[2];
      out[2] = in[1];
    }
  }
  return dib;
}
