#pragma once
// Owners of Windows handles: each closes its handle once, and cannot be copied.
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

  private:
    T h_ = Traits::empty();
};

struct HandleTraits {
    static HANDLE empty() { return nullptr; }
    static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
using UniqueHandle = Unique<HANDLE, HandleTraits>;

struct KeyTraits {
    static HKEY empty() { return nullptr; }
    static bool valid(HKEY h) { return h != nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};
using UniqueKey = Unique<HKEY, KeyTraits>;

struct GdiTraits {
    static HGDIOBJ empty() { return nullptr; }
    static bool valid(HGDIOBJ h) { return h != nullptr; }
    static void close(HGDIOBJ h) { DeleteObject(h); }
};
// Fonts, brushes and bitmaps the program created itself (never stock objects).
using UniqueGdi = Unique<HGDIOBJ, GdiTraits>;

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
