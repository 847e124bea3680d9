#include "AttachmentCopier.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "MailFiles.h"
#include "qel/QelWideText.h"

namespace {

constexpr size_t kBlock = 1 << 20;

// From the last dot of the file name, the dot included, as spelled.
std::u16string Extension(const std::u16string& path) {
  const std::u16string name = MailFileName(path);
  const size_t dot = name.rfind(u'.');
  return dot == std::u16string::npos ? std::u16string() : name.substr(dot);
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

}  // namespace

CAttachmentCopier::CAttachmentCopier(std::vector<std::u16string> sources, std::u16string folder)
    : m_sources(std::move(sources)), m_folder(std::move(folder)) {}

CAttachmentCopier::~CAttachmentCopier() {
  Cancel();
  Wait();
}

void CAttachmentCopier::Start() {
  if (!m_thread.joinable() && !Done()) m_thread = std::thread([this] { Run(); });
}

void CAttachmentCopier::Wait() {
  if (m_thread.joinable()) m_thread.join();
}

void CAttachmentCopier::Run() {
  const size_t count = m_sources.size();
  for (size_t i = 0; i < count && !m_bCancel.load(); ++i) {
    std::u16string target;
    GetSaveFileNamePrefix(int32_t(i), m_folder.c_str(), &target);
    target += Extension(m_sources[i]);
    uint64_t bytes = 0;
    if (CopyOne(i, QelToUTF8(m_sources[i]), QelToUTF8(target), &bytes)) {
      m_copies.push_back(target);
      m_nTotal += bytes;
    } else if (!m_bCancel.load()) {
      m_failed.push_back(m_sources[i]);
    }
    m_nPercent.store(int32_t(100 * (i + 1) / count));
  }
  m_bDone.store(true);
}

bool CAttachmentCopier::CopyOne(size_t index, const std::string& source, const std::string& target,
                                uint64_t* bytes) {
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st;
  const uint64_t size = ::fstat(in, &st) == 0 && st.st_size > 0 ? uint64_t(st.st_size) : 0;
  const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    ::close(in);
    return false;
  }
  std::vector<char> block(kBlock);
  bool ok = true;
  uint64_t copied = 0;
  const size_t count = m_sources.size();
  while (ok) {
    if (m_bCancel.load()) {
      ok = false;
      break;
    }
    ssize_t n = ::read(in, block.data(), block.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    ok = WriteAll(out, block.data(), size_t(n));
    copied += uint64_t(n);
    if (size > 0) {
      const uint64_t part = std::min<uint64_t>(copied, size);
      m_nPercent.store(int32_t((100 * index + 100 * part / size) / count));
    }
  }
  ::close(in);
  if (::close(out) != 0) ok = false;
  if (!ok) {
    ::unlink(target.c_str());
    return false;
  }
  *bytes = copied;
  return true;
}
