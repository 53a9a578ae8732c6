#include "wizard/mode_texts.h"

namespace ko {

std::string VersionedName(const std::string& name, int32_t major, int32_t minor) {
    return name + " v" + std::to_string(major) + "." + std::to_string(minor);
}

TModeTexts MakeModeTexts(bool uninstallMode, const std::string& n, const std::string& v) {
    if (!uninstallMode)
        return {
            "Install - " + n,
            "Welcome to the " + v + " Installation Wizard",
            "This will install " + v + " on your computer. " +
                "Please close all MetaTrader applications before you continue with the "
                "installation." +
                "<br><br>Click Next to continue with the installation, or click Cancel to exit.",
            "Installation Complete",
            "The wizard has finished installing " + n + " to your computer. " +
                "You can now launch the MetaTrader application to see " + n + " in action.",
            "Installation in Progress",
            "Please wait while the wizard is copying the files to your computer.",
            "Installation progress ....",
        };
    return {
        "Uninstall - " + n,
        "Welcome to the " + v + " Uninstallation Wizard",
        "This will uninstall " + v + " from your computer. " +
            "Please close all MetaTrader applications before you continue with the "
            "uninstallation." +
            "<br><br>Click Next to continue with the uninstallation, or click Cancel to exit.",
        "Uninstallation Complete",
        "The wizard has finished uninstalling " + n + " from your computer. " +
            "You can re-install the program anytime using the installer we provided.\r\n\r\n" +
            "Click Finish to continue.",
        "Uninstallation in Progress",
        "Please wait while the wizard is removing files from your computer.",
        "Uninstallation progress ...",
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
