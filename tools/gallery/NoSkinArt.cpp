#include "tools/gallery/Skin.h"

namespace gallery {

// Built when the program links no skin art.
bool ArtSkin(Skin&)
{
    return false;
}

} // namespace gallery
