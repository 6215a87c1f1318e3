#pragma once

// Quillon's resources as data: the main frame's menu, tool bar,
// accelerators, icon and string table, the bitmaps, and the dialog
// templates. The program registers them once at start-up, before its first
// window; tests register them before they build a window.

namespace quillon {

// Registers every resource below; registering again does no harm.
void RegisterQuillonResources();

// The parts, for tests that need only one of them.
void RegisterMainFrameResources();
void RegisterDialogTemplates();
// The parameter dialogs' templates; RegisterDialogTemplates registers them too.
void RegisterParameterDialogTemplates();
// The data-advise dialog's template; RegisterDialogTemplates registers it too.
void RegisterAdviseDataTemplate();
void RegisterGroupPopupResources();
void RegisterServerSelectionResources();

}  // namespace quillon
