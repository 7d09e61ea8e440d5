#!/bin/sh
# Looks up the domain name given as the first argument, with nslookup when it is installed
# and the system's resolver (getent) otherwise. Run by VORNClient in a terminal window.
set -u

name=${1-}
if [ "$#" -gt 1 ]; then
    shift
    printf 'Ignored: %s\n' "$@"
fi

case $name in
"")
    echo "No domain name was given."
    ;;
-*)
    # nslookup would take it for an option.
    printf 'Not a domain name: %s\n' "$name"
    ;;
*)
    if command -v nslookup >/dev/null 2>&1; then
        nslookup "$name"
    else
        getent ahosts -- "$name"
    fi
    ;;
esac

printf '\nPress Enter to close this window. '
read -r _ || true
