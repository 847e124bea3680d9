#pragma once
// User preferences: one XML property list per domain,
// "$XDG_CONFIG_HOME/dunsellow/<domain>.plist", read once and written through
// on every change (temporary file in the same folder, fsync, rename), so a
// crash never leaves a half-written file. The main program and its plug-ins
// share the domain "com.Talvexa.Orvenna".
//
// A missing file reads as empty. A file that cannot be parsed also reads as
// empty, and is kept aside as "<domain>.plist.corrupt-<n>" before the first
// write replaces it, so nothing the user had is overwritten unseen.
#include <cstdint>
#include <optional>
#include <string>

#include "os/PropertyList.h"

namespace plat {

inline constexpr const char* kMainPreferencesDomain = "com.Talvexa.Orvenna";

class Preferences {
 public:
  // The one cache of `domain` in this process (thread-safe). Domains are
  // spelled exactly; a domain that cannot name a file gives a store that
  // never persists.
  static Preferences& ForDomain(const std::string& domain);

  // Where the domain is stored.
  const std::string& path() const { return path_; }

  // The stored value, nullopt when absent.
  std::optional<PlistValue> Get(const std::string& key) const;
  // Stores and writes the file; false when the value cannot be stored (the
  // cache keeps the previous value then).
  bool Set(const std::string& key, const PlistValue& value);
  bool Remove(const std::string& key);

  // 32-bit integers; an absent key, another type or a value outside the
  // 32-bit range gives `fallback`.
  int32_t GetInt(const std::string& key, int32_t fallback) const;
  bool SetInt(const std::string& key, int32_t value);

  // Texts as UTF-16. A text longer than `maxUnits` counts as absent (never
  // cut short); `maxUnits` 0 means no limit.
  std::optional<std::u16string> GetText(const std::string& key, size_t maxUnits = 0) const;
  bool SetText(const std::string& key, const std::u16string& value);

  bool GetBool(const std::string& key, bool fallback) const;
  bool SetBool(const std::string& key, bool value);

  // Drops the cache so the next access reads the file again (tests, and a
  // program that knows another process wrote the domain).
  void Reload();

 private:
  explicit Preferences(std::string domain);
  void LoadLocked() const;
  bool WriteLocked(const PlistValue& root);

  struct State;
  std::string domain_;
  std::string path_;
  State* state_;  // lives for the process, like the domain cache it holds
};

}  // namespace plat
