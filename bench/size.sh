#!/usr/bin/env bash
# Where the installer's bytes go, for both targets: the installer's size, its payload resource
# (RCDATA 129), the stub (the difference), the sections, and the largest contributors read
# from the link map of the product build. Prints a report; asserts nothing.
# Usage: bench/size.sh [build-root]   (default: build/; builds the product programs first)
set -euo pipefail
case ${1-} in --help | -h) sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac # the comment above
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}

for arch in i686 x86_64; do
    product=$root/win-$arch/product
    cmake --build "$root/win-$arch" --target krz_product >/dev/null
    exe=$product/app/krzsetup.exe
    map=$product/app/krzsetup_stub.map
    objdump=$arch-w64-mingw32-objdump

    installer=$(wc -c <"$exe")
    # The size in the leaf of type 10 (RCDATA), name 129, as objdump prints the resource tree.
    payload=$("$objdump" -p "$exe" | awk '
        /^The .rsrc Resource Directory/ { on = 1 }
        !on { next }
        { gsub(/,/, "") }
        /^[0-9a-f]+   Entry: ID: / { type = $4 }
        /^[0-9a-f]+     Entry: ID: / { name = $4 }
        /Leaf: / && type == "0x00000a" && name == "0x000081" { size = $6 }
        END { print size ? size : 0 }')
    payload=$((payload))
    echo "== $arch: $exe"
    printf '%-40s %9d bytes\n' "installer" "$installer" "payload resource (RCDATA 129)" "$payload" \
        "stub (installer - payload)" $((installer - payload))

    echo "-- sections (bytes in the image; the file rounds each up to 512)"
    "$objdump" -h "$exe" | perl -ane 'printf "%-60s %9d\n", $F[1], hex $F[2] if $F[0] =~ /^\d+$/'

    echo "-- largest contributors (bytes in the image, from the link map)"
    perl - "$map" "$payload" "$installer" <<'PERL'
use strict;
my ($map, $payload, $installer) = @ARGV;
open my $in, '<', $map or die "no link map $map\n";
my ($on, $out, $pending, %by);
my $add = sub {
    my ($section, $size, $file) = @_;
    # Debugging sections are stripped; .bss takes no room in the file.
    return if $section =~ /^(\.debug|\/DISCARD|\.bss)/ || $size == 0 || $file =~ /^(LONG|SHORT|BYTE|QUAD)\b/;
    my $what;
    # The map is the stub's: the packer puts the payload in afterwards.
    if ($section eq '.rsrc') {
        $by{'resources: dialogs, icons, version, manifest'} += $size;
        return;
    }
    if ($section eq '.idata' || $file =~ /lib(kernel32|user32|advapi32|ole32|gdi32)\.a/) {
        $what = 'import tables';
    }
    elsif ($section eq '.reloc') { $what = 'base relocations (for address space randomisation)'; }
    elsif ($file =~ /ltrans/) { $what = "our code ($section; one link-time optimised unit)"; }
    elsif ($file =~ /libstdc\+\+\.a\((\S+)\.o\)/) { $what = "C++ runtime, libstdc++ $1"; }
    elsif ($file =~ /libgcc(_eh)?\.a\((\S+)\.o\)/) { $what = "compiler runtime, libgcc $2"; }
    elsif ($file =~ /(libmingw\w*|libmsvcrt\w*)\.a|crt\w*\.o/) { $what = 'C runtime start-up (mingw-w64)'; }
    elsif ($file =~ /libuuid\.a/) { $what = 'COM interface identifiers (libuuid)'; }
    else { $what = "other: $file"; }
    $by{$what} += $size;
};
while (<$in>) {
    chomp;
    $on = 1 if /^Linker script and memory map/;
    next unless $on;
    if (/^(\S+)\s+0x[0-9a-f]+\s+0x([0-9a-f]+)/) { $out = $1; next; }
    if (/^(\S+)$/) { $out = $1; next; }
    if (/^ \S+\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$/) { $add->($out, hex $1, $2); $pending = 0; next; }
    if (/^ \S+$/) { $pending = 1; next; }
    if ($pending && /^\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$/) { $add->($out, hex $1, $2); }
    $pending = 0;
}
$by{'resources: the payload'} = $payload;
# Runtime objects below 1,000 bytes are summed up per library.
my %shown;
for my $k (keys %by) {
    my $key = $k;
    if ($by{$k} < 1000 && $k =~ /^(C\+\+ runtime, libstdc\+\+|compiler runtime, libgcc) /) {
        $key = "$1: smaller objects";
    }
    $shown{$key} += $by{$k};
}
my $total = 0;
for my $k (sort { $shown{$b} <=> $shown{$a} } keys %shown) {
    printf "%-60s %9d\n", $k, $shown{$k};
    $total += $shown{$k};
}
printf "%-60s %9d\n", 'headers, section alignment and the rest', $installer - $total;
PERL
    echo
done
