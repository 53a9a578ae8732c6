# DLLs planted beside Setup.exe, Uninstall.exe and kosetup.exe under the names of system DLLs
# (the rich-edit libraries first of all) are never loaded: not for the usage box, not through
# the wizard's pages with their RTF documents, not by the uninstaller. Each planted DLL would
# leave NAME.loaded beside itself. The programs import system DLLs only.
NAME="Plain Indicator"
require_no_terminals
product_paths "$NAME"
pf_add_terminal "E2E Planted"
PLANTED=(Msftedit riched20 riched32 uxtheme version dwmapi cryptbase userenv profapi propsys
  secur32 wintrust crypt32 bcrypt comctl32 oleacc usp10 imm32 msimg32 winmm shfolder
  textshaping apphelp)
plant() { # FOLDER: a planted DLL under every name of PLANTED
  local name
  for name in "${PLANTED[@]}"; do cp "$KOSETUP_WIN32/planted.dll" "$1/$name.dll"; done
}
none_loaded() { # FOLDER
  local loaded
  loaded=$(find "$1" -maxdepth 1 -name '*.loaded')
  if [ -n "$loaded" ]; then
    echo "$SCENARIO: planted DLLs were loaded: $loaded" >&2
    return 1
  fi
}

# Only the system's known DLLs (ntdll.dll is mapped into every process before any other), and
# the common controls, which the manifest takes from the side-by-side store.
known="advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ntdll.dll ole32.dll
oleaut32.dll shell32.dll shlwapi.dll user32.dll"
for program in stub.exe kosetup.exe; do
  for dll in $(i686-w64-mingw32-objdump -p "$KOSETUP_WIN32/$program" |
    sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z'); do
    case " $(echo $known) " in
    *" $dll "*) ;;
    *) echo "$SCENARIO: $program imports $dll" >&2 && exit 1 ;;
    esac
  done
done

mkdir -p "$WORK/download" "$WORK/builder"
plant "$WORK/download"
plant "$WORK/builder"
SETUP="$WORK/download/Setup.exe"
build_setup "$KOSETUP_SOURCE/tests/e2e/products/plain/product.toml" "$SETUP"
cp "$KOSETUP_WIN32/kosetup.exe" "$WORK/builder/kosetup.exe"
wine_run "$WORK/builder/kosetup.exe" list "$(winpath "$SETUP")" >/dev/null
none_loaded "$WORK/builder"

drive <<END
start '$(winpath "$SETUP")' /?
wait-msgbox
answer-msgbox
expect-exit 0
END
none_loaded "$WORK/download"
drive_install "$SETUP" "$NAME" < <(finish_quietly)
none_loaded "$WORK/download"

plant "$APP"
drive_uninstall "$APP_WIN\\Uninstall.exe" "$NAME"
none_loaded "$APP"
