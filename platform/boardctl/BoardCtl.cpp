// boardctl: shows and changes the simulated board behind \\.\NRVACPI.
// Exit status: 0 done, 1 the board refused or is absent, 2 usage error.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/boardctl/BoardClient.h"

namespace {

const char kUsage[] =
    "usage: boardctl COMMAND\n"
    "  show                      print the board\n"
    "  profile NAME              reset the board to a profile, e.g. 8x4, 16x2,off, 24x4,conflict\n"
    "  temp SENSOR DEGREES       fix a sensor's temperature (-127..127)\n"
    "  ec SENSOR BYTE            fix a sensor's raw register byte (sign and magnitude)\n"
    "  live on|off               drifting temperatures around each sensor's base\n"
    "  item ID VALUE             set a BIOS item, adding it when new\n"
    "  get ID                    print a BIOS item's value\n"
    "  fail ec [SENSOR] on|off   embedded-controller reads fail (all sensors or one)\n"
    "  fail item ID on|off       the item is missing from its group\n"
    "  fail read ID on|off       reads of the item fail\n"
    "  fail write ID on|off      writes of the item fail\n"
    "  fail group GROUP on|off   the group's list cannot be read\n"
    "  fail clear                end every injected failure\n";

bool ParseUnsigned(const char* text, uint32_t* value)
{
    if (!text || !*text || *text == '-')
        return false;
    char* end = nullptr;
    errno = 0;
    unsigned long v = std::strtoul(text, &end, 0);
    if (errno != 0 || *end != '\0' || v > 0xFFFFFFFFul)
        return false;
    *value = static_cast<uint32_t>(v);
    return true;
}

bool ParseSigned(const char* text, int32_t* value)
{
    if (!text || !*text)
        return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < -2147483647L - 1 || v > 2147483647L)
        return false;
    *value = static_cast<int32_t>(v);
    return true;
}

bool ParseSwitch(const char* text, uint32_t* on)
{
    if (text && std::strcmp(text, "on") == 0)
        *on = 1;
    else if (text && std::strcmp(text, "off") == 0)
        *on = 0;
    else
        return false;
    return true;
}

int Usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

int Refused(const BoardClient& board)
{
    std::fprintf(stderr, "boardctl: the board refused the request (error %lu)\n",
                 static_cast<unsigned long>(board.LastError()));
    return 1;
}

void Show(const NrvBoardState& s)
{
    std::printf("profile  %.*s\n", static_cast<int>(sizeof(s.profile)), s.profile);
    std::printf("live     %s\n", s.live ? "on" : "off");
    for (uint32_t i = 0; i < NRV_SENSOR_COUNT; ++i)
        std::printf("sensor %u base %4d  byte 0x%02X%s\n", i, s.baseTemp[i], s.currentByte[i],
                    (s.ecFailMask >> i) & 1u ? "  [read fails]" : "");
    std::printf("groups failing:");
    bool any = false;
    for (uint32_t g = 0; g < 256; ++g)
        if ((s.groupFail[g / 32] >> (g % 32)) & 1u) {
            std::printf(" 0x%02X", g);
            any = true;
        }
    std::printf("%s\n", any ? "" : " none");
    std::printf("EC reads %u\n", s.ecReads);
    for (uint32_t i = 0; i < s.itemCount && i < NRV_MAX_ITEMS; ++i) {
        const NrvItem& item = s.items[i];
        std::printf("item 0x%08X = 0x%08X  writes %u%s%s%s\n", item.id, item.value, item.writes,
                    item.flags & NRV_ITEM_HIDDEN ? "  [missing]" : "",
                    item.flags & NRV_ITEM_READ_FAILS ? "  [read fails]" : "",
                    item.flags & NRV_ITEM_WRITE_FAILS ? "  [write fails]" : "");
    }
}

int Fail(BoardClient& board, const std::vector<const char*>& args)
{
    if (args.size() == 3 && std::strcmp(args[2], "clear") == 0)
        return board.Command(NRV_CMD_FAIL_CLEAR) ? 0 : Refused(board);
    uint32_t on = 0, target = 0;
    if (args.size() == 4 && std::strcmp(args[2], "ec") == 0) {
        if (!ParseSwitch(args[3], &on))
            return Usage();
        return board.Command(NRV_CMD_FAIL_EC, 0xFFu, on) ? 0 : Refused(board);
    }
    if (args.size() != 5 || !ParseUnsigned(args[3], &target) || !ParseSwitch(args[4], &on))
        return Usage();
    const std::string what = args[2];
    uint32_t op = 0;
    if (what == "ec") {
        if (target >= NRV_SENSOR_COUNT)
            return Usage();
        target = 1u << target;
        op = NRV_CMD_FAIL_EC;
    } else if (what == "item") {
        op = NRV_CMD_FAIL_ITEM;
    } else if (what == "read") {
        op = NRV_CMD_FAIL_READ;
    } else if (what == "write") {
        op = NRV_CMD_FAIL_WRITE;
    } else if (what == "group") {
        op = NRV_CMD_FAIL_GROUP;
    } else {
        return Usage();
    }
    return board.Command(op, target, on) ? 0 : Refused(board);
}

int Run(const std::vector<const char*>& args)
{
    if (args.size() < 2)
        return Usage();
    const std::string command = args[1];
    BoardClient board;
    if (!board.IsOpen()) {
        std::fprintf(stderr, "boardctl: no simulated board (\\\\.\\NRVACPI: error %lu)\n",
                     static_cast<unsigned long>(board.LastError()));
        return 1;
    }
    uint32_t a = 0, b = 0;
    int32_t degrees = 0;
    if (command == "show" && args.size() == 2) {
        NrvBoardState state{};
        if (!board.Query(&state))
            return Refused(board);
        Show(state);
        return 0;
    }
    if (command == "profile" && args.size() == 3)
        return board.Command(NRV_CMD_PROFILE, 0, 0, args[2]) ? 0 : Refused(board);
    if (command == "temp" && args.size() == 4 && ParseUnsigned(args[2], &a) && ParseSigned(args[3], &degrees))
        return board.Command(NRV_CMD_TEMP, a, static_cast<uint32_t>(degrees)) ? 0 : Refused(board);
    if (command == "ec" && args.size() == 4 && ParseUnsigned(args[2], &a) && ParseUnsigned(args[3], &b))
        return board.Command(NRV_CMD_EC_BYTE, a, b) ? 0 : Refused(board);
    if (command == "live" && args.size() == 3 && ParseSwitch(args[2], &a))
        return board.Command(NRV_CMD_LIVE, a) ? 0 : Refused(board);
    if (command == "item" && args.size() == 4 && ParseUnsigned(args[2], &a) && ParseUnsigned(args[3], &b))
        return board.Command(NRV_CMD_SET_ITEM, a, b) ? 0 : Refused(board);
    if (command == "get" && args.size() == 3 && ParseUnsigned(args[2], &a)) {
        NrvBoardState state{};
        if (!board.Query(&state))
            return Refused(board);
        for (uint32_t i = 0; i < state.itemCount && i < NRV_MAX_ITEMS; ++i)
            if (state.items[i].id == a) {
                std::printf("0x%08X\n", state.items[i].value);
                return 0;
            }
        std::fprintf(stderr, "boardctl: no item 0x%08X\n", a);
        return 1;
    }
    if (command == "fail" && args.size() >= 3)
        return Fail(board, args);
    return Usage();
}

} // namespace

int main(int argc, char** argv)
{
    return Run(std::vector<const char*>(argv, argv + argc));
}
