# A run killed after its files is undone by the next one, install or uninstall. Version 2 replaces
# version 1's indicator and shared library and adds an expert, then is killed at its run item;
# version 3, which no longer carries the library, first puts back version 1's files and removes
# the expert. Killed once more, version 2 is undone by the uninstall: the library, which no
# uninstall removes, is version 1's again.
NAME="E2E Killed EA"
product_paths "$NAME"
require_no_terminals
pf_add "E2E Killed Terminal"
T="$PF/E2E Killed Terminal" T_WIN="$PF_WIN\\E2E Killed Terminal"
cp "$KOSETUP_WIN32/fake_terminal.exe" "$WORK/waiter.exe"

# product VERSION FILE...: the manifest of VERSION with the files named (Signal, Library, Expert);
# version 2 has a run item after its files that waits until its window is closed.
product() {
  local v=$1 file
  shift
  mkdir -p "$WORK/v$v"
  cat >"$WORK/v$v/product.toml" <<END
[product]
name = "$NAME"
version_major = $v
version_minor = 0
END
  for file in "$@"; do
    echo "$file of version $v" >"$WORK/v$v/$file.mq4"
    case $file in
    Signal) target='{metatrader}\MQL4\Indicators\Signal.mq4' ;;
    Library) target='{metatrader}\MQL4\Include\Library.mq4' ;;
    Expert) target='{metatrader}\MQL4\Experts\Expert.mq4' ;;
    esac
    printf '%s\n' "[[file]]" "source = \"$file.mq4\"" "target = '$target'" >>"$WORK/v$v/product.toml"
    [ "$file" != Library ] || echo "no_uninstall = true" >>"$WORK/v$v/product.toml"
  done
  [ "$v" != 2 ] || cat >>"$WORK/v$v/product.toml" <<END
[[run]]
path = '$(winpath "$WORK/waiter.exe")'
title = "Waiting Tool"
parameters = "--window"
stage = 2
END
  build_setup "$WORK/v$v/product.toml" "$WORK/v$v/Setup.exe"
}
product 1 Signal Library
product 2 Signal Library Expert
product 3 Signal
log=$WORK/log.txt
setup() { winpath "$WORK/v$1/Setup.exe"; }
leftovers() { find "$T" "$APP" -name '*.~ko-*' 2>/dev/null; }

{
  silent_run "$(setup 1)" 0 "/T=$T_WIN"
  killed_at_run_item "$(setup 2)" "/T=$T_WIN"
} | drive
# Killed with version 2's files in place.
grep -q "of version 2" "$T/MQL4/Include/Library.mq4"
[ -e "$T/MQL4/Experts/Expert.mq4" ]

drive < <(silent_run "$(setup 3)" 0 "/T=$T_WIN" "/LOG=$(winpath "$log")")
grep -qxF "Restoring $T_WIN\\MQL4\\Include\\Library.mq4 ..."$'\r' "$log"
grep -qxF "Removing file $T_WIN\\MQL4\\Experts\\Expert.mq4 ..."$'\r' "$log"
cmp "$WORK/v1/Library.mq4" "$T/MQL4/Include/Library.mq4"
cmp "$WORK/v3/Signal.mq4" "$T/MQL4/Indicators/Signal.mq4"
[ ! -e "$T/MQL4/Experts" ]
[ -z "$(leftovers)" ]
key_query "$NAME" | grep -q 'DisplayVersion.*3\.0$'

: >"$log"
{
  killed_at_run_item "$(setup 2)" "/T=$T_WIN"
  silent_run "$APP_WIN\\Uninstall.exe" 0 "/LOG=$(winpath "$log")"
} | drive
wait_gone "$APP" 30
grep -qxF "Restoring $T_WIN\\MQL4\\Include\\Library.mq4 ..."$'\r' "$log"
cmp "$WORK/v1/Library.mq4" "$T/MQL4/Include/Library.mq4"
[ ! -e "$T/MQL4/Experts" ]
[ ! -e "$T/MQL4/Indicators/Signal.mq4" ]
[ -z "$(leftovers)" ]
if key_exists "$NAME"; then exit 1; fi
