#!/usr/bin/perl
# Writes the stub's version resource: a VS_VERSIONINFO naming KoSetup, padded with zeros to a
# fixed size. The builder writes each product's block over it in place, so the reserve must
# hold the largest block the builder makes (see builder/version_resource.h).
#
#   version-placeholder.pl OUTPUT VERSION SIZE
use strict;
use warnings;

my ($output, $version, $size) = @ARGV;
die "usage: $0 OUTPUT VERSION SIZE\n" unless defined $size;
my @parts = (split(/\./, $version), 0, 0, 0, 0)[0 .. 3];

sub utf16z { my $text = shift; return pack('v*', map { ord } split //, $text) . "\0\0"; }
sub align { my $data = shift; return $data . ("\0" x ((4 - length($data) % 4) % 4)); }

# One block: length, value length, type (1 text, 0 binary), key, value, children.
sub block {
    my ($key, $value, $value_length, $type, @children) = @_;
    # The key starts after the six header bytes; the alignment counts from the block's start.
    my $body = align("\0" x 6 . utf16z($key)) . $value;
    $body = align($body) . $_ for @children;
    return pack('vvv', length($body), $value_length, $type) . substr($body, 6);
}

sub string_block {
    my ($key, $value) = @_;
    return block($key, utf16z($value), length($value) + 1, 1);
}

my $ms = $parts[0] << 16 | $parts[1];
my $ls = $parts[2] << 16 | $parts[3];
my $fixed = pack('V13', 0xFEEF04BD, 0x00010000, $ms, $ls, $ms, $ls, 0x3F, 0, 0x00040004, 1, 0,
                 0, 0);
my $text = join('.', @parts);
my $table = block('040904B0', '', 0, 1,
                  string_block('FileDescription', 'KoSetup installer'),
                  string_block('FileVersion', $text), string_block('ProductName', 'KoSetup'),
                  string_block('ProductVersion', $text));
my $resource = block('VS_VERSION_INFO', $fixed, 52, 0, block('StringFileInfo', '', 0, 1, $table),
                     block('VarFileInfo', '', 0, 1,
                           block('Translation', pack('vv', 0x0409, 1200), 4, 0)));
die "$output: the version block is larger than $size bytes\n" if length($resource) > $size;
open(my $fh, '>:raw', $output) or die "$output: $!\n";
print $fh $resource . ("\0" x ($size - length($resource)));
close($fh) or die "$output: $!\n";
