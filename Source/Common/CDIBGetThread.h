#pragma once
// The album's thumbnail maker: walks the album's items from a start index,
// one callback call per item, on its own thread, until the callback answers
// 0 (past the last item) or the owner stops it. At most one exists per
// module: making a new one stops and deletes the previous one first.
// Construction, deletion and StopCurrent belong to the owner's thread.
#include <cstdint>

#include "CThread.h"

class CDIBGetThread : public THREAD::CThread {
 public:
  // index, the two opaque arguments; 0 stops the walk, 1 goes on.
  typedef int (*Callback)(int32_t index, const void* first, const void* second);

  CDIBGetThread(int32_t startIndex, const void* first, const void* second, Callback callback);
  ~CDIBGetThread() override;

  int32_t Execute() override;

  // The running instance, or null.
  static CDIBGetThread* GetThread() { return m_spThis; }
  // Stops and deletes the running instance (waits for the item in hand).
  static void StopCurrent();

 private:
  static CDIBGetThread* m_spThis;

  int32_t m_nStart;
  const void* m_pFirst;
  const void* m_pSecond;
  Callback m_pCallback;
};
