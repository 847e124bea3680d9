#pragma once
// The user's folders: Documents and Pictures, and private per-user folders
// for sockets, locks and temporary items. Private folders are mode 0700,
// owned by the user and never reached through a symbolic link.
#include <string>

namespace plat {

// Creates `path` as a 0700 folder when missing (its parent must exist), or
// checks an existing one: a real folder (not a link) owned by this user;
// group/other access is removed. false (and errno set) when refused.
bool EnsurePrivateFolder(const std::string& path);

// "$XDG_RUNTIME_DIR/dunsellow", or without that variable "<temp>/dunsellow-<uid>".
// Empty when the folder cannot be made private.
std::string RuntimeFolder();

// The per-user temporary-items folder: RuntimeFolder()/"TemporaryItems".
std::string TemporaryItemsFolder();

// A fresh uniquely named folder (mkdtemp, 0700) inside TemporaryItemsFolder().
std::string MakePrivateTempFolder(const std::string& prefix);

// Creates `folder/name` with O_CREAT|O_EXCL (mode 0600); when the name is
// taken, "<stem>_<n><ext>" for n = 1, 2, ... Answers the open descriptor and
// the path used, or -1.
int CreateExclusiveFile(const std::string& folder, const std::string& name, std::string* pathOut);

// The user's Documents and Pictures folders (XDG user dirs), falling back to
// ~/Documents and ~/Pictures, created when missing. Empty on failure.
std::string DocumentsFolder();
std::string PicturesFolder();

}  // namespace plat
