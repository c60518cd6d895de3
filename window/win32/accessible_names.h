// The names a screen reader announces for the controls of the Win32 window, set as
// annotations of each control's client object (IAccPropServices).
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

struct IAccPropServices;

namespace tavorin::win32 {

class AccessibleNames {
  public:
    AccessibleNames();  // needs COM initialised on this thread; without it sets nothing
    AccessibleNames(const AccessibleNames&) = delete;
    AccessibleNames& operator=(const AccessibleNames&) = delete;
    ~AccessibleNames();  // clears every name it set

    // Returns false when the system offers no annotation service.
    bool set(HWND control, std::string_view name);

  private:
    IAccPropServices* m_services = nullptr;
    std::vector<HWND> m_named;
};

}  // namespace tavorin::win32
