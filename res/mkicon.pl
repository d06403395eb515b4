#!/usr/bin/perl
# Turns an icon drawn as text into a Windows icon file (.ico) of 16-colour images, each with
# its transparency mask. The build runs it for every picture in res/icons/.
#
# Usage: mkicon.pl picture.txt icon.ico
#
# A picture file holds one or more images. "image N" starts an N x N image (16, 32 or 48);
# the N lines after it are its rows, top row first, one character per pixel:
#
#   k black      r dark red   g dark green  y olive   n navy  p purple   t teal  s silver
#   d dark grey  R red        G green       Y yellow  B blue  M magenta  C cyan  W white
#   . transparent
#
# Lines starting with "#" and empty lines between images are ignored.
use strict;
use warnings;

my @colours = (
    [k => 0x000000], [r => 0x800000], [g => 0x008000], [y => 0x808000],
    [n => 0x000080], [p => 0x800080], [t => 0x008080], [s => 0xC0C0C0],
    [d => 0x808080], [R => 0xFF0000], [G => 0x00FF00], [Y => 0xFFFF00],
    [B => 0x0000FF], [M => 0xFF00FF], [C => 0x00FFFF], [W => 0xFFFFFF],
);
my %index = map { $colours[$_][0] => $_ } 0 .. $#colours;

die "usage: mkicon.pl picture.txt icon.ico\n" unless @ARGV == 2;
my ($input, $output) = @ARGV;

open my $in, '<', $input or die "mkicon: cannot read $input: $!\n";
my @images;    # each: { size => N, rows => [ ... ] }
my $line = 0;
while (my $text = <$in>) {
    ++$line;
    $text =~ s/\r?\n\z//;
    next if $text =~ /^#/ or $text =~ /^\s*$/;
    if ($text =~ /^image (\d+)$/) {
        my $size = $1;
        die "$input:$line: an image is 16, 32 or 48 pixels square\n"
            unless $size == 16 or $size == 32 or $size == 48;
        push @images, { size => $size, rows => [] };
        for (1 .. $size) {
            my $row = <$in>;
            ++$line;
            die "$input:$line: the image ends after " . ($_ - 1) . " of its $size rows\n"
                unless defined $row;
            $row =~ s/\r?\n\z//;
            die "$input:$line: a row of $size pixels has " . length($row) . "\n"
                unless length($row) == $size;
            die "$input:$line: unknown colour \"$1\"\n" if $row =~ /([^.kryngptsdRGYBMCW])/;
            push @{ $images[-1]{rows} }, $row;
        }
        next;
    }
    die "$input:$line: expected \"image N\", a comment or an empty line\n";
}
close $in;
die "$input: no image\n" unless @images;

# One image: BITMAPINFOHEADER, palette, 4-bit colour rows, 1-bit mask rows; both bitmaps
# bottom-up, each row padded to four bytes. Transparent pixels are black with the mask set.
sub image_data {
    my ($image) = @_;
    my $n = $image->{size};
    my $colour_row = (($n * 4 + 31) >> 5) << 2;
    my $mask_row = (($n + 31) >> 5) << 2;
    my $data = pack 'VVVvvVVVVVV', 40, $n, 2 * $n, 1, 4, 0, ($colour_row + $mask_row) * $n,
        0, 0, 16, 0;
    $data .= pack 'CCCC', $_->[1] & 0xFF, ($_->[1] >> 8) & 0xFF, $_->[1] >> 16, 0 for @colours;
    my ($colour, $mask) = ('', '');
    for my $row (reverse @{ $image->{rows} }) {
        my @pixels = split //, $row;
        my $nibbles = join '', map { $_ eq '.' ? '0' : sprintf '%x', $index{$_} } @pixels;
        my $bits = join '', map { $_ eq '.' ? '1' : '0' } @pixels;
        $colour .= pack("H*", $nibbles) . ("\0" x ($colour_row - $n / 2));
        $mask .= pack("B*", $bits) . ("\0" x ($mask_row - $n / 8));
    }
    return $data . $colour . $mask;
}

my @data = map { image_data($_) } @images;
my $ico = pack 'vvv', 0, 1, scalar @images;
my $offset = 6 + 16 * @images;
for my $i (0 .. $#images) {
    my $n = $images[$i]{size};
    $ico .= pack 'CCCCvvVV', $n, $n, 16, 0, 1, 4, length $data[$i], $offset;
    $offset += length $data[$i];
}
$ico .= join '', @data;

# Written under a temporary name first, so that a failure leaves no partial icon behind.
open my $out, '>:raw', "$output.tmp" or die "mkicon: cannot write $output.tmp: $!\n";
print $out $ico or die "mkicon: cannot write $output.tmp: $!\n";
close $out or die "mkicon: cannot write $output.tmp: $!\n";
rename "$output.tmp", $output or die "mkicon: cannot rename $output.tmp: $!\n";
