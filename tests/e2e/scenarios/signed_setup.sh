# A Setup.exe signed through --sign-command with osslsigncode and a throw-away certificate still
# lists, verifies and extracts, and installs under Wine.
NAME="Sample Trend EA"
require_no_terminals
pf_may_create "$NAME"
menu_remove "$NAME"
key_remove "$NAME"
pf_add_terminal "E2E Signed"
openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=KoSetupTest -days 2 \
  -keyout "$WORK/key.pem" -out "$WORK/cert.pem" 2>/dev/null
"$KOSETUP_NATIVE/kosetup" build "$KOSETUP_SOURCE/examples/sample-ea/product.toml" \
  -o "$WORK/Setup.exe" --stub "$KOSETUP_WIN32/stub.exe" --quiet --sign-command \
  "osslsigncode sign -certs '$WORK/cert.pem' -key '$WORK/key.pem' -in {in} -out {out} >/dev/null"
osslsigncode extract-signature -in "$WORK/Setup.exe" -out "$WORK/signature.der" >/dev/null
"$KOSETUP_NATIVE/kosetup" verify "$WORK/Setup.exe" >/dev/null
"$KOSETUP_NATIVE/kosetup" list "$WORK/Setup.exe" | grep -q '^Files *6$'
"$KOSETUP_NATIVE/kosetup" extract "$WORK/Setup.exe" "$WORK/extracted" >/dev/null
cmp "$WORK/extracted/app/Manual.pdf" "$KOSETUP_SOURCE/examples/sample-ea/docs/Manual.pdf"

drive <<END
start '$(winpath "$WORK/Setup.exe")'
wait-window "Install - $NAME" 30
press BtnNext
press BtnNext
select RadioAccept
press BtnNext
expect-page destination
press BtnNext
press BtnNext
expect-buttons off on Cancel:off 30
press BtnNext
press BtnNext
expect-page finish
press CheckRun
press BtnCancel
expect-exit 0
END
cmp "$PF/E2E Signed/MQL4/Experts/Sample Trend EA.ex4" \
  "$KOSETUP_SOURCE/examples/sample-ea/files/MQL4/Experts/Sample Trend EA.ex4"
