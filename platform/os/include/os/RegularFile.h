#pragma once
// Reading files that come from outside (lists, property lists):
// only regular files. A named pipe or a device given a picture's or a
// list's name would hold the reading thread in open() or read() for ever,
// and a quit with it.
#include <cstddef>
#include <string>

namespace plat {

// The whole of a regular file of at most `limit` bytes; false (nothing
// read) for anything else, without blocking.
bool ReadRegularFile(const std::string& path, std::string& out, size_t limit = size_t(64) << 20);

}  // namespace plat
