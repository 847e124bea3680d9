#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "print/PrintSystem.h"
#include "qel/QelBackend.h"

namespace print {

PrintSystem::~PrintSystem() = default;

std::vector<Media> BuiltinMedia() {
  // A quarter inch all round, as most desktop printers leave.
  const int32_t m = 635;
  return {
      {"na_letter_8.5x11in", "Letter", 21590, 27940, m, m, m, m},
      {"na_legal_8.5x14in", "Legal", 21590, 35560, m, m, m, m},
      {"iso_a4_210x297mm", "A4", 21000, 29700, m, m, m, m},
      {"iso_a5_148x210mm", "A5", 14800, 21000, m, m, m, m},
      {"na_index-4x6_4x6in", "4 x 6 in", 10160, 15240, m, m, m, m},
      {"na_5x7_5x7in", "5 x 7 in", 12700, 17780, m, m, m, m},
      {"na_govt-letter_8x10in", "8 x 10 in", 20320, 25400, m, m, m, m},
      {"om_small-photo_100x150mm", "10 x 15 cm", 10000, 15000, m, m, m, m},
  };
}

Media CustomMedia(double widthInches, double heightInches, const std::string& name) {
  char id[96];
  std::snprintf(id, sizeof id, "custom_%.2fx%.2fin", widthInches, heightInches);
  Media media;
  media.id = id;
  media.name = name;
  media.width = int32_t(widthInches * 2540.0 + 0.5);
  media.height = int32_t(heightInches * 2540.0 + 0.5);
  return media;
}

namespace {

// A print system without printers (headless runs without a fixture).
class NoPrinters : public PrintSystem {
 public:
  std::vector<Printer> Printers() override { return {}; }
  std::vector<Media> MediaOf(const std::string&) override { return {}; }
  JobResult Submit(const JobRequest&) override { return {false, 0, "no printer"}; }
};

std::mutex g_mutex;
std::shared_ptr<PrintSystem> g_system;

}  // namespace

std::shared_ptr<PrintSystem> CurrentSystem() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_system) {
    const char* fixture = std::getenv("DUNSELLOW_PRINT_FIXTURE");
    if (fixture && *fixture) g_system = MakeFakeSystem(fixture);
    if (!g_system && qel::IsHeadless()) g_system = std::make_shared<NoPrinters>();
    if (!g_system) g_system = MakeCupsSystem();
  }
  return g_system;
}

void SetCurrentSystem(std::shared_ptr<PrintSystem> system) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_system = std::move(system);
}

}  // namespace print
