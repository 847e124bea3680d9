#include "qel/QelLibrary.h"

#include <dlfcn.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "qel/QelWideText.h"

struct QelLibraryRec {
  void* handle = nullptr;
};

namespace {

// "\" becomes "/", and runs of separators collapse to one.
std::string Normalise(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '\\') c = '/';
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out.push_back(c);
  }
  if (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The CFBundleExecutable string of an Info.plist; empty when absent.
std::string BundleExecutable(const std::string& plist) {
  xmlDocPtr doc = xmlReadFile(plist.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR |
                                                          XML_PARSE_NOWARNING);
  if (!doc) return {};
  std::string result;
  xmlNodePtr root = xmlDocGetRootElement(doc);
  xmlNodePtr dict = root ? root->children : nullptr;
  while (dict && !(dict->type == XML_ELEMENT_NODE && xmlStrEqual(dict->name, BAD_CAST "dict"))) {
    dict = dict->next;
  }
  bool wanted = false;
  for (xmlNodePtr n = dict ? dict->children : nullptr; n; n = n->next) {
    if (n->type != XML_ELEMENT_NODE) continue;
    xmlChar* text = xmlNodeGetContent(n);
    if (wanted) {
      if (xmlStrEqual(n->name, BAD_CAST "string") && text) result = reinterpret_cast<char*>(text);
      xmlFree(text);
      break;
    }
    wanted = xmlStrEqual(n->name, BAD_CAST "key") && text &&
             xmlStrEqual(text, BAD_CAST "CFBundleExecutable");
    xmlFree(text);
  }
  xmlFreeDoc(doc);
  return result;
}

}  // namespace

QelLibraryRef QelLoadLibrary(const WCHAR* path) {
  if (!path || !*path) return nullptr;
  std::string file = Normalise(QelToUTF8(path));
  if (IsDirectory(file)) {
    std::string plist = file + "/Contents/Info.plist";
    std::string executable = BundleExecutable(plist);
    if (executable.empty() || executable.find('/') != std::string::npos) {
      std::fprintf(stderr, "QelLoadLibrary: %s: no usable CFBundleExecutable in %s\n",
                   file.c_str(), plist.c_str());
      return nullptr;
    }
    file += "/Contents/MacOS/" + executable;
  }
  void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = ::dlerror();
    std::fprintf(stderr, "QelLoadLibrary: %s\n", why ? why : file.c_str());
    return nullptr;
  }
  auto* lib = new (std::nothrow) QelLibraryRec{handle};
  if (!lib) ::dlclose(handle);
  return lib;
}

void* QelGetProcAddress(QelLibraryRef library, const char* name) {
  if (!library || !name) return nullptr;
  ::dlerror();
  return ::dlsym(library->handle, name);
}

int32_t QelFreeLibrary(QelLibraryRef library) {
  if (!library) return 0;
  int rc = ::dlclose(library->handle);
  delete library;
  return rc == 0 ? 1 : 0;
}
