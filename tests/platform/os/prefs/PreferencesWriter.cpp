// Writes keys into a preference domain as another program would:
//   os_prefs_writer <domain> <prefix> <count> [value]
// sets "<prefix><i>" for i in 0..count-1 to `value` (default i), one write
// each. Exit code 0 when every write succeeded.
#include <cstdlib>
#include <string>

#include "os/Preferences.h"

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  auto& prefs = plat::Preferences::ForDomain(argv[1]);
  const std::string prefix = argv[2];
  const int count = std::atoi(argv[3]);
  int failed = 0;
  for (int i = 0; i < count; ++i) {
    int32_t value = argc > 4 ? std::atoi(argv[4]) : i;
    if (!prefs.SetInt(prefix + std::to_string(i), value)) ++failed;
  }
  return failed == 0 ? 0 : 1;
}
