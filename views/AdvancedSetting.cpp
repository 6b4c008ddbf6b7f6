#include "views/AdvancedSetting.h"

namespace tv {

TAdvancedSetting::TAdvancedSetting(lumo::TComponent* owner) : lumo::TForm(owner)
{
    SetName("AdvancedSetting");
}

} // namespace tv
