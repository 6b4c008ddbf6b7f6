#include "views/CpuForm.h"

namespace tv {

TCpuForm::TCpuForm(lumo::TComponent* owner) : lumo::TForm(owner)
{
    SetName("CpuForm");
}

} // namespace tv
