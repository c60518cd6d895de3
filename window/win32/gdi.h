// Holders of the GDI objects and image lists the windows draw with: each owns its object and
// gives it back to the system when it goes.
#pragma once

#include <windows.h>
// the header below needs windows.h first
#include <commctrl.h>

namespace tavorin::win32 {

// Owns a GDI pen, brush or bitmap.
template <class Handle>
class GdiObject {
  public:
    explicit GdiObject(Handle handle) : m_handle(handle) {}
    ~GdiObject() {
        if (m_handle != nullptr) DeleteObject(m_handle);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    Handle get() const { return m_handle; }

  private:
    Handle m_handle;
};

// An object selected into a device context for a scope.
class Selected {
  public:
    Selected(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(m_dc, m_old); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

  private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// Owns a memory device context like `like`.
class MemoryDc {
  public:
    explicit MemoryDc(HDC like) : m_dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() {
        if (m_dc != nullptr) DeleteDC(m_dc);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return m_dc; }

  private:
    HDC m_dc;
};

// Owns an image list.
class ImageList {
  public:
    ImageList() = default;
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;
    ~ImageList() { reset(); }
    HIMAGELIST get() const { return m_list; }
    void reset(HIMAGELIST list = nullptr) {
        if (m_list != nullptr) ImageList_Destroy(m_list);
        m_list = list;
    }

  private:
    HIMAGELIST m_list = nullptr;
};

}  // namespace tavorin::win32
