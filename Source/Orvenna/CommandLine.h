#pragma once
// The form of a command line between programs: "-<module>[/<argument>]".
#include <string>
#include <string_view>

// Splits `text` at the leading minus sign and the first slash. false (and
// nothing written) for an empty text or one without the leading minus
// sign; without a slash the argument is left untouched.
bool SplitCommandLine(std::u16string_view text, std::u16string* moduleName, std::u16string* argument);

// A module's Name as a command line spells it: every space removed.
std::u16string CommandModuleName(std::u16string_view name);

// Equal without regard to ASCII case.
bool SameModuleName(std::u16string_view a, std::u16string_view b);
