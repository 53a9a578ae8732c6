# The sample built and signed through --sign-command with osslsigncode and a throw-away
# certificate: the signed Setup.exe lists, verifies and extracts, and installs under Wine; the
# Uninstall.exe it writes carries no signature and a valid checksum; the uninstall entry holds
# what Apps & Features shows.
NAME="Sample Trend EA"
APP="$PF/$NAME"
require_no_terminals
pf_may_create "$NAME"
menu_remove "$NAME"
key_remove "$NAME"
pf_add_terminal "E2E Signed"
# The sample's MetaTrader 5 files go into an MT5 terminal where one is found, else with the rest.
pf_add "E2E Signed MT5"
mkdir -p "$PF/E2E Signed MT5"
cp "$KOSETUP_WIN32/fake_terminal.exe" "$PF/E2E Signed MT5/terminal64.exe"
sample=$KOSETUP_SOURCE/examples/sample-ea
openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=KoSetupTest -days 2 \
  -keyout "$WORK/key.pem" -out "$WORK/cert.pem" 2>/dev/null
"$KOSETUP_NATIVE/kosetup" build "$sample/product.toml" -o "$WORK/Setup.exe" \
  --stub "$KOSETUP_WIN32/stub.exe" --quiet --sign-command \
  "osslsigncode sign -certs '$WORK/cert.pem' -key '$WORK/key.pem' -in {in} -out {out} >/dev/null"
osslsigncode extract-signature -in "$WORK/Setup.exe" -out "$WORK/signature.der" >/dev/null
"$KOSETUP_NATIVE/kosetup" verify "$WORK/Setup.exe" >/dev/null
"$KOSETUP_NATIVE/kosetup" list "$WORK/Setup.exe" >"$WORK/list.txt"
"$KOSETUP_NATIVE/kosetup" extract "$WORK/Setup.exe" "$WORK/extracted" >/dev/null
cmp "$WORK/extracted/app/Manual.pdf" "$sample/docs/Manual.pdf"

drive_install "$WORK/Setup.exe" "$NAME" --information < <(finish_quietly --whats-new)
cmp "$PF/E2E Signed/MQL4/Experts/Sample Trend EA.ex4" "$sample/files/MQL4/Experts/Sample Trend EA.ex4"

osslsigncode verify -in "$APP/Uninstall.exe" >"$WORK/verify.txt" 2>&1 || true
grep -q "No signature found" "$WORK/verify.txt"
! grep -q "invalid PE checksum" "$WORK/verify.txt"

# Every product file was copied once (into the terminal of its platform): the size is their
# content in KB.
bytes=$(awk '/^    size [0-9]+ \(stored/ { sum += $2 } END { print sum }' "$WORK/list.txt")
kb=$(((bytes + 1023) / 1024))
key_query "$NAME" >"$WORK/key.txt"
for value in "DisplayVersion    REG_SZ    1.2.345.2" \
  "Publisher    REG_SZ    Example Trading Tools Ltd." \
  "InstallLocation    REG_SZ    $PF_WIN\\$NAME" \
  "URLInfoAbout    REG_SZ    https://www.example.com/sample-trend-ea" \
  "HelpLink    REG_SZ    mailto:support@example.com" \
  "EstimatedSize    REG_DWORD    $(printf '0x%x' "$kb")" \
  "NoModify    REG_DWORD    0x1" "NoRepair    REG_DWORD    0x1"; do
  grep -qF "    $value" "$WORK/key.txt" || { echo "missing: $value" >&2; cat "$WORK/key.txt" >&2; exit 1; }
done
