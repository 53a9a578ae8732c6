# The wizard speaks the trader's language. /LANG=de on an English system: the install wizard in
# German, its log lines in English, and the uninstaller, started without /LANG, speaks what the
# install spoke. A Russian system without /LANG: a fault of the command line and the wizard in
# Russian; /S /LANG=ru records Russian for the uninstaller, which speaks it on a Georgian system,
# where (no Georgian translation) an installer speaks English.
NAME="Plain Indicator"
require_no_terminals
pf_add_terminal "E2E Languages"
product_paths "$NAME"
build_setup "$KOSETUP_SOURCE/tests/e2e/products/plain/product.toml" "$WORK/Setup.exe"
SETUP=$(winpath "$WORK/Setup.exe")
UNINSTALL="$APP_WIN\\Uninstall.exe"

# Wine takes the user's interface language from the locale its session started with.
use_locale() {
  export KOSETUP_WINE_LOCALE=$1
  WINEPREFIX=$PREFIX wineserver -k 2>/dev/null || true
  WINEPREFIX=$PREFIX wineserver -w 2>/dev/null || true
}
at_exit use_locale C.UTF-8

# install_lines ARGUMENTS CAPTION ACCEPT: the driver lines of an install through the wizard whose
# window is CAPTION, its licence accepted with the radio button ACCEPT shows.
install_lines() {
  printf '%s\n' "start '$SETUP' $1" "wait-window \"$2\" 30" "press BtnNext" "expect-page license" \
    "expect-caption RadioAccept \"$3\"" "select RadioAccept" "press BtnNext" \
    "expect-page destination" "press BtnNext" "expect-page review" "press BtnNext" \
    "expect-page progress"
  run_done
}
# uninstall_lines ARGUMENTS CAPTION FINISH: the uninstaller's wizard, CAPTION its window and
# FINISH its last button, through its run until it has ended.
uninstall_lines() {
  printf '%s\n' "start '$UNINSTALL' $1" "wait-window \"$2\" 30" "press BtnNext" \
    "expect-buttons off on Cancel:off 30" "press BtnNext" "expect-page finish" \
    "expect-caption BtnCancel \"$3\"" "press BtnCancel" "expect-exit 0"
}

use_locale C.UTF-8
{
  install_lines /LANG=de "Installation - $NAME" "Ich akzeptiere die Vereinbarung"
  printf '%s\n' "press BtnNext" "expect-page finish" \
    "expect-caption LabelFinish1 \"Installation abgeschlossen\"" "press CheckRun" \
    "press BtnCancel" "expect-exit 0"
} | drive
uninstall_lines "" "Deinstallation - $NAME" "Fertig stellen" | drive
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
press BtnCancel
expect-exit 0
END
uninstall_lines "" "Удаление - $NAME" "Готово" | drive
wait_gone "$APP" 30
