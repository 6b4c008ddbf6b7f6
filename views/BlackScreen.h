#pragma once
// Full-screen black window of the idle doze.
#include "lumo/Forms/Form.h"

namespace tv {

class TBlackScreen : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TBlackScreen)
    explicit TBlackScreen(lumo::TComponent* owner);
};

} // namespace tv
