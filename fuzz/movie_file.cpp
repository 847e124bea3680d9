// Movie files as the album, the player and the movie editor open them: the
// descriptions, a frame at a few times and the sound at its start, from a
// file of any content (FFmpeg probes what the name does not say).
#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "media/Movie.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::WriteFile("movie.mov", data, size);
  media::Movie movie;
  if (movie.Open(path) != 0) return 0;
  const int64_t duration = movie.Duration();
  if (duration < 0) fuzz::Fail("a movie with a negative length");
  media::VideoDescription video;
  media::SoundDescription sound;
  movie.DescribeVideo(&video);
  movie.DescribeSound(&sound);
  if (movie.HasVideo()) {
    // Small frames: the size asked for is what comes back.
    const media::Size small{32, 24};
    for (int64_t t : {int64_t(0), duration / 2, duration}) {
      media::Frame frame;
      if (movie.FrameAt(t, frame, small) != 0) continue;
      if (frame.width != small.width || frame.height != small.height) fuzz::Fail("a frame of another size");
    }
  }
  if (movie.HasSound() && movie.SeekSound(0) == 0) {
    std::vector<uint8_t> samples;
    const int got = movie.ReadSound(4096, samples);
    const size_t frameBytes = size_t(movie.SoundChannels()) * 2;
    if (got > 0 && (frameBytes == 0 || samples.size() != size_t(got) * frameBytes))
      fuzz::Fail("sound that is not whole sample frames");
  }
  return 0;
}
