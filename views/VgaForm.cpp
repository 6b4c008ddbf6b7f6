#include "views/VgaForm.h"

namespace tv {

TVgaForm::TVgaForm(lumo::TComponent* owner) : lumo::TForm(owner)
{
    SetName("VgaForm");
}

} // namespace tv
