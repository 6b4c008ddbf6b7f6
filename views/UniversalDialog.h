#pragma once
// Message with a left and a right button, shown modally.
#include "lumo/Forms/Form.h"

namespace tv {

class TUniversalDialog : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TUniversalDialog)
    explicit TUniversalDialog(lumo::TComponent* owner);
};

} // namespace tv
