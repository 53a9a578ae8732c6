#include "wizard/mode_texts.h"

namespace ko {

std::string VersionedName(const std::string& name, int32_t major, int32_t minor) {
    return name + " v" + std::to_string(major) + "." + std::to_string(minor);
}

TModeTexts MakeModeTexts(bool uninstallMode, const std::string& n, const std::string& v,
                         const TUiTexts& texts) {
    const TTextArgs args = {{"name", n}, {"version_name", v}};
    const bool u = uninstallMode;
    return {
        texts(u ? "window.uninstall_caption" : "window.install_caption", args),
        texts(u ? "page.welcome.uninstall_title" : "page.welcome.install_title", args),
        texts(u ? "page.welcome.uninstall_text" : "page.welcome.install_text", args),
        texts(u ? "page.finish.uninstall_title" : "page.finish.install_title", args),
        texts(u ? "page.finish.uninstall_text" : "page.finish.install_text", args),
        texts(u ? "page.progress.uninstall_title" : "page.progress.install_title", args),
        texts(u ? "page.progress.uninstall_subtitle" : "page.progress.install_subtitle", args),
        texts(u ? "page.progress.uninstall_label" : "page.progress.install_label", args),
    };
}

std::string FinishWarningNote(bool uninstallMode, int32_t count) {
    const std::string read = count == 1 ? "Click Prev to read it in the log (the line starting "
                                          "with WARNING:)"
                                        : "Click Prev to read them in the log (the lines starting "
                                          "with WARNING:)";
    return (count == 1 ? std::string("The run ended with a warning. ")
                       : "The run ended with " + std::to_string(count) + " warnings. ") +
           read + (uninstallMode ? "." : " before you use the product.");
}

} // namespace ko
