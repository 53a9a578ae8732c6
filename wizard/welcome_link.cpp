#include "wizard/welcome_link.h"

#include "base/utf16.h"
#include "base/win32_util.h"
#include "wizard/form_installer.h"
#include "wizard/user_launch.h"

namespace ko {

// An address holds no ":", "/" or backslash; a web address, a "mailto:" link or a path with
// an "@" in it (https://example.com/@name) opens as it is, not as a "mailto:" of itself.
std::string LinkTarget(const std::string& linkText) {
    if (linkText.find('@') != std::string::npos &&
        linkText.find_first_of(":/\\") == std::string::npos)
        return "mailto:" + linkText;
    return linkText;
}

// The shell decides what opens the target; a link that cannot be opened says nothing, as a
// web page that fails to load would not either.
void TFormInstaller::LabelStart2LinkClick(markup::TUniCustomLinkLabel&, int,
                                          const std::u16string& linkText) {
    OpenAsUser(Wide(LinkTarget(Utf16ToUtf8(linkText))));
}

} // namespace ko
