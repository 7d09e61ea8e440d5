#!/bin/sh
# Pings the target given as the first argument; "-t" among the arguments pings until the
# window is closed or Ctrl+C, else four echoes. Run by VORNClient in a terminal window.
set -u

target=""
continuous=no
for argument in "$@"; do
    if [ "$argument" = "-t" ]; then
        continuous=yes
    elif [ -z "$target" ]; then
        target=$argument
    else
        printf 'Ignored: %s\n' "$argument"
    fi
done

if [ -z "$target" ]; then
    echo "No host name or IP address was given."
elif [ "$continuous" = yes ]; then
    ping -- "$target"
else
    ping -c 4 -- "$target"
fi

printf '\nPress Enter to close this window. '
read -r _ || true
