# An uninstall through the wizard followed at once by the next install, as a deployment tool's
# retry loop runs them: the uninstaller's removal of itself, still waiting for its process to end
# when the install starts, never takes the new install's Uninstall.exe. Several cycles, since the
# two race. The last uninstall still removes itself, its script and its folder.
NAME="Plain Indicator"
product_paths "$NAME"
require_no_terminals
pf_add "E2E Quick Reinstall"
build_setup "$KOSETUP_SOURCE/tests/e2e/products/plain/product.toml" "$WORK/Setup.exe"
temp=$(unix_path "$(temp_dir)")
scripts=$(bat_count "$temp")
install=$(silent_run "$(winpath "$WORK/Setup.exe")" 0 "/T=$PF_WIN\\E2E Quick Reinstall")

drive <<<"$install"
for cycle in 1 2 3 4 5 6 7 8; do
  { wizard_uninstall "$APP_WIN\\Uninstall.exe" "$NAME" && echo "$install"; } | drive
  # Once the old uninstaller's script has ended, the new one is still there and registered.
  bats_gone "$scripts"
  if [ ! -f "$APP/Uninstall.exe" ]; then
    echo "$SCENARIO: cycle $cycle lost the new Uninstall.exe" >&2
    exit 1
  fi
  key_query "$NAME" | grep -qF "$APP_WIN\\Uninstall.exe"
done
silent_uninstall "$APP_WIN\\Uninstall.exe"
bats_gone "$scripts"
if key_exists "$NAME"; then exit 1; fi
