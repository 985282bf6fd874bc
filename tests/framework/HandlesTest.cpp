#include "framework/Handles.h"

#include <gtest/gtest.h>

#include <utility>

TEST(Handles, GdiObjectIsDeletedOnceByItsLastOwner)
{
    HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
    {
        BrushHandle first(raw);
        BrushHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(raw, second.Get());
        EXPECT_EQ(OBJ_BRUSH, static_cast<int>(GetObjectType(raw)));
    }
    EXPECT_EQ(0u, GetObjectType(raw));
}

TEST(Handles, ResetFreesTheOldObjectAndReleaseKeepsIt)
{
    HBRUSH a = CreateSolidBrush(RGB(1, 2, 3));
    HBRUSH b = CreateSolidBrush(RGB(4, 5, 6));
    BrushHandle owner(a);
    owner.Reset(b);
    EXPECT_EQ(0u, GetObjectType(a));
    EXPECT_EQ(b, owner.Release());
    EXPECT_FALSE(owner);
    EXPECT_EQ(OBJ_BRUSH, static_cast<int>(GetObjectType(b)));
    DeleteObject(b);
}

TEST(Handles, MemoryDCIsDeleted)
{
    HDC raw;
    {
        MemoryDC dc(CreateCompatibleDC(nullptr));
        raw = dc.Get();
        ASSERT_TRUE(dc);
        EXPECT_EQ(OBJ_MEMDC, static_cast<int>(GetObjectType(raw)));
    }
    EXPECT_EQ(0u, GetObjectType(raw));
}

TEST(Handles, WindowDCMovesWithItsWindow)
{
    WindowDC first(nullptr);
    ASSERT_TRUE(first);
    const HDC raw = first.Get();
    WindowDC second;
    second = std::move(first);
    EXPECT_FALSE(first);
    EXPECT_EQ(raw, second.Get());
    EXPECT_GT(GetDeviceCaps(second.Get(), BITSPIXEL), 0);
    second.Reset();
    EXPECT_FALSE(second);
}

TEST(Handles, KernelHandleIsClosedAndInvalidValueIsEmpty)
{
    EXPECT_FALSE(KernelHandle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(KernelHandle(nullptr));
    HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, raw);
    {
        KernelHandle event(raw);
        DWORD flags = 0;
        EXPECT_TRUE(GetHandleInformation(raw, &flags));
    }
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(raw, &flags));
}

TEST(Handles, RegKeyIsClosed)
{
    HKEY raw = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\PellonHandlesTest", 0,
                                             nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr));
    {
        RegKey key(raw);
        EXPECT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(raw, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                  nullptr, nullptr, nullptr, nullptr, nullptr,
                                                  nullptr));
    }
    EXPECT_NE(ERROR_SUCCESS, RegQueryInfoKeyA(raw, nullptr, nullptr, nullptr, nullptr, nullptr,
                                              nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\PellonHandlesTest");
}

TEST(Handles, ModuleIsFreed)
{
    const char* name = "imagehlp.dll";
    ASSERT_EQ(nullptr, GetModuleHandleA(name));
    {
        ModuleHandle module(LoadLibraryA(name));
        ASSERT_TRUE(module);
        EXPECT_EQ(module.Get(), GetModuleHandleA(name));
    }
    EXPECT_EQ(nullptr, GetModuleHandleA(name));
}

TEST(Handles, SelectedObjectPutsThePreviousObjectBack)
{
    MemoryDC dc(CreateCompatibleDC(nullptr));
    BrushHandle brush(CreateSolidBrush(RGB(9, 9, 9)));
    const HGDIOBJ before = GetCurrentObject(dc.Get(), OBJ_BRUSH);
    {
        SelectedObject selected(dc.Get(), brush.Get());
        EXPECT_EQ(brush.Get(), GetCurrentObject(dc.Get(), OBJ_BRUSH));
    }
    EXPECT_EQ(before, GetCurrentObject(dc.Get(), OBJ_BRUSH));
}
