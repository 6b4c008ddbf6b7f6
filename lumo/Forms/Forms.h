#pragma once
// The whole forms framework in one include.
#include "lumo/Forms/Application.h"
#include "lumo/Forms/Bitmap.h"
#include "lumo/Forms/Canvas.h"
#include "lumo/Forms/Exception.h"
#include "lumo/Forms/Form.h"
#include "lumo/Forms/Gdi.h"
#include "lumo/Forms/GuiThread.h"
#include "lumo/Forms/Image.h"
#include "lumo/Forms/Label.h"
#include "lumo/Forms/Thread.h"
#include "lumo/Forms/Timer.h"
#include "lumo/Forms/WinControl.h"
