#pragma once
// The frame that carries one command line to a running program over its
// socket: ASCII "CMDL", a little-endian u32 byte count N (even, 2..65536),
// then N bytes of UTF-16LE text ending at the first 0 unit or at N. The
// receiver answers a little-endian i32 status: 0 accepted, -1 rejected, 1 busy.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

inline constexpr uint32_t kCommandLineMaxPayload = 65536;
inline constexpr int32_t kCommandLineAccepted = 0;
inline constexpr int32_t kCommandLineRejected = -1;
// Not taken this time (the program is serving many clients at once): the
// sender sends the frame again on a new connection.
inline constexpr int32_t kCommandLineBusy = 1;

// The frame for `text` plus a 0 terminator, zero-padded to `blockBytes`
// when given and large enough (senders keep their fixed block sizes).
// Empty when the text does not fit the largest payload.
std::vector<uint8_t> EncodeCommandLineFrame(const std::u16string& text, uint32_t blockBytes = 0);

// Reads one frame incrementally; never asks for more bytes than the frame
// still needs, and rejects a bad header as soon as it is seen.
class CommandLineFrameReader {
 public:
  enum class State { NeedMore, Complete, Rejected };

  // Takes at most Wanted() bytes; answers the state after them.
  State Feed(const uint8_t* data, size_t size);
  size_t Wanted() const;
  State state() const { return state_; }
  // The text once Complete.
  const std::u16string& text() const { return text_; }

 private:
  State state_ = State::NeedMore;
  uint8_t header_[8] = {};
  size_t headerFill_ = 0;
  uint32_t payloadSize_ = 0;
  std::vector<uint8_t> payload_;
  std::u16string text_;
};

}  // namespace plat
