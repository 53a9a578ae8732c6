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

# A DLL whose runtime this computer lacks still installs, but the log names what it needs, once
# however many terminals receive it, and the run exits with 4: the 32-bit probe.dll lacks
# KoProbeRuntime.dll, the sample's 64-bit library altered to import KOPROBE6.dll lacks that. The
# unaltered 64-bit library imports KERNEL32.dll, which the real (not the 32-bit) system folder
# holds: no warning.
PROBE="E2E Probe DLL"
APP="$PF/$PROBE"
pf_may_create "$PROBE"
menu_remove "$PROBE"
key_remove "$PROBE"
pf_add "E2E Silent MT5"
mkdir -p "$PF/E2E Silent MT5"
cp "$KOSETUP_WIN32/fake_terminal.exe" "$PF/E2E Silent MT5/terminal64.exe"
mkdir "$WORK/probe"
x64=$KOSETUP_SOURCE/examples/sample-ea/files/MQL5/Libraries/SampleTrend.dll
cp "$KOSETUP_WIN32/probe.dll" "$x64" "$WORK/probe/"
perl -0777 -pe 's/KERNEL32\.dll/KOPROBE6.dll/g' "$x64" >"$WORK/probe/probe64.dll"
cat >"$WORK/probe/product.toml" <<END
[product]
name = "$PROBE"
[[file]]
source = "probe.dll"
target = '{metatrader}\\MQL4\\Libraries\\probe.dll'
[[file]]
source = "*64.dll"
target = '{metatrader}\\MQL5\\Libraries\\'
[[file]]
source = "SampleTrend.dll"
target = '{metatrader}\\MQL5\\Libraries\\SampleTrend.dll'
END
build_setup "$WORK/probe/product.toml" "$WORK/Probe.exe"
drive <<END
start '$(winpath "$WORK/Probe.exe")' /S '/T=$PF_WIN\\E2E Silent New' '/T=$PF_WIN\\E2E Silent MT5' '$LOG_ARG'
expect-windowless-exit 4 60
END
cmp "$WORK/probe/probe.dll" "$PF/E2E Silent New/MQL4/Libraries/probe.dll"
cmp "$x64" "$PF/E2E Silent MT5/MQL5/Libraries/SampleTrend.dll"
sed -n '/Probe DLL\|probe/,$p' "$log" | grep '^WARNING:' | tr -d '\r' >"$WORK/warnings.txt"
diff - "$WORK/warnings.txt" <<END
WARNING: probe.dll needs KoProbeRuntime.dll, which this computer lacks: MetaTrader cannot load probe.dll without it (error 126)
WARNING: probe64.dll needs KOPROBE6.dll, which this computer lacks: MetaTrader cannot load probe64.dll without it (error 126)
END
[ "$(tail -1 "$log")" = $'Done.\r' ]
silent_uninstall "$(winpath "$APP/Uninstall.exe")" "$LOG_ARG"
[ ! -e "$PF/E2E Silent New/MQL4/Libraries/probe.dll" ]
