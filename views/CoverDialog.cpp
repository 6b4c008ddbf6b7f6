#include "views/CoverDialog.h"

namespace tv {

TCoverDialog::TCoverDialog(lumo::TComponent* owner) : lumo::TForm(owner)
{
    SetName("CoverDialog");
}

} // namespace tv
