// The toolkit's start and its message loop.
#pragma once

#include "ui/form.h"

namespace ko::ui {

// Loads the common controls (progress bar, visual styles) and the rich-edit library. Call
// once before the first window is made.
void InitToolkit();

// Runs the messages of the thread until Form's window is destroyed. Tab, the arrow keys,
// mnemonics and Enter (the form's default button) work as in a dialog.
void RunMessageLoop(TForm& form);

} // namespace ko::ui
