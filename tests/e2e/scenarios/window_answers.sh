# The window answers throughout a long install: the driver asks it again and again while the
# run copies many small files, and no question may wait long for its reply. Closing stays
# refused until the run has ended. KOSETUP_ANSWER_FILES sets the number of files (20000 gives
# the figure of a large product). A run on the window's own thread kept every question waiting
# for seconds; 1 s stays far below that and above the stalls of a busy machine under Wine.
NAME="E2E Many Files"
count=${KOSETUP_ANSWER_FILES:-2000}
require_no_terminals
product_paths "$NAME"
pf_add_terminal "E2E Many Terminal"
mkdir -p "$WORK/files"
(cd "$WORK/files" && for ((i = 0; i < count; i++)); do echo "$i" >"f$i.txt"; done)
{
  licensed_product "$NAME"
  cat <<END
[[file]]
source = "files/*"
target = '{metatrader}\\MQL4\\Files\\Many\\'
END
} >"$WORK/product.toml"
build_setup "$WORK/product.toml" "$WORK/Setup.exe"

{
  to_progress "$WORK/Setup.exe" "$NAME"
  cat <<END
close
expect-answers 1000 600
expect-page progress
expect-last-line MemoProgress Done.
close
expect-exit 0
END
} | DRIVER_TIMEOUT=30 drive
[ "$(find "$PF/E2E Many Terminal/MQL4/Files/Many" -type f | wc -l)" = "$count" ]
