#pragma once
// Writes one QuickTime movie (FFmpeg's mov muxer): a video track with time
// scale 600 and a sound track with time scale = the sample rate. Frame n
// starts at round(n x 600 / fps), so rates that do not divide 600 (29.97)
// do not drift. Video and sound may be written from two threads at once:
// each encodes on its caller's thread, and one lock guards the file.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "media/Frame.h"
#include "media/MovieCodecs.h"
#include "media/SoundCapture.h"

namespace media {

struct MovieWriterSettings {
  std::string path;
  bool video = true;
  Size size;
  double fps = 15.0;
  uint32_t videoType = FourCC('m', 'p', '4', 'v');
  int quality = 50;  // percent, 0..100
  // Slice threads of the picture encoder; 0 leaves the number to the
  // library (about one per core), for a save that encodes as fast as it can.
  int encoderThreads = 4;
  bool sound = false;
  uint32_t soundType = FourCC('s', 'o', 'w', 't');
  SoundFormat soundInput;  // interleaved PCM handed to WriteSound (16 or 8 bits)
};

class MovieWriter {
 public:
  MovieWriter();
  ~MovieWriter();  // finishes the file when Finish was not called
  MovieWriter(const MovieWriter&) = delete;
  MovieWriter& operator=(const MovieWriter&) = delete;

  // Creates the file and its tracks. -1 when the file cannot be created
  // (nothing is left behind); 0 otherwise. A track that cannot be made is
  // left out (VideoTrackFailed / SoundTrackFailed) and the movie goes on
  // without it. A sound track that never gets a sample is not written.
  int Open(const MovieWriterSettings& settings);
  bool VideoTrackFailed() const;
  bool SoundTrackFailed() const;
  bool HasVideo() const;
  bool HasSound() const;
  uint32_t VideoType() const;  // what is really written, after fall-backs
  uint32_t SoundType() const;

  // One frame (32-bit A, R, G, B, scaled when its size differs). One thread
  // at a time. 0, or -1 when it could not be encoded or written.
  int WriteVideo(const uint8_t* argb, int32_t width, int32_t height, int32_t rowBytes);
  // The same for a 4:2:0 picture: taken as it is when the encoder works on
  // 4:2:0 of that size (no colour conversion), else converted and scaled.
  int WriteVideoYuv420(const Yuv420View& picture);
  // Sound in the input format, any length (a split sample is kept for the
  // next call). One thread at a time. 0 or -1.
  int WriteSound(const uint8_t* pcm, size_t bytes);

  int64_t VideoFrames() const;
  int64_t VideoTimeMs() const;  // the movie time the frames written so far cover
  int64_t SoundTimeMs() const;  // likewise for the sound

  // Flushes the encoders and writes the index. 0, or -1 when anything
  // written since Open failed. Later calls answer the same.
  int Finish();
  std::string LastError() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace media
