#include "ModuleInstance.h"

#include <optional>

namespace {
std::optional<plat::Bundle>& Stored() {
  static std::optional<plat::Bundle> bundle;
  return bundle;
}
}  // namespace

void vStoreModuleInst(const plat::Bundle* bundle) {
  if (bundle) Stored() = *bundle;
  else Stored().reset();
}

const plat::Bundle* vGetModuleInst() { return Stored() ? &*Stored() : nullptr; }
