#!/usr/bin/perl
# Moves the NT headers and section table of a PE file from where the linker put them (offset
# 128) to offset 256 and rewrites e_lfanew, leaving bytes 128 to 255 zero. The installer keeps
# the pointer to its appended package at offset 136, in padding the Windows loader ignores.
#
#   pe-header-256.pl FILE
use strict;
use warnings;

my $target = 256;
my $file = shift or die "usage: $0 FILE\n";
open(my $fh, '+<:raw', $file) or die "$file: $!\n";
local $/;
my $image = <$fh>;

die "$file: not an MZ executable\n" unless substr($image, 0, 2) eq 'MZ';
my $lfanew = unpack('V', substr($image, 0x3C, 4));
if ($lfanew == $target) {
    exit 0;
}
die "$file: PE header at $lfanew, expected 128 or $target\n" unless $lfanew == 128;
die "$file: no PE signature at $lfanew\n" unless substr($image, $lfanew, 4) eq "PE\0\0";

my $sections = unpack('v', substr($image, $lfanew + 6, 2));
my $optional_size = unpack('v', substr($image, $lfanew + 20, 2));
my $headers_len = 4 + 20 + $optional_size + 40 * $sections;
my $size_of_headers = unpack('V', substr($image, $lfanew + 24 + 60, 4));
die "$file: no room to move the headers ($headers_len bytes, SizeOfHeaders $size_of_headers)\n"
    if $target + $headers_len > $size_of_headers;

# The bytes the moved headers will cover must be padding, or we would destroy data.
my $landing = substr($image, $lfanew + $headers_len, $target - $lfanew);
die "$file: bytes after the headers are not padding\n" if $landing =~ /[^\0]/;

my $headers = substr($image, $lfanew, $headers_len);
substr($image, $target, $headers_len) = $headers;
substr($image, $lfanew, $target - $lfanew) = "\0" x ($target - $lfanew);
substr($image, 0x3C, 4) = pack('V', $target);

seek($fh, 0, 0) or die "$file: $!\n";
print $fh $image or die "$file: $!\n";
close($fh) or die "$file: $!\n";
