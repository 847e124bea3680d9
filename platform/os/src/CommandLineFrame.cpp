#include "os/CommandLineFrame.h"

#include <algorithm>
#include <cstring>

namespace plat {

namespace {
const uint8_t kMagic[4] = {'C', 'M', 'D', 'L'};

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
}  // namespace

std::vector<uint8_t> EncodeCommandLineFrame(const std::u16string& text, uint32_t blockBytes) {
  size_t needed = (text.size() + 1) * 2;
  if (needed > kCommandLineMaxPayload) return {};
  uint32_t payload = static_cast<uint32_t>(needed);
  if (blockBytes >= needed && blockBytes <= kCommandLineMaxPayload && blockBytes % 2 == 0) payload = blockBytes;
  std::vector<uint8_t> out(kMagic, kMagic + 4);
  out.reserve(8 + payload);
  PutU32(out, payload);
  for (char16_t u : text) {
    out.push_back(static_cast<uint8_t>(u & 0xFF));
    out.push_back(static_cast<uint8_t>(u >> 8));
  }
  out.resize(8 + payload, 0);
  return out;
}

size_t CommandLineFrameReader::Wanted() const {
  if (state_ != State::NeedMore) return 0;
  if (headerFill_ < 4) return 4 - headerFill_;  // the magic is judged before the count is read
  if (headerFill_ < 8) return 8 - headerFill_;
  return payloadSize_ - payload_.size();
}

CommandLineFrameReader::State CommandLineFrameReader::Feed(const uint8_t* data, size_t size) {
  while (state_ == State::NeedMore && size > 0) {
    size_t take = std::min(size, Wanted());
    if (headerFill_ < 8) {
      std::memcpy(header_ + headerFill_, data, take);
      headerFill_ += take;
      if (headerFill_ == 4 && std::memcmp(header_, kMagic, 4) != 0) {
        state_ = State::Rejected;
      } else if (headerFill_ == 8) {
        payloadSize_ = uint32_t(header_[4]) | (uint32_t(header_[5]) << 8) | (uint32_t(header_[6]) << 16) |
                       (uint32_t(header_[7]) << 24);
        if (payloadSize_ < 2 || payloadSize_ > kCommandLineMaxPayload || payloadSize_ % 2 != 0)
          state_ = State::Rejected;
        else
          payload_.reserve(payloadSize_);
      }
    } else {
      payload_.insert(payload_.end(), data, data + take);
      if (payload_.size() == payloadSize_) {
        text_.clear();
        for (size_t i = 0; i + 1 < payload_.size(); i += 2) {
          char16_t u = static_cast<char16_t>(payload_[i] | (payload_[i + 1] << 8));
          if (u == 0) break;
          text_.push_back(u);
        }
        payload_.clear();
        payload_.shrink_to_fit();
        state_ = State::Complete;
      }
    }
    data += take;
    size -= take;
  }
  return state_;
}

}  // namespace plat
