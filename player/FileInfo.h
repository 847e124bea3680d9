#pragma once
// One entry of the player's playlist.
#include <cstdint>
#include <string>
#include <vector>

struct tag_FILE_INFO {
  std::u16string szFilePath;  // full path of a movie or sound file
  // Kept as the playlist builds them; the player reads none of them.
  int32_t nReserved1 = 0;
  int32_t nReserved2 = 0;
  int32_t nReserved3 = -1;
  int32_t nReserved4 = 1;
};

using PlayList = std::vector<tag_FILE_INFO*>;
