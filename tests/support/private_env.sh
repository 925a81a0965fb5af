#!/bin/sh
# Runs one test (or its listing) with a HOME, XDG_CONFIG_HOME and XDG_DATA_HOME of its own, so no
# test sees the user's folders or what another test left behind.
base=$(mktemp -d "${TMPDIR:-/tmp}/tavrin-env-XXXXXX") || exit 1
mkdir -p "$base/home" "$base/config" "$base/data"
HOME="$base/home" XDG_CONFIG_HOME="$base/config" XDG_DATA_HOME="$base/data" "$@"
status=$?
rm -rf "$base"
exit $status
