#pragma once
// Showing a file in the file manager, and opening a document or folder with
// the user's default handler. With QEL_BACKEND=headless nothing is shown:
// the calls are recorded for tests instead.
#include <string>
#include <vector>

namespace plat {

// Selects `path` in the file manager (org.freedesktop.FileManager1.ShowItems
// on the session bus); without one, opens the folder holding it. 0 on
// success, -1 when the file is missing or nothing could show it.
int RevealInFileManager(const std::string& path);

// Opens a local file or folder with the default handler (a help page, a
// folder). 0 on success, -1 otherwise.
int OpenWithDefaultHandler(const std::string& path);

// Headless record: one entry per call, "reveal <path>" or "open <path>".
std::vector<std::string> HeadlessDesktopCalls();
void ClearHeadlessDesktopCalls();

}  // namespace plat
