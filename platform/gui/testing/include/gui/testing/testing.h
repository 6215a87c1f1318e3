#pragma once

// Everything a GUI test uses.

#include "gui/testing/dialog_driver.h"
#include "gui/testing/frame_helpers.h"
#include "gui/testing/modal_script.h"
#include "gui/testing/popup_menu_driver.h"
#include "gui/testing/pump.h"
#include "gui/testing/test_environment.h"
