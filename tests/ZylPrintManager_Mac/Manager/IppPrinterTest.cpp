// A real job through CUPS's own code to an IPP printer started for the test
// (ippeveprinter needs no CUPS daemon); the document it keeps is checked.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "CPrintManager.h"
#include "PrintFixture.h"
#include "qel/QelImage.h"

namespace {

int FreePort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  close(fd);
  return port;
}

bool Listening(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(uint16_t(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(fd);
  return ok;
}

std::string Tool(const char* name) {
  for (const char* dir : {"/usr/sbin/", "/usr/bin/", "/sbin/", "/bin/"}) {
    std::string path = std::string(dir) + name;
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

// A child process ended (and reaped) when the test ends.
struct Child {
  pid_t pid = -1;
  ~Child() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
  }
};

// A private message bus: the printer's DNS-SD client needs one to start,
// and the machine's own may not run.
std::string StartBus(Child& bus) {
  const std::string daemon = Tool("dbus-daemon");
  int fds[2];
  if (daemon.empty() || pipe(fds) != 0) return {};
  bus.pid = fork();
  if (bus.pid == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    execl(daemon.c_str(), daemon.c_str(), "--session", "--nofork", "--print-address=1", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string address;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n') address += c;
  close(fds[0]);
  return address;
}

TEST(IppPrinter, AJobReachesARealIppPrinter) {
  const std::string ippeve = Tool("ippeveprinter");
  if (ippeve.empty() || !printtest::HaveTool("pdfinfo")) GTEST_SKIP() << "ippeveprinter or pdfinfo is missing";
  Child bus;
  const std::string address = StartBus(bus);
  if (address.empty()) GTEST_SKIP() << "dbus-daemon is missing";
  auto spool = testenv::MakeTempDir("ipp");
  const int port = FreePort();
  ASSERT_GT(port, 0);
  Child printer;
  pid_t pid = printer.pid = fork();
  if (pid == 0) {
    const std::string p = std::to_string(port);
    setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
    execl(ippeve.c_str(), ippeve.c_str(), "-k", "-r", "off", "-f", "application/pdf", "-d", spool.c_str(), "-n",
          "localhost", "-p", p.c_str(), "Dunsellow Test", static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  for (int i = 0; i < 200 && !Listening(port); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(Listening(port)) << "ippeveprinter did not start";

  auto system = print::MakeCupsSystem({"ipp://localhost:" + std::to_string(port) + "/ipp/print"});
  CZylPrintManager mgr(system);
  ASSERT_EQ(mgr.GetPrinterCount(), 2);  // the IPP printer and the file destination
  ASSERT_EQ(mgr.SelectPrinter(0), 1);
  EXPECT_GT(mgr.GetSupportPaperCount(), 0);

  QelObject picture = Qel0CreateObj(QEL_KIND_PICTURE);
  qel::Picture* p = qel::Picture::From(picture);
  p->SetSize(SIZE{64, 64});
  qel::Layer* layer = qel::Layer::Make(img::Bitmap::Filled(64, 64, 40));
  p->Insert(1, layer);
  layer->Release();
  ASSERT_EQ(mgr.StartPrint(u"IPP check"), 1);
  ASSERT_EQ(mgr.StartPage(), 1);
  EXPECT_EQ(mgr.PrintPict(picture, nullptr), 1);
  ASSERT_EQ(mgr.EndPage(), 1);
  ASSERT_EQ(mgr.EndPrint(0), 1) << mgr.LastJobError();
  Qel0Release(picture);

  // The printer keeps each document in its spool folder.
  std::filesystem::path kept;
  for (int i = 0; i < 100 && kept.empty(); ++i) {
    std::error_code ec;
    for (auto& e : std::filesystem::recursive_directory_iterator(spool, ec))
      if (e.path().extension() == ".pdf") kept = e.path();
    if (kept.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_FALSE(kept.empty()) << "no document kept";
  EXPECT_EQ(printtest::PdfInfo(kept, "Pages"), "1");
  EXPECT_EQ(printtest::PdfInfo(kept, "Title"), "IPP check");
}

}  // namespace
