/* libFuzzer target: a sequence of device requests against one board, from the
   default profile, with every buffer exactly as long as the request claims.

   Each request in the input:
     u8  code: below 0xF0 one of kCodes (modulo their count), else the next four
         bytes (little-endian) are the control code itself
     u8  flags: bit 0 one shared buffer for input and output (what the I/O manager
         gives a buffered request), bit 1 a null pointer for an empty buffer,
         bit 2 a null pointer despite a non-zero length
     u8  input length
     u16 output length (little-endian, low 13 bits)
     u32 time in milliseconds (little-endian)
     the input bytes; whatever the data runs short of reads as zero

   Besides the sanitizers' checks, a request must leave the board consistent,
   write nothing on failure, write no more than it reports, and report the reply
   size its code promises. */
#include "platform/acpidriver/BoardModel.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_REQUESTS 32u
#define OUT_LENGTH_MASK 0x1FFFu
#define FILL 0xA5u

static const uint32_t kCodes[] = {
    NRV_IOCTL_EVALUATE_METHOD, NRV_IOCTL_OPEN_HANDSHAKE, NRV_IOCTL_GET_GROUP,
    NRV_IOCTL_GET_ITEM_INFO,   NRV_IOCTL_GET_ITEM_VALUE, NRV_IOCTL_SET_ITEM_VALUE,
    NRV_IOCTL_BOARD_QUERY,     NRV_IOCTL_BOARD_COMMAND,
};

typedef struct Reader {
    const uint8_t* data;
    size_t size;
} Reader;

static uint32_t Take(Reader* r, size_t n)
{
    uint32_t v = 0;
    size_t i;
    for (i = 0; i < n && r->size > 0; ++i, ++r->data, --r->size)
        v |= (uint32_t)r->data[0] << (8u * i);
    return v;
}

static void Fail(const char* what, uint32_t code)
{
    fprintf(stderr, "board fuzz: %s (code 0x%08X)\n", what, code);
    abort();
}

static int AllFill(const uint8_t* p, size_t n)
{
    size_t i;
    for (i = 0; i < n; ++i)
        if (p[i] != FILL)
            return 0;
    return 1;
}

static uint32_t ReadCount(const uint8_t* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static void CheckBoard(const NrvBoardState* b, uint32_t code)
{
    uint32_t i, j;
    if (b->size != sizeof(*b) || b->itemCount > NRV_MAX_ITEMS || b->live > 1 || b->ecFailMask > 0xFFu ||
        !memchr(b->profile, '\0', sizeof(b->profile)))
        Fail("board header out of range", code);
    for (i = 0; i < NRV_SENSOR_COUNT; ++i)
        if (b->fixedByte[i] > 0xFFu || b->baseTemp[i] < -127 || b->baseTemp[i] > 127)
            Fail("sensor out of range", code);
    for (i = 0; i < b->itemCount; ++i) {
        if (!(b->items[i].flags & NRV_ITEM_IN_USE))
            Fail("listed item not in use", code);
        for (j = 0; j < i; ++j)
            if (b->items[j].id == b->items[i].id)
                Fail("item id listed twice", code);
    }
}

/* The reply size a successful request reports, or -1 when it depends on the board. */
static long ReplySize(uint32_t code)
{
    switch (code) {
    case NRV_IOCTL_OPEN_HANDSHAKE: return 4;
    case NRV_IOCTL_EVALUATE_METHOD: return NRV_METHOD_REPLY_SIZE;
    case NRV_IOCTL_GET_ITEM_INFO: return sizeof(NrvItemInfo);
    case NRV_IOCTL_GET_ITEM_VALUE: return sizeof(NrvItemValue);
    case NRV_IOCTL_SET_ITEM_VALUE: return 0;
    case NRV_IOCTL_BOARD_QUERY: return sizeof(NrvBoardState);
    case NRV_IOCTL_BOARD_COMMAND: return 0;
    default: return -1;
    }
}

static void RunOne(NrvBoardState* board, Reader* r)
{
    uint32_t selector = Take(r, 1), code, flags, inLength, outLength, nowMs, written = 0xFFFFFFFFu;
    uint32_t i, shared, size;
    uint8_t *in, *out, *inCopy, *before;
    const void* inArg;
    void* outArg;
    NrvStatus status;

    code = selector < 0xF0u ? kCodes[selector % (sizeof(kCodes) / sizeof(kCodes[0]))] : Take(r, 4);
    flags = Take(r, 1);
    inLength = Take(r, 1);
    outLength = Take(r, 2) & OUT_LENGTH_MASK;
    nowMs = Take(r, 4);
    shared = flags & 1u;

    /* Exact lengths, so any access past them is an ASan report. */
    size = shared ? (inLength > outLength ? inLength : outLength) : inLength;
    in = (uint8_t*)malloc(size);
    inCopy = (uint8_t*)malloc(inLength);
    memset(in, FILL, size);
    for (i = 0; i < inLength; ++i)
        in[i] = (uint8_t)Take(r, 1);
    memcpy(inCopy, in, inLength);
    out = shared ? in : (uint8_t*)malloc(outLength);
    if (!shared)
        memset(out, FILL, outLength);
    before = (uint8_t*)malloc(size);
    memcpy(before, in, size);

    inArg = in;
    outArg = out;
    if ((flags & 2u) && inLength == 0)
        inArg = NULL;
    if ((flags & 2u) && outLength == 0)
        outArg = NULL;
    if ((flags & 4u) && inLength > 0)
        inArg = NULL;
    if ((flags & 4u) && outLength > 0 && inArg)
        outArg = NULL;

    status = NrvBoardDispatch(board, code, inArg, inLength, outArg, outLength, &written, nowMs);

    if ((unsigned)status > NRV_NOT_SUPPORTED)
        Fail("status out of range", code);
    if ((!inArg && inLength) || (!outArg && outLength)) {
        if (status != NRV_INVALID_PARAMETER)
            Fail("null buffer accepted", code);
    }
    if (status != NRV_OK) {
        if (written != 0)
            Fail("failed request reports output", code);
        if (shared ? memcmp(in, before, size) != 0 : !AllFill(out, outLength))
            Fail("failed request wrote to its buffer", code);
    } else {
        long expected = ReplySize(code);
        if (written > outLength)
            Fail("reply longer than the output buffer", code);
        if (expected >= 0 && written != (uint32_t)expected)
            Fail("reply size differs from its layout", code);
        if (code == NRV_IOCTL_GET_GROUP &&
            (written < 8 || written % 4 != 0 || ReadCount(out) != (written - 4) / 4))
            Fail("group reply count disagrees with its size", code);
        if (shared) {
            uint32_t from = written > inLength ? written : inLength;
            if (memcmp(in + from, before + from, size - from) != 0)
                Fail("reply wrote past its reported size", code);
        } else if (!AllFill(out + written, outLength - written)) {
            Fail("reply wrote past its reported size", code);
        }
    }
    if (!shared && memcmp(in, inCopy, inLength) != 0)
        Fail("input buffer changed", code);
    CheckBoard(board, code);

    free(before);
    if (!shared)
        free(out);
    free(inCopy);
    free(in);
}

int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    /* On the heap and dirty, so that loading the profile must set every field. */
    NrvBoardState* board = (NrvBoardState*)malloc(sizeof(NrvBoardState));
    Reader r = {data, size};
    uint32_t n;
    memset(board, FILL, sizeof(*board));
    if (!NrvBoardLoadProfile(board, NRV_DEFAULT_PROFILE, sizeof(NRV_DEFAULT_PROFILE) - 1))
        abort();
    CheckBoard(board, 0);
    for (n = 0; n < MAX_REQUESTS && r.size > 0; ++n)
        RunOne(board, &r);
    free(board);
    return 0;
}
