// The fixed folder layout of a bundle.
#include <string>

#include "ORVPathHelper.h"
#include "ORVPubTools.h"
#include "qel/QelWideText.h"

namespace {

// Paths cross the file-system boundary in 1024-byte buffers; a longer one
// is refused rather than cut.
constexpr size_t kMaxPathBytes = 1024;

CQelStringW FromFileSystem(const std::string& path) {
  if (path.empty() || path.size() >= kMaxPathBytes) return CQelStringW();
  return CQelStringW(QelFromUTF8(path).c_str());
}

std::optional<plat::Bundle> Resolve(const plat::Bundle* bundle) {
  if (bundle) return *bundle;
  return plat::Bundle::Main();
}

CQelStringW Join(const CQelStringW& base, const WCHAR* name) {
  if (base.IsEmpty()) return base;
  return CORVPathHelper::MakeFullPath(base, name, 1);
}

}  // namespace

CQelStringW CORVPubTools::GetBundleContentsPath(const plat::Bundle* bundle) {
  auto b = Resolve(bundle);
  return b ? FromFileSystem(b->ContentsPath()) : CQelStringW();
}

CQelStringW CORVPubTools::GetBundleModulesPath(const plat::Bundle* bundle) {
  return Join(GetBundleContentsPath(bundle), u"Modules");
}

CQelStringW CORVPubTools::GetBundleResourcePath(const plat::Bundle* bundle) {
  auto b = Resolve(bundle);
  return b ? FromFileSystem(b->ResourcesPath()) : CQelStringW();
}

CQelStringW CORVPubTools::GetBundleResourcePathWithName(const plat::Bundle* bundle, const WCHAR* name) {
  return Join(GetBundleResourcePath(bundle), name);
}

CQelStringW CORVPubTools::GetBundleLocalizePath(const plat::Bundle* bundle) {
  auto b = Resolve(bundle);
  return b ? FromFileSystem(b->LocalizedResourcesPath()) : CQelStringW();
}

CQelStringW CORVPubTools::GetBundleLocalizePathWithName(const plat::Bundle* bundle, const WCHAR* name) {
  return Join(GetBundleLocalizePath(bundle), name);
}

CQelStringW CORVPubTools::GetBundleLocalizeUIPath(const plat::Bundle* bundle) {
  return Join(GetBundleLocalizePath(bundle), u"UI");
}

CQelStringW CORVPubTools::GetBundleLocalizeUIPathWithName(const plat::Bundle* bundle, const WCHAR* name) {
  return Join(GetBundleLocalizeUIPath(bundle), name);
}

std::optional<plat::Bundle> CORVPubTools::CreateBundleByPath(const WCHAR* path) {
  if (!path || !*path) return std::nullopt;
  return plat::Bundle::AtPath(QelToUTF8(path));
}

#define ORV_FROM_BUNDLE_PATH(Name, Call)                                  \
  CQelStringW CORVPubTools::Name(const WCHAR* bundlePath) {               \
    auto b = CreateBundleByPath(bundlePath);                              \
    return b ? Call(&*b) : CQelStringW();                                 \
  }
#define ORV_FROM_BUNDLE_PATH_WITH_NAME(Name, Call)                        \
  CQelStringW CORVPubTools::Name(const WCHAR* bundlePath, const WCHAR* name) { \
    auto b = CreateBundleByPath(bundlePath);                              \
    return b ? Call(&*b, name) : CQelStringW();                           \
  }

ORV_FROM_BUNDLE_PATH(GetResourcePathFromBundlePath, GetBundleResourcePath)
ORV_FROM_BUNDLE_PATH_WITH_NAME(GetResourcePathWithNameFromBundlePath, GetBundleResourcePathWithName)
ORV_FROM_BUNDLE_PATH(GetLocalizePathFromBundlePath, GetBundleLocalizePath)
ORV_FROM_BUNDLE_PATH_WITH_NAME(GetLocalizePathWithNameFromBundlePath, GetBundleLocalizePathWithName)
ORV_FROM_BUNDLE_PATH(GetLocalizeUIPathFromBundlePath, GetBundleLocalizeUIPath)
ORV_FROM_BUNDLE_PATH_WITH_NAME(GetLocalizeUIPathWithNameFromBundlePath, GetBundleLocalizeUIPathWithName)
