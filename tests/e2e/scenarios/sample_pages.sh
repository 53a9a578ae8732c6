# The sample installer: every page in order with its title and subtitle, the button bar page by
# page forward and backward, and the licence choice.
SETUP=$(winpath "$WORK/Setup.exe")
build_setup "$KOSETUP_SOURCE/examples/sample-ea/product.toml" "$WORK/Setup.exe"
pf_add_terminal "Sample Test Terminal"
pf_may_create "Sample Trend EA"
menu_remove "Sample Trend EA"
key_remove "Sample Trend EA"

drive <<END
start '$SETUP'
wait-window "Install - Sample Trend EA" 30
expect-page welcome
expect-caption LabelStart1 "Welcome to the Sample Trend EA v1.2 Installation Wizard"
expect-buttons off on Cancel:on
# Pages not reached yet carry their texts already.
expect-caption LabelFinish1 "Installation Complete"
expect-caption LabelFinish2 "The wizard has finished installing Sample Trend EA to your computer. You can now launch the MetaTrader application to see Sample Trend EA in action."
expect-caption PanelNews+HeadTitle "What's New"
expect-caption PanelNews+HeadSubtitle "These lines below contain information about changes since the last version."

press BtnNext
expect-page information
expect-caption PanelInfo+HeadTitle "Information"
expect-caption PanelInfo+HeadSubtitle "Please read this important information before continuing."
expect-buttons on on Cancel:on

press BtnNext
expect-page license
expect-caption PanelLicense+HeadTitle "License Agreement"
expect-caption PanelLicense+HeadSubtitle "Please read this License Agreement before continuing."
expect-checked RadioNotAccept
expect-unchecked RadioAccept
expect-buttons on off Cancel:on
select RadioAccept
expect-buttons on on Cancel:on
select RadioNotAccept
expect-buttons on off Cancel:on
# Back and forward again keeps the choice and its Next state, either way.
press BtnPrev
press BtnNext
expect-page license
expect-checked RadioNotAccept
expect-buttons on off Cancel:on
select RadioAccept
press BtnPrev
expect-page information
press BtnNext
expect-checked RadioAccept
expect-buttons on on Cancel:on

press BtnNext
expect-no-msgbox
expect-page destination
expect-caption PanelFolder+HeadTitle "Select Destination Folder"
expect-caption PanelFolder+HeadSubtitle "Please specify where the wizard should put the program files."
expect-buttons on on Cancel:on

press BtnNext
expect-page review
expect-caption PanelReady+HeadTitle "Ready to Install"
expect-caption PanelReady+HeadSubtitle "We have all the information needed to install the program."
expect-buttons on on Cancel:on

# The same pages backward.
press BtnPrev
expect-page destination
expect-buttons on on Cancel:on
press BtnPrev
expect-page license
expect-buttons on on Cancel:on
press BtnPrev
expect-page information
expect-buttons on on Cancel:on
press BtnPrev
expect-page welcome
expect-buttons off on Cancel:on
press BtnNext
press BtnNext
press BtnNext
press BtnNext
expect-page review

press BtnNext
expect-page progress
expect-caption LabelProgress1 "Installation in Progress"
expect-caption LabelProgress2 "Please wait while the wizard is copying the files to your computer."
expect-caption LabelProgress3 "Installation progress ...."
expect-disabled BtnPrev
expect-disabled BtnCancel
expect-buttons off on Cancel:off 30
expect-position ProgressBar1 100
press BtnNext
expect-page whats-new
expect-buttons on on Cancel:off
press BtnPrev
expect-page progress
expect-buttons off on Cancel:off
press BtnNext
press BtnNext
expect-page finish
expect-buttons on off Finish:on
expect-checked CheckRun
expect-lines ComboRun
|[x] $PF_WIN\\Sample Test Terminal
# Unticked: Finish starts nothing.
press CheckRun
expect-unchecked CheckRun
press BtnCancel
expect-exit 0
# Setup.exe's file properties name the product, and so do the installed uninstaller's.
expect-version '$SETUP' ProductName "Sample Trend EA"
expect-version '$SETUP' FileDescription "Sample Trend EA Setup"
expect-version '$SETUP' CompanyName "Example Trading Tools Ltd."
expect-version '$SETUP' FileVersion "1.2.345.2"
expect-version '$SETUP' ProductVersion "1.2.345.2"
expect-version '$SETUP' LegalCopyright "Copyright (C) 2026 Example Trading Tools Ltd."
expect-version '$PF_WIN\Sample Trend EA\Uninstall.exe' ProductName "Sample Trend EA"
expect-version '$PF_WIN\Sample Trend EA\Uninstall.exe' FileVersion "1.2.345.2"
END
[ -e "$PF/Sample Test Terminal/MQL4/Experts/Sample Trend EA.ex4" ]
[ ! -e "$PF/Sample Test Terminal/ran.txt" ]
