#pragma once
// Notice that no supported graphics card or card utility was found.
#include "lumo/Forms/Form.h"

namespace tv {

class TVgaForm : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TVgaForm)
    explicit TVgaForm(lumo::TComponent* owner);
};

} // namespace tv
