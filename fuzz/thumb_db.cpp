// The thumbnail database as the album reads it back: a row whose blobs are
// anything (stored through bound values), or a whole database file that is
// anything. A row is handed out only as a whole 24-bit thumbnail; whatever
// else it holds asks for a new thumbnail, and a file that is no database is
// made anew.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <string>

#include "CDBManager.h"
#include "FuzzSupport.h"
#include "qel/QelLibrary.h"
#include "qel/QelWideText.h"
#include "sql/VdlSQ.h"

namespace {

// A main bundle whose Contents holds the SQL component, made once.
void MainBundle() {
  static bool made = [] {
    std::string app = fuzz::PrivateFolder() + "/Dunsellow.app";
    ::mkdir(app.c_str(), 0700);
    ::mkdir((app + "/Contents").c_str(), 0700);
    const char plist[] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
        "<key>CFBundleIdentifier</key><string>com.Talvexa.Orvenna</string></dict></plist>";
    fuzz::WriteFile("Dunsellow.app/Contents/Info.plist", reinterpret_cast<const uint8_t*>(plist), sizeof plist - 1);
    ::symlink(VDLSQ_BUNDLE, (app + "/Contents/VdlSQbase.bundle").c_str());
    ::setenv("DUNSELLOW_BUNDLE", app.c_str(), 1);
    // Held for the life of the process: every input loads and frees the
    // component, and a component unloaded would take its coverage counters
    // with it while the fuzzer still reads them.
    static QelLibraryRef kept = QelLoadLibrary(QelFromUTF8(VDLSQ_BUNDLE).c_str());
    if (!kept) std::abort();
    return true;
  }();
  (void)made;
}

void CheckHandedOut(const _THUMBDATA& item, int mustMake) {
  if (mustMake == 0 && !item.dib) fuzz::Fail("a row found current handed out no thumbnail");
  if (item.dib && !CDBManager::IsValidDibBlob(item.dib, CDBManager::DibStoredLength(item.dib)))
    fuzz::Fail("a thumbnail that is not whole was handed out");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MainBundle();
  fuzz::Input in(data, size);
  const bool wholeFile = in.Flag();
  const std::string folder = fuzz::PrivateFolder() + "/media";
  ::mkdir(folder.c_str(), 0700);
  const std::string db = folder + "/ZylORVThumb.db";
  ::unlink(db.c_str());
  ::unlink((db + "-journal").c_str());
  const std::u16string wfolder = QelFromUTF8(folder);
  _THUMBDATA item(1, (wfolder + u"/a.jpg").c_str());
  for (int i = 0; i < 8; ++i) item.fileTime.bytes[i] = uint8_t(i + 1);

  CDBManager m;
  if (wholeFile) {
    std::string_view bytes = in.Rest();
    fuzz::WriteFile("media/ZylORVThumb.db", reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (!m.Connect(wfolder.c_str())) return 0;  // left alone: the album goes on without it
  } else {
    if (!m.Connect(wfolder.c_str())) fuzz::Fail("a new database could not be made");
    // One row with the file's name and blobs of any length and content.
    const size_t timeBytes = size_t(in.Range(0, 16));
    std::string_view rest = in.Rest();
    std::string time(rest.substr(0, std::min(timeBytes, rest.size())));
    std::string dib(rest.substr(std::min(timeBytes, rest.size())));
    QelLibraryRef lib = QelLoadLibrary(QelFromUTF8(VDLSQ_BUNDLE).c_str());
    auto entry = reinterpret_cast<VdlSQGetClassObjectFn>(QelGetProcAddress(lib, "MyDllGetClassObject"));
    IVdlSQConnection* c = nullptr;
    if (!entry || entry(CLSID_VdlSQConnection, IID_IVdlSQConnection, reinterpret_cast<void**>(&c)) < 0) std::abort();
    IVdlSQCommand* cmd = nullptr;
    if (c->Open(QelFromUTF8(db).c_str(), u"", u"") < 0 || c->CreateCommand(&cmd) < 0 ||
        cmd->Prepare(u"INSERT INTO MediaRecord VALUES (1, 'a.jpg', ?, ?);") < 0 ||
        cmd->BindBlob(0, time.data(), uint32_t(time.size())) < 0 ||
        cmd->BindBlob(1, dib.data(), uint32_t(dib.size())) < 0 || cmd->Run() < 0) {
      fuzz::Fail("a row could not be stored");
    }
    cmd->Release();
    c->Release();
    QelFreeLibrary(lib);
  }
  int mustMake = -1;
  bool found = m.FindOneRecord(&item, &mustMake);
  if (found && mustMake != 0 && mustMake != 1) fuzz::Fail("no answer whether to make the thumbnail");
  CheckHandedOut(item, mustMake);
  // The caller's protocol afterwards: a stale row goes, a new one is stored.
  if (mustMake == 1) {
    if (found) m.DeleteOneRecord(&item);
    _THUMBDATA fresh(1, item.path);
    fresh.fileTime = item.fileTime;
    unsigned char* dib = new unsigned char[40 + 12 * 2]();
    dib[0] = 40;
    dib[4] = 3;
    dib[8] = 2;
    dib[12] = 1;
    dib[14] = 24;
    dib[20] = 24;
    fresh.SetDib(dib);
    m.InsertOneRecord(&fresh);
  }
  return 0;
}
