/* The simulated board behind \Device\NRVACPI: BIOS items, embedded-controller
   sensor bytes, failure injection, and the request handling that validates
   every request. Plain C with no kernel dependency, so that the driver and the
   unit tests run the same code. */
#ifndef PELLON_BOARD_MODEL_H
#define PELLON_BOARD_MODEL_H

#include "platform/acpidriver/BoardProtocol.h"

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum NrvStatus {
    NRV_OK = 0,
    NRV_INVALID_REQUEST,        /* unknown control code */
    NRV_INVALID_PARAMETER,      /* wrong length or malformed layout */
    NRV_BUFFER_TOO_SMALL,
    NRV_NOT_FOUND,              /* no such item, group or method */
    NRV_DEVICE_ERROR,           /* an injected hardware failure */
    NRV_NOT_SUPPORTED           /* a request layout this board cannot serve */
} NrvStatus;

#define NRV_DEFAULT_PROFILE "8x4"

/* Parses a profile ("8x4", "16x2,off", "conflict", ...) and resets the board
   to it. On a malformed profile the board is left unchanged and 0 returned. */
int NrvBoardLoadProfile(NrvBoardState* board, const char* profile, size_t length);

/* The register byte sensor `sensor` holds at time `nowMs` (sign and magnitude). */
uint32_t NrvBoardSensorByte(const NrvBoardState* board, uint32_t sensor, uint32_t nowMs);

/* Sign-and-magnitude byte of a temperature, clamped to +/-127 degrees. */
uint32_t NrvEncodeTemperature(int32_t degrees);

/* Serves one device request. `in` and `out` may be the same memory (buffered
   requests share one system buffer): the input is consumed before any output
   is written. On success *written is the number of output bytes. */
NrvStatus NrvBoardDispatch(NrvBoardState* board, uint32_t code,
                           const void* in, uint32_t inLength,
                           void* out, uint32_t outLength,
                           uint32_t* written, uint32_t nowMs);

#ifdef __cplusplus
}
#endif

#endif
