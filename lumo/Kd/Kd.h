#pragma once
// Every skinned control in one include.
#include "lumo/Kd/KdBar.h"
#include "lumo/Kd/KdBrick.h"
#include "lumo/Kd/KdButton.h"
#include "lumo/Kd/KdCheckBox.h"
#include "lumo/Kd/KdRadioButton.h"
