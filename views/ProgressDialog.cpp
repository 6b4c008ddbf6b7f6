#include "views/ProgressDialog.h"

namespace tv {

TProgressDialog::TProgressDialog(lumo::TComponent* owner) : lumo::TForm(owner)
{
    SetName("ProgressDialog");
}

} // namespace tv
