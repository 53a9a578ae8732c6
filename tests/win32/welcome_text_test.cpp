// The welcome text of the installer window: markup in the label, plain text in the window
// caption and the title, and what a click on a link opens.
#include "base/utf16.h"
#include "wizard/control_ids.h"
#include "wizard/form_installer.h"
#include "wizard/welcome_link.h"

#include <gtest/gtest.h>

using namespace ko;

namespace {

TEST(WelcomeText, ProductNameMarkupShowsOnlyInTheWelcomeText) {
    auto install = std::make_unique<TKoInstall>();
    install->ProductName = "Gamma <b>Pro</b> <link>www.example.com</link>";
    install->VersionMajor = 3;
    install->VersionMinor = 1;
    TFormInstaller form;
    form.CreateForInstall(std::move(install));

    EXPECT_EQ(form.Caption(), L"Install - Gamma <b>Pro</b> <link>www.example.com</link>");
    EXPECT_EQ(form.LabelStart1.Caption(),
              L"Welcome to the Gamma <b>Pro</b> <link>www.example.com</link> v3.1 "
              L"Installation Wizard");
    ASSERT_NE(form.LabelStart2, nullptr);
    EXPECT_EQ(form.LabelStart2->Caption(),
              Utf8ToUtf16("This will install Gamma <b>Pro</b> <link>www.example.com</link> "
                          "v3.1 on your computer. Please close all MetaTrader applications "
                          "before you continue with the installation.<br><br>Click Next to "
                          "continue with the installation, or click Cancel to exit."));
    // The label's settings that differ from what a plain label would do.
    EXPECT_FALSE(form.LabelStart2->Transparent());
    EXPECT_FALSE(form.LabelStart2->HotLinks);
    EXPECT_TRUE(form.LabelStart2->AutoHeight());
    EXPECT_EQ(form.LabelStart2->LinkColorHot(), markup::clPurple);

    // The text window under the label's id reads as the plain welcome text.
    HWND text = GetDlgItem(form.PanelInstall.Handle(), ids::LabelStart2);
    ASSERT_NE(text, nullptr);
    wchar_t buffer[512] = {};
    GetWindowTextW(text, buffer, 512);
    EXPECT_STREQ(buffer, L"This will install Gamma Pro www.example.com v3.1 on your computer. "
                         L"Please close all MetaTrader applications before you continue with "
                         L"the installation.\r\n\r\nClick Next to continue with the "
                         L"installation, or click Cancel to exit.");
}

TEST(WelcomeText, UninstallModeTextIsMarkupToo) {
    auto uninstall = std::make_unique<TKoUninstall>();
    uninstall->ProductName = "Delta";
    TFormInstaller form;
    form.CreateForUninstall(std::move(uninstall));
    EXPECT_EQ(form.LabelStart2->Caption(),
              u"This will uninstall Delta v1.0 from your computer. Please close all MetaTrader "
              u"applications before you continue with the uninstallation.<br><br>Click Next "
              u"to continue with the uninstallation, or click Cancel to exit.");
}

TEST(WelcomeText, LinkTargetMakesAddressesMailto) {
    EXPECT_EQ(LinkTarget("support@example.com"), "mailto:support@example.com");
    EXPECT_EQ(LinkTarget("https://www.example.com"), "https://www.example.com");
    EXPECT_EQ(LinkTarget("C:\\Docs\\manual.pdf"), "C:\\Docs\\manual.pdf");
    // Texts with an "@" that are no address open as they are.
    EXPECT_EQ(LinkTarget("https://example.com/@name"), "https://example.com/@name");
    EXPECT_EQ(LinkTarget("mailto:support@example.com"), "mailto:support@example.com");
    EXPECT_EQ(LinkTarget("C:\\Mail\\from@home.txt"), "C:\\Mail\\from@home.txt");
}

} // namespace
