#!/usr/bin/env bash
# Signs installers with osslsigncode (SHA-256, Authenticode) and checks each signature against
# the certificate file (or the CA file given). Each file is replaced only once its signed copy
# has been checked.
# Usage: scripts/sign.sh --cert CERT.pem --key KEY.pem [--ca CA.pem] FILE...
set -euo pipefail

usage() {
    echo "usage: $0 --cert CERT.pem --key KEY.pem [--ca CA.pem] FILE..." >&2
    exit 2
}

cert= key= ca=
while [ $# -gt 0 ]; do
    case $1 in
    --cert) [ $# -ge 2 ] || usage; cert=$2; shift 2 ;;
    --key) [ $# -ge 2 ] || usage; key=$2; shift 2 ;;
    --ca) [ $# -ge 2 ] || usage; ca=$2; shift 2 ;;
    --) shift; break ;;
    -*) usage ;;
    *) break ;;
    esac
done
[ -n "$cert" ] && [ -n "$key" ] && [ $# -gt 0 ] || usage
for f in "$cert" "$key" ${ca:+"$ca"} "$@"; do
    [ -f "$f" ] || { echo "sign: $f: no such file" >&2; exit 1; }
done

for file in "$@"; do
    signed="$file.signing-$$"
    trap 'rm -f "$signed"' EXIT
    osslsigncode sign -certs "$cert" -key "$key" -h sha256 -n "Setup of Quorbelix" \
        -in "$file" -out "$signed" >/dev/null
    if ! osslsigncode verify -CAfile "${ca:-$cert}" -in "$signed" >"$signed.log" 2>&1; then
        cat "$signed.log" >&2
        rm -f "$signed.log"
        echo "sign: the signature of $file does not verify" >&2
        exit 1
    fi
    rm -f "$signed.log"
    chmod --reference="$file" "$signed"
    mv "$signed" "$file"
    trap - EXIT
    echo "signed $file"
done
