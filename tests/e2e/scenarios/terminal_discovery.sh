# Program Files with two terminals, a folder without terminal.exe (one lies deeper), a plain
# file and a hidden folder with terminal.exe: the two terminals are listed and ticked in the
# order the file system gives. The review memo follows the ticks, down to no target at all.
SETUP=$(winpath "$WORK/Setup.exe")
# The sample without its MetaTrader 5 part: an MT4 product, listed as MT4 products always were.
cp -r "$KOSETUP_SOURCE/examples/sample-ea" "$WORK/sample"
awk 'BEGIN { RS = ""; ORS = "\n\n" } !/source = "files\/MQL5\//' \
  "$KOSETUP_SOURCE/examples/sample-ea/product.toml" >"$WORK/sample/product.toml"
[ "$(grep -c 'MQL5' <(sed -n '/^source/p;/^target/p' "$WORK/sample/product.toml"))" = 0 ]
build_setup "$WORK/sample/product.toml" "$WORK/Setup.exe"
require_no_terminals
pf_may_create "Sample Trend EA"
pf_add_terminal "E2E Terminal Beta"
pf_add_folder "E2E Not A Terminal"
mkdir -p "$PF/E2E Not A Terminal/bin"
cp "$KOSETUP_WIN32/fake_terminal.exe" "$PF/E2E Not A Terminal/bin/terminal.exe"
pf_add_terminal "E2E Terminal Alpha"
pf_add_file "E2E Plain File"
pf_add_terminal ".E2E Hidden Terminal"

# The order in which Windows lists Program Files here.
drive <<END >"$WORK/dir.txt"
dir '$(winpath "$PF")'
END
grep -q "entry dh .E2E Hidden Terminal" "$WORK/dir.txt" # Wine hides dot-folders
mapfile -t terminals < <(sed -n 's/^  entry d E2E Terminal /E2E Terminal /p' "$WORK/dir.txt")
[ "${#terminals[@]}" -eq 2 ]
first="$PF_WIN\\${terminals[0]}"
second="$PF_WIN\\${terminals[1]}"

review() { # target lines
  echo "press BtnNext"
  echo "expect-page review"
  echo "expect-lines MemoReady"
  echo "|Program Name"
  echo "|        Sample Trend EA v1.2 Build 345 Release 2"
  echo "|"
  echo "|Target Folder(s)"
  for target in "$@"; do echo "|        $target"; done
  echo "|"
  echo "|Program Folder"
  echo "|        $PF_WIN\\Sample Trend EA"
  echo "|"
  echo "|Start Menu Folder"
  echo "|        Sample Trend EA"
  echo "press BtnPrev"
  echo "expect-page destination"
}

{
  cat <<END
start '$SETUP'
wait-window "Install - Sample Trend EA" 30
press BtnNext
press BtnNext
select RadioAccept
press BtnNext
expect-no-msgbox
expect-page destination
expect-lines ListMetaTrader
|[x] $first
|[x] $second
END
  review "$first" "$second"
  echo "toggle ListMetaTrader 0"
  echo "expect-lines ListMetaTrader '[ ] $first' '[x] $second'"
  review "$second"
  echo "toggle ListMetaTrader 1"
  echo "expect-lines ListMetaTrader '[ ] $first' '[ ] $second'"
  echo "expect-buttons on on Cancel:on"
  review
  # Leaving the page and coming back keeps the ticks.
  echo "press BtnPrev"
  echo "press BtnNext"
  echo "expect-lines ListMetaTrader '[ ] $first' '[ ] $second'"
  echo "toggle ListMetaTrader 1"
  review "$second"
  echo "close"
  echo "expect-exit 0"
} | drive
