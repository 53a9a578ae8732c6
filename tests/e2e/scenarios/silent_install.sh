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

# A DLL whose runtime this computer lacks still installs, but the log names what it needs and
# the run exits with 4. The sample's 64-bit library, whose one import every 64-bit Windows has
# in its real system folder, is no reason for a warning.
PROBE="E2E Probe DLL"
APP="$PF/$PROBE"
pf_may_create "$PROBE"
menu_remove "$PROBE"
key_remove "$PROBE"
mkdir "$WORK/probe"
cp "$KOSETUP_WIN32/probe.dll" "$KOSETUP_SOURCE/examples/sample-ea/files/MQL5/Libraries/SampleTrend.dll" "$WORK/probe/"
cat >"$WORK/probe/product.toml" <<END
[product]
name = "$PROBE"
[[file]]
source = "probe.dll"
target = '{metatrader}\\MQL4\\Libraries\\probe.dll'
[[file]]
source = "SampleTrend.dll"
target = '{metatrader}\\MQL5\\Libraries\\SampleTrend.dll'
END
build_setup "$WORK/probe/product.toml" "$WORK/Probe.exe"
drive <<END
start '$(winpath "$WORK/Probe.exe")' /S '/T=$PF_WIN\\E2E Silent New' '$LOG_ARG'
expect-windowless-exit 4 60
END
cmp "$WORK/probe/probe.dll" "$PF/E2E Silent New/MQL4/Libraries/probe.dll"
grep -qxF $'WARNING: probe.dll needs KoProbeRuntime.dll, which this computer lacks: MetaTrader cannot load probe.dll without it (error 126)\r' "$log"
[ "$(grep -c '^WARNING:' "$log")" = 1 ]
[ "$(tail -1 "$log")" = $'Done.\r' ]
silent_uninstall "$(winpath "$APP/Uninstall.exe")" "$LOG_ARG"
[ ! -e "$PF/E2E Silent New/MQL4/Libraries/probe.dll" ]
