#pragma once
// The records of the album calls (toolkit interface 36), under the names the
// call wrappers use; their layout is the toolkit's.
#include "qel/QelAlbum.h"

// Select (select 1) or deselect an item, or every item (index -1); only 1
// deselects the others first.
struct tagAlbumSeleNotify : QelAlbumSelect {};
// Make an item current (current 1).
struct tagAlbumCurrentNotify : QelAlbumCurrent {};
// Whether an item is displayed / selected: answer 0 or 1.
struct tagQueryAlbumDispArg : QelAlbumQuery {};
struct tagQueryAlbumSeleArg : QelAlbumQuery {};
// Events' data: {index, flag}.
typedef QelAlbumItemNotify tagAlbumItemNotify;
