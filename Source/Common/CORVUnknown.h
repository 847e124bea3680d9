#pragma once
// Reference counting behind IORVUnknown; every component class inherits it
// as its second base, after its interface.
#include "CORVLock.h"
#include "IORVUnknown.h"
#include "LockCounter.h"

class CORVUnknown {
 public:
  CORVUnknown() = default;
  CORVUnknown(const CORVUnknown&) = delete;
  CORVUnknown& operator=(const CORVUnknown&) = delete;
  virtual ~CORVUnknown();

  virtual int32_t DefaultAddRef();
  // Deletes the object when the count returns to 0.
  virtual int32_t DefaultRelease();
  // Serves nothing by itself.
  virtual ORVRESULT DefaultQueryInterface(const ORV_GUID& iid, void** out);

  // Hands out itf with one more reference.
  ORVRESULT GetInterface(IORVUnknown* itf, void** out);

 protected:
  LockCounter<CORVLock> m_refs;
};
