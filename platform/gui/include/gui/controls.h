#pragma once

// All control handles.

#include "gui/button.h"
#include "gui/combo_box.h"
#include "gui/control.h"
#include "gui/edit.h"
#include "gui/ip_address_ctrl.h"
#include "gui/list_box.h"
#include "gui/list_ctrl.h"
#include "gui/tree_ctrl.h"
