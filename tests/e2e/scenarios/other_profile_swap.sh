# Another user tries to steer the elevated install while it runs: a terminal installed in their
# profile, and the moment a run item before the files holds the run, they rename its MQL4 folder
# away to put a link to a system folder in its place. The folders on the way are held from the
# check to the end of the run, so the rename is refused and the expert lands in the real MQL4;
# nothing reaches the link's target. A program of the package that would run from their profile
# is not started: they could have replaced it, or put a library beside it.
NAME="E2E Swap EA"
require_no_terminals
product_paths "$NAME"
OWNER="E2E Swapper"
PROFILE_KEY='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\ProfileList\S-1-5-21-0-0-0-1991'
add_path "$PREFIX/drive_c/users/$OWNER"
wine_run reg add "$PROFILE_KEY" /v ProfileImagePath /t REG_EXPAND_SZ \
  /d "%SystemDrive%\\users\\$OWNER" /reg:64 /f >/dev/null
at_exit wine_run reg delete "'$PROFILE_KEY'" /reg:64 /f '>/dev/null'
TP="$PREFIX/drive_c/users/$OWNER/MT4" TP_WIN="C:\\users\\$OWNER\\MT4"
SYSTEM="$WORK/system32"
mkdir -p "$TP/MQL4/Experts" "$SYSTEM/Experts"
cp "$KOSETUP_WIN32/fake_terminal.exe" "$TP/terminal.exe"
cp "$KOSETUP_WIN32/fake_terminal.exe" "$WORK/waiter.exe"
echo "the vendor's tool" >"$WORK/Tool.exe"
head -c 20000 /dev/urandom >"$WORK/Swap.ex4"
cat >"$WORK/product.toml" <<END
[product]
name = "$NAME"
[[file]]
source = "Swap.ex4"
target = '{metatrader}\MQL4\Experts\Swap.ex4'
[[run]]
path = '$(winpath "$WORK/waiter.exe")'
title = "Waiting Tool"
parameters = '--wait $(winpath "$WORK/go")'
stage = "before-files"
[[run]]
source = "Tool.exe"
path = '{metatrader}\Tool.exe'
title = "Vendor Tool"
stage = "after-files"
END
build_setup "$WORK/product.toml" "$WORK/Setup.exe"

log=$WORK/log.txt
wine_run "$WORK/Setup.exe" /S "/T=$TP_WIN" "/LOG=$(winpath "$log")" &
setup=$!
wait_for "$WORK/go.waiting" 60
# As the other user's own program would do it: a rename, then a link where the folder was.
wine_run cmd /c move "$TP_WIN\\MQL4" "$TP_WIN\\MQL4.away" >/dev/null 2>&1 || true
if [ ! -e "$TP/MQL4" ]; then
  ln -s "$SYSTEM" "$TP/MQL4"
fi
touch "$WORK/go"
status=0
wait "$setup" || status=$?
[ "$status" = 4 ]
[ -z "$(ls -A "$SYSTEM/Experts")" ]
cmp "$WORK/Swap.ex4" "$TP/MQL4/Experts/Swap.ex4"
[ ! -e "$TP/MQL4.away" ]
grep -qxF "WARNING: Not executing \"Vendor Tool\": $TP_WIN\\Tool.exe is in another user's profile ..."$'\r' "$log"
if grep -q "Executing Vendor Tool" "$log"; then exit 1; fi
wine_run "$APP/Uninstall.exe" /S
wait_gone "$APP" 30
[ ! -e "$TP/MQL4/Experts/Swap.ex4" ]
