# The driver's own reading of Wine's standard message box and of the terminal window, with the
# stand-in terminal: if these fail, every other scenario's verdict is suspect.
FAKE=$(winpath "$KOSETUP_WIN32/fake_terminal.exe")

drive <<END
start '$FAKE' --window --message error "Two lines\rof error"
wait-class $TERMINAL_CLASS
expect-msgbox Error error "Two lines\rof error"
answer-msgbox
expect-no-msgbox
close-class $TERMINAL_CLASS
expect-exit 0

start '$FAKE' --window --message warning "A warning"
expect-msgbox Warning warning "A warning"
answer-msgbox
close-class $TERMINAL_CLASS
expect-exit 0
END

# Installed as terminal.exe it records how it was started.
mkdir -p "$WORK/Terminal"
cp "$KOSETUP_WIN32/fake_terminal.exe" "$WORK/Terminal/terminal.exe"
drive <<END
start '$(winpath "$WORK/Terminal/terminal.exe")' /portable
expect-exit 0
END
grep -q 'terminal.exe" /portable' "$WORK/Terminal/ran.txt"
