#include "views/BlackScreen.h"

namespace tv {

TBlackScreen::TBlackScreen(lumo::TComponent* owner) : lumo::TForm(owner)
{
    SetName("BlackScreen");
}

} // namespace tv
