#include "CORVUnknown.h"

CORVUnknown::~CORVUnknown() = default;

int32_t CORVUnknown::DefaultAddRef() { return m_refs.increment(); }

int32_t CORVUnknown::DefaultRelease() {
  int32_t count = m_refs.decrement();
  if (count == 0) delete this;
  return count;
}

ORVRESULT CORVUnknown::DefaultQueryInterface(const ORV_GUID&, void**) { return ORV_E_NOTIMPL; }

ORVRESULT CORVUnknown::GetInterface(IORVUnknown* itf, void** out) {
  if (!itf || !out) return ORV_E_POINTER;
  *out = itf;
  itf->AddRef();
  return ORV_S_OK;
}
