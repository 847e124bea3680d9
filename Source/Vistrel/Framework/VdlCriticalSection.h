#pragma once
// A scoped holder of a toolkit critical section: entered when constructed,
// left when destroyed. (The toolkit's own CQelCriticalSection in the global
// namespace owns its section; this one only holds one for a block.)
#include "qel/QelSync.h"

namespace Vardel {

class CQelCriticalSection {
 public:
  explicit CQelCriticalSection(QelCriticalSection* section) : m_pSection(section) {
    QelEnterCriticalSection(m_pSection);
  }
  ~CQelCriticalSection() { QelLeaveCriticalSection(m_pSection); }
  CQelCriticalSection(const CQelCriticalSection&) = delete;
  CQelCriticalSection& operator=(const CQelCriticalSection&) = delete;

 private:
  QelCriticalSection* m_pSection;
};

}  // namespace Vardel
