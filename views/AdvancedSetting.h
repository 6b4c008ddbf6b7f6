#pragma once
// The per-mode profile editor, shown modally.
#include "lumo/Forms/Form.h"

namespace tv {

class TAdvancedSetting : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TAdvancedSetting)
    explicit TAdvancedSetting(lumo::TComponent* owner);
};

} // namespace tv
