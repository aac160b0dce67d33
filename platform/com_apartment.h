#pragma once
// The component object library for the GUI thread (single-threaded apartment), released
// when the owner goes. The shell-link object needs it.
#include <objbase.h>

namespace setup::platform {

class ComApartment {
  public:
    ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (ok_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool ok_;
};

}  // namespace setup::platform
