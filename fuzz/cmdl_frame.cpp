// Command lines from other programs: the socket frame, read whole and in
// pieces, the text as the main program splits it, and start-up arguments.
#include <cstdint>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "FuzzSupport.h"
#include "os/CommandLineFrame.h"
#include "os/CommandLineServer.h"

namespace {

using Reader = plat::CommandLineFrameReader;

void FeedWhole(Reader& r, const uint8_t* data, size_t size) {
  r.Feed(data, size);
}

// Pieces of 1..8 bytes, their sizes taken from the bytes themselves.
void FeedInPieces(Reader& r, const uint8_t* data, size_t size) {
  for (size_t at = 0; at < size && r.state() == Reader::State::NeedMore;) {
    size_t n = std::min<size_t>({size - at, size_t(1 + data[at] % 8), std::max<size_t>(r.Wanted(), 1)});
    r.Feed(data + at, n);
    at += n;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader whole, pieces;
  FeedWhole(whole, data, size);
  FeedInPieces(pieces, data, size);
  if (whole.state() != pieces.state()) fuzz::Fail("a frame read in pieces ends otherwise");
  if (whole.state() == Reader::State::Complete) {
    const std::u16string& text = whole.text();
    if (text != pieces.text()) fuzz::Fail("a frame read in pieces gives another text");
    if (text.find(u'\0') != std::u16string::npos) fuzz::Fail("the text runs past its terminator");
    // What a sender makes of the text reads back the same.
    std::vector<uint8_t> again = plat::EncodeCommandLineFrame(text);
    Reader back;
    back.Feed(again.data(), again.size());
    if (back.state() != Reader::State::Complete || back.text() != text) fuzz::Fail("the text does not round-trip");
    std::u16string module, argument;
    if (SplitCommandLine(text, &module, &argument)) {
      (void)CommandModuleName(module);
      (void)SameModuleName(module, u"Capture");
    }
  }

  // The same bytes as a start-up argument list, split at 0 bytes.
  std::vector<std::string> args{"program"};
  std::string current;
  for (size_t i = 0; i < size && args.size() < 16; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current.push_back(char(data[i]));
    }
  }
  if (!current.empty()) args.push_back(current);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  (void)plat::StartupCommandLine(int(args.size()), argv.data());
  return 0;
}
