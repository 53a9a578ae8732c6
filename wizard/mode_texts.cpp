#include "wizard/mode_texts.h"

namespace ko {

std::string VersionedName(const std::string& name, int32_t major, int32_t minor) {
    return name + " v" + std::to_string(major) + "." + std::to_string(minor);
}

TModeTexts MakeModeTexts(bool uninstallMode, const std::string& n, const std::string& v,
                         const TUiTexts& texts) {
    const TTextArgs args = {{"name", n}, {"version_name", v}};
    const std::string mode = uninstallMode ? "uninstall_" : "install_";
    return {
        texts(uninstallMode ? "window.uninstall_caption" : "window.install_caption", args),
        texts("page.welcome." + mode + "title", args),
        texts("page.welcome." + mode + "text", args),
        texts("page.finish." + mode + "title", args),
        texts("page.finish." + mode + "text", args),
        texts("page.progress." + mode + "title", args),
        texts("page.progress." + mode + "subtitle", args),
        texts("page.progress." + mode + "label", args),
    };
}

} // namespace ko
