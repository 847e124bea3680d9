#pragma once
// The command-line text shared by the viewer and the player: the album's
// form (the asset-list switch and a quoted list path) and the plain form
// (double-quoted paths, as the desktop's arguments are handed over).
#include <optional>
#include <string>
#include <vector>

namespace Vardel {

// Where the asset-list switch "-AssetFilePath" stands, or npos: a word of
// its own outside double quotes (a quoted path may hold the same letters).
size_t FindAssetSwitch(const std::u16string& text);

// The asset list named after the switch at `at`: the text between the next
// two double quotes; empty when a quote is missing.
std::u16string AssetListAfterSwitch(const std::u16string& text, size_t at);

// The double-quoted items in order; text outside quotes plays no part, and
// an item without its closing quote ends the list.
std::vector<std::u16string> QuotedItems(const std::u16string& text);

// The command line a program was started with: the text of a
// "--cmdl=<text>" argument, else each argument as a double-quoted absolute
// path (the desktop's "%F"); nothing without arguments. An argument holding
// a double quote cannot travel as a path: it is left out and said on
// standard error under `programName`.
std::optional<std::u16string> CommandLineFromArguments(int argc, char** argv, const char* programName);

}  // namespace Vardel
