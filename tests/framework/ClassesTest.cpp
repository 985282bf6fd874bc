#include <windows.h>
#include "framework/Classes.h"
#include "framework/SysUtils.h"
#include "framework/Types.h"

#include <gtest/gtest.h>

namespace {

class Counter : public TObject {
public:
    void Hit(TObject* sender) { last = sender; ++hits; }
    TObject* last = nullptr;
    int hits = 0;
};

class Plain : public TPersistent {};

}  // namespace

TEST(Events, BoundMemberIsCalledOnlyWhenAssigned)
{
    Counter counter;
    TNotifyEvent onChange;
    Fire(onChange, &counter);  // unassigned: nothing happens
    onChange = Bind(&counter, &Counter::Hit);
    Fire(onChange, &counter);
    EXPECT_EQ(1, counter.hits);
    EXPECT_EQ(&counter, counter.last);
}

TEST(Persistent, AssignBetweenUnrelatedClassesRaises)
{
    Plain a, b;
    EXPECT_THROW(a.Assign(&b), EConvertError);
}

TEST(SysUtils, FileOpenErrorNamesThePath)
{
    EFOpenError error("C:\\x\\resource\\missing.png");
    EXPECT_STREQ("Cannot open file C:\\x\\resource\\missing.png", error.what());
    EXPECT_EQ(std::string(300, 'a') + "7", Format("%s%d", std::string(300, 'a').c_str(), 7));
}

TEST(Types, RectSizeAndColourParts)
{
    EXPECT_EQ(25, TRect(-5, 0, 20, 10).Width());
    EXPECT_EQ(10, TRect(-5, 0, 20, 10).Height());
    EXPECT_EQ(0x00BFFFFF, RGBColor(255, 255, 191));
    EXPECT_EQ(0x00C0FFEEu, ColorToRGB(0x00C0FFEE));
    EXPECT_EQ(static_cast<uint32_t>(GetSysColor(COLOR_GRAYTEXT)), ColorToRGB(clGrayText));
}
