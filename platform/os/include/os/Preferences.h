#pragma once
// User preferences: one XML property list per domain,
// "$XDG_CONFIG_HOME/dunsellow/<domain>.plist", shared by every program that
// uses the domain (the main program and its plug-ins use
// "com.Talvexa.Orvenna"; the viewer and player read it too).
//
// Each change is written through at once and merged: under the domain's
// lock ("<domain>.plist.lock", flock) the file is read again, the one change
// applied and the whole written to a temporary file in the same folder,
// fsync'ed and renamed over it, so a crash never leaves a half-written file
// and two programs never lose each other's keys. Temporary files left by a
// writer that died are removed under the lock. Reads use a cache that is
// refreshed whenever the file on disk was replaced.
//
// A missing file reads as empty. A file that cannot be parsed also reads as
// empty, and is kept aside as "<domain>.plist.corrupt-<n>" before the first
// write replaces it, so nothing the user had is overwritten unseen.
#include <cstdint>
#include <functional>
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

  // Drops the cache so the next access reads the file again.
  void Reload();

 private:
  explicit Preferences(std::string domain);
  void LoadLocked() const;
  bool WriteLocked(const PlistValue& root);
  // Applies `change` (false: nothing to write) to the domain as on disk.
  bool Change(const std::function<bool(PlistValue& dict)>& change);
  int LockDomain() const;
  void SweepTemporaries() const;
  void SweepOnFirstLoad() const;

  struct State;
  std::string domain_;
  std::string path_;
  State* state_;  // lives for the process, like the domain cache it holds
};

}  // namespace plat
