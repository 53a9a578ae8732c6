# A package with a licence only: welcome, licence, destination, review, progress; no build or
# release in the version line.
build_setup "$KOSETUP_SOURCE/tests/e2e/products/plain/product.toml" "$WORK/Setup.exe"
pf_add_terminal "Plain Test Terminal"
pf_may_create "Plain Indicator"

drive <<END
start '$(winpath "$WORK/Setup.exe")'
wait-window "Install - Plain Indicator" 30
expect-page welcome
expect-caption LabelStart1 "Welcome to the Plain Indicator v2.0 Installation Wizard"
press BtnNext
expect-page license
expect-buttons on off Cancel:on
select RadioAccept
press BtnNext
expect-page destination
press BtnNext
expect-page review
expect-lines MemoReady
|Program Name
|        Plain Indicator v2.0
|
|Target Folder(s)
|        $PF_WIN\\Plain Test Terminal
|
|Program Folder
|        $PF_WIN\\Plain Indicator
|
|Start Menu Folder
|        Plain Indicator
press BtnPrev
press BtnPrev
press BtnPrev
expect-page welcome
close
expect-exit 0
END
