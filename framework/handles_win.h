// RAII owners for Win32 handles and GDI objects. Every owner is move-only, so
// nothing is released twice, and counts its live objects so that tests can
// check that repeated use of the launcher leaves nothing behind.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstddef>
#include <utility>

namespace tarvo {

enum class ResourceKind { Bitmap, Font, Brush, DeviceContext, KernelHandle, Count };

// Number of objects of a kind currently held by the owners below.
int liveResources(ResourceKind kind);
void countResource(ResourceKind kind, int delta);

// Owner of a GDI object (bitmap, font, brush): DeleteObject on destruction.
template <class H, ResourceKind Kind>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H handle) { reset(handle); }
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle_(other.release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.release();
        }
        return *this;
    }

    H get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // Gives up ownership without deleting.
    H release() {
        H handle = handle_;
        if (handle_) countResource(Kind, -1);
        handle_ = nullptr;
        return handle;
    }

    void reset(H handle = nullptr) {
        if (handle_) {
            ::DeleteObject(handle_);
            countResource(Kind, -1);
        }
        handle_ = handle;
        if (handle_) countResource(Kind, +1);
    }

private:
    H handle_ = nullptr;
};

using Bitmap = GdiObject<HBITMAP, ResourceKind::Bitmap>;
using Font = GdiObject<HFONT, ResourceKind::Font>;
using Brush = GdiObject<HBRUSH, ResourceKind::Brush>;

// Owner of an icon made for one size: DestroyIcon on destruction.
class UniqueIcon {
public:
    UniqueIcon() = default;
    explicit UniqueIcon(HICON icon) : icon_(icon) {}
    ~UniqueIcon() { reset(); }
    UniqueIcon(const UniqueIcon&) = delete;
    UniqueIcon& operator=(const UniqueIcon&) = delete;
    UniqueIcon(UniqueIcon&& other) noexcept : icon_(std::exchange(other.icon_, nullptr)) {}
    UniqueIcon& operator=(UniqueIcon&& other) noexcept {
        if (this != &other) reset(std::exchange(other.icon_, nullptr));
        return *this;
    }
    HICON get() const { return icon_; }
    void reset(HICON icon = nullptr) {
        if (icon_) ::DestroyIcon(icon_);
        icon_ = icon;
    }

private:
    HICON icon_ = nullptr;
};

// Icon `id` of this program at `size` x `size` pixels; empty when it is missing.
UniqueIcon loadIconResource(int id, int size);

// Loads a bitmap resource of this program; empty when it is missing.
Bitmap loadBitmapResource(int id);
// Width and height of a bitmap (0, 0 for none).
SIZE bitmapSize(HBITMAP bitmap);

// Owner of a kernel handle (process, thread, snapshot, token): CloseHandle.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) { reset(handle); }
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.release();
        }
        return *this;
    }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    HANDLE release();
    void reset(HANDLE handle = nullptr);

private:
    HANDLE handle_ = nullptr;
};

// Owner of an open registry key: RegCloseKey.
class RegistryKey {
public:
    RegistryKey() = default;
    explicit RegistryKey(HKEY key) : key_(key) {}
    ~RegistryKey() {
        if (key_) ::RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey(RegistryKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegistryKey& operator=(RegistryKey&& other) noexcept {
        if (this != &other) {
            if (key_) ::RegCloseKey(key_);
            key_ = other.key_;
            other.key_ = nullptr;
        }
        return *this;
    }

    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};

// A window's device context from GetDC, released on scope exit.
class WindowDC {
public:
    explicit WindowDC(HWND window);
    ~WindowDC();
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A memory device context compatible with another, deleted on scope exit.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith);
    ~MemoryDC();
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND window);
    ~PaintDC();
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC get() const { return paint_.hdc; }
    const PAINTSTRUCT& info() const { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

// Selects an object into a device context and restores the previous one on
// scope exit.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~SelectGuard() {
        if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A process-wide mutual-exclusion lock and its scope guard.
class CriticalSection {
public:
    CriticalSection() { ::InitializeCriticalSection(&section_); }
    ~CriticalSection() { ::DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void lock() { ::EnterCriticalSection(&section_); }
    void unlock() { ::LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class LockGuard {
public:
    explicit LockGuard(CriticalSection& section) : section_(section) { section_.lock(); }
    ~LockGuard() { section_.unlock(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    CriticalSection& section_;
};

// Owner of one COM interface reference: Release on destruction.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already holds.
    explicit ComPtr(T* pointer) : pointer_(pointer) {}
    // A reference of its own to an interface the caller only lends.
    static ComPtr borrow(T* pointer) {
        if (pointer) pointer->AddRef();
        return ComPtr(pointer);
    }
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& other) : pointer_(other.pointer_) {
        if (pointer_) pointer_->AddRef();
    }
    ComPtr& operator=(const ComPtr& other) {
        if (this != &other) {
            if (other.pointer_) other.pointer_->AddRef();
            reset(other.pointer_);
        }
        return *this;
    }
    ComPtr(ComPtr&& other) noexcept : pointer_(other.detach()) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) reset(other.detach());
        return *this;
    }

    T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // Releases the current reference and takes over `pointer`'s.
    void reset(T* pointer = nullptr) {
        T* old = pointer_;
        pointer_ = pointer;
        if (old) old->Release();
    }
    // Gives up the reference without releasing it.
    T* detach() { return std::exchange(pointer_, nullptr); }
    // For out parameters: releases the current reference first.
    T** put() {
        reset();
        return &pointer_;
    }

    // QueryInterface into another smart pointer; empty on failure.
    template <class U>
    ComPtr<U> as(REFIID iid) const {
        ComPtr<U> result;
        if (pointer_) pointer_->QueryInterface(iid, reinterpret_cast<void**>(result.put()));
        return result;
    }

private:
    T* pointer_ = nullptr;
};

// The lifetime rule for the COM objects we implement that an enclosing
// object owns (the script bridge and host UI handler of the web page panel,
// the download callback): references are counted for whoever wants to look
// (references()), but the count never deletes the object; its owner does.
// AddRef and Release forward here and answer 1, the object being alive for
// as long as its owner keeps it.
class OwnedComObject {
public:
    LONG references() const { return references_; }

protected:
    OwnedComObject() = default;
    ~OwnedComObject() = default;
    OwnedComObject(const OwnedComObject&) = delete;
    OwnedComObject& operator=(const OwnedComObject&) = delete;

    ULONG addReference() {
        ::InterlockedIncrement(&references_);
        return 1;
    }
    ULONG releaseReference() {
        ::InterlockedDecrement(&references_);
        return 1;
    }

private:
    LONG references_ = 1;
};

// OLE for this thread (OleInitialize / OleUninitialize), paired on scope
// exit when the start succeeded.
class ScopedOle {
public:
    ScopedOle() : result_(::OleInitialize(nullptr)) {}
    ~ScopedOle() {
        if (SUCCEEDED(result_)) ::OleUninitialize();
    }
    ScopedOle(const ScopedOle&) = delete;
    ScopedOle& operator=(const ScopedOle&) = delete;
    bool ok() const { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

} // namespace tarvo
