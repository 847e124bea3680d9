// The fake print system of headless runs: printers, papers and margins from
// a fixture file; every job is kept as a PDF in the spool folder.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "print/PrintSystem.h"

namespace print {
namespace {

std::string Prop(xmlNode* node, const char* name, const std::string& fallback = "") {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  if (!value) return fallback;
  std::string text(reinterpret_cast<char*>(value));
  xmlFree(value);
  return text;
}

int32_t IntProp(xmlNode* node, const char* name, int32_t fallback = 0) {
  std::string text = Prop(node, name);
  if (text.empty()) return fallback;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  return end && *end == 0 && v >= 0 && v <= 10000000 ? int32_t(v) : fallback;
}

bool Named(xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

// Keeps letters, digits, blanks, '-', '_' and '.' of a title for a file name.
std::string FileSafe(const std::string& title) {
  std::string out;
  for (unsigned char c : title) {
    if (std::isalnum(c) || c == ' ' || c == '-' || c == '_' || c == '.' || c >= 0x80) out += char(c);
    else out += '_';
    if (out.size() >= 80) break;
  }
  if (out.empty() || out[0] == '.') out.insert(out.begin(), '_');
  return out;
}

class FakePrintSystem : public PrintSystem {
 public:
  struct Entry {
    Printer printer;
    std::vector<Media> media;
    bool rejects = false;
  };

  FakePrintSystem(std::vector<Entry> entries, std::string spool)
      : entries_(std::move(entries)), spool_(std::move(spool)) {}

  std::vector<Printer> Printers() override {
    std::vector<Printer> out;
    for (const Entry& e : entries_) out.push_back(e.printer);
    return out;
  }

  std::vector<Media> MediaOf(const std::string& printer) override {
    for (const Entry& e : entries_)
      if (e.printer.name == printer) return e.media;
    return {};
  }

  JobResult Submit(const JobRequest& job) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const Entry* entry = nullptr;
    for (const Entry& e : entries_)
      if (e.printer.name == job.printer) entry = &e;
    if (!entry) return {false, 0, "no printer \"" + job.printer + "\""};
    if (entry->rejects) return {false, 0, "the printer refused the job"};
    std::error_code ec;
    std::filesystem::create_directories(spool_, ec);
    int32_t id = ++jobs_;
    while (std::filesystem::exists(spool_ + "/" + std::to_string(id) + "-" + FileSafe(job.title) + ".pdf")) id = ++jobs_;
    std::string base = spool_ + "/" + std::to_string(id) + "-" + FileSafe(job.title);
    std::filesystem::copy_file(job.pdfPath, base + ".pdf", ec);
    if (ec) return {false, 0, ec.message()};
    std::ofstream side(base + ".txt");
    side << "printer=" << job.printer << "\ncopies=" << job.copies << "\nmedia=" << job.mediaId
         << "\ncolor=" << (job.color ? 1 : 0) << "\ntitle=" << job.title << "\n";
    if (!side) return {false, 0, "cannot write the job's record"};
    return {true, id, ""};
  }

 private:
  std::vector<Entry> entries_;
  std::string spool_;
  std::mutex mutex_;
  int32_t jobs_ = 0;
};

}  // namespace

std::shared_ptr<PrintSystem> MakeFakeSystem(const std::string& fixturePath) {
  xmlDoc* doc = xmlReadFile(fixturePath.c_str(), nullptr, XML_PARSE_NONET);
  if (!doc) return nullptr;
  xmlNode* root = xmlDocGetRootElement(doc);
  if (!root || !Named(root, "PrintFixture")) {
    xmlFreeDoc(doc);
    return nullptr;
  }
  std::filesystem::path folder = std::filesystem::path(fixturePath).parent_path();
  std::string spool = Prop(root, "spool", "spool");
  if (const char* env = std::getenv("DUNSELLOW_PRINT_SPOOL"); env && *env) spool = env;
  if (std::filesystem::path(spool).is_relative()) spool = (folder / spool).string();

  std::vector<FakePrintSystem::Entry> entries;
  for (xmlNode* p = root->children; p; p = p->next) {
    if (!Named(p, "Printer")) continue;
    FakePrintSystem::Entry e;
    e.printer.name = Prop(p, "name");
    if (e.printer.name.empty()) continue;
    e.printer.makeAndModel = Prop(p, "makeAndModel");
    e.printer.isDefault = Prop(p, "default") == "1";
    e.printer.color = Prop(p, "color", "1") == "1";
    e.rejects = Prop(p, "rejects") == "1";
    for (xmlNode* m = p->children; m; m = m->next) {
      if (!Named(m, "Media")) continue;
      Media media;
      media.id = Prop(m, "id");
      media.name = Prop(m, "name", media.id);
      media.width = IntProp(m, "width");
      media.height = IntProp(m, "height");
      media.left = IntProp(m, "left");
      media.right = IntProp(m, "right");
      media.top = IntProp(m, "top");
      media.bottom = IntProp(m, "bottom");
      if (media.width > 0 && media.height > 0 && !media.id.empty()) e.media.push_back(media);
    }
    entries.push_back(std::move(e));
  }
  xmlFreeDoc(doc);
  return std::make_shared<FakePrintSystem>(std::move(entries), spool);
}

}  // namespace print
