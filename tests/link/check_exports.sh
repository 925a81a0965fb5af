#!/usr/bin/env bash
# The library must export exactly the 23 commands and their 6 mixed-case aliases, each alias at
# the address of its command.
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
address() { nm -D --defined-only "$lib" | awk -v n="$1" '$3 == n {print $1}'; }
for pair in CHANGECOMPORT:ChangeComPort GETSERIALNUM:GetSerialNum SETFREQ:SetFreq SETRBW:SetRBW \
            SETREFLVL:SetReflvl SETSPAN:SetSpan; do
    if [ "$(address "${pair%:*}")" != "$(address "${pair#*:}")" ]; then
        echo "${pair#*:} is not the entry of ${pair%:*}"
        exit 1
    fi
done
echo "29 exports, no others; the aliases are their commands' entries"
