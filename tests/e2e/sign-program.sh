#!/bin/sh
# Signs a Windows program as a publisher would, with a throwaway certificate
# made on first use in KEYDIR, and checks the signature.
#   sign-program.sh IN OUT KEYDIR
set -eu
in=$1
out=$2
keys=$3
if [ ! -f "$keys/cert.p12" ]; then
    mkdir -p "$keys"
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=VARNOK test publisher" \
        -keyout "$keys/key.pem" -out "$keys/cert.pem" 2>/dev/null
    echo "throwaway" > "$keys/password"
    openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -out "$keys/cert.p12" \
        -passout "file:$keys/password"
fi
mkdir -p "$(dirname "$out")"
rm -f "$out"
osslsigncode sign -pkcs12 "$keys/cert.p12" -readpass "$keys/password" -n "VARNOK test" -in "$in" -out "$out" >/dev/null
osslsigncode verify -CAfile "$keys/cert.pem" "$out" >/dev/null
