# A package keeps its names whatever the system's code page. "Café Trend EA" in code page 1252,
# with a licence in that code page, installs through the wizard on a UTF-8 system (code page 65001, the system option for
# worldwide language support) into folders and an entry of that name, and a Cyrillic system
# (1251) uninstalls it. On a Japanese system (932, double-byte) a folder whose last character's
# second byte is that of "\" keeps it, and names in Chinese install and uninstall. A package in a
# code page the system does not know is refused with a message that names it. A product named
# in Chinese, its texts in UTF-8 (65001) and then in code page 936, installs through the wizard
# on a Western system (1252) into folders, a shortcut and an entry of that name, which its
# uninstall log keeps and its uninstaller removes.
require_no_terminals
pf_add_terminal "E2E Code Pages"
TERMINAL="$PF/E2E Code Pages"
plain=$KOSETUP_SOURCE/tests/e2e/products/plain
INDICATOR='MQL4/Indicators/Plain Indicator.mq4'
# The licence's letters are bytes of the package's code page: its viewer reads them in that one.
printf '%s' '{\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}}\f0 Licence Caf\'"'"'e9}' >"$WORK/license.rtf"
product() { # CODEPAGE NAME: a Setup.exe of the plain indicator under that name
  plain_setup "$1" "$2" "{metatrader}\\${INDICATOR//\//\\}"
}
silent() { # SETUP-OR-UNINSTALLER [ARGUMENT...]: runs it with /S, expecting exit code 0
  local program=$1
  shift
  drive <<END
start '$program' /S $(printf "'%s' " "$@")
expect-windowless-exit 0 60
END
}

wizard_installed() { # LICENCE: the wizard installs $NAME, whose licence shows LICENCE
  drive_install "$WORK/Setup.exe" "$NAME" --at-welcome "expect-caption RichLicense \"$1\"" <<END
press BtnNext
press CheckRun
press BtnCancel
expect-exit 0
END
  [ -e "$APP/Uninstall.exe" ] && [ -e "$MENU/License.lnk" ]
  key_exists "$NAME"
  cmp "$plain/Plain Indicator.mq4" "$TERMINAL/$INDICATOR"
}
uninstalled() { # the uninstaller removes $NAME whole
  silent "$APP_WIN\\Uninstall.exe"
  wait_gone "$APP" 30
  [ ! -e "$MENU" ] && [ ! -e "$TERMINAL/$INDICATOR" ]
  if key_exists "$NAME"; then exit 1; fi
}

NAME="Café Trend EA"
product_paths "$NAME"
product 1252 "$NAME"
export KOSETUP_WINE_LOCALE=ka_GE.UTF-8
wizard_installed "Licence Café"
export KOSETUP_WINE_LOCALE=ru_RU.UTF-8
uninstalled

# "ソ" is 0x83 0x5C in code page 932: split byte by byte at "\" its folder would lose it. Polish
# and simplified Chinese letters are not in that code page either.
export KOSETUP_WINE_LOCALE=ja_JP.UTF-8
NAME="E2E Łódź EA"
product_paths "$NAME"
product 1250 "$NAME"
KANA="$PREFIX/drive_c/E2E MT4ソ"
CHINESE="$PREFIX/drive_c/E2E 中文 指标"
for folder in "$KANA" "$PREFIX/drive_c/E2E MT4" "$CHINESE"; do add_path "$folder"; done
silent "$(winpath "$WORK/Setup.exe")" '/T=C:\E2E MT4ソ' '/T=C:\E2E 中文 指标'
cmp "$plain/Plain Indicator.mq4" "$KANA/$INDICATOR"
cmp "$plain/Plain Indicator.mq4" "$CHINESE/$INDICATOR"
[ ! -e "$PREFIX/drive_c/E2E MT4" ] && [ -e "$MENU/License.lnk" ]
key_exists "$NAME"
silent "$APP_WIN\\Uninstall.exe"
wait_gone "$APP" 30
[ ! -e "$KANA/$INDICATOR" ] && [ ! -e "$CHINESE/$INDICATOR" ] && [ ! -e "$MENU" ]
if key_exists "$NAME"; then exit 1; fi
unset KOSETUP_WINE_LOCALE

# The second byte of "砛" in code page 936 is that of "\". The licence is UTF-8, stored as
# escapes that read alike in every code page.
printf '%s' '{\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}}\f0 许可 Licence}' >"$WORK/license.rtf"
for codepage in 65001 936; do
  NAME="E2E 中文 指标 砛 $codepage"
  product_paths "$NAME"
  product "$codepage" "$NAME"
  wizard_installed "许可 Licence"
  listing=$("$KOSETUP_NATIVE/kosetup" list "$APP/Uninstall.exe")
  grep -qF "folder $APP_WIN" <<<"$listing" && grep -qF "file   $MENU_WIN\License.lnk" <<<"$listing"
  uninstalled
done

# The code page is the package's first record behind the digest of the records: a number no
# system knows. The digest record becomes one of an id this installer does not know, as from a
# builder that writes none.
python3 - "$WORK/Setup.exe" <<'END'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
digest = struct.unpack_from("<I", data, 136)[0] + 4
assert struct.unpack_from("<iBI", data, digest) == (0x4B44, 8, 32)
struct.pack_into("<i", data, digest, 0x4B45)
record = digest + 5 + 4 + 32
assert struct.unpack_from("<iB", data, record) == (1, 4)
struct.pack_into("<i", data, record + 5, 59999)
open(sys.argv[1], "wb").write(data)
END
log="$WORK/unknown.txt"
drive <<END
start '$(winpath "$WORK/Setup.exe")' /S '/LOG=$(winpath "$log")'
expect-windowless-exit 2 60
END
grep -qF "the texts are in code page 59999, which this system does not know" "$log"
