#pragma once
// The entry points of a plug-in bundle. A plug-in defines them with
//   ORV_DEFINE_MODULE_ENTRY(CMyModule)
// in one of its source files; they are the only symbols it exports (the
// rest of the plug-in, its copy of the common library included, is hidden).
#include <new>

#include "IORVUnknown.h"

typedef ORVRESULT (*PFN_MyDllGetClassObject)(const ORV_GUID& classId, const ORV_GUID& interfaceId,
                                             void** out);
typedef ORVRESULT (*PFN_MyDllCanUnloadNow)();

// A new module object handed out through QueryInterface: on success the
// caller holds the one reference, on failure the object is gone.
template <class Module>
ORVRESULT ORVCreateModuleObject(const ORV_GUID& classId, const ORV_GUID& interfaceId, void** out) {
  if (!out) return ORV_E_NOTIMPL;
  if (classId != CLSID_ORVAction) return ORV_E_NOTIMPL;
  Module* module = new (std::nothrow) Module();
  if (!module) return ORV_E_FAIL;
  module->AddRef();
  ORVRESULT result = module->QueryInterface(interfaceId, out);
  module->Release();
  return result;
}

#define ORV_DEFINE_MODULE_ENTRY(ModuleClass)                                                  \
  extern "C" __attribute__((visibility("default"))) ORVRESULT MyDllGetClassObject(            \
      const ORV_GUID& classId, const ORV_GUID& interfaceId, void** out) {                     \
    return ORVCreateModuleObject<ModuleClass>(classId, interfaceId, out);                     \
  }                                                                                           \
  extern "C" __attribute__((visibility("default"))) ORVRESULT MyDllCanUnloadNow() {           \
    return ORV_E_NOTIMPL; /* a module library is never reported unloadable */                 \
  }
