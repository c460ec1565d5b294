// One-line owners for Win32 handles: the handle is released exactly once, when its owner goes.
#pragma once

#include <windows.h>

#include <utility>

namespace typomancer {

template <typename T, auto Release, T Invalid = T{}>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T value) : value_(value) {}
    UniqueResource(UniqueResource&& other) noexcept : value_(std::exchange(other.value_, Invalid)) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(std::exchange(other.value_, Invalid));
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Invalid; }
    void reset(T value = Invalid) {
        if (value_ != Invalid) Release(value_);
        value_ = value;
    }
    T release() { return std::exchange(value_, Invalid); }

private:
    T value_ = Invalid;
};

using UniqueHandle = UniqueResource<HANDLE, &::CloseHandle>;
using UniqueWindow = UniqueResource<HWND, &::DestroyWindow>;
using UniqueFont = UniqueResource<HFONT, &::DeleteObject>;
using UniqueBrush = UniqueResource<HBRUSH, &::DeleteObject>;
using UniquePen = UniqueResource<HPEN, &::DeleteObject>;
using UniqueBitmap = UniqueResource<HBITMAP, &::DeleteObject>;
using UniqueIcon = UniqueResource<HICON, &::DestroyIcon>;
using UniqueDc = UniqueResource<HDC, &::DeleteDC>;

// Selects an object into a device context for the life of the guard.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectGuard() { SelectObject(dc_, previous_); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace typomancer
