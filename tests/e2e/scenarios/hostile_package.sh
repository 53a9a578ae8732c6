# A package made by another tool, with an unknown record holding 300,000 nested lists and a
# banner that claims 65500 x 65500 pixels: the wizard still opens, without an error box, and the
# banner area stays black.
plain=$KOSETUP_SOURCE/tests/e2e/products/plain
cp "$plain/license.rtf" "$plain/Plain Indicator.mq4" "$KOSETUP_SOURCE/examples/sample-ea/banner.jpg" "$WORK/"
sed 's/^license = .*/&\nbanner = "banner.jpg"/' "$plain/product.toml" >"$WORK/product.toml"
build_setup "$WORK/product.toml" "$WORK/Setup.exe"
# The banner's frame header: 320 x 160 becomes 65500 x 65500. Then the nest, right behind the
# records' digest, which the other tool takes over its records as the builder does: the digest
# finds damage, and anyone can take it. The records end where the first file's data begins.
records_end=$("$KOSETUP_NATIVE/kosetup" list --json "$WORK/Setup.exe" |
  python3 -c "import json, sys; print(json.load(sys.stdin)['files'][0]['offset'])")
python3 - "$WORK/Setup.exe" "$records_end" <<'END'
import hashlib, struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
end = int(sys.argv[2])
frame = bytes.fromhex("ffc0001108014000a0")
at = data.index(frame)
data[at:at + len(frame)] = bytes.fromhex("ffc0001108ffdcffdc")
magic = struct.unpack_from("<I", data, 136)[0]
assert struct.unpack_from("<iBI", data, magic + 4) == (0x4B44, 8, 32)
value = magic + 4 + 9
nest = struct.pack("<iB", 99, 0) * 300000 + struct.pack("<iB", -1, 0) * 300000
data[value + 32:value + 32] = nest
end += len(nest)
data[value:value + 32] = hashlib.sha256(data[magic:value] + data[value + 32:end]).digest()
open(sys.argv[1], "wb").write(data)
END

drive <<END
start '$(winpath "$WORK/Setup.exe")'
wait-window "Install - Plain Indicator" 30
expect-no-msgbox
expect-page welcome
close
expect-exit 0
END
