/* lnkutil error codes: the values the library writes to the caller's error-code variable.
 * 0 after a call that succeeded; one of the others after a call that returned false. */
#ifndef LNKUTIL_ERC_H
#define LNKUTIL_ERC_H

#define LNK_ERC_OK 0
#define LNK_ERC_NOT_INITIALISED 1   /* LnkInit has not run (or LnkTerm has) */
#define LNK_ERC_NULL_POINTER 2      /* a pointer argument that must not be null was null */
#define LNK_ERC_BAD_COUNT 3         /* count below 0 or above what the call carries */
#define LNK_ERC_UNKNOWN_HANDLE 4    /* the handle is 0, closed or was never handed out */
#define LNK_ERC_UNKNOWN_DEVICE 5    /* no device of that name in the table */
#define LNK_ERC_OPEN_FAILED 6       /* the device exists but could not be opened */
#define LNK_ERC_ACCESS_FAILED 7     /* the board did not complete the register access */
#define LNK_ERC_BAD_INDEX 8         /* device index outside the table */
#define LNK_ERC_RESERVED 9          /* the reserved last argument of a data call was not null */
#define LNK_ERC_NO_DIALOG 10        /* the device configuration dialog is not available */
#define LNK_ERC_TOO_MANY_HANDLES 11 /* every handle is in use */
#define LNK_ERC_UNSUPPORTED 12      /* the build or the board cannot do what was asked */
#define LNK_ERC_NO_SETTING 13       /* the device has no setting of that name (lnkutil_ext.h) */

#endif /* LNKUTIL_ERC_H */
