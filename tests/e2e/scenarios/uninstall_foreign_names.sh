# Products named with letters beyond ASCII: an accented name, and a Cyrillic one packaged in code
# page 1251 on this Western system, which keeps its letters (the OEM code page lacks them), each
# uninstalled from the path its registry entry names. cmd reads the self-removal script in the
# OEM code page: after the uninstall the uninstaller, its folder and the script are gone for
# both.
require_no_terminals
pf_add_terminal "E2E Foreign Names"
plain=$KOSETUP_SOURCE/tests/e2e/products/plain
cp "$plain/license.rtf" "$WORK/"
temp=$(unix_path "$(temp_dir)")
bats=$(bat_count "$temp")

uninstall_named() { # CODEPAGE NAME
  local shown=$2
  product_paths "$shown"
  plain_setup "$1" "$2" '{app}\Plain Indicator.mq4'
  drive_install "$WORK/Setup.exe" "$shown" <<END
press BtnNext
press CheckRun
press BtnCancel
expect-exit 0
END
  [ -e "$APP/Plain Indicator.mq4" ]
  drive_uninstall "$APP_WIN\\Uninstall.exe" "$shown"
  wait_gone "$APP" 30
  bats_gone "$bats"
}
# The blanks of a plain name stay, in the folders and the registry key alike.
uninstall_named 1252 "Café  Crème EA"
uninstall_named 1251 "Проба EA"
