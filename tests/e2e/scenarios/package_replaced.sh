# Setup.exe replaced while its wizard is open: the stub holds its own file open, so that through
# Windows it can be neither written nor deleted nor renamed; and a replacement that happens all
# the same (here behind Wine's back, as a sync tool on a file share might) changes nothing: the
# files installed and the uninstaller written are those of the file that was loaded.
NAME="E2E Replaced EA"
require_no_terminals
product_paths "$NAME"
pf_add_terminal "E2E Replaced"
manifest() { # FOLDER CONTENT
  mkdir -p "$1"
  printf '%s' "$2" >"$1/Expert.ex4"
  cat >"$1/product.toml" <<END
[product]
name = "$NAME"
[[file]]
source = "Expert.ex4"
target = '{metatrader}\\MQL4\\Experts\\E2E Replaced.ex4'
END
}
manifest "$WORK/original" "the original's expert"
manifest "$WORK/other" "someone else's expert, longer than the original's"
mkdir -p "$WORK/download"
SETUP="$WORK/download/Setup.exe"
build_setup "$WORK/original/product.toml" "$SETUP"
build_setup "$WORK/other/product.toml" "$WORK/Other.exe"

# The driver waits on the destination page until the replacement is done: it deletes the
# first flag when it gets there and goes on once the second exists.
touch "$WORK/at-destination"
drive_install "$SETUP" "$NAME" --at-destination "$(
  printf '%s\n' "delete-file '$(winpath "$WORK/at-destination")'" \
    "expect-file '$(winpath "$WORK/replaced")' 60"
)" < <(finish_quietly) &
driving=$!
wait_gone "$WORK/at-destination" 60
wine_run "$KOSETUP_WIN32/e2e_driver.exe" "expect-locked '$(winpath "$SETUP")'" >/dev/null
mv "$WORK/Other.exe" "$SETUP"
touch "$WORK/replaced"
wait $driving
drives=$((drives + 1))

printf '%s' "the original's expert" | cmp - "$PF/E2E Replaced/MQL4/Experts/E2E Replaced.ex4"
