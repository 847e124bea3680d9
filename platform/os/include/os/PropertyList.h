#pragma once
// Apple XML property lists: the format of Info.plist files and of the
// preference files. Parsed and written with libxml2; the output reads back
// with any plist reader (Python's plistlib included).
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace plat {

class PlistValue {
 public:
  enum class Type { None, String, Integer, Real, Boolean, Data, Date, Array, Dict };
  using Array = std::vector<PlistValue>;
  using Dict = std::map<std::string, PlistValue>;

  PlistValue() = default;
  static PlistValue String(std::string utf8);
  static PlistValue Integer(int64_t v);
  static PlistValue Real(double v);
  static PlistValue Boolean(bool v);
  static PlistValue Data(std::vector<uint8_t> bytes);
  static PlistValue Date(std::string iso8601);  // "2024-01-31T12:00:00Z"
  static PlistValue MakeArray(Array items = {});
  static PlistValue MakeDict(Dict entries = {});

  Type type() const { return type_; }
  bool is(Type t) const { return type_ == t; }

  // Accessors answer the value only when the type matches.
  std::optional<std::string> AsString() const;  // String or Date text
  std::optional<int64_t> AsInteger() const;
  std::optional<double> AsReal() const;         // Real, or Integer widened
  std::optional<bool> AsBoolean() const;
  const std::vector<uint8_t>* AsData() const;
  const Array* AsArray() const;
  const Dict* AsDict() const;
  Array* MutableArray();
  Dict* MutableDict();

  // Member of a dict (nullptr when absent or not a dict).
  const PlistValue* Find(const std::string& key) const;

  bool operator==(const PlistValue& other) const;

 private:
  Type type_ = Type::None;
  std::string text_;
  int64_t integer_ = 0;
  double real_ = 0.0;
  std::vector<uint8_t> data_;
  Array array_;
  Dict dict_;
};

// Parses a whole XML property list. nullopt on malformed XML, an unknown
// element, a bad number or base64, or a root that is not <plist>.
std::optional<PlistValue> ParsePropertyList(const std::string& xmlBytes);
std::optional<PlistValue> ReadPropertyListFile(const std::string& path);

// Serialises as an XML property list. Fails (nullopt) on text that XML
// cannot carry (control characters, invalid UTF-8) or on a None value.
std::optional<std::string> SerializePropertyList(const PlistValue& root);

}  // namespace plat
