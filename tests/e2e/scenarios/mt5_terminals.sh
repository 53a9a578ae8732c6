# A product for both platforms beside an MT4 terminal under Program Files and an MT5 one under
# the 64-bit Program Files, each with a data folder of the current user: the wizard lists both
# with their platform, MQL4 add-ons go into the MT4 terminal and its data folder, MQL5 ones into
# the MT5 terminal and its data folder, the templates into all four; the options go into MT4's
# settings and into MT5's common.ini of the data folder, which is left alone while it is not the
# terminal's own encoding, with a warning, a note on the finish page and exit code 4 for /S;
# Finish starts the MT5 terminal. An open MT5 window stops the wizard and /S of
# that product and its uninstall, but not an MT4-only product, which neither lists nor touches
# the MT5 terminal. /S finds both terminals, /T= takes a portable MT5 folder, whose own
# common.ini takes the options unless it lacks their section or keys; a run killed after it
# replaced the file is undone by the uninstall, which then removes the product from all of them
# and leaves the options.
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

# common_ini FILE ENABLED DLL [utf8|no-experts|no-dll]: MT5's options file as the terminal writes
# it (UTF-16LE with a byte-order mark, an empty first line, CRLFs, the trader's login, every key
# of [Experts], a section after it with an Enabled of its own), with the two values given; or
# saved in UTF-8, or without the section, or without AllowDllImport.
common_ini() {
  local experts="[Experts]\r\nAllowDllImport=$3\r\nEnabled=$2\r\nAccount=0\r\nProfile=1\r\n"
  experts+="Chart=0\r\nApi=0\r\nDisableOpenCL=0\r\nWebRequest=1\r\nWebRequestUrl=9C3F0A77E1B2D4\r\n"
  case ${4:-} in
  no-experts) experts= ;;
  no-dll) experts=${experts/AllowDllImport=$3\\r\\n/} ;;
  esac
  local text="\r\n[Common]\r\nLogin=51234567\r\nServer=Брокер-Demo\r\nProxyEnable=0\r\n"
  text+="${experts}[News]\r\nEnabled=0\r\n"
  mkdir -p "${1%/*}"
  if [ "${4:-}" = utf8 ]; then
    printf "\xef\xbb\xbf$text" >"$1"
  else
    { printf '\xff\xfe' && printf "$text" | iconv -f UTF-8 -t UTF-16LE; } >"$1"
  fi
}
# What the log's warning for a common.ini left alone ends with and the finish page adds (there in
# the driver's quoting): the boxes to tick.
NOTE="$NAME needs options that could not be set in MetaTrader 5: in the terminal, tick \"Allow"
NOTE+=' algorithmic trading", "Allow DLL imports" in Tools > Options > Expert Advisors.'
FINISHED="The wizard has finished installing $NAME to your computer. You can now launch the"
FINISHED+=" MetaTrader application to see $NAME in action.\\r\\n\\r\\n${NOTE//\"/\\\"}"
common_ini "$D5/config/common.ini" 0 0 utf8
cp "$D5/config/common.ini" "$WORK/utf8.ini"
common_ini "$WORK/set.ini" 1 1

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
expert_options = "1    1"
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
  echo "|Overriding MetaTrader settings in $D5_WIN ..."
  echo "|WARNING: Leaving $D5_WIN\\config\\common.ini alone: it is not UTF-16 with a" \
    "byte-order mark; $NOTE ..."
  echo "|Copying file $APP_WIN\\License.rtf ..."
  echo "|Creating shortcut $MENU_WIN\\License.lnk ..."
  printf '|%s\n' "Creating unistaller ..." "Registering unistaller ..." "Done."
  printf '%s\n' "press BtnNext" "expect-page finish" \
    "expect-caption LabelFinish2 \"$FINISHED\"" \
    "expect-lines ComboRun" "|[x] $T4_WIN" \
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
# options in MT4's settings; MT5's file in UTF-8 as it was.
for folder in "$T4" "$D4" "$T5" "$D5"; do
  cmp "$src/Both.tpl" "$folder/templates/E2E Both.tpl"
done
for folder in "$T4" "$D4"; do
  cmp "$src/Both.ex4" "$folder/MQL4/Experts/E2E Both.ex4"
  [ ! -e "$folder/MQL5" ] && [ -e "$folder/config/experts.ini" ]
done
for folder in "$T5" "$D5"; do
  cmp "$src/Both.ex5" "$folder/MQL5/Experts/E2E Both.ex5"
  [ ! -e "$folder/MQL4" ]
done
[ ! -e "$T5/config" ]
cmp "$WORK/utf8.ini" "$D5/config/common.ini"
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

# Unattended: into every terminal found of either platform, the options into the data folder's
# common.ini, every other byte kept; with /T= into the portable MT5 folder alone, whose MQL5
# folder tells its platform and whose own common.ini takes the options; an MT4-only product
# leaves it alone with a warning.
log=$WORK/silent.txt
common_ini "$D5/config/common.ini" 0 0
wine_run "$WORK/Setup.exe" /S "/LOG=$(winpath "$log")"
cmp "$WORK/set.ini" "$D5/config/common.ini"
for line in "$T4_WIN\\MQL4\\Experts\\E2E Both.ex4" "$D4_WIN\\MQL4\\Experts\\E2E Both.ex4" \
  "$T5_WIN\\MQL5\\Experts\\E2E Both.ex5" "$D5_WIN\\MQL5\\Experts\\E2E Both.ex5"; do
  grep -qF "Copying file $line ..." "$log"
done
common_ini "$P5/config/common.ini" 1 0
wine_run "$WORK/Setup.exe" /S "/T=$P5_WIN" "/LOG=$(winpath "$WORK/portable.txt")"
cmp "$src/Both.ex5" "$P5/MQL5/Experts/E2E Both.ex5"
cmp "$src/Both.tpl" "$P5/templates/E2E Both.tpl"
[ ! -e "$P5/MQL4" ]
cmp "$WORK/set.ini" "$P5/config/common.ini"
grep -qF "Overriding MetaTrader settings in $P5_WIN ..." "$WORK/portable.txt"
status=0
wine_run "$WORK/Plain.exe" /S "/T=$P5_WIN" "/LOG=$(winpath "$WORK/plain-portable.txt")" || status=$?
[ "$status" = 4 ]
grep -qF "WARNING: Leaving $P5_WIN alone: it is an MT5 terminal" "$WORK/plain-portable.txt"
[ ! -e "$P5/MQL4" ]

# A common.ini the terminal would not have written is left as it was, with a warning naming the
# boxes to tick, and /S exits with 4.
for variant in utf8 no-experts no-dll; do
  common_ini "$P5/config/common.ini" 0 0 $variant
  cp "$P5/config/common.ini" "$WORK/before.ini"
  status=0
  wine_run "$WORK/Setup.exe" /S "/T=$P5_WIN" "/LOG=$(winpath "$WORK/$variant.txt")" || status=$?
  [ "$status" = 4 ]
  cmp "$WORK/before.ini" "$P5/config/common.ini"
  grep -qF "WARNING: Leaving $P5_WIN\\config\\common.ini alone: " "$WORK/$variant.txt"
  grep -qF "; $NOTE ..." "$WORK/$variant.txt"
done

# Killed once the file is replaced (Uninstall.exe held, the run waits before it gives up): the
# uninstall first puts the trader's file back.
common_ini "$P5/config/common.ini" 0 0
cp "$P5/config/common.ini" "$WORK/before.ini"
drive <<END
spawn '$(winpath "$KOSETUP_WIN32/fake_terminal.exe")' --hold '$APP_WIN\\Uninstall.exe'
expect-held '$APP_WIN\\Uninstall.exe'
start '$SETUP' /S '/T=$P5_WIN'
expect-file '$P5_WIN\\config\\common.ini.~ko-old' 60
kill-pids '$(winpath "$WORK/pids")'
END
cmp "$WORK/set.ini" "$P5/config/common.ini"

# The uninstall removes every copy the installs made, in both platforms' folders, and leaves the
# options as they are.
silent_uninstall "$APP_WIN\\Uninstall.exe" "/LOG=$(winpath "$WORK/uninstall.txt")"
grep -qF "Restoring $P5_WIN\\config\\common.ini ..." "$WORK/uninstall.txt"
cmp "$WORK/before.ini" "$P5/config/common.ini"
cmp "$WORK/set.ini" "$D5/config/common.ini"
[ -z "$(find "$P5/config" -name '*.~ko-*')" ]
[ -z "$(find "$T4" "$D4" "$T5" "$D5" "$P5" -name 'E2E Both.*')" ]
if key_exists "$NAME"; then exit 1; fi
APP=$PLAIN_APP
silent_uninstall "$PF_WIN\\$PLAIN\\Uninstall.exe"
[ -z "$(find "$T4" "$D4" -name 'Plain Indicator*')" ]
