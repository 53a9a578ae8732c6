// Holds one reference to a COM interface and releases it when the scope ends, also when a step
// throws. Passed as &holder where a call returns an interface through a void**.
#pragma once

namespace ko {

template <typename T>
class TComPtr {
public:
    TComPtr() = default;
    ~TComPtr() {
        if (FPtr)
            FPtr->Release();
    }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;

    T** operator&() { return &FPtr; }
    T* operator->() const { return FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }

private:
    T* FPtr = nullptr;
};

} // namespace ko
