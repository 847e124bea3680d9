#pragma once
// Where the row of module icons on the home page starts.
#include <cstddef>
#include <cstdint>

// The left margin of the icon panel: 0 when every icon fits in one row of
// `panelWidth`; otherwise the icons go into rows of half of them (rounded
// up) and the rows are centred. The gap between icons is 15 x ratio.
int32_t ButtonRowLeftMargin(int32_t panelWidth, int32_t iconWidth, size_t count, double ratio);
