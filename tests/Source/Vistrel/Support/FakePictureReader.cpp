#include "FakePictureReader.h"

#include <atomic>
#include <chrono>

#include "qel/QelObject.h"

namespace vistreltest {

namespace {

std::atomic<int> g_live{0};

class FakePicture : public qel::Object {
 public:
  FakePicture(int32_t w, int32_t h) : qel::Object(QEL_KIND_PICTURE), size_{w, h} { ++g_live; }
  intptr_t Inter(int32_t iface, int32_t method, QELWPARAM, QELLPARAM l) override {
    if (iface == QEL_IF_PICTURE && method == 3 && l) {
      *reinterpret_cast<SIZE*>(l) = size_;
      return QEL_S_OK;
    }
    return QEL_E_NOTIMPL;
  }

 protected:
  ~FakePicture() override { --g_live; }

 private:
  SIZE size_;
};

constexpr auto kWait = std::chrono::seconds(30);

}  // namespace

PubImage::QelPicture* MakePicture(int32_t width, int32_t height) {
  return static_cast<PubImage::QelPicture*>((new FakePicture(width, height))->Handle());
}

int LivePictures() { return g_live.load(); }

FakePictureReader::FakePictureReader() { SetPictureReader(this); }

FakePictureReader::~FakePictureReader() { SetPictureReader(nullptr); }

void FakePictureReader::AddFile(const std::u16string& path, int32_t width, int32_t height) {
  std::lock_guard<std::mutex> lock(mutex_);
  files_[path] = SIZE{width, height};
}

void FakePictureReader::Block(const std::u16string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  blocked_.insert(path);
}

void FakePictureReader::Release(const std::u16string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  blocked_.erase(path);
  changed_.notify_all();
}

bool FakePictureReader::WaitUntilBlocked(const std::u16string& path) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, kWait, [&] { return waiting_.count(path) != 0; });
}

bool FakePictureReader::WaitForOpens(size_t count) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, kWait, [&] { return finished_ >= count; });
}

std::vector<ReadCall> FakePictureReader::Calls() {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

std::vector<std::u16string> FakePictureReader::Paths() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::u16string> out;
  for (const ReadCall& c : calls_) out.push_back(c.path);
  return out;
}

size_t FakePictureReader::Aborted() {
  std::lock_guard<std::mutex> lock(mutex_);
  return aborted_;
}

bool FakePictureReader::ReadSize(const std::u16string& path, SIZE& size) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = files_.find(path);
  size = it == files_.end() ? SIZE{0, 0} : it->second;
  return it != files_.end();
}

PubImage::QelPicture* FakePictureReader::Decode(const std::u16string& path, SIZE target, ImgAbortProc abort,
                                                void* extra, SIZE* fullSize, ReadCall call) {
  std::unique_lock<std::mutex> lock(mutex_);
  calls_.push_back(call);
  auto file = files_.find(path);
  bool stopped = false;
  if (blocked_.count(path)) {
    waiting_.insert(path);
    changed_.notify_all();
    // A decoder polls its abort callback as rows arrive.
    while (blocked_.count(path)) {
      if (abort && abort(extra)) {
        stopped = true;
        break;
      }
      changed_.wait_for(lock, std::chrono::milliseconds(1));
    }
    waiting_.erase(path);
  } else if (abort && abort(extra)) {
    stopped = true;
  }
  ++finished_;
  aborted_ += stopped ? 1 : 0;
  changed_.notify_all();
  if (stopped || file == files_.end()) return nullptr;
  if (fullSize) *fullSize = file->second;
  return MakePicture(target.cx, target.cy);
}

PubImage::QelPicture* FakePictureReader::Open(const std::u16string& path, int32_t reduction, ImgAbortProc abort,
                                              void* extra, SIZE* fullSize) {
  SIZE full{0, 0};
  ReadSize(path, full);
  int32_t r = reduction > 0 ? reduction : 1;
  SIZE target{(full.cx + r - 1) / r, (full.cy + r - 1) / r};
  return Decode(path, target, abort, extra, fullSize, ReadCall{path, r, SIZE{0, 0}});
}

PubImage::QelPicture* FakePictureReader::OpenThumb(const std::u16string& path, SIZE box, ImgAbortProc abort,
                                                   void* extra, SIZE* fullSize) {
  return Decode(path, box, abort, extra, fullSize, ReadCall{path, 0, box});
}

}  // namespace vistreltest
