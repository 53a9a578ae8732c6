# Markup in the product name: the welcome text shows its bold run and its link, the window
# caption and the welcome title show the name as written, and a click on the link starts the
# program it names. The builder refuses such a name (it would be a folder name), so the
# package comes from make_setup. The welcome page's picture is kept in e2e-screens/.
link_win="$PF_WIN\\Link Target\\run.exe"
name="Linked <b>Bold</b> EA, see <link>$link_win</link>"
# The driver reads "\r" in double quotes as a line break; a path's backslashes are doubled.
link_q=${link_win//\\/\\\\}
name_q=${name//\\/\\\\}
pf_add_folder "Link Target"
cp "$KOSETUP_WIN32/fake_terminal.exe" "$PF/Link Target/run.exe"
wine_run "$KOSETUP_WIN32/make_setup.exe" \
  "$(winpath "$KOSETUP_SOURCE/tests/e2e/products/welcome-link/product.toml")" \
  "$(winpath "$KOSETUP_WIN32/stub.exe")" "$(winpath "$WORK/Setup.exe")" "$name"
screens=$KOSETUP_WIN32/e2e-screens
mkdir -p "$screens"
rm -f "$screens/welcome_link.png"

drive <<END
start '$(winpath "$WORK/Setup.exe")'
wait-window "Install - $name_q" 30
expect-page welcome
expect-caption LabelStart1 "Welcome to the $name_q v1.0 Installation Wizard"
# The label's plain text: tags left out, the two line breaks kept.
expect-caption LabelStart2 "This will install Linked Bold EA, see $link_q v1.0 on your computer. Please close all MetaTrader applications before you continue with the installation.\r\n\r\nClick Next to continue with the installation, or click Cancel to exit."
screenshot '$WORK/welcome.bmp'
expect-no-file '$PF/Link Target/ran.txt'
click-color PanelInstall 0000ff
expect-file '$PF/Link Target/ran.txt' 20
expect-page welcome
close
expect-exit 0
END
convert "$WORK/welcome.bmp" "$screens/welcome_link.png"
grep -q 'run.exe' "$PF/Link Target/ran.txt"
