#include "VdlCommandLineText.h"

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "os/CommandLineServer.h"
#include "qel/QelWideText.h"

namespace Vardel {

namespace {

constexpr std::u16string_view kAssetSwitch = u"-AssetFilePath";

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

}  // namespace

size_t FindAssetSwitch(const std::u16string& text) {
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'"') {
      quoted = !quoted;
      continue;
    }
    if (quoted || text.compare(i, kAssetSwitch.size(), kAssetSwitch) != 0) continue;
    const size_t end = i + kAssetSwitch.size();
    if ((i == 0 || IsBlank(text[i - 1])) && (end == text.size() || IsBlank(text[end]) || text[end] == u'"')) {
      return i;
    }
  }
  return std::u16string::npos;
}

std::u16string AssetListAfterSwitch(const std::u16string& text, size_t at) {
  if (at >= text.size()) return {};
  const size_t open = text.find(u'"', at);
  if (open == std::u16string::npos) return {};
  const size_t close = text.find(u'"', open + 1);
  if (close == std::u16string::npos) return {};
  return text.substr(open + 1, close - open - 1);
}

std::vector<std::u16string> QuotedItems(const std::u16string& text) {
  std::vector<std::u16string> items;
  size_t pos = 0;
  for (;;) {
    const size_t open = text.find(u'"', pos);
    if (open == std::u16string::npos) break;
    const size_t close = text.find(u'"', open + 1);
    if (close == std::u16string::npos) break;
    items.push_back(text.substr(open + 1, close - open - 1));
    pos = close + 1;
  }
  return items;
}

std::optional<std::u16string> CommandLineFromArguments(int argc, char** argv, const char* programName) {
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]).rfind("--cmdl=", 0) == 0) return plat::StartupCommandLine(argc, argv);
  }
  std::u16string text;
  for (int i = 1; i < argc; ++i) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(argv[i], ec);
    std::u16string path = QelFromUTF8(ec ? std::string(argv[i]) : p.lexically_normal().string());
    if (path.empty()) continue;
    if (path.find(u'"') != std::u16string::npos) {
      // Paths travel in double quotes: one holding a quote cannot be sent.
      std::fprintf(stderr, "%s: \"%s\" has a double quote in its name and cannot be opened\n", programName,
                   QelToUTF8(path).c_str());
      continue;
    }
    if (!text.empty()) text += u' ';
    text += u'"' + path + u'"';
  }
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace Vardel
