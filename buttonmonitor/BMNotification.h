#pragma once
// One command for the main program, made for a button status.
#include <cstdint>
#include <memory>
#include <string>

class BMMainProgram;

class BMNotification {
 public:
  // The command of status 1 (zoom in), 2 (zoom out) or 3 (record); null
  // for any other status.
  static std::shared_ptr<BMNotification> initWithBtnStatus(int status);

  // Hands the command to the main program (started when it is not running).
  void post(BMMainProgram& program) const;

  // The text up to its terminating zero.
  std::u16string commandLine() const;
  // The block that is sent: 32 units, the text followed by zeros.
  static constexpr size_t kBlockUnits = 32;
  const char16_t* block() const { return _cmdLine; }

 private:
  BMNotification() = default;
  char16_t _cmdLine[64] = {};
};
