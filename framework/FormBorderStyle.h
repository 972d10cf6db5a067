#pragma once

class QWidget;

// The frame of a top-level window, in the terms of the maker's form library.
enum class FormBorderStyle {
    None,        // frameless window
    Single,      // ordinary window of fixed size
    Sizeable,    // ordinary window the user can resize
    Dialog,      // dialog window
    ToolWindow,  // tool window of fixed size
    SizeToolWin, // tool window the user can resize
};

// Read from the window flags: a frameless hint gives None; a dialog or sheet
// gives Dialog; a tool window is SizeToolWin unless its minimum and maximum
// sizes are equal (ToolWindow); any other window is Sizeable unless its size
// is fixed that way (Single). A widget that is no window gives None.
FormBorderStyle formBorderStyle(const QWidget* form);

// Forms whose placement is remembered: Single, Sizeable and SizeToolWin.
bool hasRememberedPlacement(FormBorderStyle style);
