#include "ui/application.h"

#include "ui/rich_view.h"

#include <commctrl.h>

namespace ko::ui {

void InitToolkit() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    RichEditClass();
}

void RunMessageLoop(TForm& form) {
    form.MainForm = true;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(form.Handle(), &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace ko::ui
