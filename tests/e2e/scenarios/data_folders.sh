# Terminals and their data folders: a terminal under Program Files whose data folder (the
# current user's) names it in UTF-16, one in the 64-bit Program Files, and one outside Program
# Files known only through the data folder of another profile, named there in 8-bit text; a
# stale data folder, a garbage one, one naming a network path and Common are passed over. The
# terminals are listed once each; the other profile's is not ticked until the administrator
# ticks it. The terminal-side files and the settings go into the installation folders and the
# data folders, stage-2 run items see the last installation folder; the uninstall removes the
# copied files from all of them. In the other profile nothing passes through a link: a data
# folder whose MQL4 is one is left alone with a warning, and so is a file the uninstall would
# reach through a link that user made after the install. Unattended, the other profile's
# terminal is not chosen unless named.
NAME="E2E Data EA"
require_no_terminals
product_paths "$NAME"
pf_add_terminal "E2E Data Alpha"
TA="$PF/E2E Data Alpha"
TA_WIN="$PF_WIN\\E2E Data Alpha"
TN="$PREFIX/drive_c/Program Files/E2E Data Native"
TN_WIN='C:\Program Files\E2E Data Native'
TB="$PREFIX/drive_c/E2E Trading/MT4 Café"
TB_WIN='C:\E2E Trading\MT4 Café'
add_path "$TN"
add_path "$PREFIX/drive_c/E2E Trading"
for terminal in "$TN" "$TB"; do
  mkdir -p "$terminal"
  cp "$KOSETUP_WIN32/fake_terminal.exe" "$terminal/terminal.exe"
done

# The current user's data folders, and another profile's (the trader whose account the
# installer did not run under).
ROAMING_WIN=$(wine_run cmd /c echo %APPDATA% | tr -d '\r')
ROAMING=$(unix_path "$ROAMING_WIN")
may_create "$ROAMING/MetaQuotes"
PROFILE_KEY='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\ProfileList\S-1-5-21-0-0-0-1990'
add_path "$PREFIX/drive_c/users/E2E Trader"
wine_run reg add "$PROFILE_KEY" /v ProfileImagePath /t REG_EXPAND_SZ \
  /d '%SystemDrive%\users\E2E Trader' /reg:64 /f >/dev/null
at_exit wine_run reg delete "'$PROFILE_KEY'" /reg:64 /f '>/dev/null'
DA="$ROAMING/MetaQuotes/Terminal/E2E0A1B2C3D4E5F60718293A4B5C6D7E"
DA_WIN="$ROAMING_WIN\\MetaQuotes\\Terminal\\E2E0A1B2C3D4E5F60718293A4B5C6D7E"
DB="$PREFIX/drive_c/users/E2E Trader/AppData/Roaming/MetaQuotes/Terminal/E2E1F0E1D2C3B4A5968778695A4B3C2D"
DB_WIN='C:\users\E2E Trader\AppData\Roaming\MetaQuotes\Terminal\E2E1F0E1D2C3B4A5968778695A4B3C2D'
# Another data folder of the other profile, for the Program Files terminal, whose MQL4 is a
# link out of the profile.
DL="$PREFIX/drive_c/users/E2E Trader/AppData/Roaming/MetaQuotes/Terminal/E2E4000000000000000000000000LINK"
DL_WIN='C:\users\E2E Trader\AppData\Roaming\MetaQuotes\Terminal\E2E4000000000000000000000000LINK'
ELSEWHERE="$WORK/elsewhere"
mkdir -p "$DL" "$ELSEWHERE"
ln -s "$ELSEWHERE" "$DL/MQL4"
printf '%s' "$TA_WIN" >"$DL/origin.txt"
NETWORK="$ROAMING/MetaQuotes/Terminal/E2E5000000000000000000000NETWORK"
add_path "$NETWORK"
mkdir -p "$NETWORK"
printf '\\\\e2e-server\\share\\MT4' >"$NETWORK/origin.txt"
STALE="$ROAMING/MetaQuotes/Terminal/E2E2000000000000000000000000STALE"
GARBAGE="$ROAMING/MetaQuotes/Terminal/E2E3000000000000000000000GARBAGE"
COMMON="$ROAMING/MetaQuotes/Terminal/Common"
for folder in "$DA" "$STALE" "$GARBAGE" "$COMMON"; do add_path "$folder"; done
mkdir -p "$DA" "$DB" "$STALE" "$GARBAGE" "$COMMON/Files"
{ printf '\xff\xfe' && printf '%s\r\n' "$TA_WIN" | iconv -f UTF-8 -t UTF-16LE; } >"$DA/origin.txt"
printf ' %s\\\r\n' "$TB_WIN" | iconv -f UTF-8 -t CP1252 >"$DB/origin.txt"
printf 'C:\\E2E Gone\\MT4' >"$STALE/origin.txt"
head -c 600 /dev/urandom >"$GARBAGE/origin.txt"
# The current user's settings as the terminal writes them: the option record, then the addresses
# allowed for web requests.
mkdir -p "$DA/config"
python3 -c 'import sys; r = bytearray(b"\x90\x01" + bytes(4386)); r[48] = 1
r[292:] = "https://e2e.example.com".encode("utf-16-le").ljust(4388 - 292, b"\0"); sys.stdout.buffer.write(r)' >"$WORK/ini4388"
cp "$WORK/ini4388" "$DA/config/experts.ini"

src=$WORK/product
mkdir -p "$src"
head -c 50000 /dev/urandom >"$src/Expert.ex4"
cp "$KOSETUP_SOURCE/examples/sample-ea/files/MQL4/Libraries/SampleTrend.dll" "$src/Kept.dll"
printf 'The manual.\r\n' >"$src/Manual.txt"
printf '{\\rtf1 Licence}' >"$src/license.rtf"
cp "$KOSETUP_WIN32/record_run.exe" "$src/record_run.exe"
cat >"$src/product.toml" <<END
[product]
name = "$NAME"
[documents]
license = "license.rtf"
[metatrader]
expert_options = "1"
[[file]]
source = "Expert.ex4"
target = '{metatrader}\\MQL4\\Experts\\E2E Data.ex4'
shortcut = "E2E Data Expert"
[[file]]
source = "Kept.dll"
target = '{metatrader}\\MQL4\\Libraries\\E2E Kept.dll'
no_uninstall = true
[[file]]
source = "Manual.txt"
target = '{app}\\Manual.txt'
[[run]]
source = "record_run.exe"
path = '{metatrader}\\e2e-stage2.exe'
title = "Stage Two"
stage = 2
END
build_setup "$src/product.toml" "$WORK/Setup.exe"

copies() { # FOLDER...: the progress lines of the terminal-side files copied into each
  local folder
  for folder in "$@"; do
    echo "|Copying file $folder\\MQL4\\Experts\\E2E Data.ex4 ..."
    echo "|Copying file $folder\\MQL4\\Libraries\\E2E Kept.dll ..."
    [ "$folder" != "$TA_WIN" ] || echo "|Copying file $APP_WIN\\Manual.txt ..."
  done
}
{
  echo "expect-lines MemoProgress"
  echo "|WARNING: Leaving $DL_WIN alone: $DL_WIN\\MQL4 is a link in another user's profile ..."
  copies "$TA_WIN" "$DA_WIN" "$TN_WIN" "$TB_WIN" "$DB_WIN"
  echo "|Executing Stage Two ..."
  for folder in "$TA_WIN" "$DA_WIN" "$TN_WIN" "$TB_WIN" "$DB_WIN"; do
    echo "|Overriding MetaTrader settings in $folder ..."
  done
  echo "|Copying file $APP_WIN\\License.rtf ..."
  echo "|Creating shortcut $MENU_WIN\\License.lnk ..."
  printf '|%s\n' "Creating unistaller ..." "Registering unistaller ..." "Done."
  echo "shortcut '$MENU_WIN\\E2E Data Expert.lnk'"
  printf '%s\n' "press BtnNext" "expect-page finish" "press BtnCancel" "expect-exit 0"
} | drive_install "$WORK/Setup.exe" "$NAME" --at-destination "$(
  printf '%s\n' "expect-lines ListMetaTrader" "|[x] $TA_WIN" "|[x] $TN_WIN" "|[ ] $TB_WIN" \
    "toggle ListMetaTrader 2"
)"

# Byte for byte and the settings record in every terminal and data folder; nothing in the others.
# The trader's own settings file keeps its length and all but the option it set.
expected_ini() { # [FILE]
  python3 - "$@" <<'PY'
import sys
r = bytearray(open(sys.argv[1], 'rb').read()) if len(sys.argv) > 1 else bytearray(b"\x90\x01" + bytes(290))
r[4] = 1; sys.stdout.buffer.write(r)
PY
}
for folder in "$TA" "$DA" "$TN" "$TB" "$DB"; do
  cmp "$src/Expert.ex4" "$folder/MQL4/Experts/E2E Data.ex4"
  cmp "$src/Kept.dll" "$folder/MQL4/Libraries/E2E Kept.dll"
  if [ "$folder" = "$DA" ]; then
    cmp <(expected_ini "$WORK/ini4388") "$folder/config/experts.ini"
  else
    cmp <(expected_ini) "$folder/config/experts.ini"
  fi
done
# Everyone's shortcut opens the first terminal's file, whichever folder the run wrote last.
grep -A2 "shortcut '.*E2E Data Expert.lnk'" "$WORK"/transcript*.txt |
  grep -qF "target = \"$TA_WIN\\MQL4\\Experts\\E2E Data.ex4\""
[ "$(find "$STALE" "$GARBAGE" "$COMMON" "$NETWORK" -type f | wc -l)" -eq 3 ]
[ -z "$(ls -A "$ELSEWHERE")" ]
[ "$(ls "$DL")" = "MQL4
origin.txt" ]
[ -e "$TB/e2e-stage2.exe.txt" ] && [ ! -e "$DB/e2e-stage2.exe" ]

# The other user swaps their Experts folder for a link to a file of the same name elsewhere.
mkdir -p "$ELSEWHERE/Experts"
echo "not the product's" >"$ELSEWHERE/Experts/E2E Data.ex4"
rm -r "$DB/MQL4/Experts"
ln -s "$ELSEWHERE/Experts" "$DB/MQL4/Experts"
# A killed run's journal names that file as created and as replaced: its undo leaves both alone.
expert="$DB_WIN\\MQL4\\Experts\\E2E Data.ex4"
echo "a backup elsewhere" >"$ELSEWHERE/Experts/E2E Data.ex4.~ko-old"
printf '%s\r\n' "$expert" "$expert.~ko-old" >"$APP/Uninstall.~ko-run"
drive <<END
start '$APP_WIN\\Uninstall.exe' '/LOG=$(winpath "$WORK/uninstall.txt")'
wait-window "Uninstall - $NAME" 30
press BtnNext
expect-buttons off on Cancel:off 30
expect-last-line MemoProgress Done.
press BtnNext
expect-page finish
press BtnCancel
expect-exit 0
END
wait_gone "$APP" 30
grep -A1 -F "Delete file $expert ..." "$WORK/uninstall.txt" | tr -d '\r' | tail -1 |
  grep -qxF "WARNING: Leaving $expert alone: $DB_WIN\\MQL4\\Experts is a link in another user's profile ..."
[ "$(grep -cF "WARNING: Leaving $expert alone" "$WORK/uninstall.txt")" = 3 ]
[ "$(cat "$ELSEWHERE/Experts/E2E Data.ex4")" = "not the product's" ]
[ -e "$ELSEWHERE/Experts/E2E Data.ex4.~ko-old" ]
for folder in "$TA" "$DA" "$TN" "$TB" "$DB"; do
  [ "$folder" = "$DB" ] || [ ! -e "$folder/MQL4/Experts/E2E Data.ex4" ]
  cmp "$src/Kept.dll" "$folder/MQL4/Libraries/E2E Kept.dll"
done

# Unattended without /T: the terminals the page ticks, not the other profile's.
rm "$DB/MQL4/Experts"
# Done with a warning: the linked data folder is left alone again.
status=0
wine_run "$WORK/Setup.exe" /S "/LOG=$(winpath "$WORK/silent.txt")" || status=$?
[ "$status" = 4 ]
grep -qF "Copying file $TA_WIN\\MQL4\\Experts\\E2E Data.ex4 ..." "$WORK/silent.txt"
if grep -qF "$TB_WIN" "$WORK/silent.txt"; then exit 1; fi
wine_run "$APP/Uninstall.exe" /S
wait_gone "$APP" 30

# A terminal installed inside the other profile, named with /T=: its MQL4 is a link out of the
# profile, so the terminal is left alone like such a data folder.
TP="$PREFIX/drive_c/users/E2E Trader/MT4 Own"
TP_WIN='C:\users\E2E Trader\MT4 Own'
mkdir -p "$TP" "$WORK/elsewhere2"
cp "$KOSETUP_WIN32/fake_terminal.exe" "$TP/terminal.exe"
ln -s "$WORK/elsewhere2" "$TP/MQL4"
status=0
wine_run "$WORK/Setup.exe" /S "/T=$TP_WIN" "/LOG=$(winpath "$WORK/own.txt")" || status=$?
[ "$status" = 4 ]
grep -qF "WARNING: Leaving $TP_WIN alone: $TP_WIN\\MQL4 is a link in another user's profile ..." \
  "$WORK/own.txt"
[ -z "$(ls -A "$WORK/elsewhere2")" ]
wine_run "$APP/Uninstall.exe" /S
wait_gone "$APP" 30
