#!/bin/sh
# The built installer as a release engineer meets it. It is the stub with the payload put in:
# krzpack build makes the same bytes from the stub. Signed afterwards (scripts/sign.sh with a
# throwaway certificate made here), it is listed, verified (whole, and against its source
# files) and extracted as before; a copy cut inside its certificate table is not whole; and
# it is refused as a stub.
# Usage: signed-installer.sh krzpack krzsetup.exe krzsetup-stub.exe payload-folder sign.sh
set -eu
krzpack=$1
installer=$2
stub=$3
files=$4
sign=$5
work=$(mktemp -d "$PWD/signed-installer.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() {
    echo "signed-installer: $*" >&2
    exit 1
}
set -- "$files/KRZ.exe" "$files/KRZ.hlp" "$files/KRZ.cnt" "$files/Uninstall.exe"

"$krzpack" build rebuilt.exe "$stub" "$@"
cmp rebuilt.exe "$installer" || fail "krzpack build makes another installer from the stub"

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 1 \
    -subj "/CN=Throwaway test signer" 2>/dev/null
cp "$installer" setup.exe
"$sign" --cert cert.pem --key key.pem setup.exe
osslsigncode verify -CAfile cert.pem -in setup.exe >/dev/null || fail "the signature does not verify"
[ "$(stat -c %s setup.exe)" -gt "$(stat -c %s "$installer")" ] || fail "setup.exe did not grow"

"$krzpack" list setup.exe >list.txt
head -n 1 list.txt | grep -q ', signed$' || fail "list does not see the signature: $(head -n 1 list.txt)"
grep -q '^4 entries' list.txt || fail "list: $(cat list.txt)"
"$krzpack" verify setup.exe "$@"
mkdir out
"$krzpack" extract setup.exe out >/dev/null
for source in "$@"; do
    cmp "$source" "out/$(basename "$source")"
done

head -c $(($(stat -c %s setup.exe) - 100)) setup.exe >cut.exe
if "$krzpack" verify cut.exe 2>error.txt; then
    fail "verify passes an installer cut inside its certificate table"
fi
grep -q 'cut.exe: the file is cut short: its certificate table' error.txt || fail "$(cat error.txt)"

if "$krzpack" build new.exe setup.exe "$@" 2>error.txt; then
    fail "build takes a signed installer as its stub"
fi
grep -q 'setup.exe: the executable is signed' error.txt || fail "$(cat error.txt)"
[ ! -e new.exe ] || fail "a failed build left new.exe"
echo "signed-installer: passed"
