#include "framework/handles_win.h"

#include <atomic>

namespace tarvo {

namespace {
std::atomic<int> g_live[static_cast<int>(ResourceKind::Count)];
}

int liveResources(ResourceKind kind) {
    return g_live[static_cast<int>(kind)].load();
}

void countResource(ResourceKind kind, int delta) {
    g_live[static_cast<int>(kind)] += delta;
}

Bitmap loadBitmapResource(int id) {
    return Bitmap(static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
}

UniqueIcon loadIconResource(int id, int size) {
    return UniqueIcon(static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

SIZE bitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

HANDLE UniqueHandle::release() {
    HANDLE handle = handle_;
    if (handle_) countResource(ResourceKind::KernelHandle, -1);
    handle_ = nullptr;
    return handle;
}

void UniqueHandle::reset(HANDLE handle) {
    if (handle == INVALID_HANDLE_VALUE) handle = nullptr;
    if (handle_) {
        ::CloseHandle(handle_);
        countResource(ResourceKind::KernelHandle, -1);
    }
    handle_ = handle;
    if (handle_) countResource(ResourceKind::KernelHandle, +1);
}

WindowDC::WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {
    if (dc_) countResource(ResourceKind::DeviceContext, +1);
}

WindowDC::~WindowDC() {
    if (dc_) {
        ::ReleaseDC(window_, dc_);
        countResource(ResourceKind::DeviceContext, -1);
    }
}

MemoryDC::MemoryDC(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {
    if (dc_) countResource(ResourceKind::DeviceContext, +1);
}

MemoryDC::~MemoryDC() {
    if (dc_) {
        ::DeleteDC(dc_);
        countResource(ResourceKind::DeviceContext, -1);
    }
}

PaintDC::PaintDC(HWND window) : window_(window) {
    ::BeginPaint(window_, &paint_);
}

PaintDC::~PaintDC() {
    ::EndPaint(window_, &paint_);
}

} // namespace tarvo
