/* Public interface of libTavrin.so: the analyzer's serial link, one function per operation.
 * Every function returns a 32-bit integer: 1 or a value on success, 0 or a sentinel on failure.
 * Calls must come from one thread, one at a time. */
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

static inline void TavrinByteArrayRelease(TavrinByteArray *array)
{
    if (array) {
        free(array->data);
        free(array);
    }
}

enum { TAVRIN_TRACE_ARRAY_SIZE = 1020, TAVRIN_TRACE_BLOCK_SIZE = 1017 };

int32_t CHANGECOMPORT(int32_t port);
int32_t GETSERIALNUM(void);
int32_t SETFREQ(int32_t kHz);
int32_t SETRBW(int32_t code);
int32_t SETREFLVL(int32_t code);
int32_t SETSPAN(int32_t index);
/* Releases *array (when not null) and stores a new 1020-element array in its place. */
int32_t GETANALYZERTRACEDATA(TavrinByteArray **array);
int32_t STARTSTREAMING(void);
int32_t STOPSTREAMING(void);
int32_t GETMARKERLEVEL(int32_t marker);
int32_t MARKERTOPEAK(void);
int32_t MARKERTOCENTER(void);
int32_t STARTTG(void);
int32_t EXITTG(void);
int32_t NORMALIZETG(void);
int32_t TGONOFF(int32_t on);
int32_t TGLEVEL(int32_t level);
int32_t TGOFFSET(int32_t offset);
int32_t EXTREF(int32_t on);
int32_t SWVERSION(void);
int32_t FPGAVERSION(void);
int32_t ECHOON(void);
int32_t ECHOOFF(void);

/* Mixed-case names of the same entries. */
int32_t ChangeComPort(int32_t port);
int32_t GetSerialNum(void);
int32_t SetFreq(int32_t kHz);
int32_t SetRBW(int32_t code);
int32_t SetReflvl(int32_t code);
int32_t SetSpan(int32_t index);

#ifdef __cplusplus
}
#endif

#endif
