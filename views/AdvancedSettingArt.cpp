#include "views/AdvancedSettingArt.h"

#include "lumo/Forms/Exception.h"
#include "lumo/System/Source/TraceLog.h"

namespace tv {

bool LoadSkinPicture(lumo::TBitmap& bitmap, const char* name)
{
    try {
        bitmap.LoadFromResourceName(GetModuleHandleA(nullptr), name);
        return true;
    } catch (const lumo::Exception& e) {
        TraceLog("[AdvancedSetting] skin picture %s: %s", name, e.what());
        bitmap.Clear();
        return false;
    }
}

} // namespace tv
