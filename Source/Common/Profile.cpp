#include "Profile.h"

#include <algorithm>
#include <string>

#include "os/Bundle.h"
#include "os/Preferences.h"
#include "qel/QelWideText.h"

namespace {

std::string Utf8(const WCHAR* text) { return text ? QelToUTF8(text) : std::string(); }

plat::Preferences& Domain(const WCHAR* domain) {
  return plat::Preferences::ForDomain(domain && *domain ? Utf8(domain) : Utf8(kORVPreferenceDomain));
}

// Zero-fills the buffer and copies `text` when it fits with its terminator.
bool CopyWhole(WCHAR* buffer, int32_t size, const std::u16string& text) {
  std::fill(buffer, buffer + size, u'\0');
  if (text.size() >= size_t(size)) return false;
  std::copy(text.begin(), text.end(), buffer);
  return true;
}

}  // namespace

int Mac_SetPreferenceValue(const WCHAR* key, const plat::PlistValue& value, const WCHAR* domain) {
  if (!key || !*key) return 0;
  return Domain(domain).Set(Utf8(key), value) ? 1 : 0;
}

std::optional<plat::PlistValue> Mac_GetPreferenceValue(const WCHAR* key, const WCHAR* domain) {
  if (!key || !*key) return std::nullopt;
  return Domain(domain).Get(Utf8(key));
}

int32_t LoadProfileInt(const WCHAR*, const WCHAR* key, int32_t defaultValue, const WCHAR* domain) {
  if (!key || !*key) return defaultValue;
  return Domain(domain).GetInt(Utf8(key), defaultValue);
}

int SaveProfileInt(const WCHAR*, const WCHAR* key, int32_t value, const WCHAR* domain) {
  if (!key || !*key) return 0;
  return Domain(domain).SetInt(Utf8(key), value) ? 1 : 0;
}

int LoadProfileString(const WCHAR*, const WCHAR* key, const WCHAR* defaultValue, WCHAR* buffer, int32_t size,
                      const WCHAR* domain) {
  if (!buffer || size <= 0) return 0;
  if (key && *key) {
    auto text = Domain(domain).GetText(Utf8(key), size_t(size) - 1);
    if (text && CopyWhole(buffer, size, *text)) return 1;
  }
  CopyWhole(buffer, size, defaultValue ? std::u16string(defaultValue) : std::u16string());
  return 0;
}

int SaveProfileString(const WCHAR*, const WCHAR* key, const WCHAR* value, const WCHAR* domain) {
  if (!key || !*key || !value) return 0;
  return Domain(domain).SetText(Utf8(key), value) ? 1 : 0;
}

int GetProfileStringFromInfoList(const WCHAR* key, const WCHAR* defaultValue, WCHAR* buffer, int32_t size) {
  if (!buffer || size <= 0) return 0;
  if (key && *key) {
    if (auto bundle = plat::Bundle::Main()) {
      auto value = bundle->InfoString(Utf8(key));
      if (value && !value->empty() && CopyWhole(buffer, size, QelFromUTF8(*value))) return 1;
    }
  }
  return CopyWhole(buffer, size, defaultValue ? std::u16string(defaultValue) : std::u16string()) ? 1 : 0;
}

int32_t GetProfileIntFromInfoList(const WCHAR* key, int32_t defaultValue) {
  if (!key || !*key) return defaultValue;
  auto bundle = plat::Bundle::Main();
  if (!bundle) return defaultValue;
  auto value = bundle->InfoInteger(Utf8(key));
  if (!value || *value < INT32_MIN || *value > INT32_MAX) return defaultValue;
  return int32_t(*value);
}
