#include "views/UniversalDialog.h"

namespace tv {

TUniversalDialog::TUniversalDialog(lumo::TComponent* owner) : lumo::TForm(owner)
{
    SetName("UniversalDialog");
}

} // namespace tv
