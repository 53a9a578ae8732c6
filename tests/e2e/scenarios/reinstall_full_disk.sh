# One product installed again and again with /S: into a terminal on a small drive of its own,
# then into a second terminal, then again while a terminal holds one of its files (a warning, so
# exit code 4). Version 2 then runs out of space on the small drive: version 1's files, the
# uninstaller and the registry entry stay as they were, and the run exits 1. The uninstall
# finally removes what every install left, in both terminals, and schedules the file a terminal
# holds for the next restart (exit code 4 again); a file the trader deleted counts as removed,
# and a held leftover of a killed run is named in a warning.
NAME="E2E Rollback EA"
product_paths "$NAME"
pf_add "E2E Rollback Two"
T2="$PF/E2E Rollback Two" T2_WIN="$PF_WIN\\E2E Rollback Two"

# The small drive: a tmpfs linked as a drive letter of the prefix.
disk=$WORK/disk
mkdir -p "$disk"
mount -t tmpfs -o size=20m kosetup-e2e "$disk"
at_exit "umount '$disk'"
letter=
for l in k l m n o p q r s t u v w x y; do
  if [ ! -e "$PREFIX/dosdevices/$l:" ]; then letter=$l && break; fi
done
[ -n "$letter" ]
ln -s "$disk" "$PREFIX/dosdevices/$letter:"
at_exit "rm -f '$PREFIX/dosdevices/$letter:'"
T1="$disk/Terminal" T1_WIN="${letter^^}:\\Terminal"

# Version 1 with an 8 MB expert, version 2 with a 16 MB one: both copies of the expert do not
# fit on the drive at once. The indicator comes first in both, so version 2 has replaced it when
# the space runs out.
for v in 1 2; do
  mkdir -p "$WORK/v$v"
  head -c $((v * 8))M /dev/urandom >"$WORK/v$v/Expert.ex4"
  echo "indicator of version $v" >"$WORK/v$v/Signal.mq4"
  touch -d "2024-0$v-01 10:00:00" "$WORK/v$v/Expert.ex4" "$WORK/v$v/Signal.mq4"
  cat >"$WORK/v$v/product.toml" <<END
[product]
name = "$NAME"
version_major = $v
version_minor = 0
[[file]]
source = "Signal.mq4"
target = '{metatrader}\\MQL4\\Indicators\\Signal.mq4'
[[file]]
source = "Expert.ex4"
target = '{metatrader}\\MQL4\\Experts\\Expert.ex4'
check_newer = true
END
  build_setup "$WORK/v$v/product.toml" "$WORK/v$v/Setup.exe"
done
log="$WORK/log.txt"
LOG_ARG="/LOG=$(winpath "$log")"
holder="spawn '$(winpath "$KOSETUP_WIN32/fake_terminal.exe")' --hold"

drive <<END
start '$(winpath "$WORK/v1/Setup.exe")' /S '/T=$T1_WIN' '$LOG_ARG'
expect-windowless-exit 0 60
start '$(winpath "$WORK/v1/Setup.exe")' /S '/T=$T2_WIN' '$LOG_ARG'
expect-windowless-exit 0 60
$holder '$T2_WIN\\MQL4\\Indicators\\Signal.mq4'
expect-held '$T2_WIN\\MQL4\\Indicators\\Signal.mq4'
start '$(winpath "$WORK/v1/Setup.exe")' /S '/T=$T2_WIN' '$LOG_ARG'
expect-windowless-exit 4 60
END
grep -qF "WARNING: Unable to overwrite $T2_WIN\\MQL4\\Indicators\\Signal.mq4 ..." "$log"
[ "$(tail -1 "$log")" = $'Done.\r' ]
cmp "$WORK/v1/Expert.ex4" "$T1/MQL4/Experts/Expert.ex4"
cp "$APP/Uninstall.exe" "$WORK/Uninstall.v1"
key_query "$NAME" | grep -q 'DisplayVersion.*1\.0$'

: >"$log"
drive <<END
start '$(winpath "$WORK/v2/Setup.exe")' /S '/T=$T1_WIN' '$LOG_ARG'
expect-windowless-exit 1 60
END
cmp "$WORK/v1/Expert.ex4" "$T1/MQL4/Experts/Expert.ex4"
cmp "$WORK/v1/Signal.mq4" "$T1/MQL4/Indicators/Signal.mq4"
cmp "$WORK/Uninstall.v1" "$APP/Uninstall.exe"
key_query "$NAME" | grep -q 'DisplayVersion.*1\.0$'
[ -z "$(find "$disk" -name '*.~ko-*')" ]
grep -qF "Restoring $T1_WIN\\MQL4\\Indicators\\Signal.mq4 ..." "$log"
# The error is the last line, and names the file that did not fit.
tail -1 "$log" | grep -qF "$T1_WIN\\MQL4\\Experts\\Expert.ex4"

# The trader deleted one installed file, and a leftover of a killed run is held open: the first
# counts as removed, the second is named.
rm "$T1/MQL4/Indicators/Signal.mq4"
leftover="$T1_WIN\\MQL4\\Indicators\\Signal.mq4.~ko-new"
: >"$log"
drive <<END
$holder '$T2_WIN\\MQL4\\Experts\\Expert.ex4'
expect-held '$T2_WIN\\MQL4\\Experts\\Expert.ex4'
$holder '$leftover'
expect-held '$leftover'
start '$(winpath "$APP/Uninstall.exe")' /S '$LOG_ARG'
expect-windowless-exit 4 60
END
at_exit "wine_run reg delete 'HKLM\\System\\CurrentControlSet\\Control\\Session Manager' /v PendingFileRenameOperations /f >/dev/null 2>&1"
wait_gone "$APP/Uninstall.exe" 30
[ ! -e "$T1/MQL4/Experts/Expert.ex4" ]
[ ! -e "$T1/MQL4/Indicators/Signal.mq4" ]
[ ! -e "$T2/MQL4/Indicators/Signal.mq4" ]
grep -qF "File $T2_WIN\\MQL4\\Experts\\Expert.ex4 will be removed at the next restart ..." "$log"
if grep -qF "Unable to delete file $T1_WIN\\MQL4\\Indicators\\Signal.mq4 ..." "$log"; then exit 1; fi
grep -qxF "WARNING: Unable to delete file $leftover ..."$'\r' "$log"
if key_exists "$NAME"; then exit 1; fi
