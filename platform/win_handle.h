#pragma once
// Owners of Windows handles: each closes its handle once, and cannot be copied (moving hands
// the handle on). Header-only, so that programs that do not link the rest of platform/ (the
// archiver) use the same owners.
#include <windows.h>

#include <utility>

namespace setup::platform {

template <typename T, typename Traits>
class Unique {
  public:
    Unique() = default;
    explicit Unique(T h) : h_(Traits::valid(h) ? h : Traits::empty()) {}
    Unique(Unique&& o) noexcept : h_(std::exchange(o.h_, Traits::empty())) {}
    Unique& operator=(Unique&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, Traits::empty());
        }
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { reset(); }
    T get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::empty(); }
    void reset() {
        if (h_ != Traits::empty()) Traits::close(h_);
        h_ = Traits::empty();
    }
    // Gives the handle up without closing it: for a caller that must see the close's result
    // or hand the handle to an API that takes it over.
    T release() { return std::exchange(h_, Traits::empty()); }

  private:
    T h_ = Traits::empty();
};

struct HandleTraits {
    static HANDLE empty() { return nullptr; }
    static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
using UniqueHandle = Unique<HANDLE, HandleTraits>;

// A search from FindFirstFile (whose failure is INVALID_HANDLE_VALUE, not null).
struct FindTraits {
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};
using UniqueFind = Unique<HANDLE, FindTraits>;

struct KeyTraits {
    static HKEY empty() { return nullptr; }
    static bool valid(HKEY h) { return h != nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};
using UniqueKey = Unique<HKEY, KeyTraits>;

template <typename G>
struct GdiTraits {
    static G empty() { return nullptr; }
    static bool valid(G h) { return h != nullptr; }
    static void close(G h) { DeleteObject(h); }
};
// Fonts, brushes and bitmaps the program created itself (never stock objects).
using UniqueGdi = Unique<HGDIOBJ, GdiTraits<HGDIOBJ>>;
using UniqueBrush = Unique<HBRUSH, GdiTraits<HBRUSH>>;
using UniqueBitmap = Unique<HBITMAP, GdiTraits<HBITMAP>>;

// A memory device context from CreateCompatibleDC.
struct MemoryDcTraits {
    static HDC empty() { return nullptr; }
    static bool valid(HDC h) { return h != nullptr; }
    static void close(HDC h) { DeleteDC(h); }
};
using UniqueMemoryDc = Unique<HDC, MemoryDcTraits>;

// A window's device context from GetDC, given back to that window with ReleaseDC (never
// deleted: the window's class may share it).
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(WindowDc&& o) noexcept
        : window_(std::exchange(o.window_, nullptr)), dc_(std::exchange(o.dc_, nullptr)) {}
    WindowDc& operator=(WindowDc&& o) noexcept {
        if (this != &o) {
            reset();
            window_ = std::exchange(o.window_, nullptr);
            dc_ = std::exchange(o.dc_, nullptr);
        }
        return *this;
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { reset(); }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    void reset() {
        if (dc_) ReleaseDC(window_, dc_);
        dc_ = nullptr;
    }

  private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// An object selected into a device context for a scope; the one it replaced goes back at the
// end. Selects nothing when `object` or the DC is null. The DC must outlive the selection.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~Selection() {
        if (previous_) SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    // Whether the object was selected.
    explicit operator bool() const { return previous_ != nullptr; }

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A COM interface pointer the program holds one reference of.
template <typename I>
struct ComTraits {
    static I* empty() { return nullptr; }
    static bool valid(I* p) { return p != nullptr; }
    static void close(I* p) { p->Release(); }
};
template <typename I>
using UniqueCom = Unique<I*, ComTraits<I>>;

}  // namespace setup::platform
