#pragma once
// The print manager object the host hands in. The control reaches it only
// through its virtual operations and links nothing of its library.
#include "CPrintManager.h"
