#pragma once
// Moving files to the user's Trash (freedesktop Trash through GIO).
#include <string>
#include <vector>

namespace plat {

struct TrashOutcome {
  std::string path;
  bool moved = false;
  std::string error;  // why not, when not moved
};

// Moves each path to the Trash and reports every one; nothing is reported
// as moved unless it was.
std::vector<TrashOutcome> MoveToTrash(const std::vector<std::string>& paths);

// true only when every path was moved (an empty list moves nothing: true).
bool AllMoved(const std::vector<TrashOutcome>& outcomes);

}  // namespace plat
