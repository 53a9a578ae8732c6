#!/usr/bin/env bash
# Which Wine the scripts choose: the kernel's answer (given through KOSETUP_IA32) decides unless
# KOSETUP_WINE names one; the wow64 Wine goes first on PATH only once it is built, and a Wine
# that is not built, or a misspelt choice, stops the run with a message instead of a wrong Wine.
set -euo pipefail
scripts=$1/scripts
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# mode IA32 CS32 WINE: the choice, or "error" when the scripts refuse.
mode() {
  (
    export KOSETUP_IA32=$1 KOSETUP_CS32=$2 KOSETUP_WINE=$3
    source "$scripts/wine-env"
    kosetup_wine_mode 2>/dev/null || echo error
  )
}
while read -r ia32 cs32 wine expected; do
  [ "$wine" = - ] && wine=
  got=$(mode "$ia32" "$cs32" "$wine")
  [ "$got" = "$expected" ] ||
    fail "KOSETUP_IA32=$ia32 KOSETUP_CS32=$cs32 KOSETUP_WINE=$wine: $got, not $expected"
done <<'CASES'
no    yes  -      wow64
yes   yes  -      system
no    no   -      none
yes   no   -      system
yes   yes  wow64  wow64
no    no   wow64  none
no    yes  system system
yes   yes  wine32 error
maybe yes  -      error
no    maybe -     error
CASES

# The reason setup prints names the cause on such a kernel, and the choice when one was made.
reason=$(source "$scripts/wine-env" && KOSETUP_WINE= kosetup_wine_reason wow64)
grep -q "starts no 32-bit Linux program" <<<"$reason" || fail "no cause in: $reason"
reason=$(source "$scripts/wine-env" && KOSETUP_WINE= kosetup_wine_reason none)
grep -q "no 32-bit code segment" <<<"$reason" || fail "no cause in: $reason"
reason=$(source "$scripts/wine-env" && KOSETUP_WINE=wow64 kosetup_wine_reason wow64)
grep -q "KOSETUP_WINE=wow64" <<<"$reason" || fail "no choice in: $reason"

# The check itself, without the stand-in, agrees with the machine's own 32-bit loader.
if [ -x /lib/ld-linux.so.2 ]; then
  loader=no
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 && loader=yes
  check=no
  (unset KOSETUP_IA32 && source "$scripts/wine-env" && kosetup_ia32_runs) && check=yes
  [ "$check" = "$loader" ] || fail "the check says $check, the 32-bit loader runs: $loader"
fi

# PATH: the wow64 Wine first once built; unchanged for Debian's; an error when not built.
wine_dir=$work/wine
path_after() { # IA32 WINE: PATH after kosetup_use_wine, or "error"
  (
    export KOSETUP_IA32=$1 KOSETUP_CS32=${KOSETUP_CS32:-yes} KOSETUP_WINE=$2 KOSETUP_WINE_WOW64=$wine_dir
    export PATH=/usr/bin:/bin
    source "$scripts/wine-env"
    kosetup_use_wine 2>/dev/null && echo "$PATH" || echo error
  )
}
[ "$(path_after no "")" = error ] || fail "a wow64 Wine that is not built was used"
mkdir -p "$wine_dir/bin" "$wine_dir/lib/i386-windows"
touch "$wine_dir/bin/wine"
chmod +x "$wine_dir/bin/wine"
sed -n 's/^recipe=\([0-9]*\)$/recipe=\1/p' "$scripts/wine-wow64" >"$wine_dir/kosetup-wine.stamp"
[ "$(path_after no "")" = "$wine_dir/bin:/usr/bin:/bin" ] || fail "wow64 Wine not first on PATH"
[ "$(path_after yes "")" = /usr/bin:/bin ] || fail "Debian's Wine: PATH changed"
[ "$(path_after yes wow64)" = "$wine_dir/bin:/usr/bin:/bin" ] || fail "KOSETUP_WINE=wow64 ignored"
[ "$(KOSETUP_CS32=no path_after no "")" = error ] || fail "a Wine was used with no 32-bit code"
# A build of another recipe is not this one.
echo "recipe=0" >"$wine_dir/kosetup-wine.stamp"
[ "$(path_after no "")" = error ] || fail "a Wine of another recipe was used"

[ "$failures" -eq 0 ] || exit 1
echo "wine-env: all cases pass"
