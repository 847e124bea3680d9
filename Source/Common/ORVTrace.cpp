#include "ORVTrace.h"

#include <cstdlib>
#include <fstream>

void OrvTrace(const std::string& line) {
  const char* path = std::getenv("DUNSELLOW_TRACE");
  if (!path || !*path) return;
  std::ofstream out(path, std::ios::app);
  out << line << '\n';
}
