#pragma once
// A picture reader for the viewer's tests: pictures are plain toolkit
// objects that know their size; every open is recorded; a path can be made
// to block until the test lets it go or the caller aborts.
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "PictureReader.h"

namespace vistreltest {

// A toolkit picture of a given size (answers GetSize).
PubImage::QelPicture* MakePicture(int32_t width, int32_t height);
// Live fake pictures (to check that every reference was given back).
int LivePictures();

struct ReadCall {
  std::u16string path;
  int32_t reduction;  // 0 for a thumbnail
  SIZE box;           // the thumbnail box
};

class FakePictureReader : public CPictureReader {
 public:
  FakePictureReader();
  ~FakePictureReader() override;

  // Files the reader knows, by path, with the size in the "file".
  void AddFile(const std::u16string& path, int32_t width, int32_t height);
  // Opening this path waits until Release(path) or the abort callback.
  void Block(const std::u16string& path);
  void Release(const std::u16string& path);
  // Waits (up to 30 s) until a blocked open of `path` has started.
  bool WaitUntilBlocked(const std::u16string& path);
  // Waits (up to 30 s) until `count` opens have finished.
  bool WaitForOpens(size_t count);

  std::vector<ReadCall> Calls();
  std::vector<std::u16string> Paths();
  size_t Aborted();

  bool ReadSize(const std::u16string& path, SIZE& size) override;
  PubImage::QelPicture* Open(const std::u16string& path, int32_t reduction, ImgAbortProc abort, void* extra,
                             SIZE* fullSize) override;
  PubImage::QelPicture* OpenThumb(const std::u16string& path, SIZE box, ImgAbortProc abort, void* extra,
                                  SIZE* fullSize) override;

 private:
  PubImage::QelPicture* Decode(const std::u16string& path, SIZE target, ImgAbortProc abort, void* extra,
                               SIZE* fullSize, ReadCall call);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::u16string, SIZE> files_;
  std::set<std::u16string> blocked_;
  std::set<std::u16string> waiting_;
  std::vector<ReadCall> calls_;
  size_t finished_ = 0;
  size_t aborted_ = 0;
};

}  // namespace vistreltest
