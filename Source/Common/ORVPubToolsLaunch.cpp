// Launching programs with a command line, and deleting files.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "ORVPubTools.h"
#include "os/CommandLineClient.h"
#include "os/Trash.h"
#include "qel/QelFile.h"
#include "qel/QelPath.h"
#include "qel/QelWideText.h"

namespace {

// The receivers keep command lines in 1024-unit buffers.
constexpr size_t kMaxCommandUnits = 1023;

bool Exists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

int Open(const std::string& bundle, const std::u16string& text) {
  if (!Exists(bundle)) return 0;
  plat::LaunchStatus status = plat::OpenWithCommandLine(bundle, text);
  return status == plat::LaunchStatus::Failed ? 0 : 1;
}

void ReportFailure(const CQelStringW& path, const char* why, std::vector<CQelStringW>* failed) {
  std::fprintf(stderr, "Could not delete \"%s\": %s\n", path.ToUTF8().c_str(), why);
  if (failed) failed->push_back(path);
}

}  // namespace

int CORVPubTools::Execute(const WCHAR*, const WCHAR* commandLine, int, void*) {
  if (!commandLine || commandLine[0] != u'"') return 0;
  std::u16string line(commandLine);
  size_t close = line.find(u'"', 1);
  if (close == std::u16string::npos) return 0;
  std::u16string program = line.substr(1, close - 1);
  // The closing quote is followed by one separator, then the argument text.
  std::u16string argument = close + 2 <= line.size() ? line.substr(close + 2) : std::u16string();
  if (program.empty() || program.size() > kMaxCommandUnits) return 0;
  if (argument.size() > kMaxCommandUnits) {
    std::fprintf(stderr, "Command line for %s refused: %zu units, at most %zu\n", QelToUTF8(program).c_str(),
                 argument.size(), kMaxCommandUnits);
    return 0;
  }
  return Open(QelToUTF8(program), argument);
}

int CORVPubTools::Execute(const WCHAR* application, const std::list<CQelStringW>& documents) {
  if (!application || !*application) return 0;
  std::u16string text;
  for (const CQelStringW& document : documents) {
    if (!Exists(document.ToUTF8())) continue;
    std::u16string path(document.c_str());
    if (path.find(u'"') != std::u16string::npos) return 0;  // cannot be quoted
    if (!text.empty()) text.push_back(u' ');
    text += u"\"" + path + u"\"";
  }
  return Open(QelToUTF8(application), text);
}

int CORVPubTools::DeleteFile(const std::list<CQelStringW>& paths, WindowRef, int toTrash, int,
                             std::vector<CQelStringW>* failed) {
  if (toTrash) {
    std::vector<std::string> absolute;
    std::vector<CQelStringW> asked;
    bool ok = true;
    for (const CQelStringW& path : paths) {
      Qel0FSRef ref = Qel0FSRCreateWithPath(path);
      WCHAR full[QEL_MAX_PATH] = {};
      bool made = ref && Qel0FSRToAbs(ref, full, QEL_MAX_PATH);
      if (ref) Qel0FSRRelease(ref);
      if (!made) {
        ReportFailure(path, "not a usable path", failed);
        ok = false;
        continue;
      }
      absolute.push_back(QelToUTF8(full));
      asked.push_back(path);
    }
    std::vector<plat::TrashOutcome> outcomes = plat::MoveToTrash(absolute);
    for (size_t i = 0; i < outcomes.size() && i < asked.size(); ++i) {
      if (outcomes[i].moved) continue;
      ReportFailure(asked[i], outcomes[i].error.empty() ? "not moved to the Trash" : outcomes[i].error.c_str(),
                    failed);
      ok = false;
    }
    return ok ? 1 : 0;
  }
  if (paths.empty()) return 0;
  bool ok = true;
  for (const CQelStringW& path : paths) {
    if (!path.IsEmpty() && QelFileDeleteExt(path)) continue;
    ReportFailure(path, "no such file, or not allowed", failed);
    ok = false;
  }
  return ok ? 1 : 0;
}

int CORVPubTools::DeleteFile(const WCHAR* path, WindowRef window, int toTrash, int flags,
                             std::vector<CQelStringW>* failed) {
  if (!path) return 0;
  return DeleteFile(std::list<CQelStringW>{CQelStringW(path)}, window, toTrash, flags, failed);
}
