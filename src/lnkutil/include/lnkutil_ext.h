/* Tessary's extensions of the lnkutil C interface: what the device table says about a board, and
 * what an open board says about itself and what it computes on its side. Programs use them to take
 * a board's memory configuration and register base as their defaults, to show a board's identity
 * and to refuse a memory configuration that does not fit the board's Flash. Error codes as in
 * lnkutil_erc.h. */
#ifndef LNKUTIL_EXT_H
#define LNKUTIL_EXT_H

#include "lnkutil.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The value of setting `key` (for example "config", "base", "flash" or "path"; "kind" gives the
 * device's kind, "sim" or "serial") of device `index`, copied with its
 * NUL into `value`, which holds `capacity` bytes. False with LNK_ERC_NO_SETTING when the device
 * has no such setting, LNK_ERC_BAD_COUNT when the value does not fit. */
bool ZmgrGetDevSetting(int32_t index, const char* key, char* value, int32_t capacity, LnkErc* erc);

/* The identity text of the board behind an open handle (a board on a serial line: its answer to
 * the identity request), NUL-terminated and cut to `capacity` - 1 characters. */
bool LnkGetIdentity(LnkHandle h, char* text, int32_t capacity, LnkErc* erc);

/* The size of the board's Flash in bytes, when the board makes it known: a simulated board
 * always, a board on a serial line when its identity announces f=. False with LNK_ERC_UNSUPPORTED
 * when the size is not known. */
bool LnkGetFlashSize(LnkHandle h, uint32_t* bytes, LnkErc* erc);

/* The CRC-32 (IEEE 802.3, as zlib computes it) of `count` bytes (1 to 16,777,215) that the board
 * reads through register `address` from the controller's current address on, computed on the
 * board's side: a board on a serial line that announces it (x=c) sends the 4 bytes of its CRC
 * instead of the data, a simulated board computes it in this process. The controller's address
 * advances as for LnkGetRegRepeat. A `count` of 0 only asks whether the board offers it, reading
 * nothing and leaving `crc` as it is. False with LNK_ERC_UNSUPPORTED when the board does not
 * offer it, LNK_ERC_BAD_COUNT for a count outside 0 to 16,777,215, LNK_ERC_NULL_POINTER when
 * `crc` is null, LNK_ERC_ACCESS_FAILED when the board did not complete it. */
bool LnkBoardChecksum(LnkHandle h, uint8_t address, int32_t count, uint32_t* crc, LnkErc* erc);

/* Why the last data call that failed on the board behind an open handle failed, in the words of
 * its device (a board on a serial line: the line, the request and how it went wrong, such as
 * "/dev/ttyUSB0: request 0x49 (read of 62 bytes from register 0x07): no reply within 1010 ms"),
 * NUL-terminated and cut to `capacity` - 1 characters; the empty text when the device has nothing
 * to add. False when the handle is not open, `text` is null or `capacity` below 1. */
bool LnkGetAccessFailure(LnkHandle h, char* text, int32_t capacity);

#ifdef __cplusplus
}
#endif

#endif /* LNKUTIL_EXT_H */
