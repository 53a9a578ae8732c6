# A full install into two ticked terminal folders of which only the second still holds
# terminal.exe: files in both with the package's bytes and times, "{app}" files once, the
# newer-version check, a file in use, run items of all four stages, the settings override,
# the menu folder, the uninstaller and its registration; then Finish starts the terminal.
NAME="E2E Full EA"
require_no_terminals
product_paths "$NAME"
pf_add_terminal "E2E Full One"
pf_add_terminal "E2E Full Two"

src=$WORK/product
mkdir -p "$src"
head -c 70000 /dev/urandom >"$src/Expert.ex4"
head -c 3000 /dev/urandom >"$src/Signal.ex4"
cp "$KOSETUP_SOURCE/examples/sample-ea/files/MQL4/Libraries/SampleTrend.dll" "$src/Held.dll"
printf 'The manual.\r\n' >"$src/Manual.txt"
touch -d '2021-03-04 05:06:07' "$src/Expert.ex4" "$src/Signal.ex4" "$src/Held.dll" "$src/Manual.txt"
printf '{\\rtf1 Licence}' >"$src/license.rtf"
printf '{\\rtf1 Read me}' >"$src/readme.rtf"
cp "$KOSETUP_WIN32/record_run.exe" "$src/record_run.exe"
cat >"$src/product.toml" <<END
[product]
name = "$NAME"
version_major = 4
version_minor = 1
publisher = "E2E Tools"
website = "www.example.com/e2e"
contact_name = "E2E Support"
contact_email = "support@example.com"
[documents]
license = "license.rtf"
readme = "readme.rtf"
[metatrader]
expert_options = "1 0"
[[file]]
source = "Expert.ex4"
target = '{metatrader}\\MQL4\\Experts\\Expert.ex4'
[[file]]
source = "Signal.ex4"
target = '{metatrader}\\MQL4\\Indicators\\Signal.ex4'
check_newer = true
[[file]]
source = "Held.dll"
target = '{metatrader}\\MQL4\\Libraries\\Held.dll'
[[file]]
source = "Manual.txt"
target = '{app}\\Manual.txt'
shortcut = "E2E Manual"
[[run]]
source = "record_run.exe"
path = '{app}\\tools\\stage0.exe'
title = "Stage Zero"
parameters = "zero"
stage = 0
[[run]]
source = "record_run.exe"
path = '{app}\\tools\\stage1.exe'
title = "Stage One"
parameters = 'one "two words"'
stage = 1
[[run]]
path = 'C:\\nowhere\\missing.exe'
title = "Missing Tool"
stage = 1
[[run]]
source = "record_run.exe"
path = '{app}\\tools\\stage2.exe'
title = "Stage Two"
parameters = "two"
stage = 2
[[run]]
source = "record_run.exe"
path = '{app}\\tools\\stage3.exe'
title = "Stage Three"
parameters = "three"
stage = 3
END
build_setup "$src/product.toml" "$WORK/Setup.exe"

# Which of the two the list shows first; that one loses its terminal.exe before the run.
mapfile -t terminals < <(list_terminals "E2E Full ")
T1=${terminals[0]} T2=${terminals[1]}
T1_WIN="$PF_WIN\\$T1" T2_WIN="$PF_WIN\\$T2"
# In the second: an older Expert.ex4 (replaced: no newer-version check), a Signal.ex4 as old
# as the package's (skipped), and a 100-byte settings file.
mkdir -p "$PF/$T2/MQL4/Experts" "$PF/$T2/MQL4/Indicators" "$PF/$T2/config"
echo old >"$PF/$T2/MQL4/Experts/Expert.ex4"
echo "the user's own" >"$PF/$T2/MQL4/Indicators/Signal.ex4"
touch -r "$src/Signal.ex4" "$PF/$T2/MQL4/Indicators/Signal.ex4"
head -c 100 /dev/urandom >"$WORK/ini100"
cp "$WORK/ini100" "$PF/$T2/config/experts.ini"
mkdir -p "$PF/$T1/MQL4/Libraries"
tools="$APP_WIN\\tools"

drive_install "$WORK/Setup.exe" "$NAME" --information \
  --before "spawn '$(winpath "$KOSETUP_WIN32/fake_terminal.exe")' --hold '$T1_WIN\\MQL4\\Libraries\\Held.dll'
expect-file '$T1_WIN\\MQL4\\Libraries\\Held.dll'" \
  --at-welcome "# Stage 0 has run before the window showed; nothing else yet.
expect-file '$tools\\stage0.exe.txt'
expect-no-file '$tools\\stage1.exe.txt'" \
  --at-destination "expect-lines ListMetaTrader
|[x] $T1_WIN
|[x] $T2_WIN
delete-file '$T1_WIN\\terminal.exe'" <<END
expect-position ProgressBar1 100
expect-lines MemoProgress
|Executing Stage One ...
|WARNING: Unable to execute "Missing Tool". File doesn't exist ...
|Copying file $T1_WIN\\MQL4\\Experts\\Expert.ex4 ...
|Copying file $T1_WIN\\MQL4\\Indicators\\Signal.ex4 ...
|Copying file $T1_WIN\\MQL4\\Libraries\\Held.dll ...
|WARNING: Unable to overwrite $T1_WIN\\MQL4\\Libraries\\Held.dll ...
|Copying file $APP_WIN\\Manual.txt ...
|Copying file $T2_WIN\\MQL4\\Experts\\Expert.ex4 ...
|Skipping Signal.ex4, found newer version at $T2_WIN\\MQL4\\Indicators\\Signal.ex4 ...
|Copying file $T2_WIN\\MQL4\\Libraries\\Held.dll ...
|Executing Stage Two ...
|Overriding MetaTrader settings in $T1_WIN ...
|Overriding MetaTrader settings in $T2_WIN ...
|Copying file $APP_WIN\\Readme.rtf ...
|Creating shortcut $MENU_WIN\\Readme.lnk ...
|Copying file $APP_WIN\\License.rtf ...
|Creating shortcut $MENU_WIN\\License.lnk ...
|Creating shortcut $MENU_WIN\\E2E Tools Website.url ...
|Creating shortcut $MENU_WIN\\Contact Email.url ...
|Creating unistaller ...
|Registering unistaller ...
|Done.
expect-file '$tools\\stage2.exe.txt'
expect-no-file '$tools\\stage3.exe.txt'
shortcut '$MENU_WIN\\E2E Manual.lnk'
shortcut '$MENU_WIN\\Readme.lnk'
shortcut '$MENU_WIN\\Uninstall.lnk'
press BtnNext
expect-page finish
expect-buttons on off Finish:on
expect-visible CheckRun
expect-checked CheckRun
expect-lines ComboRun
|[x] $T2_WIN
press BtnCancel
expect-exit 0 20
END

transcript=$WORK/transcript$drives.txt
wait_for "$PF/$T2/ran.txt" 20
wait_for "$APP/tools/stage3.exe.txt" 20
[ ! -e "$PF/$T1/ran.txt" ]

# Run items: each once, with its parameters, in its own folder.
for stage in 0 1 2 3; do
  [ "$(grep -c '^x ' "$APP/tools/stage$stage.exe.txt")" -eq 1 ]
  grep -qFx "$APP_WIN\\tools" <(tr -d '\r' <"$APP/tools/stage$stage.exe.txt")
done
grep -qFx 'x one "two words"' <(tr -d '\r' <"$APP/tools/stage1.exe.txt")

# Terminal files: the package's bytes and last-write time in both; the skipped one untouched;
# the held one written in the second only.
for t in "$T1" "$T2"; do
  cmp "$src/Expert.ex4" "$PF/$t/MQL4/Experts/Expert.ex4"
  [ "$(stat -c %Y "$PF/$t/MQL4/Experts/Expert.ex4")" = "$(stat -c %Y "$src/Expert.ex4")" ]
done
cmp "$src/Signal.ex4" "$PF/$T1/MQL4/Indicators/Signal.ex4"
[ "$(stat -c %Y "$PF/$T1/MQL4/Indicators/Signal.ex4")" = "$(stat -c %Y "$src/Signal.ex4")" ]
grep -q "the user's own" "$PF/$T2/MQL4/Indicators/Signal.ex4"
cmp "$src/Held.dll" "$PF/$T2/MQL4/Libraries/Held.dll"
[ ! -s "$PF/$T1/MQL4/Libraries/Held.dll" ]
cmp "$src/Manual.txt" "$APP/Manual.txt"

# Settings: created with 400 and the options; the 100-byte one keeps its bytes and grows.
expected_ini() { # FILE-OR-EMPTY: the record as the override must write it
  python3 - "$@" <<'PY'
import sys
rec = bytearray(292); rec[0:2] = b'\x90\x01'
if len(sys.argv) > 1:
    old = open(sys.argv[1], 'rb').read()[:292]; rec[:len(old)] = old
rec[4] = 1; rec[12] = 0
sys.stdout.buffer.write(rec)
PY
}
cmp <(expected_ini) "$PF/$T1/config/experts.ini"
cmp <(expected_ini "$WORK/ini100") "$PF/$T2/config/experts.ini"

# The menu folder.
ls "$MENU" | sort >"$WORK/menu.txt"
diff - "$WORK/menu.txt" <<END
Contact Email.url
E2E Manual.lnk
E2E Tools Website.url
License.lnk
Readme.lnk
Uninstall.lnk
END
cmp <(printf '[InternetShortcut]\r\nURL=http://www.example.com/e2e\r\n\r\n') "$MENU/E2E Tools Website.url"
cmp <(printf '[InternetShortcut]\r\nURL=mailto:E2E Support <support@example.com>\r\n\r\n') "$MENU/Contact Email.url"
grep -A2 "shortcut '.*E2E Manual.lnk'" "$transcript" | grep -qF "target = \"$APP_WIN\\Manual.txt\""
grep -A2 "shortcut '.*E2E Manual.lnk'" "$transcript" | grep -qF "folder = \"$APP_WIN\""
grep -A2 "shortcut '.*Uninstall.lnk'" "$transcript" | grep -qF "target = \"$APP_WIN\\Uninstall.exe\""

# The uninstaller: the installer's first N bytes, N at offset 136, then the log.
n=$(od -An -tu4 -j136 -N4 "$WORK/Setup.exe" | tr -d ' ')
cmp -n "$n" "$WORK/Setup.exe" "$APP/Uninstall.exe"
[ "$(od -An -tu4 -j136 -N4 "$APP/Uninstall.exe" | tr -d ' ')" = "$n" ]
"$KOSETUP_NATIVE/kosetup" list "$APP/Uninstall.exe" >"$WORK/log.txt"
# Everything created, in the order of creation; the skipped and the held files are not there.
sed -n '/^Entries/,$p' "$WORK/log.txt" >"$WORK/entries.txt"
diff - "$WORK/entries.txt" <<END
Entries         2 folders, 13 files
  folder $APP_WIN
  folder $MENU_WIN
  file   $T1_WIN\MQL4\Experts\Expert.ex4
  file   $T1_WIN\MQL4\Indicators\Signal.ex4
  file   $APP_WIN\Manual.txt
  file   $MENU_WIN\E2E Manual.lnk
  file   $T2_WIN\MQL4\Experts\Expert.ex4
  file   $T2_WIN\MQL4\Libraries\Held.dll
  file   $APP_WIN\Readme.rtf
  file   $MENU_WIN\Readme.lnk
  file   $APP_WIN\License.rtf
  file   $MENU_WIN\License.lnk
  file   $MENU_WIN\E2E Tools Website.url
  file   $MENU_WIN\Contact Email.url
  file   $MENU_WIN\Uninstall.lnk
END

# The registration.
key_query "$NAME" >"$WORK/key.txt"
grep -qE "DisplayName +REG_SZ +$NAME\$" "$WORK/key.txt"
grep -qF "UninstallString    REG_SZ    $APP_WIN\\Uninstall.exe" "$WORK/key.txt"
grep -qF "DisplayIcon    REG_SZ    $APP_WIN\\Uninstall.exe" "$WORK/key.txt"
