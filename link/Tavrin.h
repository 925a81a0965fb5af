/* Public interface of libTavrin.so: the analyzer's serial link, one function per operation.
 * Every function returns a 32-bit integer: 1 or a value on success, 0 or a sentinel on failure.
 * Calls must come from one thread, one at a time.
 *
 * Port. The library holds one serial port for the whole process. Loading the library opens COM1
 * (a failure is ignored: until CHANGECOMPORT succeeds, every call then behaves as described
 * below for no port); unloading it closes the port. A COM number n resolves, at each opening, to
 * the entry "COMn" of the ports folder ($XDG_CONFIG_HOME/tavrin/ports, else
 * $HOME/.config/tavrin/ports) when that entry exists, even as a link to nothing, which then fails
 * to open; otherwise to /dev/ttyS<n-1>. The port is opened exclusively: the opening fails when
 * another program holds an advisory lock (flock) on the device; otherwise the library takes that
 * lock and sets TIOCEXCL, which refuses further openings by users other than root. The line is
 * raw 8N1 at 57600 baud, no flow control, DTR and RTS low.
 *
 * What goes on the wire, three kinds of frames:
 *  - setting frame: 9 bytes, 0x55 ('U'), a command letter, a value byte (the caller's index + 1,
 *    as a raw byte), six '0' (0x30); the centre frequency frame carries seven digits instead;
 *  - control byte: one byte alone ('j', 0xA5, 0xAA, 0x55), written without read-back;
 *  - text command: ASCII text followed by LF CR; the three queries end with CR alone.
 * Setting frames and text commands are sent one byte at a time, each followed by a one-byte read
 * that waits for the analyzer's echo. The echo is not compared with what was sent, and a missing
 * echo is not an error: it only costs the read's time-out. Whether the sending worked is not
 * reported by any function.
 *
 * Waiting. Every call blocks its thread until it is done. A read of n bytes ends 10 ms x n +
 * 100 ms after it starts at the latest, or 200 ms after the last byte received; a one-byte read
 * (an echo) waits at most 110 ms, so a command to an analyzer that does not echo takes up to
 * 110 ms per byte. A write fails when the driver has taken no byte for 2 s. Without an open port,
 * writes and reads fail at once.
 *
 * Threads. The port and the library's command and receive buffers are shared by all functions
 * without locking: call from one thread only, and never start a call while another is running. */
#ifndef TAVRIN_H
#define TAVRIN_H

#include <stdint.h>
#include <stdlib.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A byte array created by the library (struct and data with malloc); the caller owns it. */
typedef struct TavrinByteArray {
    int32_t count;
    uint8_t *data;
} TavrinByteArray;

/* Frees an array the library handed out, struct and data; NULL is allowed. */
static inline void TavrinByteArrayRelease(TavrinByteArray *array)
{
    if (array) {
        free(array->data);
        free(array);
    }
}

/* Elements of a trace array; bytes of the analyzer's trace block (the last one its checksum). */
enum { TAVRIN_TRACE_ARRAY_SIZE = 1020, TAVRIN_TRACE_BLOCK_SIZE = 1017 };

/* Closes the current port, then opens COM<port> for port 1..4 (resolved as above) and sets its
 * line. Sends nothing and does not wait.
 * Returns 1 when the port is open and configured; 0 for a number outside 1..4, a device that is
 * missing, not accessible or held by another program, or a line that refuses the settings. After
 * a 0 no port is open. Alias: ChangeComPort. */
int32_t CHANGECOMPORT(int32_t port);

/* Asks for the analyzer's serial number: purges, writes 'j', reads 5 bytes (up to 150 ms).
 * Returns the five bytes read as decimal digits (each byte minus '0', not checked: "01234" gives
 * 1234); 999999 when fewer than 5 bytes arrived, which includes no port and no analyzer. Alias:
 * GetSerialNum. */
int32_t GETSERIALNUM(void);

/* Sets the centre frequency in kHz (0..9999999 fit the frame). Purges, then sends the frame "UF"
 * + the decimal text of kHz, zero-padded in front to seven characters (150500 sends
 * "UF0150500"); a longer text is cut to its first seven characters. Takes up to about 1 s when
 * nothing echoes.
 * Returns 1 when the purge worked (an open port, whether or not the analyzer answers), 0 without
 * a port or when the device has gone. Alias: SetFreq. */
int32_t SETFREQ(int32_t kHz);

/* Sets the resolution bandwidth code: 0 = 3 kHz, 1 = 30 kHz, 2 = 220 kHz, 3 = 4 MHz (the analyzer
 * uses it at zero span and picks its own at other spans). Purges, then sends the frame 'R' with
 * value byte code + 1. Other codes send whatever byte code + 1 gives. Up to about 1 s.
 * Returns 1 when the purge worked, 0 without a port. Alias: SetRBW. */
int32_t SETRBW(int32_t code);

/* Sets the reference level code: 0..5 = -30, -20, -10, 0, 10, 20 dBm. Purges, then sends the
 * frame 'L' with value byte code + 1 (other codes: whatever byte code + 1 gives). Up to about 1 s.
 * Returns 1 when the purge worked, 0 without a port. Alias: SetReflvl. */
int32_t SETREFLVL(int32_t code);

/* Sets the span index: 0 = zero span (0 Hz per division), then 2, 5, 10, 20, 50, 100, 200, 500 kHz
 * and 1, 2, 5, 10, 20, 50, 100 MHz per division for 1..15. Sends the frame 'S' with value byte
 * index + 1 (other indexes: whatever byte index + 1 gives), without purging. Up to about 1 s.
 * Returns 1, always. Alias: SetSpan. */
int32_t SETSPAN(int32_t index);

/* Fetches one trace. *array (when not NULL) is released and replaced by a new array of 1020
 * zeroed elements, which the caller owns (release it with TavrinByteArrayRelease, or pass it back
 * to the next call). Purges, writes 0xA5 and reads the 1017-byte block (a read of 1018), then
 * copies its bytes 0..1015 into elements 0..1015: centre frequency in kHz as seven ASCII digits,
 * span index, reference level code, RBW as seven ASCII characters, then 500 points of 16 bits,
 * low byte first. The checksum (byte 1016, the sum of bytes 0..1015 modulo 256) is not copied;
 * elements 1016..1019 stay 0. A block shorter than 1017 bytes fails, its missing bytes set to
 * 0xFF. A failed block is asked for once more, after the line has fallen quiet (at most 300 ms).
 * Only the checksum is checked: points above 1023 pass.
 * The read ends as soon as the block is in; with nothing answering each attempt waits its whole
 * time-out of 10.28 s, so the call may take about 21 s.
 * Returns 1 when a block passed the checksum; 0 when neither attempt did (the array then holds
 * the last attempt); 0 with nothing sent when array is NULL, or when memory runs out (*array is
 * then NULL). */
int32_t GETANALYZERTRACEDATA(TavrinByteArray **array);

/* Switches the analyzer to sending trace blocks on its own: purges, writes 0xAA then 0x55 and
 * reads single bytes until 0x55 directly followed by 0xAA arrives. The library has no call that
 * reads the stream (GETANALYZERTRACEDATA purges it).
 * Returns 1 on that handshake; 0 once the wall clock has advanced more than 2 whole seconds
 * (2 to 3 s), also without a port. */
int32_t STARTSTREAMING(void);

/* Ends streaming: writes 0xAA without purging, reads single bytes until the wall clock has
 * advanced a whole second (up to about 1 s), then writes 0x55 if any byte arrived.
 * Returns 1 if a byte arrived, else 0. */
int32_t STOPSTREAMING(void);

/* Reads a marker level from the analyzer: purges, sends "MKR:LEV 0" CR for marker 1 and
 * "MKR:LEV 1" CR for any other value. Reply: one byte skipped, three bytes, two bytes skipped;
 * each reply byte waits up to 110 ms (up to a second while reads fail).
 * Returns the signed 16-bit value of reply bytes 1 (high) and 2 (low), as the analyzer reports
 * it; 0 when the reply stops, which a level of 0 cannot be told from. */
int32_t GETMARKERLEVEL(int32_t marker);

/* Marker to the highest peak: purges, sends "MKR:PKSR" LF CR. Returns 1, always. */
int32_t MARKERTOPEAK(void);

/* Centre frequency to the marker: purges, sends "MKR:M2C" LF CR. Returns 1, always. */
int32_t MARKERTOCENTER(void);

/* Tracking generator mode on: purges, sends "GEN:DISP" LF CR. Returns 1, always. */
int32_t STARTTG(void);

/* Tracking generator mode off: purges, sends "GEN:EXIT" LF CR. Returns 1, always. */
int32_t EXITTG(void);

/* Normalises the tracking generator response: purges, sends "GEN:NRM" LF CR. Returns 1, always. */
int32_t NORMALIZETG(void);

/* Tracking generator output: purges, sends "GEN:MDE ON" LF CR for on = 1 and "GEN:MDE OFF" LF CR
 * for any other value. Returns 1, always. */
int32_t TGONOFF(int32_t on);

/* Tracking generator output level in dBm, always negative: the magnitude of level, 0..59, is
 * sent, so 25 and -25 both set -25 dBm. Purges, sends "GEN:LEV -" + two digits + LF CR.
 * Returns 1; 0 with nothing sent (after the purge) for a magnitude of 60 or more. */
int32_t TGLEVEL(int32_t level);

/* Tracking generator frequency offset in kHz, -99..99: purges, sends "GEN:OFF " + '+' or '-' +
 * two digits + LF CR ("GEN:OFF -05" for -5, "GEN:OFF +00" for 0).
 * Returns 1; 0 with nothing sent (after the purge) for a magnitude of 100 or more. */
int32_t TGOFFSET(int32_t offset);

/* External frequency reference: purges, sends "REF ON" LF CR for on = 1 and "REF OFF" LF CR for
 * any other value. Returns 1, always. */
int32_t EXTREF(int32_t on);

/* Software version: purges, sends "OPT:VER" CR; reply: one byte skipped, 18 bytes, two skipped,
 * each reply byte waiting as for GETMARKERLEVEL.
 * Returns the decimal number read from reply characters 5, 7 and 8 ("SWVER2.07..." gives 207);
 * 0 when the reply stops or those characters hold no number. */
int32_t SWVERSION(void);

/* FPGA version: purges, sends "OPT:FPGA" CR; reply: one byte skipped, 3 bytes, two skipped.
 * Returns the decimal number read from reply characters 0 and 2 ("1.4" gives 14); 0 when the
 * reply stops or holds no number. */
int32_t FPGAVERSION(void);

/* The analyzer's echo of frames and commands on: purges, sends "ECHO ON" LF CR. Returns 1, always.
 * Sending waits for an echo either way, so with the echo off each byte costs 110 ms. */
int32_t ECHOON(void);

/* The analyzer's echo off: purges, sends "ECHO OFF" LF CR. Returns 1, always. */
int32_t ECHOOFF(void);

/* Mixed-case names of the same entries (each is the address of the upper-case function named). */
int32_t ChangeComPort(int32_t port); /* CHANGECOMPORT */
int32_t GetSerialNum(void);          /* GETSERIALNUM */
int32_t SetFreq(int32_t kHz);        /* SETFREQ */
int32_t SetRBW(int32_t code);        /* SETRBW */
int32_t SetReflvl(int32_t code);     /* SETREFLVL */
int32_t SetSpan(int32_t index);      /* SETSPAN */

#ifdef __cplusplus
}
#endif

#endif
