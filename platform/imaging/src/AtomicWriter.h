#pragma once
// One whole-or-absent file write: a hidden temporary file beside the target
// takes the bytes as they come, and Commit makes it durable and renames it
// over the target. Dropped without Commit, the temporary file is removed
// and the target is untouched.
#include <cstddef>
#include <cstdint>
#include <string>

#include "img/Status.h"

namespace img::detail {

class AtomicWriter {
 public:
  AtomicWriter() = default;
  ~AtomicWriter();
  AtomicWriter(const AtomicWriter&) = delete;
  AtomicWriter& operator=(const AtomicWriter&) = delete;

  // Creates the temporary file; kBadArgument or kWriteFailed.
  Status Open(const std::string& path);
  // Appends; false once any write failed (the file is then never committed).
  bool Write(const uint8_t* data, size_t size);
  // fsync, rename over the target, fsync of the folder.
  Status Commit();

 private:
  int fd_ = -1;
  bool ok_ = false;
  uint64_t written_ = 0;
  uint64_t flushed_ = 0;  // handed to the disk early, while the writer goes on
  std::string path_, temp_, dir_;
};

}  // namespace img::detail
