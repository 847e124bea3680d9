// Printers, papers and jobs through CUPS's destination API. Every request
// has a short time-out: a printer that does not answer is left out rather
// than holding up the dialog.
#include <cups/cups.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "print/PrintSystem.h"

namespace print {
namespace {

constexpr int kEnumMsec = 1000;
constexpr int kConnectMsec = 2000;
constexpr double kRequestSeconds = 10.0;

struct DestList {
  int count = 0;
  cups_dest_t* dests = nullptr;
  ~DestList() { cupsFreeDests(count, dests); }
};

int CollectDest(void* data, unsigned flags, cups_dest_t* dest) {
  auto* list = static_cast<DestList*>(data);
  if (flags & CUPS_DEST_FLAGS_REMOVED) {
    list->count = cupsRemoveDest(dest->name, dest->instance, list->count, &list->dests);
  } else {
    list->count = cupsCopyDest(dest, list->count, &list->dests);
  }
  return 1;
}

std::string DestName(const cups_dest_t* dest) {
  std::string name = dest->name ? dest->name : "";
  if (dest->instance) name += "/" + std::string(dest->instance);
  return name;
}

// One connection to a destination with its capabilities.
struct Connection {
  http_t* http = nullptr;
  cups_dinfo_t* info = nullptr;
  ~Connection() {
    if (info) cupsFreeDestInfo(info);
    if (http) httpClose(http);
  }
  bool Open(cups_dest_t* dest) {
    char resource[1024];
    http = cupsConnectDest(dest, CUPS_DEST_FLAGS_NONE, kConnectMsec, nullptr, resource, sizeof resource, nullptr,
                           nullptr);
    if (!http) return false;
    httpSetTimeout(http, kRequestSeconds, nullptr, nullptr);
    info = cupsCopyDestInfo(http, dest);
    return info != nullptr;
  }
};

class CupsPrintSystem : public PrintSystem {
 public:
  explicit CupsPrintSystem(std::vector<std::string> addresses) : addresses_(std::move(addresses)) {}

  std::vector<Printer> Printers() override {
    DestList list;
    Load(&list);
    std::vector<Printer> out;
    for (int i = 0; i < list.count; ++i) {
      cups_dest_t* d = &list.dests[i];
      Printer p;
      p.name = DestName(d);
      if (const char* mm = cupsGetOption("printer-make-and-model", d->num_options, d->options)) p.makeAndModel = mm;
      p.isDefault = d->is_default != 0;
      if (const char* type = cupsGetOption("printer-type", d->num_options, d->options))
        p.color = (std::strtoul(type, nullptr, 0) & CUPS_PRINTER_COLOR) != 0;
      out.push_back(p);
    }
    return out;
  }

  std::vector<Media> MediaOf(const std::string& printer) override {
    DestList list;
    cups_dest_t* dest = Find(&list, printer);
    std::vector<Media> out;
    Connection c;
    if (!dest || !c.Open(dest)) return out;
    int count = cupsGetDestMediaCount(c.http, dest, c.info, CUPS_MEDIA_FLAGS_DEFAULT);
    for (int i = 0; i < count && i < 500; ++i) {
      cups_size_t size;
      if (!cupsGetDestMediaByIndex(c.http, dest, c.info, i, CUPS_MEDIA_FLAGS_DEFAULT, &size)) continue;
      if (size.width <= 0 || size.length <= 0) continue;
      Media m;
      m.id = size.media;
      const char* shown = cupsLocalizeDestMedia(c.http, dest, c.info, CUPS_MEDIA_FLAGS_DEFAULT, &size);
      m.name = shown && *shown ? shown : size.media;
      m.width = size.width;
      m.height = size.length;
      m.left = size.left;
      m.right = size.right;
      m.top = size.top;
      m.bottom = size.bottom;
      bool seen = false;
      for (const Media& o : out) seen = seen || o.name == m.name;
      if (!seen) out.push_back(m);
    }
    return out;
  }

  JobResult Submit(const JobRequest& job) override {
    DestList list;
    cups_dest_t* dest = Find(&list, job.printer);
    if (!dest) return {false, 0, "no printer \"" + job.printer + "\""};
    Connection c;
    if (!c.Open(dest)) return {false, 0, cupsLastErrorString()};
    int n = 0;
    cups_option_t* options = nullptr;
    n = cupsAddIntegerOption(CUPS_COPIES, job.copies, n, &options);
    if (!job.mediaId.empty() && job.mediaId.rfind("custom_", 0) != 0) n = cupsAddOption(CUPS_MEDIA, job.mediaId.c_str(), n, &options);
    if (!job.color) n = cupsAddOption(CUPS_PRINT_COLOR_MODE, CUPS_PRINT_COLOR_MODE_MONOCHROME, n, &options);
    int id = 0;
    JobResult result;
    if (cupsCreateDestJob(c.http, dest, c.info, &id, job.title.c_str(), n, options) != IPP_STATUS_OK) {
      result.error = cupsLastErrorString();
      cupsFreeOptions(n, options);
      return result;
    }
    cupsFreeOptions(n, options);
    if (cupsStartDestDocument(c.http, dest, c.info, id, job.title.c_str(), CUPS_FORMAT_PDF, 0, nullptr, 1) !=
        HTTP_STATUS_CONTINUE) {
      result.error = cupsLastErrorString();
      cupsCancelDestJob(c.http, dest, id);
      return result;
    }
    bool written = true;
    if (FILE* f = std::fopen(job.pdfPath.c_str(), "rb")) {
      char buf[65536];
      size_t got;
      while (written && (got = std::fread(buf, 1, sizeof buf, f)) > 0)
        written = cupsWriteRequestData(c.http, buf, got) == HTTP_STATUS_CONTINUE;
      std::fclose(f);
    } else {
      written = false;
    }
    ipp_status_t status = cupsFinishDestDocument(c.http, dest, c.info);
    if (!written || status > IPP_STATUS_OK_EVENTS_COMPLETE) {
      result.error = written ? cupsLastErrorString() : "the document could not be sent";
      cupsCancelDestJob(c.http, dest, id);
      return result;
    }
    return {true, id, ""};
  }

 private:
  void Load(DestList* list) {
    if (addresses_.empty()) {
      cupsEnumDests(CUPS_DEST_FLAGS_NONE, kEnumMsec, nullptr, 0, 0, CollectDest, list);
      return;
    }
    for (const std::string& uri : addresses_) {
      if (cups_dest_t* d = cupsGetDestWithURI(nullptr, uri.c_str())) {
        // Without it the connection would go to the local scheduler.
        d->num_options = cupsAddOption("printer-uri-supported", uri.c_str(), d->num_options, &d->options);
        list->count = cupsCopyDest(d, list->count, &list->dests);
        cupsFreeDests(1, d);
      }
    }
  }

  cups_dest_t* Find(DestList* list, const std::string& name) {
    Load(list);
    for (int i = 0; i < list->count; ++i)
      if (DestName(&list->dests[i]) == name) return &list->dests[i];
    return nullptr;
  }

  std::vector<std::string> addresses_;
};

}  // namespace

std::shared_ptr<PrintSystem> MakeCupsSystem(std::vector<std::string> addresses) {
  return std::make_shared<CupsPrintSystem>(std::move(addresses));
}

}  // namespace print
