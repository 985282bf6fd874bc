#pragma once
#include "framework/Classes.h"

#include <cstdint>
#include <utility>

class TTextPainter;

namespace gs {

class GsCtrlTextEffect : public TPersistent {
public:
    explicit GsCtrlTextEffect(TNotifyEvent onChange = nullptr) : OnChange(std::move(onChange)) {}
    // Borrowed by the caller.
    virtual TTextPainter* GetPainter(int8_t checked, int8_t state) = 0;

    TNotifyEvent OnChange;
};

}  // namespace gs
