/* The requests the simulated ACPI device answers. Shared by the driver,
   NRACPI.DLL and boardctl; every field is a fixed-width integer so that a
   32-bit caller and a 64-bit driver agree on each byte. */
#ifndef PELLON_BOARD_PROTOCOL_H
#define PELLON_BOARD_PROTOCOL_H

#include <stdint.h>

#define NRV_DEVICE_NAME_A "\\\\.\\NRVACPI"

/* CTL_CODE(0x22, function, METHOD_BUFFERED, FILE_ANY_ACCESS) */
#define NRV_CTL_CODE(function) ((0x22u << 16) | ((uint32_t)(function) << 2))

/* The maker's driver interface the program uses. */
#define NRV_IOCTL_EVALUATE_METHOD NRV_CTL_CODE(0x901) /* 0x00222404 */
#define NRV_IOCTL_OPEN_HANDSHAKE  NRV_CTL_CODE(0x903) /* 0x0022240C */

/* Private requests of our NRACPI.DLL. */
#define NRV_IOCTL_GET_GROUP       NRV_CTL_CODE(0x980) /* 0x00222600 */
#define NRV_IOCTL_GET_ITEM_INFO   NRV_CTL_CODE(0x981) /* 0x00222604 */
#define NRV_IOCTL_GET_ITEM_VALUE  NRV_CTL_CODE(0x982) /* 0x00222608 */
#define NRV_IOCTL_SET_ITEM_VALUE  NRV_CTL_CODE(0x983) /* 0x0022260C */

/* Private requests of boardctl. */
#define NRV_IOCTL_BOARD_QUERY     NRV_CTL_CODE(0x990) /* 0x00222640 */
#define NRV_IOCTL_BOARD_COMMAND   NRV_CTL_CODE(0x991) /* 0x00222644 */

#define NRV_HANDSHAKE_VERSION 1u

/* Method-call request: header, then the argument block inline (32 bytes for
   two integers, the layout a 32-bit caller uses on 64-bit Windows) or the
   block's address in the caller's memory (20 bytes). */
#define NRV_METHOD_REQUEST_TAG     4u
#define NRV_METHOD_HEADER_SIZE     16u
#define NRV_METHOD_ADDRESS_SIZE    20u
#define NRV_METHOD_MAX_ARGUMENTS   4u
#define NRV_ARGUMENT_TYPE_INTEGER  0u

/* Reply: an ACPI output buffer with one integer argument; the value sits at offset 16. */
#define NRV_METHOD_REPLY_SIGNATURE 0x426F6541u /* "AeoB" */
#define NRV_METHOD_REPLY_SIZE      20u
#define NRV_METHOD_REPLY_VALUE_OFFSET 16u

/* "RBEC" bank holding the phase sensor bytes, and the first sensor's register. */
#define NRV_EC_SENSOR_BANK 182u
#define NRV_EC_FIRST_SENSOR_REGISTER 17u
#define NRV_SENSOR_COUNT 8u

#define NRV_MAX_ITEMS 32u
#define NRV_PROFILE_NAME_SIZE 32u

/* Item flags. */
#define NRV_ITEM_IN_USE     0x1u
#define NRV_ITEM_HIDDEN     0x2u  /* left out of its group list and unreadable */
#define NRV_ITEM_READ_FAILS 0x4u
#define NRV_ITEM_WRITE_FAILS 0x8u

typedef struct NrvItemRequest {
    uint32_t id;
} NrvItemRequest;

typedef struct NrvGroupRequest {
    uint32_t group;
} NrvGroupRequest;

/* GET_GROUP reply: count, then that many item ids. */
typedef struct NrvGroupReplyHeader {
    uint32_t count;
} NrvGroupReplyHeader;

typedef struct NrvItemInfo {
    uint32_t id;
    uint32_t group;
    uint32_t position;      /* index within its group list */
    uint32_t defaultValue;
} NrvItemInfo;

typedef struct NrvItemValue {
    uint32_t value;
} NrvItemValue;

typedef struct NrvSetItemRequest {
    uint32_t id;
    uint32_t value;
    uint32_t mode;          /* NRACPI.DLL passes its caller's constant through */
} NrvSetItemRequest;

typedef struct NrvItem {
    uint32_t id;
    uint32_t value;
    uint32_t defaultValue;
    uint32_t flags;
    uint32_t writes;        /* successful SET_ITEM_VALUE requests, so tests can see re-applies */
    uint32_t lastMode;
} NrvItem;

/* The whole board, as BOARD_QUERY returns it. */
typedef struct NrvBoardState {
    uint32_t size;                          /* sizeof(NrvBoardState), a layout check */
    char profile[NRV_PROFILE_NAME_SIZE];    /* NUL-terminated */
    uint32_t live;
    int32_t baseTemp[NRV_SENSOR_COUNT];     /* degrees */
    uint32_t fixedByte[NRV_SENSOR_COUNT];   /* register byte while not live */
    uint32_t currentByte[NRV_SENSOR_COUNT]; /* what RBEC answers now */
    uint32_t ecFailMask;                    /* bit i: reads of sensor i fail */
    uint32_t groupFail[8];                  /* bit g: group g cannot be read */
    uint32_t ecReads;                       /* RBEC requests answered */
    uint32_t itemCount;
    NrvItem items[NRV_MAX_ITEMS];
} NrvBoardState;

enum NrvCommandOp {
    NRV_CMD_PROFILE = 1,    /* text: profile; resets the whole board */
    NRV_CMD_TEMP,           /* a: sensor, b: degrees (signed) */
    NRV_CMD_EC_BYTE,        /* a: sensor, b: raw register byte */
    NRV_CMD_LIVE,           /* a: 0 or 1 */
    NRV_CMD_SET_ITEM,       /* a: id, b: value; adds the item when it is new */
    NRV_CMD_FAIL_EC,        /* a: sensor mask, b: 0 or 1 */
    NRV_CMD_FAIL_ITEM,      /* a: id, b: 0 or 1 (item missing) */
    NRV_CMD_FAIL_READ,      /* a: id, b: 0 or 1 */
    NRV_CMD_FAIL_WRITE,     /* a: id, b: 0 or 1 */
    NRV_CMD_FAIL_GROUP,     /* a: group, b: 0 or 1 */
    NRV_CMD_FAIL_CLEAR
};

typedef struct NrvCommand {
    uint32_t op;
    uint32_t a;
    uint32_t b;
    char text[NRV_PROFILE_NAME_SIZE];       /* NUL-terminated within the field */
} NrvCommand;

#endif
