#pragma once
// Help pages and the program's version. The help pages are HTML files of
// the main bundle, "Resources/Help/<two letters of the language>/", opened
// with the desktop's default handler; the English ones stand in for a
// language without pages.
#include <string>

#include "qel/QelTypes.h"

// Opens "Introduction.html" for the toolkit's language (English when that
// language has none). 0 when a page was opened, -1 when none exists or
// nothing could open it.
int LaunchHelp();
// LaunchHelp for the user (the menu, the Help key): a failure is told in a
// message over `parent` instead of passing without a word.
int ShowHelp(WindowRef parent);
// The page that LaunchHelp opens; empty when there is none.
std::string HelpPagePath(const char* page = "Introduction.html");

// The main bundle's CFBundleVersion, read once. Copied into `buffer` (at
// least kVersionUnits units) when one is given, which is then answered;
// otherwise the program's own copy is answered.
constexpr size_t kVersionUnits = 128;
const WCHAR* GetExeVersion(WCHAR* buffer);
