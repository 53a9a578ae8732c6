# The wizard speaks the trader's language. /LANG=de on an English system: the install wizard in
# German, its log lines in English, and the uninstaller, started without /LANG, speaks what the
# install spoke. A Russian system without /LANG: a fault of the command line and the wizard in
# Russian; /S /LANG=ru records Russian for the uninstaller, which speaks it on a Georgian system,
# where (no Georgian translation) an installer speaks English, or Japanese or Chinese when told.
# The vendor's own Polish file adds a language, English where it is silent; the Russian licence
# is the one a Russian system shows.
NAME="Plain Indicator"
require_no_terminals
pf_add_terminal "E2E Languages"
product_paths "$NAME"
src=$WORK/product
mkdir -p "$src"
cp "$KOSETUP_SOURCE/tests/e2e/products/plain/"* "$src/"
printf '%s\n' 'tag = "pl"' 'name = "Polski"' '[window]' 'install_caption = "Instalacja - {name}"' \
  '[button]' 'next = "Dalej >"' >"$src/pl.toml"
printf '{\\rtf1\\ansi \\u1051?\\u1080?\\u1094?\\u1077?\\u1085?\\u1079?\\u1080?\\u1103? RU\\par}' >"$src/license_ru.rtf"
{
  echo 'translations = ["pl.toml"]'
  cat "$KOSETUP_SOURCE/tests/e2e/products/plain/product.toml"
  printf '%s\n' '[documents.ru]' 'license = "license_ru.rtf"'
} >"$src/product.toml"
build_setup "$src/product.toml" "$WORK/Setup.exe" 2>"$WORK/build-warnings.txt"
SETUP=$(winpath "$WORK/Setup.exe")
UNINSTALL="$APP_WIN\\Uninstall.exe"

# Wine takes the user's interface language from the locale its session started with; without
# LOCALE the prefix's own (C.UTF-8: English).
use_locale() { # [LOCALE]
  if [ -n "${1:-}" ]; then export KOSETUP_WINE_LOCALE=$1; else unset KOSETUP_WINE_LOCALE; fi
  WINEPREFIX=$PREFIX wineserver -k 2>/dev/null || true
  WINEPREFIX=$PREFIX wineserver -w 2>/dev/null || true
}
at_exit use_locale

# install_lines ARGUMENTS CAPTION ACCEPT CANCEL: the driver lines of an install through the
# wizard whose window is CAPTION, its licence accepted with the radio button ACCEPT shows, to the
# end of the run, whose log stays English, with Cancel showing CANCEL.
install_lines() {
  printf '%s\n' "start '$SETUP' $1" "wait-window \"$2\" 30" "press BtnNext" "expect-page license" \
    "expect-caption RadioAccept \"$3\"" "select RadioAccept" "press BtnNext" \
    "expect-page destination" "press BtnNext" "expect-page review" "press BtnNext" \
    "expect-page progress" "expect-buttons off on \"$4:off\" 30" \
    "expect-last-line MemoProgress Done."
}
# uninstall_lines CAPTION CANCEL FINISH: the uninstaller's wizard, CAPTION its window, CANCEL and
# FINISH its last button's captions, through its run until it has ended.
uninstall_lines() {
  printf '%s\n' "start '$UNINSTALL'" "wait-window \"$1\" 30" "press BtnNext" \
    "expect-buttons off on \"$2:off\" 30" "press BtnNext" "expect-page finish" \
    "expect-caption BtnCancel \"$3\"" "press BtnCancel" "expect-exit 0"
}

use_locale
{
  install_lines /LANG=de "Installation - $NAME" "Ich akzeptiere die Vereinbarung" Abbrechen
  printf '%s\n' "press BtnNext" "expect-page finish" \
    "expect-caption LabelFinish1 \"Installation abgeschlossen\"" "press CheckRun" \
    "press BtnCancel" "expect-exit 0"
} | drive
uninstall_lines "Deinstallation - $NAME" Abbrechen "Fertig stellen" | drive
wait_gone "$APP" 30

use_locale ru_RU.UTF-8
drive <<END
start '$SETUP' /Quiet
expect-msgbox Ошибка error "Неизвестный ключ «/Quiet». Допустимые ключи: /S, /T=ПАПКА, /LOG=ФАЙЛ, /LANG=ЯЗЫК, /? и /help." 30
answer-msgbox
expect-exit 2
start '$SETUP'
wait-window "Установка - $NAME" 30
expect-caption LabelStart1 "Вас приветствует мастер установки $NAME v2.0"
expect-caption BtnNext "Далее >"
expect-caption RichLicense "Лицензия RU"
press BtnCancel
expect-exit 0
END
drive <<END
start '$SETUP' /S /LANG=ru
expect-windowless-exit 0 60
END

use_locale ka_GE.UTF-8
drive <<END
start '$SETUP'
wait-window "Install - $NAME" 30
expect-caption BtnNext "Next >>"
expect-caption RichLicense "Plain Indicator licence: use it as you like."
press BtnCancel
expect-exit 0
start '$SETUP' /LANG=ja
wait-window "セットアップ - $NAME" 30
expect-caption BtnNext "次へ >"
press BtnCancel
expect-exit 0
start '$SETUP' /LANG=zh
wait-window "安装 - $NAME" 30
expect-caption BtnNext "下一步 >"
press BtnCancel
expect-exit 0
start '$SETUP' /LANG=pl
wait-window "Instalacja - $NAME" 30
expect-caption BtnNext "Dalej >"
expect-caption BtnPrev "<< Prev"
press BtnCancel
expect-exit 0
END
uninstall_lines "Удаление - $NAME" Отмена Готово | drive
wait_gone "$APP" 30
