#pragma once
// CPU power details.
#include "lumo/Forms/Form.h"

namespace tv {

class TCpuForm : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TCpuForm)
    explicit TCpuForm(lumo::TComponent* owner);
};

} // namespace tv
