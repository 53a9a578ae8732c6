# Install the sample into two terminals, then run the Uninstall.exe the registry names: the
# uninstall wizard's pages, every logged file deleted (an already deleted one counts as removed,
# a read-only one is warned about), the menu folder and the registry key removed, and after Finish the
# uninstaller, its emptied folder and its script gone. With /LOG the wizard writes the same
# lines to the file.
NAME="Sample Trend EA"
APP="$PF/$NAME"
require_no_terminals
pf_may_create "$NAME"
menu_remove "$NAME"
key_remove "$NAME"
pf_add_terminal "E2E Uninstall One"
pf_add_terminal "E2E Uninstall Two"
build_setup "$KOSETUP_SOURCE/examples/sample-ea/product.toml" "$WORK/Setup.exe"

drive_install "$WORK/Setup.exe" "$NAME" --information < <(finish_quietly --whats-new)

uninstaller=$(key_query "$NAME" | sed -n 's/^ *UninstallString *REG_SZ *//p')
[ "$uninstaller" = "$PF_WIN\\$NAME\\Uninstall.exe" ]
"$KOSETUP_NATIVE/kosetup" list "$APP/Uninstall.exe" >"$WORK/log.txt"
mapfile -t files < <(sed -n 's/^  file   //p' "$WORK/log.txt")
mapfile -t folders < <(sed -n 's/^  folder //p' "$WORK/log.txt")
[ "${#files[@]}" -gt 10 ] && [ "${#folders[@]}" -eq 2 ]
rm "$APP/Manual.pdf"
readonly_win=""
for f in "${files[@]}"; do
  case $f in *"E2E Uninstall Two"*Indicators*) readonly_win=$f ;; esac
done
readonly_unix=$(unix_path "$readonly_win")
chmod a-w "$readonly_unix"
{
  for f in "${files[@]}"; do
    echo "|Delete file $f ..."
    # The file already gone counts as removed; the read-only one stays, with a warning.
    if [ "$f" = "$readonly_win" ]; then
      echo "|WARNING: Unable to delete file $f ..."
    fi
  done
  for d in "${folders[@]}"; do echo "|Remove folder $d ..."; done
  echo "|Unregistering uninstaller ..."
  echo "|Done."
} >"$WORK/expected.txt"
temp=$(unix_path "$(temp_dir)")
bats=$(bat_count "$temp")

{
  cat <<END
start '$uninstaller' '/LOG=$(winpath "$WORK/wizard log.txt")'
wait-window "Uninstall - $NAME" 30
expect-page welcome
expect-caption LabelStart1 "Welcome to the $NAME v1.2 Uninstallation Wizard"
expect-buttons off on Cancel:on
press BtnNext
expect-page progress
expect-buttons off on Cancel:off 30
expect-position ProgressBar1 100
expect-lines MemoProgress
END
  cat "$WORK/expected.txt"
  cat <<END
press BtnNext
expect-page finish
expect-buttons on off Finish:on
expect-caption LabelFinish1 "Uninstallation Complete"
expect-caption LabelFinish2 "The wizard has finished uninstalling $NAME from your computer. You can re-install the program anytime using the installer we provided.\r\n\r\nClick Finish to continue.\r\n\r\nThe run ended with a warning. Click Prev to read it in the log (the line starting with WARNING:)."
press BtnCancel
expect-exit 0
END
} | drive
diff <(sed 's/^|//' "$WORK/expected.txt") <(tr -d '\r' <"$WORK/wizard log.txt")

wait_gone "$APP/Uninstall.exe" 30
wait_gone "$APP" 30
for ((i = 0; i < 300; i++)); do [ "$(bat_count "$temp")" = "$bats" ] && break; sleep 0.1; done
[ "$(bat_count "$temp")" = "$bats" ]
[ ! -e "$MENU_ROOT/$NAME" ]
! key_exists "$NAME"
for f in "${files[@]}"; do
  [ "$f" = "$readonly_win" ] && continue
  [ ! -e "$(unix_path "$f")" ] || { echo "still there: $f" >&2; exit 1; }
done
[ -e "$readonly_unix" ]
# Left on purpose: the shared library marked to stay.
[ -e "$PF/E2E Uninstall One/MQL4/Libraries/SampleTrend.dll" ]
