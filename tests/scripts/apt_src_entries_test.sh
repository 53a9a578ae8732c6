#!/usr/bin/env bash
# scripts/apt-src-entries on a made-up apt folder: one-line and deb822 entries of the release
# become deb-src stanzas (an inline key kept whole); other releases, disabled stanzas and the
# file the result goes to are left out; existing deb-src entries make it print nothing.
set -euo pipefail
script=$1/scripts/apt-src-entries
apt=$(mktemp -d)
trap 'rm -rf "$apt"' EXIT
mkdir -p "$apt/sources.list.d"
cat >"$apt/sources.list" <<'SRC'
# a comment
deb [arch=amd64 signed-by=/k/one.gpg] file:/srv/one/debian trixie main contrib
deb file:/srv/other stable main
SRC
cat >"$apt/sources.list.d/two.sources" <<'SRC'
Types: deb
URIs: file:/srv/two/debian
Suites: trixie-updates trixie-backports
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 abc
 -----END PGP PUBLIC KEY BLOCK-----

Types: deb
URIs: file:/srv/off
Suites: trixie
Enabled: no

Types: deb
URIs: file:/srv/node
Suites: nodistro
SRC
printf 'Types: deb-src\nURIs: file:/srv/old\nSuites: trixie\n' >"$apt/sources.list.d/ours.sources"

expected='Types: deb-src
URIs: file:/srv/one/debian
Suites: trixie
Components: main contrib
Signed-By: /k/one.gpg

Types: deb-src
URIs: file:/srv/two/debian
Suites: trixie-updates trixie-backports
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 abc
 -----END PGP PUBLIC KEY BLOCK-----'
actual=$(KOSETUP_SRC_FILE=/etc/apt/sources.list.d/ours.sources "$script" "$apt" trixie)
if [ "$actual" != "$expected" ]; then
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
# Without the exclusion the old deb-src file counts as the machine's own: nothing to add.
[ -z "$(KOSETUP_SRC_FILE=none "$script" "$apt" trixie)" ]
echo "apt-src-entries: passed"
