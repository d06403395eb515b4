#!/bin/sh
# The built installer as a release engineer meets it. It is the stub with the payload put in:
# krzpack build makes the same bytes from the stub. Signed afterwards (scripts/sign.sh with a
# throwaway certificate made here), it is listed, verified (whole, and against its source
# files) and extracted as before; a copy cut inside its certificate table is not whole; and
# it is refused as a stub. Signed as vendors deliver certificates: from a PKCS#12 file with its
# password in a file (a wrong one leaves the file as it was), with a timestamp of an offline
# timestamp authority, and at a fixed time, which gives the same bytes twice. The release script
# refuses a payload folder or a version that cannot be right before it builds anything.
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
# A PKCS#12 file with an encrypted key, its password in a file: no prompt, no terminal.
openssl req -x509 -newkey rsa:2048 -keyout vendor-key.pem -out vendor.pem -days 1 \
    -subj "/CN=Throwaway vendor certificate" -passout pass:open-sesame 2>/dev/null
echo open-sesame >password
echo guessed >wrong
openssl pkcs12 -export -inkey vendor-key.pem -passin pass:open-sesame -in vendor.pem \
    -passout pass:open-sesame -out vendor.p12
openssl req -x509 -newkey rsa:2048 -nodes -keyout tsa-key.pem -out tsa.pem -days 1 \
    -subj "/CN=Throwaway timestamp authority" \
    -addext "extendedKeyUsage=critical,timeStamping" 2>/dev/null
for how in pkcs12 pem; do
    cp "$installer" "wrong-$how.exe"
    if [ $how = pkcs12 ]; then
        set -- --pkcs12 vendor.p12
    else
        set -- --cert vendor.pem --key vendor-key.pem
    fi
    if "$sign" "$@" --password-file wrong "wrong-$how.exe" </dev/null >out.txt 2>error.txt; then
        fail "signed with a wrong password ($how)"
    fi
    [ "$(wc -l <error.txt)" -eq 1 ] && grep -q 'wrong password' error.txt ||
        fail "a wrong password ($how) says: $(cat error.txt)"
    cmp "wrong-$how.exe" "$installer" || fail "a wrong password ($how) changed the file"
done
now=$(date +%s)
cp "$installer" first.exe
cp "$installer" second.exe
SOURCE_DATE_EPOCH=$now "$sign" --pkcs12 vendor.p12 --password-file password first.exe </dev/null
SOURCE_DATE_EPOCH=$now "$sign" --cert vendor.pem --key vendor-key.pem --password-file password \
    second.exe </dev/null
cmp first.exe second.exe || fail "two signings at one SOURCE_DATE_EPOCH differ"
cp "$installer" stamped.exe
SOURCE_DATE_EPOCH=$now "$sign" --pkcs12 vendor.p12 --password-file password \
    --tsa-certs tsa.pem --tsa-key tsa-key.pem stamped.exe </dev/null
osslsigncode verify -CAfile vendor.pem -TSA-CAfile tsa.pem -in stamped.exe >verify.txt 2>&1 ||
    fail "the timestamped signature does not verify: $(cat verify.txt)"
grep -q "Timestamp time: $(date -u -d "@$now" '+%b %e %H:%M:%S %Y') GMT" verify.txt ||
    fail "no timestamp at the fixed time: $(cat verify.txt)"
"$krzpack" verify stamped.exe "$files/KRZ.exe" "$files/KRZ.hlp" "$files/KRZ.cnt" \
    "$files/Uninstall.exe" >/dev/null
"$sign" --help | grep -q -- '--pkcs12 FILE.p12' || fail "sign.sh --help"

# The release's refusals, before anything is built: a payload folder that holds other files
# too, or lacks one of the four, and a version that is not four numbers of 0 to 65535.
release=$(dirname "$sign")/release.sh
mkdir mixed
cp "$files/KRZ.exe" "$files/KRZ.hlp" "$files/KRZ.cnt" "$files/Uninstall.exe" mixed/
cp "$files/KRZ.exe" mixed/KRZ-4.4.exe
status=0
"$release" --payload mixed release-out 2>error.txt || status=$?
[ $status -eq 1 ] && grep -q 'holds more than the four files (KRZ-4.4.exe)' error.txt ||
    fail "a mixed payload folder: $status $(cat error.txt)"
rm mixed/KRZ-4.4.exe mixed/KRZ.cnt
status=0
"$release" --payload mixed release-out 2>error.txt || status=$?
[ $status -eq 1 ] && grep -q 'has no file KRZ.cnt' error.txt || fail "$status $(cat error.txt)"
status=0
"$release" --set-version 5.1.2.65536 release-out 2>error.txt || status=$?
[ $status -eq 2 ] && grep -q 'not four numbers of 0 to 65535' error.txt ||
    fail "$status $(cat error.txt)"
[ ! -e release-out ] || fail "a refused release made its folder"
"$release" --help | grep -q -- '--payload DIR' || fail "release.sh --help"

echo "signed-installer: passed"
