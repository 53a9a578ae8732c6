# A keyboard-only install through the X server's keyboard (xdotool), as a person without a
# mouse would do it: Enter goes on, Tab and Shift+Tab pass through every control of a page and
# out of the document viewers, the agreement's radio buttons take the arrow keys, Enter on the
# licence page does nothing until the agreement is accepted, and the control with the focus
# shows its focus mark.
SETUP=$(winpath "$WORK/Setup.exe")
build_setup "$KOSETUP_SOURCE/examples/sample-ea/product.toml" "$WORK/Setup.exe"
require_no_terminals
pf_add_terminal "E2E Keyboard Terminal"
product_paths "Sample Trend EA"
title="Install - Sample Trend EA"

drive <<END
start '$SETUP'
wait-window "$title" 30
xdotool search --name "^$title\$" windowfocus --sync
expect-focus BtnNext
xdotool key Return
expect-page information
xdotool key Tab
expect-focus BtnCancel
xdotool key Tab
expect-focus RichInfo
xdotool key Tab
expect-focus BtnPrev
xdotool key shift+Tab
expect-focus RichInfo
xdotool key ctrl+Tab
expect-focus BtnPrev
xdotool key Tab
expect-focus BtnNext
xdotool key Return
expect-page license
# Next is disabled until the agreement is accepted: the focus goes back, never to Cancel.
expect-focus BtnPrev
expect-disabled BtnNext
xdotool key Tab Tab
expect-focus RichLicense
xdotool key Tab
expect-focus RadioNotAccept
xdotool key Up
expect-focus RadioAccept
expect-checked RadioAccept
expect-enabled BtnNext
xdotool key Down
expect-checked RadioNotAccept
expect-disabled BtnNext
# Enter while Next is disabled stays on the page.
xdotool key Return
expect-page license
xdotool key Up
expect-checked RadioAccept
xdotool key Return
expect-page destination
expect-focus BtnNext
xdotool key shift+Tab
expect-focus BtnPrev
xdotool key shift+Tab
expect-focus BtnAddMetaTrader
xdotool key shift+Tab
expect-focus ListMetaTrader
xdotool key Return
expect-page review
xdotool key shift+Tab shift+Tab
expect-focus MemoReady
xdotool key Tab
expect-focus BtnPrev
xdotool key Return
expect-page destination
xdotool key Tab Return
expect-page review
expect-focus BtnNext
xdotool key Return
expect-page progress
expect-buttons off on Cancel:off 60
expect-last-line MemoProgress Done.
xdotool key Return
expect-page whats-new
xdotool key Return
expect-page finish
expect-caption LabelFinish1 "Installation Complete"
expect-focus BtnCancel
xdotool key shift+Tab shift+Tab shift+Tab
expect-focus CheckRun
xdotool key space
expect-unchecked CheckRun
xdotool key Tab Tab Tab
expect-focus BtnCancel
xdotool key Return
expect-exit 0
END
[ -e "$PF/E2E Keyboard Terminal/MQL4/Experts/Sample Trend EA.ex4" ]
[ ! -e "$PF/E2E Keyboard Terminal/ran.txt" ]
