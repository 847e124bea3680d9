#pragma once
// Appends a line to the file named by DUNSELLOW_TRACE (when set), so that
// tests driving the program from outside can see what reached it and what
// the modules made of it. Each binary has its own copy; the lines of the
// main program and its plug-ins meet in the one file.
#include <string>

void OrvTrace(const std::string& line);
