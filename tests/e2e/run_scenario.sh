#!/usr/bin/env bash
# Runs one end-to-end scenario (a bash script under scenarios/) with the helpers below.
#
#   run_scenario.sh scenarios/NAME.sh
#
# ctest passes KOSETUP_SOURCE (the source tree), KOSETUP_NATIVE (the native tree with the
# kosetup builder) and KOSETUP_WIN32 (the win32 tree with stub.exe and the e2e programs); the
# screen is the DISPLAY of the xvfb-run that scripts/test starts.
#
# A failing scenario leaves its screenshot and the driver's transcript in
# $KOSETUP_WIN32/e2e-failures/NAME/. What a scenario adds to the prefix it removes again.
set -euo pipefail

scenario_file=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
SCENARIO=$(basename "$1" .sh)
: "${KOSETUP_SOURCE:?set by ctest}" "${KOSETUP_NATIVE:?set by ctest}" "${KOSETUP_WIN32:?set by ctest}"
if [ -z "${DISPLAY:-}" ]; then
  echo "$SCENARIO: no DISPLAY; run under xvfb-run (scripts/test does)" >&2
  exit 1
fi
for program in "$KOSETUP_NATIVE/kosetup" "$KOSETUP_WIN32/stub.exe" "$KOSETUP_WIN32/e2e_driver.exe"; do
  if [ ! -f "$program" ]; then
    echo "$SCENARIO: $program is missing; build both trees with scripts/build" >&2
    exit 1
  fi
done

# The Wine scripts/setup chose for this machine, for the scenarios' own wineserver calls too.
# shellcheck source=../../scripts/wine-env
source "$KOSETUP_SOURCE/scripts/wine-env"
kosetup_use_wine

E2E=$KOSETUP_SOURCE/tests/e2e
PREFIX=$KOSETUP_WIN32/wineprefix
# The Program Files folder a 32-bit program sees in the 64-bit prefix.
PF="$PREFIX/drive_c/Program Files (x86)"
PF_WIN='C:\Program Files (x86)'
WORK=$KOSETUP_WIN32/e2e-work/$SCENARIO
FAILURES=$KOSETUP_WIN32/e2e-failures/$SCENARIO
TERMINAL_CLASS='MetaQuotes::MetaTrader::4.00'
rm -rf "$WORK" "$FAILURES"
mkdir -p "$WORK"
created=()   # what this scenario put into Program Files
drives=0

wine_run() { "$KOSETUP_SOURCE/scripts/wine-run" --prefix="$PREFIX" "$@"; }
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# build_setup MANIFEST OUT: a Setup.exe from a product manifest.
build_setup() {
  "$KOSETUP_NATIVE/kosetup" build "$1" -o "$2" --stub "$KOSETUP_WIN32/stub.exe" >/dev/null
}

# licensed_product NAME: writes a one-line licence to $WORK/license.rtf and prints the start of a
# manifest for version 1.0 of NAME with it; the scenario adds its [[file]] and [[run]] tables.
licensed_product() {
  printf '{\\rtf1 Licence}' >"$WORK/license.rtf"
  printf '%s\n' "[product]" "name = \"$1\"" "version_major = 1" "version_minor = 0" "[documents]" \
    'license = "license.rtf"'
}

# plain_setup CODEPAGE NAME TARGET: $WORK/Setup.exe of the plain indicator under NAME in CODEPAGE,
# installed as TARGET (a manifest target such as {app}\Plain Indicator.mq4), with the licence the
# scenario wrote to $WORK/license.rtf.
plain_setup() {
  cp "$KOSETUP_SOURCE/tests/e2e/products/plain/Plain Indicator.mq4" "$WORK/"
  cat >"$WORK/product.toml" <<END
codepage = $1
[product]
name = "$2"
[documents]
license = "license.rtf"
[[file]]
source = "Plain Indicator.mq4"
target = '$3'
END
  build_setup "$WORK/product.toml" "$WORK/Setup.exe"
}

# make_uninstaller OUT NAME [MAJOR MINOR BUILD RELEASE]: the stub with an uninstall log.
make_uninstaller() {
  local out=$1
  shift
  wine_run "$KOSETUP_WIN32/make_uninstaller.exe" "$(winpath "$KOSETUP_WIN32/stub.exe")" \
    "$(winpath "$out")" "$@"
}

# Files and folders of the prefix, removed again when the scenario ends.
add_path() { # PATH: remember PATH for removal; it must not exist yet
  if [ -e "$1" ]; then
    echo "$SCENARIO: $1 exists already; a previous run left it? remove it first" >&2
    exit 1
  fi
  created+=("$1")
}
# PATH may appear through the scenario; removed at the end unless it was there.
may_create() { [ -e "$1" ] || created+=("$1"); }
# The same for names in Program Files.
pf_add() { add_path "$PF/$1"; }
pf_may_create() { may_create "$PF/$1"; }
pf_add_terminal() { pf_add "$1" && mkdir -p "$PF/$1" && cp "$KOSETUP_WIN32/fake_terminal.exe" "$PF/$1/terminal.exe"; }
pf_add_folder() { pf_add "$1" && mkdir -p "$PF/$1"; }
pf_add_file() { pf_add "$1" && echo "not a folder" >"$PF/$1"; }
# The terminal folders already in Program Files (there should be none).
pf_terminals() { find "$PF" -mindepth 2 -maxdepth 2 -iname terminal.exe -printf '%h\n'; }
require_no_terminals() {
  local found
  found=$(pf_terminals)
  if [ -n "$found" ]; then
    echo "$SCENARIO: Program Files of the test prefix already holds terminals:" >&2
    echo "$found" >&2
    exit 1
  fi
}

# The all-users Start menu folder of a product and its uninstall registry key, removed when the
# scenario ends (and before it starts, should an earlier run have left them).
MENU_ROOT="$PREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
UNINSTALL_KEY='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
menus=()
keys=()
undo=()     # commands run when the scenario ends
at_exit() { undo+=("$*"); }
menu_remove() { rm -rf "${MENU_ROOT:?}/$1"; menus+=("$MENU_ROOT/$1"); }
key_delete() { wine_run reg delete "$UNINSTALL_KEY\\$1" /reg:32 /f >/dev/null 2>&1 || true; }
key_remove() { key_delete "$1"; keys+=("$1"); }
# product_paths NAME: the scenario installs product NAME. Sets APP and APP_WIN (its program
# folder), MENU and MENU_WIN (its menu folder); both folders and its registry key are removed
# when the scenario ends.
product_paths() {
  APP="$PF/$1" APP_WIN="$PF_WIN\\$1"
  MENU="$MENU_ROOT/$1" MENU_WIN="C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\$1"
  pf_may_create "$1"
  menu_remove "$1"
  key_remove "$1"
}
# The product's key as "reg query" shows it (the 32-bit view the installer writes to); fails
# when the key is missing.
key_query() { wine_run reg query "$UNINSTALL_KEY\\$1" /reg:32 | tr -d '\r'; }
key_exists() { wine_run reg query "$UNINSTALL_KEY\\$1" /reg:32 >/dev/null 2>&1; }

# wait_for PATH SECONDS / wait_gone PATH SECONDS: a file appears or disappears in time.
wait_for() {
  local i
  for ((i = 0; i < $2 * 10; i++)); do [ -e "$1" ] && return 0; sleep 0.1; done
  echo "$SCENARIO: $1 did not appear within $2 s" >&2
  return 1
}
wait_gone() {
  local i
  for ((i = 0; i < $2 * 10; i++)); do [ -e "$1" ] || return 0; sleep 0.1; done
  echo "$SCENARIO: $1 is still there after $2 s" >&2
  return 1
}

# The temporary folder the programs see, and the private folders in it, each of which holds one
# self-removal script (or an installer's copy) until it is gone.
temp_dir() { wine_run cmd /c echo %TEMP% | tr -d '\r'; }
unix_path() { wine_run winepath -u "$1" | tr -d '\r'; }
bat_count() { find "$1" -maxdepth 1 -regextype posix-extended -regex '.*/KoSetup-[0-9a-f]{32}' | wc -l; }

# list_terminals PREFIX: the Program Files folders whose names begin with PREFIX, in the order
# Windows lists them (the order of the wizard's terminal list).
list_terminals() {
  wine_run "$KOSETUP_WIN32/e2e_driver.exe" "dir '$PF_WIN'" | tr -d '\r' |
    sed -n "s/^  entry d \($1.*\)/\1/p"
}

# to_progress SETUP TITLE [OPTION...]: the driver lines that start SETUP, wait for its window
# "Install - TITLE" (TITLE as the driver reads it in double quotes) and click through to the
# progress page, where the install run then starts. What lies on the way:
#   --before LINES         driver lines run before SETUP starts, such as a program to spawn
#   --information          the package has a readme: Next past the information page too
#   --no-terminal          no terminal is found: the warning box is answered
#   --at-welcome LINES     driver lines run on the welcome page before leaving it
#   --at-destination LINES driver lines run on the destination page before leaving it, such as
#                          the ticks ("toggle ListMetaTrader 0")
#   --at-review LINES      driver lines run on the review page before leaving it
to_progress() {
  local setup=$1 title=$2 before="" information="" warning="" welcome="" destination="" review=""
  shift 2
  while [ $# -gt 0 ]; do
    case $1 in
    --before) before=$2 && shift ;;
    --information) information=1 ;;
    --no-terminal) warning=1 ;;
    --at-welcome) welcome=$2 && shift ;;
    --at-destination) destination=$2 && shift ;;
    --at-review) review=$2 && shift ;;
    *) echo "to_progress: unknown option $1" >&2 && return 1 ;;
    esac
    shift
  done
  [ -z "$before" ] || echo "$before"
  echo "start '$(winpath "$setup")'"
  echo "wait-window \"Install - $title\" 30"
  [ -z "$welcome" ] || echo "$welcome"
  echo "press BtnNext"
  [ -z "$information" ] || printf '%s\n' "expect-page information" "press BtnNext"
  printf '%s\n' "expect-page license" "select RadioAccept" "press BtnNext"
  [ -z "$warning" ] || echo "answer-msgbox"
  echo "expect-page destination"
  [ -z "$destination" ] || echo "$destination"
  printf '%s\n' "press BtnNext" "expect-page review"
  [ -z "$review" ] || echo "$review"
  printf '%s\n' "press BtnNext" "expect-page progress"
}

# run_done [SECONDS]: the driver lines that wait for the run on the progress page to end well:
# Next enabled and "Done." its last line.
run_done() {
  printf '%s\n' "expect-buttons off on Cancel:off ${1:-30}" "expect-last-line MemoProgress Done."
}

# finish_quietly [--whats-new]: the driver lines that go on from the end of the run (past the
# what's-new page too) to the finish page and close the wizard there without starting a terminal.
finish_quietly() {
  [ "${1:-}" != --whats-new ] || echo "press BtnNext"
  printf '%s\n' "press BtnNext" "expect-page finish" "press CheckRun" "press BtnCancel" "expect-exit 0"
}

# wizard_uninstall UNINSTALLER NAME: the driver lines that run the uninstaller (a Windows path)
# through its run and Finish until it has ended.
wizard_uninstall() {
  printf '%s\n' "start '$1'" "wait-window \"Uninstall - $2\" 30" "press BtnNext" \
    "expect-buttons off on Cancel:off 30" "press BtnNext" "expect-page finish" "press BtnCancel" \
    "expect-exit 0"
}
# drive_uninstall UNINSTALLER NAME: runs wizard_uninstall's lines, then waits until the
# uninstaller has removed itself; bats_gone COUNT then waits until the temporary folder $temp
# holds COUNT self-removal scripts again.
drive_uninstall() {
  wizard_uninstall "$1" "$2" | drive
  wait_gone "$(unix_path "$1")" 30
}
# silent_uninstall UNINSTALLER [ARGUMENT...]: runs the uninstaller (a Windows path) with /S and
# the arguments, expecting exit code 0 and no window, then waits until it has removed $APP; both
# within a minute.
silent_uninstall() {
  local uninstaller=$1 began=$SECONDS
  shift
  drive <<END
start '$uninstaller' /S $(printf "'%s' " "$@")
expect-windowless-exit 0 60
END
  wait_gone "$APP" $((60 - (SECONDS - began)))
}
# silent_run PROGRAM CODE [ARGUMENT...]: the driver lines that run PROGRAM (a Windows path) with
# /S and the arguments and expect exit code CODE without a window, within a minute.
silent_run() {
  local program=$1 code=$2
  shift 2
  printf '%s\n' "start '$program' /S $(printf "'%s' " "$@")" "expect-windowless-exit $code 60"
}
# killed_at_run_item SETUP [ARGUMENT...]: the driver lines that run SETUP (a Windows path) with
# /S and the arguments until its run item, a fake terminal's window, shows, then kill it there
# and close that window: a run killed after its files.
killed_at_run_item() {
  local setup=$1
  shift
  printf '%s\n' "start '$setup' /S $(printf "'%s' " "$@")" "wait-class $TERMINAL_CLASS 60" \
    "kill-pids '$(winpath "$WORK/pids")'" "close-class $TERMINAL_CLASS 10"
}
bats_gone() {
  local i
  for ((i = 0; i < 300; i++)); do [ "$(bat_count "$temp")" = "$1" ] && return 0; sleep 0.1; done
  [ "$(bat_count "$temp")" = "$1" ]
}

# drive_install SETUP TITLE [OPTION...]: drives SETUP through its install run as to_progress
# and run_done say, then runs the driver lines on standard input (what to check after the run
# and how to end the program).
drive_install() {
  local lines=$WORK/install$((drives + 1)).txt
  { to_progress "$@" && run_done && cat; } >"$lines"
  drive <"$lines"
}

# drive: runs the driver script on standard input. On failure saves the screen and the
# transcript, then ends what the driver started (it leaves it running for the screenshot).
drive() {
  drives=$((drives + 1))
  local script=$WORK/drive$drives.txt transcript=$WORK/transcript$drives.txt
  cat >"$script"
  rm -f "$WORK/pids"
  if wine_run "$KOSETUP_WIN32/e2e_driver.exe" --timeout "${DRIVER_TIMEOUT:-10}" \
    --pid-file "$(winpath "$WORK/pids")" --transcript "$(winpath "$transcript")" \
    --script "$(winpath "$script")"; then
    return 0
  fi
  mkdir -p "$FAILURES"
  import -window root "$FAILURES/screen.png" 2>/dev/null || echo "$SCENARIO: no screenshot" >&2
  cp "$transcript" "$FAILURES/transcript.txt" 2>/dev/null || true
  cp "$script" "$FAILURES/script.txt"
  echo "$SCENARIO: failed; screenshot and transcript in $FAILURES" >&2
  end_started
  return 1
}

end_started() {
  if [ -s "$WORK/pids" ]; then
    wine_run "$KOSETUP_WIN32/e2e_driver.exe" "kill-pids '$(winpath "$WORK/pids")'" >/dev/null ||
      echo "$SCENARIO: could not end the programs listed in $WORK/pids" >&2
    rm -f "$WORK/pids"
  fi
}

cleanup() {
  local status=$?
  end_started
  local path
  for path in "${created[@]}" "${menus[@]}"; do
    rm -rf "$path"
  done
  for path in "${keys[@]}"; do
    key_delete "$path"
  done
  for path in "${undo[@]}"; do
    eval "$path" || true
  done
  exit $status
}
trap cleanup EXIT

# Xvfb runs no window manager, and Wine waits up to 2 s for one whenever a managed window is
# hidden or destroyed (every message box, every closed program). Unmanaged windows skip that.
if ! grep -qs '"Managed"="N"' "$PREFIX/user.reg"; then
  wine_run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
fi

start=$SECONDS
# shellcheck source=/dev/null
source "$scenario_file"
echo "$SCENARIO: passed in $((SECONDS - start)) s"
