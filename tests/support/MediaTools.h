#pragma once
// Runs FFmpeg's command-line tools on files the tests write or need:
// ffprobe reads what a movie holds, ffmpeg decodes it or makes a clip.
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace mediatools {

// The standard output of a shell command; *status gets its exit status.
inline std::string Run(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  int rc = pclose(pipe);
  if (status) *status = rc;
  return out;
}

// The same without the line end of its last line.
inline std::string RunLine(const std::string& command) {
  std::string out = Run(command);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

inline std::string Quote(const std::filesystem::path& path) {
  std::string s = "'";
  for (char c : path.string()) s += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return s + "'";
}

// key=value lines of `ffprobe -show_entries <entries>` for one stream
// selection ("v:0", "a:0") or the container ("" = format).
inline std::map<std::string, std::string> Probe(const std::filesystem::path& file,
                                                const std::string& select,
                                                const std::string& entries) {
  std::string command = "ffprobe -v error " +
                        (select.empty() ? std::string() : "-select_streams " + select + " ") +
                        "-show_entries " + entries + " -of default=nw=1 " + Quote(file);
  std::map<std::string, std::string> values;
  std::istringstream lines(Run(command));
  for (std::string line; std::getline(lines, line);) {
    size_t eq = line.find('=');
    if (eq != std::string::npos) values.emplace(line.substr(0, eq), line.substr(eq + 1));
  }
  return values;
}

// Everything ffprobe tells of a file in one run, as flat keys:
// "streams.stream.0.codec_tag_string", "packets.packet.3.duration",
// "format.tags.major_brand" (values without their quotes).
class ProbeResult {
 public:
  explicit ProbeResult(const std::filesystem::path& file) {
    std::istringstream lines(Run("ffprobe -v error -show_format -show_streams -show_entries "
                                 "packet=stream_index,pts,duration -of flat " + Quote(file)));
    for (std::string line; std::getline(lines, line);) {
      size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      std::string value = line.substr(eq + 1);
      if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
      values_[line.substr(0, eq)] = value;
    }
  }
  std::string Get(const std::string& key) const {
    auto it = values_.find(key);
    return it == values_.end() ? std::string() : it->second;
  }
  // The index of the first stream of a type ("video", "audio"); -1 if none.
  int StreamOf(const std::string& type) const {
    for (int i = 0; i < StreamCount(); ++i)
      if (Get("streams.stream." + std::to_string(i) + ".codec_type") == type) return i;
    return -1;
  }
  int StreamCount() const {
    int n = 0;
    while (values_.count("streams.stream." + std::to_string(n) + ".index")) ++n;
    return n;
  }
  std::string Stream(const std::string& type, const std::string& field) const {
    int i = StreamOf(type);
    return i < 0 ? std::string() : Get("streams.stream." + std::to_string(i) + "." + field);
  }
  // One value per packet of the stream of that type.
  std::vector<long long> Packets(const std::string& type, const std::string& field) const {
    std::vector<long long> out;
    std::string index = std::to_string(StreamOf(type));
    for (int p = 0;; ++p) {
      std::string key = "packets.packet." + std::to_string(p) + ".";
      if (!values_.count(key + "stream_index")) break;
      if (Get(key + "stream_index") != index) continue;
      std::string v = Get(key + field);
      if (!v.empty() && v != "N/A") out.push_back(std::stoll(v));
    }
    return out;
  }

 private:
  std::map<std::string, std::string> values_;
};

// One value per packet of the selected stream (e.g. "duration", "pts").
inline std::vector<long long> PacketValues(const std::filesystem::path& file, const std::string& select,
                                           const std::string& field) {
  std::vector<long long> values;
  std::istringstream lines(Run("ffprobe -v error -select_streams " + select + " -show_entries packet=" +
                               field + " -of csv=p=0 " + Quote(file)));
  for (std::string line; std::getline(lines, line);)
    if (!line.empty() && line != "N/A") values.push_back(std::stoll(line));
  return values;
}

inline int StreamCount(const std::filesystem::path& file) {
  std::string out = Run("ffprobe -v error -show_entries stream=index -of csv=p=0 " + Quote(file));
  int count = 0;
  for (char c : out) count += c == '\n';
  return count;
}

// Decodes the whole file; the error text (empty when it decodes cleanly).
inline std::string DecodeErrors(const std::filesystem::path& file) {
  int status = 0;
  std::string out = Run("ffmpeg -nostdin -v error -i " + Quote(file) + " -f null - 2>&1", &status);
  if (status != 0 && out.empty()) out = "ffmpeg failed";
  return out;
}

}  // namespace mediatools
