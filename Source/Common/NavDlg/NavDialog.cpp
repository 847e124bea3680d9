#include "NavDialog.h"

#include <filesystem>

#include "qel/QelWideText.h"
#include "qel/QelWindow.h"

namespace {

std::vector<std::string> SplitExtensions(const WCHAR* list) {
  std::vector<std::string> out;
  if (!list) return out;
  std::u16string all(list), one;
  for (char16_t c : all + u"|") {
    if (c == u'|') {
      if (!one.empty()) out.push_back(QelToUTF8(one));
      one.clear();
    } else {
      one.push_back(c);
    }
  }
  return out;
}

bool EndsWith(const std::u16string& s, const std::u16string& tail) {
  return tail.size() <= s.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The folder a location stands for: itself, or the folder holding a file.
std::string StartFolder(const FSRef* location) {
  if (!location || location->path.empty()) return {};
  std::error_code ec;
  std::filesystem::path p(location->path);
  if (std::filesystem::is_directory(p, ec)) return p.string();
  if (std::filesystem::exists(p, ec) && std::filesystem::is_directory(p.parent_path(), ec))
    return p.parent_path().string();
  return {};
}

}  // namespace

CNavDialog::CNavDialog() = default;

CNavDialog::~CNavDialog() {
  ReleaseNavDialog();
  ClearNavFormat();
}

int32_t CNavDialog::InitNavDialog(CQelWindow* parent, const WCHAR* title, uint32_t flags) {
  parent_ = parent;
  title_ = title ? std::u16string(title) : std::u16string();
  flags_ = flags;
  return 1;
}

void CNavDialog::ClearNavFormat() { formats_.clear(); }

void CNavDialog::ResetNavFormat(const tagNavFormat* formats, int32_t count, int32_t selected) {
  ClearNavFormat();
  for (int32_t i = 0; formats && i < count; ++i) {
    Format f;
    if (formats[i].description) f.description = formats[i].description;
    f.extensions = SplitExtensions(formats[i].extensions);
    formats_.push_back(std::move(f));
  }
  selected_ = selected;
}

void CNavDialog::SetFormatSelection(int32_t index) { selected_ = index; }

bool CNavDialog::FilterAccepts(const std::u16string& name, bool isFolder) const {
  if (isFolder || formats_.empty()) return true;
  if (name.empty() || selected_ < 0 || size_t(selected_) >= formats_.size()) return false;
  return qel::NameHasExtension(QelToUTF8(name), formats_[size_t(selected_)].extensions);
}

int32_t CNavDialog::RunNavDialog(NAV_TYPE type, const FSRef* location) {
  ReleaseNavDialog();
  qel::FileChooserRequest request;
  request.action = type == NAV_SAVE     ? qel::FileChooserRequest::kSave
                   : type == NAV_FOLDER ? qel::FileChooserRequest::kSelectFolder
                                        : qel::FileChooserRequest::kOpen;
  request.parent = CQelWindow::FetchQelWindow(parent_);
  request.title = title_;
  request.folder = StartFolder(location);
  if (type != NAV_FOLDER) {
    for (const Format& f : formats_) request.filters.push_back({f.description, f.extensions});
    request.selectedFilter = selected_;
  }
  PrepareRequest(request);
  has_dialog_ = true;
  NavDialogCreated();

  qel::FileChooserResult result = qel::RunFileChooser(request);
  reply_ = NavReplyRecord{};
  reply_.validRecord = result.chosen;
  reply_.format = result.filter;
  for (const std::string& path : result.paths) {
    FSRef ref;
    // Items whose reference cannot be made are skipped.
    if (FSPathMakeRef(path.c_str(), &ref, nullptr) == noErr || type == NAV_SAVE) {
      if (ref.path.empty()) ref.path = path;
      reply_.selection.push_back(ref);
    }
  }
  if (reply_.selection.empty()) reply_.validRecord = false;
  if (type == NAV_OPEN && result.filter >= 0) {
    SetFormatSelection(result.filter);
  } else if (type == NAV_SAVE && reply_.validRecord) {
    FollowFormat(reply_, result.filter);
  }
  if (reply_.validRecord) HandleUserAction(type == NAV_SAVE ? CNavSaveDialog::kNavUserActionSaveAs : 1, reply_);
  return 1;
}

void CNavDialog::ReleaseNavDialog() {
  has_dialog_ = false;
  reply_ = NavReplyRecord{};
}

bool CNavDialog::GetNavReply(NavReplyRecord& reply) const {
  if (!has_dialog_) return false;
  reply = reply_;
  return true;
}

int32_t CNavDialog::GetFSRefFromNavReply(const NavReplyRecord& reply, FSRef* out) {
  if (!out || !reply.validRecord || reply.selection.empty()) return 0;
  *out = reply.selection.front();
  return 1;
}

// ---- save dialog ----

void CNavSaveDialog::SetDefaultSaveName(const WCHAR* name) { save_name_ = name ? std::u16string(name) : u""; }

void CNavSaveDialog::SetFormatSelection(int32_t index) {
  std::u16string name = save_name_;
  size_t first = name.find_first_not_of(u'.');
  name = first == std::u16string::npos ? std::u16string() : name.substr(first);
  while (!name.empty() && name.back() == u'.') name.pop_back();

  std::u16string wanted;
  if (index >= 0 && size_t(index) < formats_.size() && !formats_[size_t(index)].extensions.empty())
    wanted = QelFromUTF8(formats_[size_t(index)].extensions.front());
  bool replaced = false;
  for (const Format& f : formats_) {
    for (const std::string& ext : f.extensions) {
      std::u16string e = QelFromUTF8(ext);
      if (!replaced && EndsWith(name, e)) {
        name = name.substr(0, name.size() - e.size()) + wanted;
        replaced = true;
      }
    }
  }
  if (!replaced) name += wanted;
  save_name_ = name;
  selected_ = index;
}

void CNavSaveDialog::HandleUserAction(int32_t action, NavReplyRecord& reply) {
  if (action == kNavUserActionSaveAs) NavSave(reply);
}

void CNavSaveDialog::FollowFormat(NavReplyRecord& reply, int32_t format) {
  // The chooser cannot follow the format while it is up: the name takes the
  // chosen format's extension now.
  std::filesystem::path chosen(reply.selection.front().path);
  SetDefaultSaveName(QelFromUTF8(chosen.filename().string()).c_str());
  SetFormatSelection(format >= 0 ? format : selected_);
  reply.selection.front().path = (chosen.parent_path() / QelToUTF8(save_name_)).string();
}

void CNavSaveDialog::PrepareRequest(qel::FileChooserRequest& request) { request.name = save_name_; }
