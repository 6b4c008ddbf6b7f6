#pragma once
// The skin pictures of the advanced settings window, taken from the bitmaps linked into the
// program. A picture that is missing leaves an empty bitmap and a trace line: the window then
// shows plain colours instead of that part, but works.
#include "lumo/Forms/Bitmap.h"

namespace tv {

// Loads the named bitmap resource of the program; false (traced, bitmap emptied) when it is
// missing or unreadable.
bool LoadSkinPicture(lumo::TBitmap& bitmap, const char* name);

} // namespace tv
