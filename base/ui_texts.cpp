#include "base/ui_texts.h"

#include "base/ascii_text.h"

#include <algorithm>

namespace ko {

namespace {

struct TEnglishText {
    const char* Key;
    const char* Text;
};

// The wizard's own texts; languages/en.toml holds the same, for translators and the builder.
const TEnglishText English[] = {
    {"window.install_caption", "Install - {name}"},
    {"window.uninstall_caption", "Uninstall - {name}"},
    {"button.prev", "<< Prev"},
    {"button.next", "Next >>"},
    {"button.cancel_created", "&Cancel"},
    {"button.cancel", "Cancel"},
    {"button.finish", "Finish"},
    {"page.welcome.install_title", "Welcome to the {version_name} Installation Wizard"},
    {"page.welcome.install_text",
     "This will install {version_name} on your computer. Please close all MetaTrader applications "
     "before you continue with the installation.<br><br>Click Next to continue with the "
     "installation, or click Cancel to exit."},
    {"page.welcome.uninstall_title", "Welcome to the {version_name} Uninstallation Wizard"},
    {"page.welcome.uninstall_text",
     "This will uninstall {version_name} from your computer. Please close all MetaTrader "
     "applications before you continue with the uninstallation.<br><br>Click Next to continue with "
     "the uninstallation, or click Cancel to exit."},
    {"page.info.title", "Information"},
    {"page.info.subtitle", "Please read this important information before continuing."},
    {"page.info.text", "When you are ready to continue with the installation, click Next."},
    {"page.licence.title", "License Agreement"},
    {"page.licence.subtitle", "Please read this License Agreement before continuing."},
    {"page.licence.text",
     "Please read the following License Agreement carefully. You have to agree with this agreement "
     "if you want to install this program in your computer."},
    {"page.licence.accept", "I accept the agreement"},
    {"page.licence.not_accept", "I do not accept the agreement"},
    {"page.folder.title", "Select Destination Folder"},
    {"page.folder.subtitle", "Please specify where the wizard should put the program files."},
    {"page.folder.text", "Please put a checkmark before a MetaTrader installation where you want "
                         "to install the expert to. You can also manually add a MetaTrader folder "
                         "that is not listed here by clicking the button below."},
    {"page.folder.add_button", " Add a MetaTrader folder"},
    {"page.folder.browse_title", "Select MetaTrader Folder"},
    {"page.ready.title", "Ready to Install"},
    {"page.ready.subtitle", "We have all the information needed to install the program."},
    {"page.ready.text", "Please review these information below. Click on Prev button if you want "
                        "to make a correction. When you are ready to continue, click Next button."},
    {"page.ready.review.program_name", "Program Name"},
    {"page.ready.review.build", " Build {build}"},
    {"page.ready.review.release", " Release {release}"},
    {"page.ready.review.target_folders", "Target Folder(s)"},
    {"page.ready.review.program_folder", "Program Folder"},
    {"page.ready.review.start_menu_folder", "Start Menu Folder"},
    {"page.progress.install_title", "Installation in Progress"},
    {"page.progress.install_subtitle",
     "Please wait while the wizard is copying the files to your computer."},
    {"page.progress.install_label", "Installation progress ...."},
    {"page.progress.uninstall_title", "Uninstallation in Progress"},
    {"page.progress.uninstall_subtitle",
     "Please wait while the wizard is removing files from your computer."},
    {"page.progress.uninstall_label", "Uninstallation progress ..."},
    {"page.news.title", "What's New"},
    {"page.news.subtitle",
     "These lines below contain information about changes since the last version."},
    {"page.news.text", "When you are ready to continue, click Next."},
    {"page.finish.install_title", "Installation Complete"},
    {"page.finish.install_text",
     "The wizard has finished installing {name} to your computer. You can now launch the "
     "MetaTrader application to see {name} in action."},
    {"page.finish.uninstall_title", "Uninstallation Complete"},
    {"page.finish.uninstall_text",
     "The wizard has finished uninstalling {name} from your computer. You can re-install the "
     "program anytime using the installer we provided.\r\n\r\nClick Finish to continue."},
    {"page.finish.run_terminal", "Run this MetaTrader application after install."},
    {"page.finish.mt5_options",
     "{name} needs options that could not be set in MetaTrader 5: in the "
     "terminal, tick {options} in Tools > Options > Expert Advisors."},
    {"page.finish.mt5_trading", "\"Allow algorithmic trading\""},
    {"page.finish.mt5_dll_imports", "\"Allow DLL imports\""},
    {"message_box.error", "Error"},
    {"message_box.warning", "Warning"},
    {"message_box.information", "Information"},
    {"message.terminal_running",
     "The wizard detect a MetaTrader program currently running.\rPlease close the program and then "
     "click OK to continue."},
    {"message.no_terminal",
     "We cannot find any MetaTrader folder in this computer.\rWe add a default folder so you can "
     "continue with the installation,\rand install MetaTrader later."},
    {"message.no_files_for_mt4", "This folder holds a MetaTrader 4 terminal.\rThis product has no "
                                 "files for MetaTrader 4: please choose a MetaTrader 5 folder."},
    {"message.no_files_for_mt5", "This folder holds a MetaTrader 5 terminal.\rThis product has no "
                                 "files for MetaTrader 5: please choose a MetaTrader 4 folder."},
    {"message.cannot_execute", "Cannot execute the installer. If you run it from a network drive, "
                               "\r\nplease copy it to a local folder first and retry from there."},
    {"message.another_run", "Another installation or uninstallation of {folder} is running. Wait "
                            "until it has finished, then start again."},
    {"message.checksum_mismatch", "The installer is damaged: the data of \"{file}\" does not match "
                                  "its checksum. Please download the installer again."},
    {"message.package_checksum_mismatch", "The installer is damaged: its package does not match "
                                          "its checksum. Please download the installer again."},
    {"message.invalid_format", "Invalid file format"},
    {"message.record_too_large", "{file} is damaged: a record claims {count} bytes"},
    {"message.too_many_records", "{file} is damaged: it holds more records than fit in memory"},
    {"message.unknown_code_page",
     "{file}: the texts are in code page {code_page}, which this system does not know"},
    {"message.unexpected_error", "Unexpected error"},
    {"command_line.unknown_argument",
     "Unknown argument \"{argument}\". The accepted switches are {switches}."},
    {"command_line.unknown_switch",
     "Unknown switch \"{switch}\". The accepted switches are {switches}."},
    {"command_line.takes_no_value", "The switch \"{switch}\" takes no value."},
    {"command_line.needs_folder", "The switch \"{switch}\" needs a value: {switch}=FOLDER."},
    {"command_line.needs_file", "The switch \"{switch}\" needs a value: {switch}=FILE."},
    {"command_line.needs_language", "The switch \"{switch}\" needs a value: {switch}=LANGUAGE."},
    {"command_line.t_without_s", "The switch /T works only together with /S."},
    {"command_line.switches_install", "/S, /T=FOLDER, /LOG=FILE, /LANG=LANGUAGE, /? and /help"},
    {"command_line.switches_uninstall", "/S, /LOG=FILE, /LANG=LANGUAGE, /? and /help"},
    {"usage.install",
     "Setup.exe [/S] [/T=FOLDER]... [/LOG=FILE] [/LANG=LANGUAGE]\r\n\r\n/S\tinstall without any "
     "window or message; the licence agreement counts as accepted by whoever runs the "
     "command\r\n/T=FOLDER\twith /S: install into this MetaTrader folder instead of the terminals "
     "found; may be given more than once\r\n"},
    {"usage.uninstall", "Uninstall.exe [/S] [/LOG=FILE] [/LANG=LANGUAGE]\r\n\r\n/S\tuninstall "
                        "without any window or message\r\n"},
    {"usage.common",
     "/LANG=LANGUAGE\tspeak this language (a tag such as de or pt-BR) instead of the system's; "
     "English when the installer has no such translation\r\n/LOG=FILE\tappend every line of the "
     "run to FILE\r\n/? or /help\tthis text\r\n\r\nSwitches may start with / or - and are read in "
     "any letter case; put a value with blanks in double quotes.\r\nExit codes: 0 done, 1 the run "
     "failed, 2 a bad command line or a package that cannot be loaded, 3 a MetaTrader terminal is "
     "running."},
};

} // namespace

TUiTexts::TUiTexts(std::string tag, const std::map<std::string, std::string>* translation)
    : FTag(std::move(tag)), FTranslation(translation) {}

std::string TUiTexts::operator()(std::string_view key, TTextArgs args) const {
    if (FTranslation) {
        const auto translated = FTranslation->find(std::string(key));
        // An empty translation would leave a blank button or message: English says more.
        if (translated != FTranslation->end() && !translated->second.empty())
            return FillText(translated->second, args);
    }
    return FillText(EnglishText(key), args);
}

std::string_view EnglishText(std::string_view key) {
    for (const TEnglishText& text : English)
        if (key == text.Key)
            return text.Text;
    return {};
}

std::vector<std::string_view> TextKeys() {
    std::vector<std::string_view> keys;
    for (const TEnglishText& text : English)
        keys.push_back(text.Key);
    return keys;
}

std::string FillText(std::string_view text, TTextArgs args) {
    std::string result;
    size_t i = 0;
    while (i < text.size()) {
        const size_t open = text.find('{', i);
        const size_t close = open == std::string_view::npos ? open : text.find('}', open);
        if (close == std::string_view::npos)
            break;
        result.append(text, i, open - i);
        const std::string_view name = text.substr(open + 1, close - open - 1);
        const auto* arg = args.begin();
        while (arg != args.end() && arg->first != name)
            ++arg;
        // A value is not searched again: a product named "{name}" stays itself.
        result.append(arg != args.end() ? arg->second : text.substr(open, close - open + 1));
        i = close + 1;
    }
    result.append(text.substr(std::min(i, text.size())));
    return result;
}

std::vector<std::string> LanguageCandidates(std::string_view tag) {
    std::string full = AsciiLowerCase(tag);
    for (char& c : full)
        if (c == '_')
            c = '-';
    std::vector<std::string> candidates;
    if (full.empty())
        return candidates;
    candidates.push_back(full);
    const size_t dash = full.find('-');
    if (dash == std::string::npos)
        return candidates;
    const std::string language = full.substr(0, dash);
    const std::string_view rest = std::string_view(full).substr(dash);
    if (language == "zh") {
        for (std::string_view traditional : {"-hant", "-tw", "-hk", "-mo"})
            if (rest.substr(0, traditional.size()) == traditional &&
                (rest.size() == traditional.size() || rest[traditional.size()] == '-'))
                return candidates;
    }
    candidates.push_back(language);
    return candidates;
}

int ChooseLanguage(const std::vector<std::string>& tags, std::string_view wanted) {
    for (const std::string& candidate : LanguageCandidates(wanted))
        for (size_t i = 0; i < tags.size(); ++i)
            if (SameText(tags[i], candidate))
                return int(i);
    return -1;
}

} // namespace ko
