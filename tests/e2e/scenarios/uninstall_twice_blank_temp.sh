# A temporary folder whose path holds blanks, a product installed twice (the second time into
# one terminal only) and a file the user added to the program folder: the second log keeps what
# the first install left, so the uninstaller removes the product from both terminals, then
# itself and its script, and the folder stays with the user's file.
NAME="Plain Indicator"
APP="$PF/$NAME"
require_no_terminals
pf_may_create "$NAME"
menu_remove "$NAME"
key_remove "$NAME"
pf_add_terminal "E2E Twice One"
pf_add_terminal "E2E Twice Two"
build_setup "$KOSETUP_SOURCE/tests/e2e/products/plain/product.toml" "$WORK/Setup.exe"

# TEMP and TMP for every program started from here on, put back when the scenario ends.
env_key='HKCU\Environment'
for var in TEMP TMP; do
  old=$(wine_run reg query "$env_key" /v $var | tr -d '\r' | sed -n "s/^ *$var *REG_[A-Z_]* *//p")
  at_exit "wine_run reg add '$env_key' /v $var /t REG_EXPAND_SZ /d '$old' /f >/dev/null"
  wine_run reg add "$env_key" /v $var /t REG_EXPAND_SZ /d '%USERPROFILE%\Temp With Blanks' /f >/dev/null
done
temp_win=$(temp_dir)
[ "${temp_win%\\}" = "$(wine_run cmd /c echo %USERPROFILE% | tr -d '\r')\\Temp With Blanks" ]
temp=$(unix_path "$temp_win")
mkdir -p "$temp"
at_exit "rm -rf '$temp'"

mapfile -t terminals < <(list_terminals "E2E Twice ")
install() { # extra driver lines before leaving the destination page
  drive_install "$WORK/Setup.exe" "$NAME" --at-destination "$1" <<END
press BtnNext
press CheckRun
press BtnCancel
expect-exit 0
END
}
install ""
install "toggle ListMetaTrader 0"
echo "the user's notes" >"$APP/notes.txt"
indicator='MQL4/Indicators/Plain Indicator.mq4'
[ -e "$PF/${terminals[0]}/$indicator" ] && [ -e "$PF/${terminals[1]}/$indicator" ]

drive_uninstall "$(winpath "$APP/Uninstall.exe")" "$NAME"
bats_gone 0
[ ! -e "$PF/${terminals[0]}/$indicator" ]
[ ! -e "$PF/${terminals[1]}/$indicator" ]
[ "$(ls "$APP")" = notes.txt ]
[ ! -e "$MENU_ROOT/$NAME" ]
! key_exists "$NAME"
