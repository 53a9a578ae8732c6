#!/usr/bin/env bash
# docs/manifest.md names every key the builder's manifest reader accepts: each key the reader
# asks for in builder/manifest.cpp must appear in the reference as a table row (| `key` |) or,
# for a table, as its heading (`[key]` or `[[key]]`).
set -euo pipefail
root=$1
source=${2:-$root/builder/manifest.cpp}
reference=${3:-$root/docs/manifest.md}
# The expert options' own keys live in a table of names and labels.
options=${4:-$root/builder/expert_options.cpp}

# The reader asks for a key by name in one of its readers' calls (reader.String("name"),
# Int32(reader, "build", 0), TableArray(root, "file")...) or declares it (Declare({...})).
keys=$({
  perl -0777 -ne '
  while (/\b(?:String|Boolean|Find|Integer|Int32|StringList|TargetPath|TableArray|OptionalTable|SubTable)\(\s*(?:\w+,\s*)?"([a-z_]+)"/g) { print "$1\n" }
  while (/\bDeclare\(\{([^}]*)\}\)/g) { my $list = $1; print "$1\n" while $list =~ /"([a-z_]+)"/g }
' "$source"
  perl -0777 -ne 'print "$1\n" while /\{"([a-z_]+)", "[A-Z]/g' "$options"
} | sort -u)

count=$(grep -c . <<<"$keys" || true)
# Far fewer keys than the manifest holds means that the reader's calls take a
# form this test does not recognise: say so rather than pass on an empty list.
if [ "$count" -lt 25 ]; then
  echo "found only $count manifest keys in $source: the reader asks for keys in a form this test does not recognise" >&2
  exit 1
fi

missing=()
for key in $keys; do
  grep -qF -e "| \`$key\` |" -e "\`[$key]\`" -e "\`[[$key]]\`" "$reference" || missing+=("$key")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "docs/manifest.md does not describe these keys the builder accepts: ${missing[*]}" >&2
  exit 1
fi
echo "docs/manifest.md describes all $count keys the builder accepts"
