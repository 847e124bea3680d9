#include "BMTimers.h"

#include <glib.h>

struct BMGLibTimers::Entry {
  BMGLibTimers* owner = nullptr;
  Id id = 0;
  bool repeats = false;
  bool cancelled = false;
  bool firing = false;
  guint source = 0;
  Callback fire;
};

BMGLibTimers::~BMGLibTimers() {
  for (auto& [id, entry] : entries_) {
    entry->cancelled = true;
    if (!entry->firing) g_source_remove(entry->source);
  }
}

BMTimers::Id BMGLibTimers::Schedule(std::chrono::milliseconds interval, bool repeats, Callback fire) {
  auto entry = std::make_shared<Entry>();
  entry->owner = this;
  entry->id = next_++;
  entry->repeats = repeats;
  entry->fire = std::move(fire);
  auto* hold = new std::shared_ptr<Entry>(entry);
  entry->source = g_timeout_add_full(G_PRIORITY_DEFAULT, static_cast<guint>(interval.count()), &BMGLibTimers::Dispatch,
                                     hold, [](gpointer p) { delete static_cast<std::shared_ptr<Entry>*>(p); });
  entries_[entry->id] = entry;
  return entry->id;
}

void BMGLibTimers::Invalidate(Id id) {
  auto it = entries_.find(id);
  if (it == entries_.end()) return;
  std::shared_ptr<Entry> entry = it->second;
  entries_.erase(it);
  entry->cancelled = true;
  // A firing timer is removed by its dispatch's answer.
  if (!entry->firing) g_source_remove(entry->source);
}

int BMGLibTimers::Dispatch(void* data) {
  std::shared_ptr<Entry> entry = *static_cast<std::shared_ptr<Entry>*>(data);
  if (entry->cancelled) return G_SOURCE_REMOVE;
  entry->firing = true;
  entry->fire(entry->id);
  entry->firing = false;
  if (entry->cancelled) return G_SOURCE_REMOVE;
  if (!entry->repeats) {
    entry->cancelled = true;
    entry->owner->entries_.erase(entry->id);
    return G_SOURCE_REMOVE;
  }
  return G_SOURCE_CONTINUE;
}
