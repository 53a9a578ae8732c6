# A product for both platforms beside an MT4 terminal under Program Files and an MT5 one under
# the 64-bit Program Files, each with a data folder of the current user: the wizard lists both
# with their platform, MQL4 add-ons go into the MT4 terminal and its data folder, MQL5 ones into
# the MT5 terminal and its data folder, the templates into all four; the options go into MT4's
# settings only; Finish starts the MT5 terminal. An open MT5 window stops the wizard and /S of
# that product and its uninstall, but not an MT4-only product, which neither lists nor touches
# the MT5 terminal. /S finds both terminals, /T= takes a portable MT5 folder; the uninstall then
# removes the product from all of them.
NAME="E2E Both EA"
PLAIN="Plain Indicator"
MT5_CLASS='MetaQuotes::MetaTrader::5.00'
require_no_terminals
product_paths "$PLAIN"
PLAIN_APP=$APP
product_paths "$NAME"
pf_add_terminal "E2E Both Four"
T4="$PF/E2E Both Four"
T4_WIN="$PF_WIN\\E2E Both Four"
T5="$PREFIX/drive_c/Program Files/E2E Both Five"
T5_WIN='C:\Program Files\E2E Both Five'
P5="$PREFIX/drive_c/E2E Both Portable"
P5_WIN='C:\E2E Both Portable'
add_path "$T5"
add_path "$P5"
mkdir -p "$T5" "$P5/MQL5"
cp "$KOSETUP_WIN32/fake_terminal.exe" "$T5/terminal64.exe"
cp "$KOSETUP_WIN32/fake_terminal.exe" "$P5/terminal64.exe"

ROAMING_WIN=$(wine_run cmd /c echo %APPDATA% | tr -d '\r')
ROAMING=$(unix_path "$ROAMING_WIN")
may_create "$ROAMING/MetaQuotes"
D4_WIN="$ROAMING_WIN\\MetaQuotes\\Terminal\\E2E40000000000000000000000000FOUR"
D5_WIN="$ROAMING_WIN\\MetaQuotes\\Terminal\\E2E50000000000000000000000000FIVE"
D4="$ROAMING/MetaQuotes/Terminal/E2E40000000000000000000000000FOUR"
D5="$ROAMING/MetaQuotes/Terminal/E2E50000000000000000000000000FIVE"
add_path "$D4"
add_path "$D5"
mkdir -p "$D4" "$D5"
printf '%s' "$T4_WIN" >"$D4/origin.txt"
printf '%s' "$T5_WIN" >"$D5/origin.txt"

src=$WORK/product
mkdir -p "$src"
head -c 4000 /dev/urandom >"$src/Both.ex4"
head -c 5000 /dev/urandom >"$src/Both.ex5"
printf 'template\r\n' >"$src/Both.tpl"
printf 'The manual.\r\n' >"$src/Manual.txt"
printf '{\\rtf1 Licence}' >"$src/license.rtf"
cat >"$src/product.toml" <<END
[product]
name = "$NAME"
version_major = 1
version_minor = 0
[documents]
license = "license.rtf"
[metatrader]
expert_options = "1"
[[file]]
source = "Both.ex4"
target = '{metatrader}\\MQL4\\Experts\\E2E Both.ex4'
[[file]]
source = "Both.ex5"
target = '{metatrader}\\MQL5\\Experts\\E2E Both.ex5'
[[file]]
source = "Both.tpl"
target = '{metatrader}\\templates\\E2E Both.tpl'
[[file]]
source = "Manual.txt"
target = '{app}\\Manual.txt'
END
build_setup "$src/product.toml" "$WORK/Setup.exe"
build_setup "$KOSETUP_SOURCE/tests/e2e/products/plain/product.toml" "$WORK/Plain.exe"
SETUP=$(winpath "$WORK/Setup.exe")
PLAIN_SETUP=$(winpath "$WORK/Plain.exe")

copies() { # FOLDER MQL EXTENSION: the lines of the terminal-side files copied into FOLDER
  echo "|Copying file $1\\$2\\Experts\\E2E Both.$3 ..."
  echo "|Copying file $1\\templates\\E2E Both.tpl ..."
}
after_run() { # the lines of the run, then Finish with the MT5 terminal chosen
  echo "expect-lines MemoProgress"
  copies "$T4_WIN" MQL4 ex4
  echo "|Copying file $APP_WIN\\Manual.txt ..."
  copies "$D4_WIN" MQL4 ex4
  copies "$T5_WIN" MQL5 ex5
  copies "$D5_WIN" MQL5 ex5
  echo "|Overriding MetaTrader settings in $T4_WIN ..."
  echo "|Overriding MetaTrader settings in $D4_WIN ..."
  echo "|Expert options are not set for the MetaTrader 5 terminal $T5_WIN: set them in the terminal's Options"
  echo "|Copying file $APP_WIN\\License.rtf ..."
  echo "|Creating shortcut $MENU_WIN\\License.lnk ..."
  printf '|%s\n' "Creating unistaller ..." "Registering unistaller ..." "Done."
  printf '%s\n' "press BtnNext" "expect-page finish" "expect-lines ComboRun" "|[x] $T4_WIN" \
    "|[ ] $T5_WIN" "choose ComboRun 1" "press BtnCancel" "expect-exit 0"
}
drive_install "$WORK/Setup.exe" "$NAME" --at-destination "$(
  printf '%s\n' "expect-lines ListMetaTrader" "|[x] MT4 - $T4_WIN" "|[x] MT5 - $T5_WIN"
)" --at-review "$(
  printf '%s\n' "expect-lines MemoReady" "|Program Name" "|        $NAME v1.0" "|" \
    "|Target Folder(s)" "|        MT4 - $T4_WIN" "|        MT5 - $T5_WIN" "|" "|Program Folder" \
    "|        $APP_WIN" "|" "|Start Menu Folder" "|        $NAME"
)" < <(after_run)
wait_for "$T5/ran.txt" 20
[ ! -e "$T4/ran.txt" ]

# Each add-on in the terminals of its platform and their data folders, nothing across; the
# options in MT4's settings alone.
for folder in "$T4" "$D4" "$T5" "$D5"; do
  cmp "$src/Both.tpl" "$folder/templates/E2E Both.tpl"
done
for folder in "$T4" "$D4"; do
  cmp "$src/Both.ex4" "$folder/MQL4/Experts/E2E Both.ex4"
  [ ! -e "$folder/MQL5" ] && [ -e "$folder/config/experts.ini" ]
done
for folder in "$T5" "$D5"; do
  cmp "$src/Both.ex5" "$folder/MQL5/Experts/E2E Both.ex5"
  [ ! -e "$folder/MQL4" ] && [ ! -e "$folder/config" ]
done
cmp "$src/Manual.txt" "$APP/Manual.txt"

# An MT5 terminal open: the product's /S and its uninstall's refuse, and so does its wizard; an
# MT4-only product goes on, listing the MT4 terminal alone, as it always did.
MESSAGE='"The wizard detect a MetaTrader program currently running.\rPlease close the program and then click OK to continue."'
drive <<END
spawn '$T5_WIN\\terminal64.exe' --window
wait-class $MT5_CLASS
start '$SETUP' /S '/LOG=$(winpath "$WORK/refused.txt")'
expect-windowless-exit 3 60
start '$APP_WIN\\Uninstall.exe' /S
expect-windowless-exit 3 60
start '$SETUP'
wait-window "Install - $NAME" 30
press BtnNext
expect-msgbox Error error $MESSAGE
answer-msgbox
expect-page welcome
close
expect-exit 0
start '$PLAIN_SETUP'
wait-window "Install - $PLAIN" 30
press BtnNext
expect-no-msgbox
expect-page license
select RadioAccept
press BtnNext
expect-page destination
expect-lines ListMetaTrader
|[x] $T4_WIN
close
expect-exit 0
start '$PLAIN_SETUP' /S '/LOG=$(winpath "$WORK/plain.txt")'
expect-windowless-exit 0 60
close-class $MT5_CLASS
END
grep -qF "A MetaTrader terminal is running." "$WORK/refused.txt"
[ -e "$APP/Uninstall.exe" ]
cmp "$KOSETUP_SOURCE/tests/e2e/products/plain/Plain Indicator.mq4" \
  "$T4/MQL4/Indicators/Plain Indicator.mq4"
cmp "$KOSETUP_SOURCE/tests/e2e/products/plain/Plain Indicator.mq4" \
  "$D4/MQL4/Indicators/Plain Indicator.mq4"
if grep -qF -e "$T5_WIN" -e "$D5_WIN" "$WORK/plain.txt"; then exit 1; fi
[ ! -e "$T5/MQL4" ] && [ ! -e "$D5/MQL4" ]

# Unattended: into every terminal found of either platform; with /T= into the portable MT5
# folder alone, whose MQL5 folder tells its platform; an MT4-only product leaves it alone with a
# warning.
log=$WORK/silent.txt
wine_run "$WORK/Setup.exe" /S "/LOG=$(winpath "$log")"
for line in "$T4_WIN\\MQL4\\Experts\\E2E Both.ex4" "$D4_WIN\\MQL4\\Experts\\E2E Both.ex4" \
  "$T5_WIN\\MQL5\\Experts\\E2E Both.ex5" "$D5_WIN\\MQL5\\Experts\\E2E Both.ex5"; do
  grep -qF "Copying file $line ..." "$log"
done
wine_run "$WORK/Setup.exe" /S "/T=$P5_WIN" "/LOG=$(winpath "$WORK/portable.txt")"
cmp "$src/Both.ex5" "$P5/MQL5/Experts/E2E Both.ex5"
cmp "$src/Both.tpl" "$P5/templates/E2E Both.tpl"
[ ! -e "$P5/MQL4" ] && [ ! -e "$P5/config" ]
grep -qF "Expert options are not set for the MetaTrader 5 terminal $P5_WIN" "$WORK/portable.txt"
status=0
wine_run "$WORK/Plain.exe" /S "/T=$P5_WIN" "/LOG=$(winpath "$WORK/plain-portable.txt")" || status=$?
[ "$status" = 4 ]
grep -qF "WARNING: Leaving $P5_WIN alone: it is an MT5 terminal" "$WORK/plain-portable.txt"
[ ! -e "$P5/MQL4" ]

# The uninstall removes every copy the installs made, in both platforms' folders.
silent_uninstall "$APP_WIN\\Uninstall.exe"
[ -z "$(find "$T4" "$D4" "$T5" "$D5" "$P5" -name 'E2E Both.*')" ]
if key_exists "$NAME"; then exit 1; fi
APP=$PLAIN_APP
silent_uninstall "$PF_WIN\\$PLAIN\\Uninstall.exe"
[ -z "$(find "$T4" "$D4" -name 'Plain Indicator*')" ]
