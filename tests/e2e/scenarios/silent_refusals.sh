# What an unattended install refuses, each with nothing installed: an unknown switch (exit 2,
# the message in the log; without /S in one error box), a running terminal (exit 3); a run that
# fails (exit 1, its error the log's last line); and /? shows the usage.
NAME="Plain Indicator"
pf_may_create "$NAME"
pf_add_file "E2E Silent File"
key_remove "$NAME"
build_setup "$KOSETUP_SOURCE/tests/e2e/products/plain/product.toml" "$WORK/Setup.exe"
SETUP=$(winpath "$WORK/Setup.exe")
log=$WORK/refusals.txt
UNKNOWN='Unknown switch "/Quiet". The accepted switches are /S, /T=FOLDER, /LOG=FILE, /LANG=LANGUAGE, /? and /help.'

drive <<END
start '$SETUP' /S /Quiet '/LOG=$(winpath "$log")'
expect-windowless-exit 2
start '$SETUP' /Quiet
expect-msgbox Error error '$UNKNOWN'
answer-msgbox
expect-exit 2
spawn '$(winpath "$KOSETUP_WIN32/fake_terminal.exe")' --window
wait-class $TERMINAL_CLASS
start '$SETUP' /S '/LOG=$(winpath "$log")'
expect-windowless-exit 3
close-class $TERMINAL_CLASS
start '$SETUP' /S '/T=$PF_WIN\\E2E Silent File' '/LOG=$(winpath "$log")'
expect-windowless-exit 1
start '$SETUP' /?
wait-msgbox
answer-msgbox
expect-exit 0
END
grep -qF 'msgbox caption="Information" icon=information' "$WORK/transcript$drives.txt"
grep -qF 'Setup.exe [/S] [/T=FOLDER]... [/LOG=FILE]' "$WORK/transcript$drives.txt"
[ "$(tr -d '\r' <"$log" | head -1)" = "$UNKNOWN" ]
# The unknown switch, the running terminal; then the failed run's copy line, its rollback and
# its error.
[ "$(wc -l <"$log")" = 6 ]
tail -1 "$log" | grep -qF "Cannot create file \"$PF_WIN\\E2E Silent File\\MQL4\\"
[ ! -e "$PF/$NAME" ]
if key_exists "$NAME"; then exit 1; fi
