# While one Setup of a product shows its wizard, a second Setup and an Uninstall of the same
# product are refused: with /S by exit code 1618 and the reason in the log, without it in one
# error box. Once the first has closed, the next runs.
NAME="Plain Indicator"
product_paths "$NAME"
require_no_terminals
pf_add "E2E One Run"
build_setup "$KOSETUP_SOURCE/tests/e2e/products/plain/product.toml" "$WORK/Setup.exe"
make_uninstaller "$WORK/Uninstall.exe" "$NAME"
SETUP=$(winpath "$WORK/Setup.exe")
log=$WORK/second.log
BUSY="Another installation or uninstallation of $NAME is running. Wait until it has finished, then start again."

drive <<END
spawn '$SETUP'
wait-class KoContainer 30
start '$SETUP' /S '/T=$PF_WIN\\E2E One Run' '/LOG=$(winpath "$log")'
expect-windowless-exit 1618 30
start '$(winpath "$WORK/Uninstall.exe")' /S '/LOG=$(winpath "$log")'
expect-windowless-exit 1618 30
start '$SETUP'
expect-msgbox Error error '$BUSY'
answer-msgbox
expect-exit 1618
close-class KoContainer
start '$SETUP' /S '/T=$PF_WIN\\E2E One Run' '/LOG=$(winpath "$log")'
expect-windowless-exit 0 60
END
[ "$(tr -d '\r' <"$log" | head -2)" = "$BUSY"$'\n'"$BUSY" ]
[ "$(tail -1 "$log")" = $'Done.\r' ]
[ -e "$PF/E2E One Run/MQL4/Indicators/Plain Indicator.mq4" ]
