#pragma once
// The main program as the monitor sees it: whether it runs, and handing it
// a command line.
#include <string>

class BMMainProgram {
 public:
  // The application names it is looked for under, in this order.
  static constexpr const char* kApplicationNames[] = {"Merrowick", "Dunsellow"};

  virtual ~BMMainProgram() = default;
  // true when the program of that application name is running.
  virtual bool BMIsAlreadyLaunched(const std::string& name) = 0;
  // Hands `commandLine` over (the first program found gets it, started when
  // it is not running) without waiting for it to be handled.
  virtual void Deliver(const std::u16string& commandLine) = 0;
};
