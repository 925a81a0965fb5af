#!/usr/bin/env bash
# The library must export exactly the 23 commands and their 6 mixed-case aliases.
set -eu
lib="$1"
expected="CHANGECOMPORT ChangeComPort ECHOOFF ECHOON EXITTG EXTREF FPGAVERSION GETANALYZERTRACEDATA
GETMARKERLEVEL GETSERIALNUM GetSerialNum MARKERTOCENTER MARKERTOPEAK NORMALIZETG SETFREQ SETRBW
SETREFLVL SETSPAN STARTSTREAMING STARTTG STOPSTREAMING SWVERSION SetFreq SetRBW SetReflvl SetSpan
TGLEVEL TGOFFSET TGONOFF"
want=$(echo $expected | tr ' ' '\n' | LC_ALL=C sort)
have=$(nm -D --defined-only "$lib" | awk '{print $3}' | LC_ALL=C sort)
if [ "$want" != "$have" ]; then
    echo "export list differs (< expected, > actual):"
    diff <(echo "$want") <(echo "$have") 2>/dev/null || { echo "expected:"; echo "$want"; echo "actual:"; echo "$have"; }
    exit 1
fi
echo "29 exports, no others"
