# Names in Polish, Russian and Chinese on a Western system (code page 1252): Setup.exe started
# from the Downloads folder of a profile named in Polish finds a terminal named in Russian under
# Program Files and one named in Chinese outside it, known only through its data folder in the
# Polish profile (which only the system's profile list names), and installs a package of code
# page 1250 with a Polish product name into both (the other profile's terminal named with /T=,
# as the administrator's choice) and that data folder; a second run installs
# into a new folder named in Polish given with /T=. The log file keeps every name; the uninstall
# log keeps in UTF-8 what code page 1250 cannot hold, and kosetup list shows it. The
# uninstaller then removes everything, its self-removal script going into a temporary folder
# named in Chinese.
NAME="Łódź Scalper EA"
EXPERT='MQL4\Experts\Łódź Scalper.ex4'
require_no_terminals
product_paths "$NAME"
TERMINAL="E2E Терминал"
pf_add_terminal "$TERMINAL"
TC_WIN="$PF_WIN\\$TERMINAL"
CHINESE="$PREFIX/drive_c/E2E 中文 MT4"
CHINESE_WIN='C:\E2E 中文 MT4'
POLISH="$PREFIX/drive_c/E2E Łódź MT4"
POLISH_WIN='C:\E2E Łódź MT4'
add_path "$CHINESE"
add_path "$POLISH"
mkdir -p "$CHINESE"
cp "$KOSETUP_WIN32/fake_terminal.exe" "$CHINESE/terminal.exe"
PROFILE="$PREFIX/drive_c/users/E2E Łukasz"
PROFILE_WIN='C:\users\E2E Łukasz'
add_path "$PROFILE"
PROFILE_KEY='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\ProfileList\S-1-5-21-0-0-0-1991'
wine_run reg add "$PROFILE_KEY" /v ProfileImagePath /t REG_EXPAND_SZ \
  /d '%SystemDrive%\users\E2E Łukasz' /reg:64 /f >/dev/null
at_exit wine_run reg delete "'$PROFILE_KEY'" /reg:64 /f '>/dev/null'
DATA="$PROFILE/AppData/Roaming/MetaQuotes/Terminal/E2E4C5D6E7F8091A2B3C4D5E6F708192"
DATA_WIN="$PROFILE_WIN\\AppData\\Roaming\\MetaQuotes\\Terminal\\E2E4C5D6E7F8091A2B3C4D5E6F708192"
mkdir -p "$DATA" "$PROFILE/Downloads" "$PROFILE/Temp 中文"
{ printf '\xff\xfe' && printf '%s\r\n' "$CHINESE_WIN" | iconv -f UTF-8 -t UTF-16LE; } >"$DATA/origin.txt"

src=$WORK/product
mkdir -p "$src"
head -c 20000 /dev/urandom >"$src/expert.ex4"
printf 'Czytaj mnie.\r\n' >"$src/czytaj.txt"
printf '{\\rtf1\\ansi Licencja: \\'"'"'a3\\'"'"'f3d\\'"'"'9f}' >"$src/license.rtf"
cat >"$src/product.toml" <<END
codepage = 1250
[product]
name = "$NAME"
[documents]
license = "license.rtf"
[[file]]
source = "expert.ex4"
target = '{metatrader}\\$EXPERT'
[[file]]
source = "czytaj.txt"
target = '{app}\\Czytaj ż.txt'
END
build_setup "$src/product.toml" "$PROFILE/Downloads/Setup.exe"
log="$WORK/log 中文.txt"

drive <<END
start '$PROFILE_WIN\\Downloads\\Setup.exe' /S '/T=$TC_WIN' '/T=$CHINESE_WIN' '/LOG=$(winpath "$log")'
expect-windowless-exit 0 60
END
drive <<END
start '$PROFILE_WIN\\Downloads\\Setup.exe' /S '/T=$POLISH_WIN' '/LOG=$(winpath "$log")'
expect-windowless-exit 0 60
END
for folder in "$PF/$TERMINAL" "$CHINESE" "$DATA" "$POLISH"; do
  cmp "$src/expert.ex4" "$folder/${EXPERT//\\//}"
done
cmp "$src/czytaj.txt" "$APP/Czytaj ż.txt"
[ -e "$MENU/License.lnk" ] && [ -e "$APP/Uninstall.exe" ]
key_exists "$NAME"
for folder in "$TC_WIN" "$CHINESE_WIN" "$DATA_WIN" "$POLISH_WIN"; do
  grep -qF "Copying file $folder\\$EXPERT ..." "$log"
done
grep -qF "Copying file $APP_WIN\\Czytaj ż.txt ..." "$log"
[ "$(tail -1 "$log")" = $'Done.\r' ]

listing=$("$KOSETUP_NATIVE/kosetup" list "$APP/Uninstall.exe")
for folder in "$TC_WIN" "$CHINESE_WIN" "$DATA_WIN" "$POLISH_WIN"; do
  grep -qF "file   $folder\\$EXPERT" <<<"$listing"
done
grep -qF "folder $APP_WIN" <<<"$listing"

# The uninstaller's self-removal script goes into the temporary folder the system names.
old_temp=$(wine_run reg query 'HKCU\Environment' /v TEMP | tr -d '\r' | sed -n 's/.*REG_EXPAND_SZ *//p')
at_exit "wine_run reg add 'HKCU\\Environment' /v TEMP /t REG_EXPAND_SZ /d '$old_temp' /f >/dev/null"
wine_run reg add 'HKCU\Environment' /v TEMP /t REG_EXPAND_SZ /d "$PROFILE_WIN\\Temp 中文" /f >/dev/null
case "$(temp_dir)" in 'C:\users\E2E '*) ;; *) echo "$SCENARIO: TEMP is $(temp_dir)" >&2 && exit 1 ;; esac
silent_uninstall "$APP_WIN\\Uninstall.exe" "/LOG=$(winpath "$log")"
for folder in "$PF/$TERMINAL" "$CHINESE" "$DATA" "$POLISH"; do
  [ ! -e "$folder/${EXPERT//\\//}" ]
done
[ ! -e "$MENU" ]
if key_exists "$NAME"; then exit 1; fi
[ "$(tail -1 "$log")" = $'Done.\r' ]
for ((i = 0; i < 300; i++)); do [ -z "$(ls -A "$PROFILE/Temp 中文")" ] && break; sleep 0.1; done
[ -z "$(ls -A "$PROFILE/Temp 中文")" ]
