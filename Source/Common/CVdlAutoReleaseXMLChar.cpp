#include <libxml/globals.h>

#include "VdlXmlWrapper.h"

CVdlAutoReleaseXMLChar::~CVdlAutoReleaseXMLChar() {
  if (m_text) xmlFree(m_text);
}

CVdlAutoReleaseXMLChar& CVdlAutoReleaseXMLChar::operator=(unsigned char* text) {
  if (text != m_text) {
    if (m_text) xmlFree(m_text);
    m_text = text;
  }
  return *this;
}

CVdlAutoReleaseXMLChar& CVdlAutoReleaseXMLChar::operator=(CVdlAutoReleaseXMLChar&& other) noexcept {
  if (this != &other) {
    if (m_text) xmlFree(m_text);
    m_text = other.m_text;
    other.m_text = nullptr;
  }
  return *this;
}
