# The stub named Uninstall.exe with a log: the texts of uninstall mode and its pages, welcome
# then progress.
make_uninstaller "$WORK/Uninstall.exe" "Sample Trend EA" 1 2 345 2

drive <<END
start '$(winpath "$WORK/Uninstall.exe")'
wait-window "Uninstall - Sample Trend EA" 30
expect-page welcome
expect-caption LabelStart1 "Welcome to the Sample Trend EA v1.2 Uninstallation Wizard"
expect-caption LabelFinish1 "Uninstallation Complete"
expect-caption LabelFinish2 "The wizard has finished uninstalling Sample Trend EA from your computer. You can re-install the program anytime using the installer we provided.\r\n\r\nClick Finish to continue."
expect-caption LabelProgress1 "Uninstallation in Progress"
expect-caption LabelProgress2 "Please wait while the wizard is removing files from your computer."
expect-caption LabelProgress3 "Uninstallation progress ..."
expect-buttons off on Cancel:on
press BtnNext
expect-no-msgbox
expect-page progress
expect-disabled BtnPrev
expect-disabled BtnCancel
close
expect-exit 0
END
