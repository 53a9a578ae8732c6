# A Setup.exe damaged in transit. One byte changed in the package's records (inside a target
# path): the wizard shows the damaged-installer error and exits with 1, Setup /S exits with 1
# and the error as the log's last line, before anything runs or is written. One byte flipped
# inside a stored file's data: Setup /S stops with exit 1 and the error, naming the file, as the
# log's last line; the older file in the terminal stays as it was and no temporary file is left;
# the wizard shows that error in the user's language and, once closed, exits with 1.
# "kosetup verify" refuses both. The same byte flipped in a program run when the wizard closes
# fails the otherwise finished run: exit 1.
NAME="Plain Indicator"
product_paths "$NAME"
require_no_terminals
pf_add_terminal "E2E Damaged"
plain=$KOSETUP_SOURCE/tests/e2e/products/plain
cp "$plain/license.rtf" "$plain/Plain Indicator.mq4" "$KOSETUP_WIN32/fake_terminal.exe" "$WORK/"
cat "$plain/product.toml" - >"$WORK/product.toml" <<'END'

[[run]]
title = "Finish"
path = '{app}\Finish.exe'
source = "fake_terminal.exe"
stage = "wizard-close"
END
build_setup "$WORK/product.toml" "$WORK/Good.exe"
INDICATOR="MQL4/Indicators/Plain Indicator.mq4"
TARGET="$PF/E2E Damaged/$INDICATOR"
TARGET_WIN="$PF_WIN\\E2E Damaged\\${INDICATOR//\//\\}"
mkdir -p "$(dirname "$TARGET")"
printf 'version 1\r\n' >"$TARGET"

# damaged KIND: a copy of Good.exe with one byte flipped 5 bytes into the data of the first
# stored item of KIND ("files" or "runs").
damaged() {
  local offset
  offset=$("$KOSETUP_NATIVE/kosetup" list --json "$WORK/Good.exe" |
    python3 -c "import json, sys; print(json.load(sys.stdin)['$1'][0]['offset'])")
  cp "$WORK/Good.exe" "$WORK/Setup.exe"
  python3 - "$WORK/Setup.exe" $((offset + 5)) <<'END'
import sys
with open(sys.argv[1], "r+b") as f:
    f.seek(int(sys.argv[2])); b = f.read(1); f.seek(int(sys.argv[2])); f.write(bytes([b[0] ^ 0x10]))
END
}
MESSAGE="The installer is damaged: the data of \"%s\" does not match its checksum. Please download the installer again."

cp "$WORK/Good.exe" "$WORK/Setup.exe"
python3 - "$WORK/Setup.exe" <<'END'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
at, in_file = struct.unpack_from("<I", data, 136)[0] + 4, False
while True:  # the records up to the first file's path: id 1 in the first list of id 20
    tag, kind = struct.unpack_from("<iB", data, at)
    at += 5
    in_file = in_file or (tag, kind) == (20, 0)
    if kind in (7, 8):
        count = struct.unpack_from("<I", data, at)[0]
        if in_file and tag == 1:
            data[at + 4 + count // 2] ^= 0x01
            break
        at += 4 + count
    else:
        at += {1: 1, 2: 1, 3: 2, 4: 4, 5: 4, 6: 8}.get(kind, 0)
open(sys.argv[1], "wb").write(data)
END
RECORDS="The installer is damaged: its package does not match its checksum. Please download the installer again."
log=$WORK/records.log
drive <<END
start '$(winpath "$WORK/Setup.exe")'
expect-msgbox Error error '$RECORDS' 30
answer-msgbox
expect-exit 1
start '$(winpath "$WORK/Setup.exe")' /S '/T=$PF_WIN\\E2E Damaged' '/LOG=$(winpath "$log")'
expect-windowless-exit 1 60
END
[ "$(tail -1 "$log" | tr -d '\r')" = "$RECORDS" ]
[ "$(cat "$TARGET")" = $'version 1\r' ]
[ ! -e "$APP" ]
if "$KOSETUP_NATIVE/kosetup" verify "$WORK/Setup.exe" >"$WORK/verify.txt" 2>&1; then exit 1; fi
grep -qF "the package records do not match their SHA-256" "$WORK/verify.txt"

damaged files
log=$WORK/files.log
drive <<END
start '$(winpath "$WORK/Setup.exe")' /S '/T=$PF_WIN\\E2E Damaged' '/LOG=$(winpath "$log")'
expect-windowless-exit 1 60
END
[ "$(tail -1 "$log" | tr -d '\r')" = "$(printf "$MESSAGE" "$TARGET_WIN")" ]
[ "$(cat "$TARGET")" = $'version 1\r' ]
[ -z "$(find "$PF/E2E Damaged" -name '*.tmp')" ]
[ ! -e "$APP/Uninstall.exe" ]
if "$KOSETUP_NATIVE/kosetup" verify "$WORK/Setup.exe" >"$WORK/verify.txt" 2>&1; then exit 1; fi
grep -qF "does not match its SHA-256" "$WORK/verify.txt"

# The wizard tells it in the user's language, the log in English.
drive <<END
start '$(winpath "$WORK/Setup.exe")' /LANG=de '/LOG=$(winpath "$WORK/wizard.log")'
wait-window "Installation - $NAME" 30
press BtnNext
expect-page license
select RadioAccept
press BtnNext
expect-page destination
press BtnNext
expect-page review
press BtnNext
expect-msgbox Fehler error "Das Installationsprogramm ist beschädigt: Die Daten von „$TARGET_WIN“ stimmen nicht mit ihrer Prüfsumme überein. Bitte laden Sie das Installationsprogramm erneut herunter." 30
answer-msgbox
close
expect-exit 1 30
END
[ "$(tail -1 "$WORK/wizard.log" | tr -d '\r')" = "$(printf "$MESSAGE" "$TARGET_WIN")" ]
[ "$(cat "$TARGET")" = $'version 1\r' ]

# The close stage ran after the failed run, as it does whenever the wizard closes: its program
# is there. A fresh start without it shows that the damaged one is never written or started.
rm "$APP/Finish.exe" "$APP/ran.txt"
damaged runs
log=$WORK/runs.log
drive <<END
start '$(winpath "$WORK/Setup.exe")' /S '/T=$PF_WIN\\E2E Damaged' '/LOG=$(winpath "$log")'
expect-windowless-exit 1 60
END
cmp "$plain/Plain Indicator.mq4" "$TARGET"
grep -qx $'Done.\r' "$log"
[ "$(tail -1 "$log" | tr -d '\r')" = "$(printf "$MESSAGE" "$APP_WIN\\Finish.exe")" ]
[ ! -e "$APP/Finish.exe" ]
[ ! -e "$APP/ran.txt" ]
