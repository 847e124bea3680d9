// The flat XML function set over libxml2.
#include <fcntl.h>
#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlsave.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

#include "VdlXmlWrapper.h"
#include "os/RegularFile.h"

namespace {

const xmlChar* X(const std::string& s) { return reinterpret_cast<const xmlChar*>(s.c_str()); }

std::string Utf8(const WCHAR* text) { return QelToUTF8(std::u16string_view(text, qel_wcslen(text))); }

// Element and attribute names that XML cannot carry would make a file that
// no parser reads back.
bool IsXmlName(const std::string& name) { return !name.empty() && xmlValidateName(X(name), 0) == 0; }

bool WriteAll(int fd, xmlDoc* doc, const char* encoding) {
  // The buffer itself must convert: the declaration names `encoding`.
  xmlCharEncodingHandler* encoder = xmlFindCharEncodingHandler(encoding);
  if (!encoder) return false;
  xmlOutputBuffer* out = xmlOutputBufferCreateFd(fd, encoder);  // leaves fd open
  if (!out) return false;
  int written = xmlSaveFormatFileTo(out, doc, encoding, 1);  // closes `out`
  return written > 0;
}

// Writes beside the target and renames over it, so readers never see half a
// file and a failed write leaves the previous file in place.
int SaveDocument(xmlDoc* doc, const WCHAR* path, const char* encoding) {
  if (!doc || !path || !*path) return 0;
  std::string target = Utf8(path);
  static std::atomic<unsigned> serial{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temp = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0 && errno != EEXIST) return 0;
  }
  if (fd < 0) return 0;
  // A replaced file keeps its permissions.
  struct stat old;
  if (::stat(target.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
  bool ok = WriteAll(fd, doc, encoding ? encoding : "UTF-8");
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (ok && ::rename(temp.c_str(), target.c_str()) == 0) return 1;
  ::unlink(temp.c_str());
  return 0;
}

}  // namespace

xmlDoc* XMLWrapper_CreateDocument() { return xmlNewDoc(BAD_CAST "1.0"); }

xmlDoc* XMLWrapper_LoadXML(const WCHAR* path) {
  if (!path || !*path) return nullptr;
  const std::string file = Utf8(path);
  std::string text;
  if (!plat::ReadRegularFile(file, text)) return nullptr;
  return xmlReadMemory(text.data(), int(text.size()), file.c_str(), nullptr,
                       XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
}

xmlNode* XMLWrapper_GetRootNode(xmlDoc* doc) { return doc ? xmlDocGetRootElement(doc) : nullptr; }

void XMLWrapper_FreeDocument(xmlDoc* doc) {
  if (doc) xmlFreeDoc(doc);
}

xmlNode* XMLWrapper_CreateRootNode(xmlDoc* doc, const WCHAR* name) {
  if (!doc || !name) return nullptr;
  std::string n = Utf8(name);
  if (!IsXmlName(n)) return nullptr;
  xmlNode* node = xmlNewDocNode(doc, nullptr, X(n), nullptr);
  if (!node) return nullptr;
  xmlNode* old = xmlDocSetRootElement(doc, node);
  if (old) xmlFreeNode(old);
  return node;
}

xmlNode* XMLWrapper_AddChildNode(xmlNode* parent, const WCHAR* name) {
  if (!parent || !name) return nullptr;
  std::string n = Utf8(name);
  if (!IsXmlName(n)) return nullptr;
  xmlNode* node = xmlNewDocNode(parent->doc, nullptr, X(n), nullptr);
  if (!node) return nullptr;
  if (!xmlAddChild(parent, node)) {
    xmlFreeNode(node);
    return nullptr;
  }
  return node;
}

xmlNode* XMLWrapper_AddChildCData(xmlNode* parent, const WCHAR* text) {
  if (!parent || !text) return nullptr;
  std::string t = Utf8(text);
  xmlNode* node = xmlNewCDataBlock(parent->doc, X(t), int(t.size()));
  if (!node) return nullptr;
  if (!xmlAddChild(parent, node)) {
    xmlFreeNode(node);
    return nullptr;
  }
  return node;
}

xmlNode* XMLWrapper_AddChildNodeExist(xmlNode* parent, xmlNode* node) {
  if (!parent || !node) return nullptr;
  return xmlAddChild(parent, node);
}

xmlNode* XMLWrapper_CopyNode(xmlNode* node, int recursive) {
  return node ? xmlCopyNode(node, recursive) : nullptr;
}

void XMLWrapper_UnlinkNode(xmlNode* node) {
  if (node) xmlUnlinkNode(node);
}

void XMLWrapper_FreeNode(xmlNode* node) {
  if (node) xmlFreeNode(node);
}

int XMLWrapper_CompareNodeName(xmlNode* node, const WCHAR* name) {
  if (!node || !name || !node->name) return 0;
  return xmlStrcasecmp(node->name, X(Utf8(name))) == 0 ? 1 : 0;
}

int XMLWrapper_SetPropValue(xmlNode* node, const WCHAR* name, const WCHAR* value) {
  if (!node || !name || !value) return 0;
  std::string n = Utf8(name);
  if (!IsXmlName(n)) return 0;
  return xmlSetProp(node, X(n), X(Utf8(value))) ? 1 : 0;
}

CVdlAutoReleaseXMLChar XMLWrapper_GetPropValue(xmlNode* node, const WCHAR* name) {
  if (!node || !name) return CVdlAutoReleaseXMLChar();
  return CVdlAutoReleaseXMLChar(xmlGetProp(node, X(Utf8(name))));
}

int XMLWrapper_SetContentValue(xmlNode* node, const WCHAR* text) {
  if (!node) return 0;
  xmlNodeSetContent(node, text ? X(Utf8(text)) : nullptr);
  return 1;
}

CVdlAutoReleaseXMLChar XMLWrapper_GetContentValue(xmlNode* node) {
  if (!node) return CVdlAutoReleaseXMLChar();
  return CVdlAutoReleaseXMLChar(xmlNodeGetContent(node));
}

int XMLWrapper_Save(xmlDoc* doc, const WCHAR* path) { return SaveDocument(doc, path, "UTF-8"); }

int XMLWrapper_SaveEx(xmlDoc* doc, const WCHAR* path, const char* encoding) {
  return SaveDocument(doc, path, encoding);
}

void XMLWrapper_Dump(xmlDoc* doc, unsigned char** buffer, int* length, const char* encoding) {
  if (buffer) *buffer = nullptr;
  if (length) *length = 0;
  if (!doc || !buffer || !length) return;
  xmlDocDumpFormatMemoryEnc(doc, buffer, length, encoding ? encoding : "UTF-8", 1);
  if (!*buffer) *length = 0;
}

void XMLWrapper_FreeMemory(unsigned char* buffer) {
  if (buffer) xmlFree(buffer);
}
