# Markup in the product name, packaged by the builder: the welcome text shows its bold run and
# its link, the window caption and the welcome title show the name as written, and a click on
# the link starts the program it names. The install then goes into the folders, and under the
# registry entry, that the name's plain text names. The welcome page's picture is kept in
# e2e-screens/.
link_win='C:\probe\marker.exe'
name="Probe <b>Bold</b> <link>$link_win</link>"
folder='Probe Bold Cprobemarker.exe'
# The driver reads "\r" in double quotes as a line break; a path's backslashes are doubled.
link_q=${link_win//\\/\\\\}
name_q=${name//\\/\\\\}
probe=$PREFIX/drive_c/probe
add_path "$probe"
mkdir -p "$probe"
cp "$KOSETUP_WIN32/fake_terminal.exe" "$probe/marker.exe"
require_no_terminals
pf_add_terminal "E2E Probe Terminal"
product_paths "$folder"
sed "s|^name = .*|name = '${name//\\/\\\\}'|" "$KOSETUP_SOURCE/tests/e2e/products/welcome-link/product.toml" \
  >"$WORK/product.toml"
cp "$KOSETUP_SOURCE/tests/e2e/products/welcome-link/license.rtf" "$WORK/"
build_setup "$WORK/product.toml" "$WORK/Setup.exe"
screens=$KOSETUP_WIN32/e2e-screens
mkdir -p "$screens"
rm -f "$screens/welcome_link.png"

welcome=$(
  cat <<END
expect-page welcome
expect-caption LabelStart1 "Welcome to the $name_q v1.0 Installation Wizard"
# The label's plain text: tags left out, the two line breaks kept.
expect-caption LabelStart2 "This will install Probe Bold $link_q v1.0 on your computer. Please close all MetaTrader applications before you continue with the installation.\r\n\r\nClick Next to continue with the installation, or click Cancel to exit."
screenshot '$WORK/welcome.bmp'
expect-no-file '$probe/ran.txt'
click-color PanelInstall 0000ff
expect-file '$probe/ran.txt' 20
expect-page welcome
END
)
# The review page names the menu folder as it is created: the name's plain text.
review=$(
  cat <<END
expect-lines MemoReady
|Program Name
|        $name v1.0
|
|Target Folder(s)
|        $PF_WIN\E2E Probe Terminal
|
|Program Folder
|        $APP_WIN
|
|Start Menu Folder
|        $folder
END
)
drive_install "$WORK/Setup.exe" "$name_q" --at-welcome "$welcome" --at-review "$review" <<END
press BtnNext
press CheckRun
press BtnCancel
expect-exit 0
END
convert "$WORK/welcome.bmp" "$screens/welcome_link.png"
grep -q 'marker.exe' "$probe/ran.txt"
[ -e "$APP/license.rtf" ] && [ -e "$APP/Uninstall.exe" ] && [ -e "$MENU/Uninstall.lnk" ]
key_query "$folder" | grep -q "DisplayName *REG_SZ *$folder\$"
