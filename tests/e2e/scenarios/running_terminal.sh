# A terminal window open: Next on the welcome page refuses with the same error every time and
# stays; once the terminal is closed Next goes on. In install and in uninstall mode.
FAKE=$(winpath "$KOSETUP_WIN32/fake_terminal.exe")
build_setup "$KOSETUP_SOURCE/tests/e2e/products/plain/product.toml" "$WORK/Setup.exe"
make_uninstaller "$WORK/Uninstall.exe" "Plain Indicator" 2 0 0 0
MESSAGE='"The wizard detect a MetaTrader program currently running.\rPlease close the program and then click OK to continue."'

refusal() { # the program's caption, the page after welcome (on progress, closed once the run ends)
  cat <<END
spawn '$FAKE' --window
wait-class $TERMINAL_CLASS
wait-window "$1" 30
press BtnNext
expect-msgbox Error error $MESSAGE
answer-msgbox
expect-page welcome
expect-buttons off on Cancel:on
press BtnNext
expect-msgbox Error error $MESSAGE
answer-msgbox
expect-no-msgbox
expect-page welcome
close-class $TERMINAL_CLASS
press BtnNext
expect-no-msgbox
expect-page $2
$([ "$2" != progress ] || run_done)
close
expect-exit 0
END
}

{ echo "start '$(winpath "$WORK/Setup.exe")'"; refusal "Install - Plain Indicator" license; } | drive
{ echo "start '$(winpath "$WORK/Uninstall.exe")'"; refusal "Uninstall - Plain Indicator" progress; } | drive
