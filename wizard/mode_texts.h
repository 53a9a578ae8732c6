// The texts of the window that depend on the mode, for a product name N and its versioned
// name V (N + " v" + major + "." + minor), in the language of Texts. UTF-8 texts, as the stub
// keeps them.
#pragma once

#include "base/ui_texts.h"

#include <cstdint>
#include <string>

namespace ko {

struct TModeTexts {
    std::string Caption;   // window caption and task-bar title
    std::string Start1;    // welcome title
    std::string Start2;    // welcome text, in markup: "<br>" line breaks
    std::string Finish1;   // finish title
    std::string Finish2;   // finish text
    std::string Progress1; // progress page title
    std::string Progress2; // progress page subtitle
    std::string Progress3; // text above the progress bar
};

std::string VersionedName(const std::string& name, int32_t major, int32_t minor);
TModeTexts MakeModeTexts(bool uninstallMode, const std::string& name,
                         const std::string& versionedName, const TUiTexts& texts = {});

// What the finish page adds after a run that reported Count (above 0) warnings: the lines are
// on the progress page, one Prev away, and may say that an installed product will not work as
// it is.
std::string FinishWarningNote(bool uninstallMode, int32_t count);

} // namespace ko
