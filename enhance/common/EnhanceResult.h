#pragma once
// Result codes shared by every enhancement library: 0 success, negative failure.

enum EnhanceResult : int {
  ENH_OK = 0,
  ENH_ERR_MISSING = -1,          // missing handle, plane, pyramid or default profile
  ENH_ERR_ARGUMENT = -2,         // bad argument
  ENH_ERR_FORMAT = -101,         // format not supported
  ENH_ERR_SUBSAMPLING = -103,    // size incompatible with the chroma subsampling
  ENH_ERR_MEMORY = -201,         // out of memory
  ENH_ERR_ELEMENT_KIND = -701,   // element kinds not as required
  ENH_ERR_FILTER_FAMILY = -801,  // unknown filter family
  ENH_ERR_NO_PREVIOUS = -1301,   // temporal filter without previous-frame buffers
};

// Element kinds of pyramid blocks.
enum ElementKind : int {
  ELEM_U8 = 0x10,   // unsigned 8-bit
  ELEM_I8 = 0x110,  // signed 8-bit
};
