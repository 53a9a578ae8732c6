# A Setup.exe whose stored data is cut short: the run stops at the damaged file with one error
# box, the buttons stay disabled, nothing after that file is written, the folders the run made
# are removed again with the error as the log's last line, and the close box still ends the
# program, with exit code 1. The cut stays inside the file's 80 stored bytes: one reaching into
# the records before them is refused as a damaged installer before the wizard shows.
build_setup "$KOSETUP_SOURCE/tests/e2e/products/plain/product.toml" "$WORK/Setup.exe"
truncate -s -10 "$WORK/Setup.exe"
require_no_terminals
pf_may_create "Plain Indicator"
pf_may_create "MetaTrader 4"
menu_remove "Plain Indicator"
key_remove "Plain Indicator"
default="$PF_WIN\\MetaTrader 4"

{
  to_progress "$WORK/Setup.exe" "Plain Indicator" --no-terminal
  cat <<END
expect-msgbox Error error "Invalid file format" 20
answer-msgbox
expect-no-msgbox
expect-page progress
expect-buttons off off Cancel:off
expect-lines MemoProgress
|Copying file $default\\MQL4\\Indicators\\Plain Indicator.mq4 ...
|Rolling back the changes of this run ...
|Removing folder $default\\MQL4\\Indicators ...
|Removing folder $default\\MQL4 ...
|Removing folder $default ...
|Removing folder $PF_WIN\\Plain Indicator ...
|Invalid file format
close
expect-exit 1
END
} | drive
[ ! -e "$PF/Plain Indicator" ]
[ ! -e "$PF/MetaTrader 4" ]
[ ! -e "$MENU_ROOT/Plain Indicator" ]
! key_exists "Plain Indicator"
