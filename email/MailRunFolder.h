#pragma once
// The private folder that holds the copies of one e-mail run:
// "<cache>/dunsellow/ORVSendmail/<n>/", mode 0700. Every run gets a folder
// of its own, because a mail program may still be reading the copies of an
// earlier message when the next one is made.
#include <cstdint>
#include <string>

// The working folder "<cache>/dunsellow/ORVSendmail" (made private); empty
// when it cannot be made.
std::string MailWorkingFolder();

// Makes a fresh numbered folder for this run and gives its path ending in
// "/". Folders older than a day are removed first; the first number 0..98
// not in use is taken, and when all are in use the oldest is emptied and
// reused. 0 when no folder could be had.
int32_t GetSaveFilePath(std::u16string* out);
