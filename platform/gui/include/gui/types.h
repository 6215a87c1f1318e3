#pragma once

// The message, command and result vocabulary of the window layer. Values are
// the published window-system ones, so that code written against the layer
// reads like code for the original desktop platform (WM_COMMAND with the
// command id in the low word of wParam, IDOK from a dialog, MB_YESNO for a
// message box, ...).

#include "win/types.h"

namespace gui {

using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;

// Builds a WM_COMMAND wParam from a command or control id and a notification code.
constexpr WPARAM MakeCommandParam(UINT id, UINT code = 0) {
  return static_cast<WPARAM>((id & 0xFFFFu) | ((code & 0xFFFFu) << 16));
}

// ---- window messages ----------------------------------------------------------------
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
// First message number free for a program's own messages.
constexpr UINT WM_USER = 0x0400;

// ---- dialog results and standard control ids -----------------------------------------
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
// Id of template controls that nobody addresses (labels, frames).
constexpr int IDC_STATIC = -1;

// ---- message box types --------------------------------------------------------------
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_TYPEMASK = 0xF;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONHAND = MB_ICONERROR;
constexpr UINT MB_ICONSTOP = MB_ICONERROR;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONEXCLAMATION = MB_ICONWARNING;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_ICONASTERISK = MB_ICONINFORMATION;
constexpr UINT MB_ICONMASK = 0xF0;
constexpr UINT MB_DEFBUTTON1 = 0x000;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_DEFBUTTON3 = 0x200;
constexpr UINT MB_DEFMASK = 0xF00;

// ---- control notification codes (high word of a WM_COMMAND wParam) ----------------------
constexpr int BN_CLICKED = 0;
constexpr int BN_DOUBLECLICKED = 5;
constexpr int EN_SETFOCUS = 0x0100;
constexpr int EN_KILLFOCUS = 0x0200;
constexpr int EN_CHANGE = 0x0300;
constexpr int LBN_SELCHANGE = 1;
constexpr int LBN_DBLCLK = 2;
constexpr int CBN_SELCHANGE = 1;
constexpr int CBN_DBLCLK = 2;
constexpr int CBN_EDITCHANGE = 5;
constexpr int CBN_DROPDOWN = 7;

// ---- notifications of tree and list controls (WM_NOTIFY codes) --------------------------
constexpr int NM_CLICK = -2;
constexpr int NM_DBLCLK = -3;
constexpr int NM_RCLICK = -5;
constexpr int LVN_ITEMCHANGED = -101;
constexpr int TVN_SELCHANGED = -402;
constexpr int TVN_ITEMEXPANDING = -405;
constexpr int TVN_ITEMEXPANDED = -406;

// ---- window show commands -----------------------------------------------------------
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWDEFAULT = 10;

// ---- check-box states ---------------------------------------------------------------
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
constexpr int BST_INDETERMINATE = 2;

}  // namespace gui
