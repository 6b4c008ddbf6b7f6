#pragma once
// Dims the main window while another window has the user's attention.
#include "lumo/Forms/Form.h"

namespace tv {

class TCoverDialog : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TCoverDialog)
    explicit TCoverDialog(lumo::TComponent* owner);
};

} // namespace tv
