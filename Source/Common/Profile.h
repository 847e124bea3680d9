#pragma once
// User preferences of one domain (the main program and its plug-ins share
// "com.Talvexa.Orvenna"), and values of the main bundle's Info.plist.
// Section arguments are ignored: keys share one flat domain. Every write goes
// to the file at once. Text reads are bounded by the caller's buffer: a
// stored text that does not fit counts as absent, so the default is used
// instead of a cut-short value (a cut path could name another file).
#include <cstdint>
#include <optional>

#include "os/PropertyList.h"
#include "qel/QelTypes.h"

inline constexpr const WCHAR* kORVPreferenceDomain = u"com.Talvexa.Orvenna";

// Stores the value and writes the domain; 1 when written, 0 otherwise (also
// for a null key).
int Mac_SetPreferenceValue(const WCHAR* key, const plat::PlistValue& value,
                           const WCHAR* domain = kORVPreferenceDomain);
// A copy of the stored value; nullopt when absent.
std::optional<plat::PlistValue> Mac_GetPreferenceValue(const WCHAR* key, const WCHAR* domain = kORVPreferenceDomain);

// The stored 32-bit number, or the default when absent or of another type.
int32_t LoadProfileInt(const WCHAR* section, const WCHAR* key, int32_t defaultValue,
                       const WCHAR* domain = kORVPreferenceDomain);
// 1 when stored and written, 0 otherwise.
int SaveProfileInt(const WCHAR* section, const WCHAR* key, int32_t value, const WCHAR* domain = kORVPreferenceDomain);

// Into `buffer` of `size` units (zero-filled first): the stored text and 1,
// or the default and 0 when the key is absent, of another type or too long
// for the buffer. A default that does not fit leaves the buffer empty.
int LoadProfileString(const WCHAR* section, const WCHAR* key, const WCHAR* defaultValue, WCHAR* buffer, int32_t size,
                      const WCHAR* domain = kORVPreferenceDomain);
// 1 when stored and written, 0 otherwise.
int SaveProfileString(const WCHAR* section, const WCHAR* key, const WCHAR* value,
                      const WCHAR* domain = kORVPreferenceDomain);

// The main bundle's Info.plist string for the key, or the default when it is
// absent, empty or does not fit; 1, or 0 for a null buffer, a size of 0 or
// when not even the default fits.
int GetProfileStringFromInfoList(const WCHAR* key, const WCHAR* defaultValue, WCHAR* buffer, int32_t size);
// The main bundle's Info.plist number for the key, else the default.
int32_t GetProfileIntFromInfoList(const WCHAR* key, int32_t defaultValue);
