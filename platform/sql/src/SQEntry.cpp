// The bundle's one export.
#include <cstring>
#include <new>

#include "SQObjects.h"

namespace {
bool Same(const VdlSQGuid& a, const VdlSQGuid& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t MyDllGetClassObject(const VdlSQGuid& classId,
                                                                              const VdlSQGuid& interfaceId,
                                                                              void** out) {
  if (!out) return VDLSQ_E_NOTSERVED;
  *out = nullptr;
  if (!Same(classId, CLSID_VdlSQConnection) || !Same(interfaceId, IID_IVdlSQConnection)) {
    return VDLSQ_E_NOTSERVED;
  }
  auto* connection = new (std::nothrow) vdlsq::Connection();
  if (!connection) return VDLSQ_E_ERROR;
  *out = static_cast<IVdlSQConnection*>(connection);
  return VDLSQ_OK;
}
