#!/usr/bin/env bash
# Makes a test certificate authority and the fakes' certificates in DIR, starts FAKE_PROGRAM on 127.0.0.1
# in the background and waits until it has written DIR/fakes.env (the QUILLMAR_FAKE_ENGINES_* settings the
# contract suite reads). stop-fakes.sh DIR ends it.
# Usage: start-fakes.sh DIR FAKE_PROGRAM
set -euo pipefail
dir=$1
fake=$(realpath "$2")
"$(dirname "$0")/stop-fakes.sh" "$dir"
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir"

# authority NAME: a self-signed authority in NAME.pem / NAME.key.
authority() {
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 -subj "/CN=Quillmar test $1" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
        -keyout "$1.key" -out "$1.pem" 2>/dev/null
}
# server NAME SUBJECT_ALT_NAMES: a server certificate signed by the test authority.
server() {
    openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj "/CN=$1" \
        -keyout "$1.key" -out "$1.csr" 2>/dev/null
    printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=serverAuth\n' \
        "$2" >"$1.ext"
    openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile "$1.ext" \
        -out "$1.pem" 2>/dev/null
}
authority ca
authority untrusted-ca
server fake "IP:127.0.0.1,DNS:localhost"
server wrong-name "DNS:elsewhere.invalid"

# Its output goes to a file and its input is closed: CTest waits for every holder of its pipes.
"$fake" --cert fake.pem --key fake.key --wrong-name-cert wrong-name.pem --wrong-name-key wrong-name.key \
    --ca-file "$PWD/ca.pem" --untrusted-ca-file "$PWD/untrusted-ca.pem" --env-file "$PWD/fakes.env" \
    </dev/null >fake.log 2>&1 &
echo $! >fake.pid
for _ in $(seq 200); do
    if [ -s fakes.env ]; then
        cat fakes.env
        exit 0
    fi
    if ! kill -0 "$(cat fake.pid)" 2>/dev/null; then break; fi
    sleep 0.05
done
echo "start-fakes: the fake engines did not start" >&2
cat fake.log >&2
exit 1
