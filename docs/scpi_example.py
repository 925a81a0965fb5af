#!/usr/bin/python3
"""Measures with the Tavrin analyzer over SCPI from PyVISA (Debian: python3-pyvisa python3-pyvisa-py).

Run `tavrin-cli serve` (or switch on remote control in TavrinRemote), then:

    /usr/bin/python3 scpi_example.py [HOST] [PORT] [LIMIT]

HOST and PORT default to 127.0.0.1 and 5025. LIMIT names a limit file (LIMIT.lim in the Working
folder) to judge the trace against. Exits 1 when an answer is not what it should be.
"""
import sys

import pyvisa

host = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.1"
port = sys.argv[2] if len(sys.argv) > 2 else "5025"
limit = sys.argv[3] if len(sys.argv) > 3 else None


def check(condition, what):
    if not condition:
        print("wrong:", what)
        sys.exit(1)


rm = pyvisa.ResourceManager("@py")
sa = rm.open_resource(f"TCPIP::{host}::{port}::SOCKET", read_termination="\n", write_termination="\n",
                      timeout=20000)
try:
    print("*IDN?", sa.query("*IDN?"))
    sa.write("*CLS;*RST")

    # Settings are sent and confirmed as typed on the panel; *OPC? answers once they are.
    sa.write("FREQ:CENT 100 MHz;SPAN 20 MHz")
    check(sa.query("*OPC?") == "1", "*OPC? after the settings")
    center, span = (float(v) for v in sa.query("FREQ:CENT?;SPAN?").split(";"))
    print(f"centre {center / 1e6:.3f} MHz, span {span / 1e6:g} MHz")
    check(center == 100e6 and span == 20e6, "centre and span")

    # One fresh trace, then its 500 levels as text and as 32-bit floats (big-endian, SCPI's order).
    sa.write("INIT")
    check(sa.query("*OPC?") == "1", "*OPC? after INIT")
    sa.write("FORM ASC")
    ascii_levels = sa.query_ascii_values("TRAC?")
    freqs = sa.query_ascii_values("TRAC:FREQ?")
    sa.write("FORM REAL,32")
    real_levels = sa.query_binary_values("TRAC?", datatype="f", is_big_endian=True)
    sa.write("FORM ASC")
    print(f"{len(ascii_levels)} levels as ASCII, {len(real_levels)} as REAL,32;",
          f"{freqs[0] / 1e6:.3f} .. {freqs[-1] / 1e6:.3f} MHz")
    check(len(ascii_levels) == 500 and len(real_levels) == 500 and len(freqs) == 500, "500 points")
    check(all(abs(a - r) < 1e-4 for a, r in zip(ascii_levels, real_levels)), "ASCII and REAL,32 agree")

    # Marker 1 to the peak, as the panel's Peak button puts it.
    sa.write("CALC:MARK1:MAX")
    check(sa.query("*OPC?") == "1", "*OPC? after the peak search")
    x = float(sa.query("CALC:MARK1:X?"))
    y = float(sa.query("CALC:MARK1:Y?"))
    peak = max(ascii_levels[:499])
    print(f"marker 1 at {x / 1e6:.4f} MHz, {y:.2f} dBm (highest level of the trace {peak:.2f} dBm)")
    check(abs(y - peak) < 0.01, "the marker on the peak")

    if limit:
        sa.write(f'CALC:LIM1:NAME "{limit}";STAT ON')
        check(sa.query("*OPC?") == "1", "*OPC? after the limit line")
        verdict = sa.query("CALC:LIM1:FAIL?")
        print(f"limit line 1 ({limit}):", "FAIL" if verdict == "1" else "PASS")

    error = sa.query("SYST:ERR?")
    print("SYST:ERR?", error)
    check(error.startswith("0,"), "no error")
finally:
    sa.close()
    rm.close()
