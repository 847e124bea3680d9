#pragma once
// A movie file opened for reading. Every movie is presented in 600 time
// units per second, whatever its own time scale. The picture side and the
// sound side read the file through separate demuxers, so one thread may take
// frames while another reads sound; each side is for one thread at a time.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/Frame.h"

namespace media {

constexpr int32_t kMovieTimeScale = 600;

struct VideoDescription {
  uint32_t type = 0;       // four-character code, 'mp4v' = 0x6D703476
  uint32_t vendor = 0;     // four-character code, 0 when unknown
  int32_t hRes = 72, vRes = 72;
  int32_t depth = 24;
  Size size;               // coded picture size
  double dataRate = 0;     // bits per second
  uint64_t dataSize = 0;   // bytes of all video samples
  int64_t frameCount = 0;
  double durationMs = 0;
  double frameRate = 0;    // frame count x 1000 / duration ms
  std::string codecName;   // the name stored in the file, else FFmpeg's
  bool mpeg = false;       // an MPEG-1 or MPEG-2 elementary track
};

struct SoundDescription {
  uint32_t format = 0;     // four-character code ('sowt', 'twos', 'mp4a', ...)
  uint32_t vendor = 0;
  uint16_t channels = 0;
  uint16_t bits = 0;       // sample size as stored (16 for compressed sound)
  double dataRate = 0;     // bits per second
  uint64_t dataSize = 0;
  double durationMs = 0;
  uint32_t sampleRate = 0;
  std::string name;        // FFmpeg's name of the format, "PCM" for plain samples
};

class Movie {
 public:
  Movie();
  ~Movie();
  Movie(const Movie&) = delete;
  Movie& operator=(const Movie&) = delete;

  // 0, or -1 when the file cannot be opened as a movie.
  int Open(const std::string& path);
  void Close();
  bool IsOpen() const;
  bool HasVideo() const;
  bool HasSound() const;
  const std::string& Path() const;

  // The picture size as shown (sample aspect and a ±90° rotation applied);
  // 0 x 0 for a movie without pictures.
  Size NaturalSize() const;
  // The coded picture size.
  Size FrameSize() const;
  // Length in 600ths of a second (the longest track).
  int64_t Duration() const;

  bool DescribeVideo(VideoDescription* out) const;
  bool DescribeSound(SoundDescription* out) const;

  // The frame shown at time t (600ths): the last one that starts at or
  // before t (the first frame for t before it, the last one past the end).
  // Rendered at `size` (the natural size when empty) into out. 0, or -1
  // without pictures or when the file cannot be decoded there.
  int FrameAt(int64_t t, Frame& out, Size size = {});
  // The same rendered straight into 32-bit A, R, G, B rows of the caller
  // (`size` given, rows of `rowBytes`): no copy of the picture in between.
  // The rows are left as they were when there is no picture there.
  int FrameInto(int64_t t, uint8_t* argb, int32_t rowBytes, Size size);

  // True when the pictures decode to 8-bit 4:2:0 planes in video range and
  // are shown at their coded size: FrameYuv420Into then hands them over with
  // no colour conversion.
  bool DecodesToYuv420() const;
  // The frame shown at time t as 4:2:0 planes into `out` (of the coded
  // size), every luma byte through `lumaTable` and every chroma byte through
  // `chromaTable` (256 entries each; null copies as it is). -1 without
  // pictures, when the file cannot be decoded there, or when the decoded
  // picture is not 4:2:0 of out's size (out is then left as it was).
  int FrameYuv420Into(int64_t t, const Yuv420View& out, const uint8_t* lumaTable, const uint8_t* chromaTable);

  // Sound, decoded and converted to signed 16-bit interleaved samples in
  // native byte order, at the movie's own rate and channel count.
  uint32_t SoundRate() const;
  uint16_t SoundChannels() const;
  // Positions the sound at time t (600ths). 0 or -1.
  int SeekSound(int64_t t);
  // Appends up to `frames` sample frames at the position and moves past
  // them: the number appended, 0 at the end, -1 on a read failure.
  int ReadSound(size_t frames, std::vector<uint8_t>& out);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace media
