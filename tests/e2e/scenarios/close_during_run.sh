# While the run waits for a run item's program the window takes input: its close box is
# refused until the run has returned, and then closes it as usual.
NAME="E2E Waiting EA"
require_no_terminals
pf_may_create "$NAME"
pf_may_create "MetaTrader 4"
menu_remove "$NAME"
key_remove "$NAME"
cp "$KOSETUP_WIN32/fake_terminal.exe" "$WORK/waiter.exe"
{
  licensed_product "$NAME"
  cat <<END
[[run]]
path = '$(winpath "$WORK/waiter.exe")'
title = "Waiting Tool"
parameters = "--window"
stage = 1
END
} >"$WORK/product.toml"
build_setup "$WORK/product.toml" "$WORK/Setup.exe"

{
  to_progress "$WORK/Setup.exe" "$NAME" --no-terminal
  cat <<END
wait-class $TERMINAL_CLASS 20
expect-lines MemoProgress
|Executing Waiting Tool ...
close
expect-page progress
expect-buttons off off Cancel:off
close-class $TERMINAL_CLASS
expect-buttons off on Cancel:off 20
expect-lines MemoProgress
|Executing Waiting Tool ...
|Copying file $PF_WIN\\$NAME\\License.rtf ...
|Creating shortcut C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\$NAME\\License.lnk ...
|Creating unistaller ...
|Registering unistaller ...
|Done.
close
expect-exit 0
END
} | drive
