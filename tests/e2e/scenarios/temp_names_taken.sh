# Every time-stamped name the self-removal script could take in the temporary folder over the
# next minute is already taken, by an empty read-only file: the uninstaller still removes itself,
# through a script in a private folder of its own that goes with it, and leaves every taken name
# as it was.
NAME="Plain Indicator"
require_no_terminals
product_paths "$NAME"
pf_add_terminal "E2E Temp Taken"
build_setup "$KOSETUP_SOURCE/tests/e2e/products/plain/product.toml" "$WORK/Setup.exe"
drive_install "$WORK/Setup.exe" "$NAME" < <(finish_quietly)

temp=$(unix_path "$(temp_dir)")
bats=$(bat_count "$temp")
taken=$WORK/taken.txt
python3 - "$temp" "$taken" <<'END'
import datetime, os, sys
folder, listing = sys.argv[1], sys.argv[2]
start = datetime.datetime.now()
with open(listing, "w") as names:
    for ms in range(60000):
        t = start + datetime.timedelta(milliseconds=ms)
        name = t.strftime("%Y%m%d%H%M%S") + "%03d.bat" % (t.microsecond // 1000)
        path = os.path.join(folder, name)
        if os.path.exists(path):
            continue
        open(path, "w").close()
        os.chmod(path, 0o444)
        names.write(path + "\n")
END
at_exit "xargs -d '\\n' rm -f <'$taken'"

drive_uninstall "$APP_WIN\\Uninstall.exe" "$NAME"
bats_gone "$bats"
[ ! -e "$APP" ]
python3 - "$taken" <<'END'
import os, sys
for path in filter(None, open(sys.argv[1]).read().split("\n")):
    info = os.stat(path)
    assert info.st_size == 0 and not info.st_mode & 0o222, path
END
