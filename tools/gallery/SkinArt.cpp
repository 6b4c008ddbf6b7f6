#include "assets/art/SkinArt.h"
#include "tools/gallery/Skin.h"

#include "lumo/Forms/Exception.h"
#include "lumo/System/Source/TraceLog.h"

using namespace lumo;

namespace gallery {
namespace {

void Load(TBitmap& bitmap, const char* name)
{
    bitmap.LoadFromResourceName(GetModuleHandleA(nullptr), name);
}

void LoadFour(TBitmap* states, const skinart::FourStates& names)
{
    Load(states[0], names.raised);
    Load(states[1], names.sunken);
    Load(states[2], names.focused);
    Load(states[3], names.disabled);
}

} // namespace

bool ArtSkin(Skin& skin)
{
    try {
        skin.Name = "skin art";
        LoadFour(skin.Button, skinart::kResetButton);
        LoadFour(skin.TextButton, skinart::kMainTextButton);
        // The text buttons' face is their upper 30 rows.
        skin.TextBounds = RECT{0, 0, 0, 30};
        LoadFour(skin.CheckBox, skinart::kShrinkButton.uncheck);
        LoadFour(skin.CheckBox + 4, skinart::kShrinkButton.check);
        LoadFour(skin.Radio, skinart::kAutoButton.uncheck);
        LoadFour(skin.Radio + 4, skinart::kAutoButton.check);
        // The art is composed over its background: no shapes.
        skin.Shaped = false;
        Load(skin.Brick[0], skinart::kStatusLed.normal);
        Load(skin.Brick[2], skinart::kStatusLed.disabled);
        Load(skin.BarTrack[0], skinart::kStatusLed.normal);
        Load(skin.BarTrack[2], skinart::kStatusLed.disabled);
        TextBrickFaces(skin);
        return true;
    } catch (const Exception& e) {
        TraceLog("[gallery] skin art: %s", e.what());
        return false;
    }
}

} // namespace gallery
