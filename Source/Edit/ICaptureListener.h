#pragma once
// How the edit album reports to the edit panel: source 1526 with an
// _AlbumOptMsg record {code, item index, album}.
#include <cstdint>

constexpr int32_t kEditAlbumSource = 1526;

// Notification codes of the album.
enum : int32_t {
  kAlbumNotifyDirty = 17,          // remove an invalid entry (index)
  kAlbumNotifyThumbReady = 18,     // a thumbnail is ready (index)
  kAlbumNotifySelection = 19,      // the selection changed
  kAlbumNotifyCurrent = 20,        // the current item changed
  kAlbumNotifyRightRelease = 21,   // right button released over the album
  kAlbumNotifyFileGone = 23,       // a file of the album has gone
};

struct _AlbumOptMsg {
  int32_t code = -1;
  int32_t index = -1;
  const void* album = nullptr;
};

class ICaptureListener {
 public:
  virtual int32_t Receive(int32_t source, const void* data, const void* sender) = 0;

 protected:
  ~ICaptureListener() = default;
};
