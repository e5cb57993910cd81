/* lnkutil: register access to the logic on a board, and the table of known boards (devices).
 *
 * Every call takes an error-code variable of the caller's that the library fills on failure;
 * data calls take a last pointer that must be null. A call has finished its transfer when it
 * returns. Repeat calls carry up to 8192 bytes, set calls up to 68 pairs. Device names have at
 * most 19 characters. */
#ifndef LNKUTIL_H
#define LNKUTIL_H

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t LnkHandle; /* 0 = none */
typedef int32_t LnkErc;

bool LnkInit(LnkErc* erc);
void LnkTerm(void);
int32_t ZmgrGetDevCount(LnkErc* erc);
bool ZmgrGetDevName(int32_t index, char* name /* 20 bytes */, LnkErc* erc);
int32_t ZmgrGetDefaultDev(LnkErc* erc);
bool ZmgrStartConfigureDevices(void* owner, LnkErc* erc);
bool LnkOpenData(LnkHandle* handle, const char* device, LnkErc* erc, void* reserved);
bool LnkCloseData(LnkHandle handle, LnkErc* erc);
bool LnkPutReg(LnkHandle h, uint8_t address, uint8_t data, LnkErc* erc, void* reserved);
bool LnkPutRegRepeat(LnkHandle h, uint8_t address, const uint8_t* data, int32_t count, LnkErc* erc,
                     void* reserved);
bool LnkPutRegSet(LnkHandle h, const uint8_t* addresses, const uint8_t* data, int32_t count,
                  LnkErc* erc, void* reserved);
bool LnkGetReg(LnkHandle h, uint8_t address, uint8_t* data, LnkErc* erc, void* reserved);
bool LnkGetRegRepeat(LnkHandle h, uint8_t address, uint8_t* data, int32_t count, LnkErc* erc,
                     void* reserved);
bool LnkGetRegSet(LnkHandle h, const uint8_t* addresses, uint8_t* values, int32_t count,
                  LnkErc* erc, void* reserved);

/* An extension of this implementation: why the last LnkOpenData of the process failed, in words
 * for the user ("no device named 'X' in the device table", "/dev/ttyUSB0: permission denied; ..."),
 * NUL-terminated and cut to capacity bytes; an empty text when it succeeded or the library has
 * nothing to add. False when text is null or capacity below 1. */
bool LnkGetOpenFailure(char* text, int32_t capacity);

#ifdef __cplusplus
}
#endif

#endif /* LNKUTIL_H */
