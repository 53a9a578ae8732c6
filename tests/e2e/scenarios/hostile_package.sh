# A package made by another tool, with an unknown record holding 300,000 nested lists and a
# banner that claims 65500 x 65500 pixels: the wizard still opens, without an error box, and the
# banner area stays black.
plain=$KOSETUP_SOURCE/tests/e2e/products/plain
cp "$plain/license.rtf" "$plain/Plain Indicator.mq4" "$KOSETUP_SOURCE/examples/sample-ea/banner.jpg" "$WORK/"
sed 's/^license = .*/&\nbanner = "banner.jpg"/' "$plain/product.toml" >"$WORK/product.toml"
build_setup "$WORK/product.toml" "$WORK/Setup.exe"
# The banner's frame header: 320 x 160 becomes 65500 x 65500. Then the nest, right behind the
# package's magic (the pointer at 136 finds it), in place of the digest of the records, which
# the other tool does not write.
perl -0777 -pi -e 's/\xFF\xC0\x00\x11\x08\x01\x40\x00\xA0/\xFF\xC0\x00\x11\x08\xFF\xDC\xFF\xDC/ or die;
  my $digest = unpack("V", substr($_, 136, 4)) + 4;
  substr($_, $digest, 5) eq pack("lC", 0x4B44, 8) or die;
  substr($_, $digest, 41) = pack("lC", 99, 0) x 300000 . pack("lC", -1, 0) x 300000' \
  "$WORK/Setup.exe"

drive <<END
start '$(winpath "$WORK/Setup.exe")'
wait-window "Install - Plain Indicator" 30
expect-no-msgbox
expect-page welcome
close
expect-exit 0
END
