# No terminal in Program Files: the default folder is listed and ticked, and the warning comes
# once, while the licence page is still in front; coming back shows no second warning. Also a
# package with what's new but no readme, and a release number without a build number.
build_setup "$KOSETUP_SOURCE/tests/e2e/products/release-only/product.toml" "$WORK/Setup.exe"
require_no_terminals
pf_may_create "Release Only EA"
pf_may_create "MetaTrader 4"
default="$PF_WIN\\MetaTrader 4"

drive <<END
start '$(winpath "$WORK/Setup.exe")'
wait-window "Install - Release Only EA" 30
expect-page welcome
expect-caption LabelStart1 "Welcome to the Release Only EA v3.1 Installation Wizard"
press BtnNext
expect-page license
select RadioAccept
press BtnNext
expect-msgbox Warning warning "We cannot find any MetaTrader folder in this computer.\rWe add a default folder so you can continue with the installation,\rand install MetaTrader later."
expect-page license
answer-msgbox
expect-page destination
expect-lines ListMetaTrader
|[x] $default
press BtnPrev
expect-page license
press BtnNext
expect-no-msgbox
expect-page destination
expect-lines ListMetaTrader
|[x] $default
press BtnNext
expect-page review
expect-lines MemoReady
|Program Name
|        Release Only EA v3.1 Release 5
|
|Target Folder(s)
|        $default
|
|Program Folder
|        $PF_WIN\\Release Only EA
|
|Start Menu Folder
|        Release Only EA
close
expect-exit 0
END
