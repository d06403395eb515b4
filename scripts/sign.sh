#!/usr/bin/env bash
# Signs installers with osslsigncode (SHA-256, Authenticode) and checks each signature against
# the certificate (or the CA file given). Each file is replaced only once its signed copy has
# been checked; a failure leaves every file as it was.
set -euo pipefail

help() {
    cat <<'EOF'
Usage: scripts/sign.sh (--cert CERT.pem --key KEY.pem | --pkcs12 FILE.p12)
                       [--password-file FILE] [--ca CA.pem] [--timestamp URL]...
                       [--tsa-certs CERT.pem --tsa-key KEY.pem] FILE...

Signs each FILE (an installer) with the certificate and its key, SHA-256 Authenticode,
and checks the signature before the file is replaced.

  --cert CERT.pem --key KEY.pem   the certificate (with its chain) and its private key, PEM
  --pkcs12 FILE.p12               both in one PKCS#12 file, as certificate vendors deliver them
  --password-file FILE            the password of an encrypted key or of the PKCS#12 file: the
                                  file's first line. Without it the password is asked once on
                                  the terminal; without a terminal signing fails.
  --ca CA.pem                     check the signatures against this CA file instead of the
                                  signing certificate itself
  --timestamp URL                 an RFC 3161 timestamp server, so that the signature stays
                                  valid after the certificate expires; repeat it for servers
                                  to fall back on
  --tsa-certs CERT.pem --tsa-key KEY.pem
                                  timestamp with a timestamp authority of your own, offline
                                  (its certificate chain and key), instead of a server
  --help                          this help

With SOURCE_DATE_EPOCH set, the signing time is that time (and a timestamp authority of
your own stamps that time): two signings of the same file with the same key give the same
bytes. A timestamp server's answer differs every time.
Exit status: 0 signed, 1 failure (every file as it was), 2 usage error.
EOF
}

usage() {
    echo "sign: $1 (scripts/sign.sh --help)" >&2
    exit 2
}

cert= key= pkcs12= passfile= ca= tsacerts= tsakey=
timestamps=()
while [ $# -gt 0 ]; do
    case $1 in
    --help | -h) help; exit 0 ;;
    --cert | --key | --pkcs12 | --password-file | --ca | --timestamp | --tsa-certs | --tsa-key)
        [ $# -ge 2 ] || usage "$1 takes a value"
        case $1 in
        --cert) cert=$2 ;;
        --key) key=$2 ;;
        --pkcs12) pkcs12=$2 ;;
        --password-file) passfile=$2 ;;
        --ca) ca=$2 ;;
        --timestamp) timestamps+=("$2") ;;
        --tsa-certs) tsacerts=$2 ;;
        --tsa-key) tsakey=$2 ;;
        esac
        shift 2 ;;
    --) shift; break ;;
    -*) usage "unknown option $1" ;;
    *) break ;;
    esac
done
if [ -n "$pkcs12" ]; then
    [ -z "$cert$key" ] || usage "--pkcs12 or --cert with --key, not both"
else
    [ -n "$cert" ] && [ -n "$key" ] || usage "give --cert and --key, or --pkcs12"
fi
[ -z "$tsacerts$tsakey" ] || { [ -n "$tsacerts" ] && [ -n "$tsakey" ]; } ||
    usage "--tsa-certs and --tsa-key go together"
[ -z "$tsacerts" ] || [ ${#timestamps[@]} -eq 0 ] || usage "--timestamp or --tsa-certs, not both"
[ $# -gt 0 ] || usage "no file to sign"
for f in "$cert" "$key" "$pkcs12" "$passfile" "$ca" "$tsacerts" "$tsakey" "$@"; do
    [ -z "$f" ] || [ -f "$f" ] || { echo "sign: $f: no such file" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/sign.XXXXXX")
pending=()
trap 'rm -rf "$work"; rm -f ${pending[@]+"${pending[@]}"}' EXIT

# The password: from its file, or asked once on the terminal for every file to sign.
if [ -z "$passfile" ] && { [ -n "$pkcs12" ] || grep -q ENCRYPTED "$key"; }; then
    if [ ! -t 0 ]; then
        echo "sign: ${pkcs12:-$key} needs its password: give it with --password-file FILE" >&2
        exit 1
    fi
    read -rsp "Password of ${pkcs12:-$key}: " password
    echo >&2
    (umask 077 && printf '%s\n' "$password" >"$work/password")
    unset password
    passfile=$work/password
fi

credentials=()
if [ -n "$pkcs12" ]; then
    credentials=(-pkcs12 "$pkcs12")
    chain=$work/chain.pem
    if ! openssl pkcs12 -in "$pkcs12" -nokeys -passin "file:$passfile" -out "$chain" 2>/dev/null &&
        ! openssl pkcs12 -legacy -in "$pkcs12" -nokeys -passin "file:$passfile" -out "$chain" \
            2>/dev/null; then
        echo "sign: cannot read $pkcs12 with the password in $passfile (a wrong password?)" >&2
        exit 1
    fi
else
    credentials=(-certs "$cert" -key "$key")
    chain=$cert
fi
[ -z "$passfile" ] || credentials+=(-readpass "$passfile")
when=()
[ -z "${SOURCE_DATE_EPOCH:-}" ] || when=(-time "$SOURCE_DATE_EPOCH")
stamps=()
for url in ${timestamps[@]+"${timestamps[@]}"}; do
    stamps+=(-ts "$url")
done
checks=()
if [ -n "$tsacerts" ]; then
    stamps=(-TSA-certs "$tsacerts" -TSA-key "$tsakey")
    [ -z "${SOURCE_DATE_EPOCH:-}" ] || stamps+=(-TSA-time "$SOURCE_DATE_EPOCH")
    checks=(-TSA-CAfile "$tsacerts")
fi

# Every file is signed and checked under a temporary name beside it first, then all are renamed.
for file in "$@"; do
    signed="$file.signing-$$"
    pending+=("$signed")
    if ! osslsigncode sign "${credentials[@]}" -h sha256 -n "Setup of Quorbelix" \
        ${when[@]+"${when[@]}"} ${stamps[@]+"${stamps[@]}"} \
        -in "$file" -out "$signed" </dev/null >"$work/log" 2>&1; then
        if grep -qi 'password\|decrypt\|mac verify\|private key\|key file' "$work/log"; then
            echo "sign: cannot read the key${passfile:+ with the password in $passfile} (a wrong password?); nothing was signed" >&2
        else
            cat "$work/log" >&2
            echo "sign: signing $file failed; nothing was signed" >&2
        fi
        exit 1
    fi
    if ! osslsigncode verify -CAfile "${ca:-$chain}" ${checks[@]+"${checks[@]}"} \
        -in "$signed" >"$work/log" 2>&1 ||
        { [ ${#stamps[@]} -gt 0 ] &&
            ! grep -q '^Timestamp Server Signature verification: ok' "$work/log"; }; then
        cat "$work/log" >&2
        echo "sign: the signature of $file does not verify; nothing was signed" >&2
        exit 1
    fi
    chmod --reference="$file" "$signed"
done
for file in "$@"; do
    mv "$file.signing-$$" "$file"
    echo "signed $file"
done
pending=()
