# The wizard on a 144-DPI display (150 %): the window, every control, the fonts and pictures are
# scaled by 1.5, edges rounded. Wine takes the DPI from LogPixels when its server starts; the
# scenario puts 96 back when it ends. Every page's picture is kept in e2e-screens/.
set_dpi() {
  wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  WINEPREFIX=$PREFIX wineserver -k 2>/dev/null || true
  WINEPREFIX=$PREFIX wineserver -w 2>/dev/null || true
}
at_exit set_dpi 96
set_dpi 144
SETUP=$(winpath "$WORK/Setup.exe")
build_setup "$KOSETUP_SOURCE/examples/sample-ea/product.toml" "$WORK/Setup.exe"
require_no_terminals
pf_add_terminal "E2E Scale Terminal"
product_paths "Sample Trend EA"
screens=$KOSETUP_WIN32/e2e-screens/display_scale
rm -rf "$screens"
mkdir -p "$screens"
shot() { echo "screenshot '$(winpath "$WORK")\\$1.bmp'"; }

drive <<END
start '$SETUP'
wait-window "Install - Sample Trend EA" 30
expect-bounds window 0 0 770 552
expect-bounds BtnPrev 383 500 112 37
expect-bounds BtnNext 503 500 112 37
expect-bounds BtnCancel 635 500 112 37
expect-bounds ImgBanner 0 0 240 480
expect-bounds PanelInstall 242 12 514 458
$(shot 01-welcome)
press BtnNext
expect-page information
expect-bounds PanelInfo+HeadIcon 684 14 72 72
expect-bounds RichInfo 60 150 650 312
$(shot 02-information)
press BtnNext
select RadioAccept
expect-bounds RadioAccept 60 411 650 26
$(shot 03-license)
press BtnNext
expect-page destination
expect-bounds ListMetaTrader 60 189 650 218
expect-bounds BtnAddMetaTrader 60 420 330 38
$(shot 04-destination)
press BtnNext
expect-page review
$(shot 05-review)
press BtnNext
expect-page progress
expect-buttons off on Cancel:off 60
$(shot 06-progress)
press BtnNext
expect-page whats-new
$(shot 07-whats-new)
press BtnNext
expect-page finish
$(shot 08-finish)
press CheckRun
press BtnCancel
expect-exit 0
END
for bmp in "$WORK"/*.bmp; do
  convert "$bmp" "$screens/$(basename "${bmp%.bmp}").png"
done
