#pragma once
// Timed progress bar with a message and Cancel, shown modally.
#include "lumo/Forms/Form.h"

namespace tv {

class TProgressDialog : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TProgressDialog)
    explicit TProgressDialog(lumo::TComponent* owner);
};

} // namespace tv
