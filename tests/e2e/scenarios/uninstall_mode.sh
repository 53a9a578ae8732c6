# The stub named Uninstall.exe with a log of no files and no folders: the texts of uninstall
# mode, welcome then progress with only the last two lines, then finish. Closing with the close
# box, or Cancel on the welcome page, writes no self-removal script and removes nothing.
make_uninstaller "$WORK/Uninstall.exe" "E2E Empty Log" 1 2 345 2
key_remove "E2E Empty Log"
temp=$(unix_path "$(temp_dir)")
bats=$(bat_count "$temp")

drive <<END
start '$(winpath "$WORK/Uninstall.exe")'
wait-window "Uninstall - E2E Empty Log" 30
expect-page welcome
expect-caption LabelStart1 "Welcome to the E2E Empty Log v1.2 Uninstallation Wizard"
expect-caption LabelFinish1 "Uninstallation Complete"
expect-caption LabelFinish2 "The wizard has finished uninstalling E2E Empty Log from your computer. You can re-install the program anytime using the installer we provided.\r\n\r\nClick Finish to continue."
expect-caption LabelProgress1 "Uninstallation in Progress"
expect-caption LabelProgress2 "Please wait while the wizard is removing files from your computer."
expect-caption LabelProgress3 "Uninstallation progress ..."
expect-buttons off on Cancel:on
press BtnNext
expect-no-msgbox
expect-page progress
expect-buttons off on Cancel:off 20
expect-position ProgressBar1 100
expect-lines MemoProgress
|Unregistering uninstaller ...
|Done.
press BtnNext
expect-page finish
expect-buttons on off Finish:on
expect-invisible CheckRun
expect-invisible ComboRun
close
expect-exit 0
start '$(winpath "$WORK/Uninstall.exe")'
wait-window "Uninstall - E2E Empty Log" 30
press BtnCancel
expect-exit 0
END
[ -e "$WORK/Uninstall.exe" ]
[ "$(bat_count "$temp")" = "$bats" ]
