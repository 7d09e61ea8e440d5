#!/bin/sh
# Traces the route to the target given as the first argument, with traceroute when it is
# installed and tracepath otherwise. Run by VORNClient in a terminal window.
set -u

target=${1-}
if [ "$#" -gt 1 ]; then
    shift
    printf 'Ignored: %s\n' "$@"
fi

if [ -z "$target" ]; then
    echo "No host name or IP address was given."
elif command -v traceroute >/dev/null 2>&1; then
    traceroute -- "$target"
elif command -v tracepath >/dev/null 2>&1; then
    tracepath -- "$target"
else
    echo "Neither traceroute nor tracepath is installed."
fi

printf '\nPress Enter to close this window. '
read -r _ || true
