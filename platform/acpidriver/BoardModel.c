#include "platform/acpidriver/BoardModel.h"

#include <string.h>

/* Longest valid input of any request (a method call with four inline integers). */
#define NRV_MAX_INPUT 64u

static const int32_t kDefaultBase[NRV_SENSOR_COUNT] = {45, 47, 44, 48, 46, 43, 49, 45};

/* Live temperatures: a triangle drift of +/-3 degrees over a minute, each sensor
   a little out of step, plus one degree of noise that changes every second. */
#define NRV_DRIFT_PERIOD_MS 60000u
#define NRV_DRIFT_STEP_MS   (NRV_DRIFT_PERIOD_MS / 12u)
#define NRV_NOISE_SLOT_MS   1000u

static uint32_t ReadU32(const uint8_t* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

static uint32_t ReadU16(const uint8_t* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8);
}

static void WriteU32(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
}

static void WriteU16(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

uint32_t NrvEncodeTemperature(int32_t degrees)
{
    if (degrees > 127)
        degrees = 127;
    if (degrees < -127)
        degrees = -127;
    return degrees < 0 ? 0x80u | (uint32_t)(-degrees) : (uint32_t)degrees;
}

static int32_t DecodeTemperature(uint32_t byte)
{
    int32_t magnitude = (int32_t)(byte & 0x7Fu);
    return (byte & 0x80u) ? -magnitude : magnitude;
}

static int32_t Drift(uint32_t sensor, uint32_t nowMs)
{
    uint32_t phase = (nowMs + sensor * (NRV_DRIFT_PERIOD_MS / NRV_SENSOR_COUNT)) % NRV_DRIFT_PERIOD_MS;
    int32_t step = (int32_t)(phase / NRV_DRIFT_STEP_MS); /* 0 .. 11 */
    return step < 6 ? step - 3 : 9 - step;               /* -3 .. 3 .. -2 */
}

static int32_t Noise(uint32_t sensor, uint32_t nowMs)
{
    uint32_t h = (nowMs / NRV_NOISE_SLOT_MS) * 2654435761u ^ (sensor + 1u) * 2246822519u;
    h ^= h >> 15;
    h *= 2654435761u;
    h ^= h >> 13;
    return (int32_t)(h % 3u) - 1;
}

uint32_t NrvBoardSensorByte(const NrvBoardState* board, uint32_t sensor, uint32_t nowMs)
{
    if (sensor >= NRV_SENSOR_COUNT)
        return 0;
    if (!board->live)
        return board->fixedByte[sensor] & 0xFFu;
    return NrvEncodeTemperature(board->baseTemp[sensor] + Drift(sensor, nowMs) + Noise(sensor, nowMs));
}

static NrvItem* FindItem(NrvBoardState* board, uint32_t id)
{
    uint32_t i;
    for (i = 0; i < board->itemCount && i < NRV_MAX_ITEMS; ++i)
        if (board->items[i].id == id)
            return &board->items[i];
    return NULL;
}

static NrvItem* FindVisibleItem(NrvBoardState* board, uint32_t id)
{
    NrvItem* item = FindItem(board, id);
    return item && !(item->flags & NRV_ITEM_HIDDEN) ? item : NULL;
}

static NrvItem* AddItem(NrvBoardState* board, uint32_t id, uint32_t value)
{
    NrvItem* item;
    if (board->itemCount >= NRV_MAX_ITEMS)
        return NULL;
    item = &board->items[board->itemCount++];
    memset(item, 0, sizeof(*item));
    item->id = id;
    item->value = value;
    item->defaultValue = value;
    item->flags = NRV_ITEM_IN_USE;
    return item;
}

static int IsGroupFailing(const NrvBoardState* board, uint32_t group)
{
    return (board->groupFail[group / 32u] >> (group % 32u)) & 1u;
}

static char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

static int TokenIs(const char* token, size_t length, const char* word)
{
    size_t i;
    for (i = 0; i < length; ++i)
        if (word[i] == '\0' || Lower(token[i]) != word[i])
            return 0;
    return word[length] == '\0';
}

/* "<digits>" into *value; 0 when not a small decimal number. */
static int ParseNumber(const char* text, size_t length, uint32_t* value)
{
    size_t i;
    uint32_t v = 0;
    if (length == 0 || length > 3)
        return 0;
    for (i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return 0;
        v = v * 10u + (uint32_t)(text[i] - '0');
    }
    *value = v;
    return 1;
}

typedef struct ProfileParts {
    uint32_t phases;
    uint32_t perSensor;
    int featureOff;
    int conflict;
    int absent;
    int live;
} ProfileParts;

static int ParseLayout(const char* token, size_t length, ProfileParts* parts)
{
    size_t x;
    uint32_t phases, perSensor;
    for (x = 0; x < length && Lower(token[x]) != 'x'; ++x)
        ;
    if (x == length || !ParseNumber(token, x, &phases) ||
        !ParseNumber(token + x + 1, length - x - 1, &perSensor))
        return 0;
    /* Phases per sensor is twice a 4-bit field; at most eight sensors. */
    if (perSensor < 2 || perSensor > 30 || perSensor % 2 != 0)
        return 0;
    if (phases == 0 || phases % perSensor != 0 || phases / perSensor > NRV_SENSOR_COUNT)
        return 0;
    parts->phases = phases;
    parts->perSensor = perSensor;
    return 1;
}

static int ParseProfile(const char* text, size_t length, ProfileParts* parts)
{
    size_t start = 0;
    int haveLayout = 0;
    parts->phases = 8;
    parts->perSensor = 4;
    parts->featureOff = parts->conflict = parts->absent = parts->live = 0;
    if (length == 0 || length >= NRV_PROFILE_NAME_SIZE)
        return 0;
    while (start <= length) {
        size_t end = start, a, b;
        while (end < length && text[end] != ',')
            ++end;
        a = start;
        b = end;
        while (a < b && text[a] == ' ')
            ++a;
        while (b > a && text[b - 1] == ' ')
            --b;
        if (TokenIs(text + a, b - a, "off"))
            parts->featureOff = 1;
        else if (TokenIs(text + a, b - a, "conflict"))
            parts->conflict = 1;
        else if (TokenIs(text + a, b - a, "absent"))
            parts->absent = 1;
        else if (TokenIs(text + a, b - a, "live"))
            parts->live = 1;
        else if (!haveLayout && ParseLayout(text + a, b - a, parts))
            haveLayout = 1;
        else
            return 0;
        start = end + 1;
    }
    return 1;
}

int NrvBoardLoadProfile(NrvBoardState* board, const char* profile, size_t length)
{
    ProfileParts parts;
    uint32_t sensors, mask = 0, i;
    if (!profile || !ParseProfile(profile, length, &parts))
        return 0;
    sensors = parts.phases / parts.perSensor;
    for (i = 0; i < sensors; ++i)
        mask |= (parts.perSensor / 2u) << (4u * i);

    memset(board, 0, sizeof(*board));
    board->size = sizeof(*board);
    memcpy(board->profile, profile, length);
    board->live = (uint32_t)parts.live;
    for (i = 0; i < NRV_SENSOR_COUNT; ++i) {
        board->baseTemp[i] = kDefaultBase[i];
        board->fixedByte[i] = NrvEncodeTemperature(kDefaultBase[i]);
    }

    /* Group 0x00: platform items, among them the tuning-utility ownership bits (mask 4). */
    AddItem(board, 0x00010001u, 1);
    AddItem(board, 0x00010002u, 0);
    AddItem(board, 0x00060007u, 0);
    AddItem(board, 0x00060008u, parts.conflict ? 0x05u : 0x01u);
    AddItem(board, 0x00060009u, parts.conflict ? 0x04u : 0x00u);
    AddItem(board, 0x0006000Au, 0);
    AddItem(board, 0x05000010u, 0x3C);
    /* Group 0x11: power delivery items. */
    AddItem(board, 0x11030001u, 1);
    AddItem(board, 0x11030002u, 0);
    AddItem(board, 0x1103001Cu, 1);
    if (!parts.absent) {
        AddItem(board, 0x1103001Du, parts.featureOff ? 0u : 1u);
        AddItem(board, 0x1103001Eu, sensors);
        AddItem(board, 0x1103001Fu, mask);
    }
    AddItem(board, 0x11030020u, 0);
    return 1;
}

/* Method-call request: validates the header and the inline argument block and
   gives the integer arguments. */
static NrvStatus ParseMethodRequest(const uint8_t* in, uint32_t inLength, char name[4],
                                    uint32_t* args, uint32_t* argCount)
{
    uint32_t count, blockSize, offset, i;
    if (inLength < NRV_METHOD_HEADER_SIZE)
        return NRV_INVALID_PARAMETER;
    if (ReadU32(in) != NRV_METHOD_REQUEST_TAG)
        return NRV_INVALID_PARAMETER;
    memcpy(name, in + 4, 4);
    count = ReadU32(in + 8);
    blockSize = ReadU32(in + 12);
    if (count == 0 || count > NRV_METHOD_MAX_ARGUMENTS || blockSize < 8u * count ||
        blockSize > NRV_MAX_INPUT)
        return NRV_INVALID_PARAMETER;
    if (inLength == NRV_METHOD_ADDRESS_SIZE) {
        /* The block lives in the caller's memory; this board runs in another
           process and cannot follow the address. */
        return NRV_NOT_SUPPORTED;
    }
    if (inLength != NRV_METHOD_HEADER_SIZE + blockSize)
        return NRV_INVALID_PARAMETER;
    offset = 0;
    for (i = 0; i < count; ++i) {
        const uint8_t* arg = in + NRV_METHOD_HEADER_SIZE + offset;
        uint32_t dataLength;
        if (offset + 8u > blockSize)
            return NRV_INVALID_PARAMETER;
        dataLength = ReadU16(arg + 2);
        if (ReadU16(arg) != NRV_ARGUMENT_TYPE_INTEGER || dataLength != 4)
            return NRV_INVALID_PARAMETER;
        args[i] = ReadU32(arg + 4);
        offset += 8u;
    }
    if (offset != blockSize)
        return NRV_INVALID_PARAMETER;
    *argCount = count;
    return NRV_OK;
}

static NrvStatus EvaluateMethod(NrvBoardState* board, const uint8_t* in, uint32_t inLength,
                                uint8_t* out, uint32_t outLength, uint32_t* written, uint32_t nowMs)
{
    char name[4];
    uint32_t args[NRV_METHOD_MAX_ARGUMENTS];
    uint32_t count = 0, value = 0;
    NrvStatus status = ParseMethodRequest(in, inLength, name, args, &count);
    if (status != NRV_OK)
        return status;
    if (memcmp(name, "RBEC", 4) != 0)
        return NRV_NOT_FOUND;
    if (count != 2)
        return NRV_INVALID_PARAMETER;
    if (outLength < NRV_METHOD_REPLY_SIZE)
        return NRV_BUFFER_TOO_SMALL;
    if (args[0] == NRV_EC_SENSOR_BANK && args[1] >= NRV_EC_FIRST_SENSOR_REGISTER &&
        args[1] < NRV_EC_FIRST_SENSOR_REGISTER + NRV_SENSOR_COUNT) {
        uint32_t sensor = args[1] - NRV_EC_FIRST_SENSOR_REGISTER;
        if ((board->ecFailMask >> sensor) & 1u)
            return NRV_DEVICE_ERROR;
        value = NrvBoardSensorByte(board, sensor, nowMs);
    } else if (args[0] > 0xFFu || args[1] > 0xFFu) {
        return NRV_INVALID_PARAMETER;
    }
    /* Other embedded-controller registers of this board read as zero. */
    ++board->ecReads;
    WriteU32(out, NRV_METHOD_REPLY_SIGNATURE);
    WriteU32(out + 4, NRV_METHOD_REPLY_SIZE);
    WriteU32(out + 8, 1);
    WriteU16(out + 12, NRV_ARGUMENT_TYPE_INTEGER);
    WriteU16(out + 14, 4);
    WriteU32(out + NRV_METHOD_REPLY_VALUE_OFFSET, value);
    *written = NRV_METHOD_REPLY_SIZE;
    return NRV_OK;
}

static NrvStatus GetGroup(NrvBoardState* board, uint32_t group, uint8_t* out, uint32_t outLength,
                          uint32_t* written)
{
    uint32_t i, count = 0;
    if (group > 0xFFu)
        return NRV_INVALID_PARAMETER;
    if (IsGroupFailing(board, group))
        return NRV_DEVICE_ERROR;
    for (i = 0; i < board->itemCount; ++i)
        if ((board->items[i].id >> 24) == group && !(board->items[i].flags & NRV_ITEM_HIDDEN))
            ++count;
    if (count == 0)
        return NRV_NOT_FOUND;
    if (outLength < 4u + 4u * count)
        return NRV_BUFFER_TOO_SMALL;
    WriteU32(out, count);
    count = 0;
    for (i = 0; i < board->itemCount; ++i)
        if ((board->items[i].id >> 24) == group && !(board->items[i].flags & NRV_ITEM_HIDDEN))
            WriteU32(out + 4u + 4u * count++, board->items[i].id);
    *written = 4u + 4u * count;
    return NRV_OK;
}

static NrvStatus GetItemInfo(NrvBoardState* board, uint32_t id, uint8_t* out, uint32_t outLength,
                             uint32_t* written)
{
    uint32_t i, position = 0;
    NrvItem* item = FindVisibleItem(board, id);
    if (!item)
        return NRV_NOT_FOUND;
    if (outLength < sizeof(NrvItemInfo))
        return NRV_BUFFER_TOO_SMALL;
    for (i = 0; &board->items[i] != item; ++i)
        if ((board->items[i].id >> 24) == (id >> 24) && !(board->items[i].flags & NRV_ITEM_HIDDEN))
            ++position;
    WriteU32(out, id);
    WriteU32(out + 4, id >> 24);
    WriteU32(out + 8, position);
    WriteU32(out + 12, item->defaultValue);
    *written = sizeof(NrvItemInfo);
    return NRV_OK;
}

static NrvStatus Query(NrvBoardState* board, uint8_t* out, uint32_t outLength, uint32_t* written,
                       uint32_t nowMs)
{
    uint32_t i;
    if (outLength < sizeof(NrvBoardState))
        return NRV_BUFFER_TOO_SMALL;
    for (i = 0; i < NRV_SENSOR_COUNT; ++i)
        board->currentByte[i] = NrvBoardSensorByte(board, i, nowMs);
    memcpy(out, board, sizeof(NrvBoardState));
    *written = sizeof(NrvBoardState);
    return NRV_OK;
}

static NrvStatus SetItemFlag(NrvBoardState* board, uint32_t id, uint32_t flag, uint32_t on)
{
    NrvItem* item = FindItem(board, id);
    if (!item || on > 1)
        return item ? NRV_INVALID_PARAMETER : NRV_NOT_FOUND;
    item->flags = on ? (item->flags | flag) : (item->flags & ~flag);
    return NRV_OK;
}

static NrvStatus Command(NrvBoardState* board, const NrvCommand* cmd)
{
    uint32_t i;
    switch (cmd->op) {
    case NRV_CMD_PROFILE: {
        size_t length = 0;
        while (length < NRV_PROFILE_NAME_SIZE && cmd->text[length] != '\0')
            ++length;
        if (length == NRV_PROFILE_NAME_SIZE)
            return NRV_INVALID_PARAMETER;
        return NrvBoardLoadProfile(board, cmd->text, length) ? NRV_OK : NRV_INVALID_PARAMETER;
    }
    case NRV_CMD_TEMP: {
        int32_t degrees = (int32_t)cmd->b;
        if (cmd->a >= NRV_SENSOR_COUNT || degrees < -127 || degrees > 127)
            return NRV_INVALID_PARAMETER;
        board->baseTemp[cmd->a] = degrees;
        board->fixedByte[cmd->a] = NrvEncodeTemperature(degrees);
        return NRV_OK;
    }
    case NRV_CMD_EC_BYTE:
        if (cmd->a >= NRV_SENSOR_COUNT || cmd->b > 0xFFu)
            return NRV_INVALID_PARAMETER;
        board->fixedByte[cmd->a] = cmd->b;
        board->baseTemp[cmd->a] = DecodeTemperature(cmd->b);
        return NRV_OK;
    case NRV_CMD_LIVE:
        if (cmd->a > 1)
            return NRV_INVALID_PARAMETER;
        board->live = cmd->a;
        return NRV_OK;
    case NRV_CMD_SET_ITEM: {
        NrvItem* item = FindItem(board, cmd->a);
        if (item) {
            item->value = cmd->b;
            return NRV_OK;
        }
        return AddItem(board, cmd->a, cmd->b) ? NRV_OK : NRV_BUFFER_TOO_SMALL;
    }
    case NRV_CMD_FAIL_EC:
        if (cmd->a == 0 || cmd->a > 0xFFu || cmd->b > 1)
            return NRV_INVALID_PARAMETER;
        board->ecFailMask = cmd->b ? (board->ecFailMask | cmd->a) : (board->ecFailMask & ~cmd->a);
        return NRV_OK;
    case NRV_CMD_FAIL_ITEM:
        return SetItemFlag(board, cmd->a, NRV_ITEM_HIDDEN, cmd->b);
    case NRV_CMD_FAIL_READ:
        return SetItemFlag(board, cmd->a, NRV_ITEM_READ_FAILS, cmd->b);
    case NRV_CMD_FAIL_WRITE:
        return SetItemFlag(board, cmd->a, NRV_ITEM_WRITE_FAILS, cmd->b);
    case NRV_CMD_FAIL_GROUP:
        if (cmd->a > 0xFFu || cmd->b > 1)
            return NRV_INVALID_PARAMETER;
        if (cmd->b)
            board->groupFail[cmd->a / 32u] |= 1u << (cmd->a % 32u);
        else
            board->groupFail[cmd->a / 32u] &= ~(1u << (cmd->a % 32u));
        return NRV_OK;
    case NRV_CMD_FAIL_CLEAR:
        board->ecFailMask = 0;
        memset(board->groupFail, 0, sizeof(board->groupFail));
        for (i = 0; i < board->itemCount; ++i)
            board->items[i].flags &= ~(NRV_ITEM_HIDDEN | NRV_ITEM_READ_FAILS | NRV_ITEM_WRITE_FAILS);
        return NRV_OK;
    default:
        return NRV_INVALID_PARAMETER;
    }
}

NrvStatus NrvBoardDispatch(NrvBoardState* board, uint32_t code,
                           const void* in, uint32_t inLength,
                           void* out, uint32_t outLength,
                           uint32_t* written, uint32_t nowMs)
{
    uint8_t request[NRV_MAX_INPUT];
    uint8_t* reply = (uint8_t*)out;
    *written = 0;
    if (inLength > NRV_MAX_INPUT || (inLength > 0 && !in) || (outLength > 0 && !out))
        return NRV_INVALID_PARAMETER;
    /* Buffered requests share one buffer for input and output. */
    if (inLength > 0)
        memcpy(request, in, inLength);

    switch (code) {
    case NRV_IOCTL_OPEN_HANDSHAKE:
        if (inLength != 0)
            return NRV_INVALID_PARAMETER;
        if (outLength < 4)
            return NRV_BUFFER_TOO_SMALL;
        WriteU32(reply, NRV_HANDSHAKE_VERSION);
        *written = 4;
        return NRV_OK;
    case NRV_IOCTL_EVALUATE_METHOD:
        return EvaluateMethod(board, request, inLength, reply, outLength, written, nowMs);
    case NRV_IOCTL_GET_GROUP:
        if (inLength != sizeof(NrvGroupRequest))
            return NRV_INVALID_PARAMETER;
        return GetGroup(board, ReadU32(request), reply, outLength, written);
    case NRV_IOCTL_GET_ITEM_INFO:
        if (inLength != sizeof(NrvItemRequest))
            return NRV_INVALID_PARAMETER;
        return GetItemInfo(board, ReadU32(request), reply, outLength, written);
    case NRV_IOCTL_GET_ITEM_VALUE: {
        NrvItem* item;
        if (inLength != sizeof(NrvItemRequest))
            return NRV_INVALID_PARAMETER;
        item = FindVisibleItem(board, ReadU32(request));
        if (!item)
            return NRV_NOT_FOUND;
        if (item->flags & NRV_ITEM_READ_FAILS)
            return NRV_DEVICE_ERROR;
        if (outLength < sizeof(NrvItemValue))
            return NRV_BUFFER_TOO_SMALL;
        WriteU32(reply, item->value);
        *written = sizeof(NrvItemValue);
        return NRV_OK;
    }
    case NRV_IOCTL_SET_ITEM_VALUE: {
        NrvItem* item;
        if (inLength != sizeof(NrvSetItemRequest))
            return NRV_INVALID_PARAMETER;
        item = FindVisibleItem(board, ReadU32(request));
        if (!item)
            return NRV_NOT_FOUND;
        if (item->flags & NRV_ITEM_WRITE_FAILS)
            return NRV_DEVICE_ERROR;
        item->value = ReadU32(request + 4);
        item->lastMode = ReadU32(request + 8);
        ++item->writes;
        return NRV_OK;
    }
    case NRV_IOCTL_BOARD_QUERY:
        if (inLength != 0)
            return NRV_INVALID_PARAMETER;
        return Query(board, reply, outLength, written, nowMs);
    case NRV_IOCTL_BOARD_COMMAND: {
        NrvCommand cmd;
        if (inLength != sizeof(NrvCommand))
            return NRV_INVALID_PARAMETER;
        memcpy(&cmd, request, sizeof(cmd));
        return Command(board, &cmd);
    }
    default:
        return NRV_INVALID_REQUEST;
    }
}
