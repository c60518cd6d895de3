#include "window/win32/accessible_names.h"

#include <initguid.h>  // the GUIDs of oleacc.h are defined in this file
#include <oleacc.h>

#include "window/win32/text.h"

namespace tavorin::win32 {
namespace {

// The class of the system's annotation service (oleacc.dll), which MinGW's oleacc.h
// declares but its libraries do not define.
constexpr CLSID kAccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};

}  // namespace

AccessibleNames::AccessibleNames() {
    void* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, &services))) {
        m_services = static_cast<IAccPropServices*>(services);
    }
}

AccessibleNames::~AccessibleNames() {
    if (m_services == nullptr) return;
    MSAAPROPID name = PROPID_ACC_NAME;
    for (HWND control : m_named) {
        m_services->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &name,
                                   1);
    }
    m_services->Release();
}

bool AccessibleNames::set(HWND control, std::string_view name) {
    if (m_services == nullptr) return false;
    const HRESULT result =
        m_services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                   PROPID_ACC_NAME, widen(name).c_str());
    if (FAILED(result)) return false;
    m_named.push_back(control);
    return true;
}

}  // namespace tavorin::win32
