#pragma once
// A read-only stream over a file.
#include "framework/Classes.h"
#include "framework/Handles.h"

#include <cstdint>
#include <string>

// Open modes: the access in the low bits, the sharing in the next four.
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyNone = 0x0040;

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TFileStream : public TObject {
public:
    // Opens an existing file for reading; raises EFOpenError ("Cannot open file <path>")
    // when it cannot. Other readers are allowed unless the mode denies them; writers are
    // allowed only with fmShareDenyNone. Write access is not supported and also raises.
    TFileStream(const std::string& fileName, uint16_t mode);

    // Reads up to count bytes; returns how many were read (0 at the end or on failure).
    int32_t Read(void* buffer, int32_t count);
    // Reads exactly count bytes or raises EReadError.
    void ReadBuffer(void* buffer, int32_t count);

    int64_t Size() const;
    int64_t Position() const;
    void SetPosition(int64_t position) { Seek(position, soBeginning); }
    // Returns the new position.
    int64_t Seek(int64_t offset, TSeekOrigin origin);

    const std::string& FileName() const { return m_fileName; }
    HANDLE Handle() const { return m_handle.Get(); }

private:
    std::string m_fileName;
    KernelHandle m_handle;
};
