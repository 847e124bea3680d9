#pragma once
// Toolkit wrapper types that the component interfaces name. A wrapper
// pointer is the toolkit object handle itself; the wrapper classes are
// declared here only so the interfaces can be spelled with them.
#include "qel/QelTypes.h"

namespace PubQelmar {
class QelPanel;
class QelAUI;
}  // namespace PubQelmar

inline QelObject QelHandle(PubQelmar::QelPanel* panel) { return static_cast<QelObject>(panel); }
inline QelObject QelHandle(PubQelmar::QelAUI* aui) { return static_cast<QelObject>(aui); }
