# Setup.exe /S installs into both terminals found without showing a window, appending its lines
# to the log; with /T only into the folder given, created new; Uninstall.exe /S then removes
# everything, itself and the program folder included.
NAME="Plain Indicator"
APP="$PF/$NAME"
INDICATOR='MQL4/Indicators/Plain Indicator.mq4'
require_no_terminals
pf_may_create "$NAME"
menu_remove "$NAME"
key_remove "$NAME"
pf_add_terminal "E2E Silent One"
pf_add_terminal "E2E Silent Two"
pf_add "E2E Silent New"
build_setup "$KOSETUP_SOURCE/tests/e2e/products/plain/product.toml" "$WORK/Setup.exe"
log="$WORK/silent log.txt"
printf 'Before\r\n' >"$log"
LOG_ARG="/LOG=$(winpath "$log")"

drive <<END
start '$(winpath "$WORK/Setup.exe")' /S '$LOG_ARG'
expect-windowless-exit 0 60
END
for t in "E2E Silent One" "E2E Silent Two"; do
  cmp "$KOSETUP_SOURCE/tests/e2e/products/plain/Plain Indicator.mq4" "$PF/$t/$INDICATOR"
  grep -qF "Copying file $PF_WIN\\$t\\${INDICATOR//\//\\} ..." "$log"
  rm "$PF/$t/$INDICATOR"
done
# Every line ends with CR LF; what was in the file stays; the run ends with "Done.".
[ "$(grep -c $'\r$' "$log")" = "$(wc -l <"$log")" ]
[ "$(head -1 "$log")" = $'Before\r' ]
[ "$(tail -1 "$log")" = $'Done.\r' ]

drive <<END
start '$(winpath "$WORK/Setup.exe")' -s '/t=$PF_WIN\\E2E Silent New\\' '$LOG_ARG'
expect-windowless-exit 0 60
END
cmp "$KOSETUP_SOURCE/tests/e2e/products/plain/Plain Indicator.mq4" "$PF/E2E Silent New/$INDICATOR"
grep -qF "Copying file $PF_WIN\\E2E Silent New\\${INDICATOR//\//\\} ..." "$log"
[ ! -e "$PF/E2E Silent One/$INDICATOR" ]
[ ! -e "$PF/E2E Silent Two/$INDICATOR" ]
[ "$(grep -c '^Done' "$log")" = 2 ]

silent_uninstall "$(winpath "$APP/Uninstall.exe")" "$LOG_ARG"
[ ! -e "$PF/E2E Silent New/$INDICATOR" ]
[ ! -e "$MENU_ROOT/$NAME" ]
if key_exists "$NAME"; then exit 1; fi
grep -qF "Unregistering uninstaller ..." "$log"
[ "$(tail -1 "$log")" = $'Done.\r' ]
