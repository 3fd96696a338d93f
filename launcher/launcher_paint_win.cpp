// The launcher window's skin: background, frame, title band, logo, caption
// buttons, the splash picture of the start-up phase, and control colours.
#include "launcher/launcher_dlg_win.h"

#include "app/file_paths.h"
#include "app/programs_win.h"

#include "panels/game_host_panel_win.h"
#include "panels/skinned_panel_win.h"
#include "resource.h"
#include "framework/dpi_win.h"
#include "window/caption_layout.h"
#include "window/dpi_scale.h"
#include "window/skin_button_win.h"
#include "window/splash_picture.h"
#include "window/rect_win.h"

#include <ocidl.h>
#include <olectl.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// The launcher window's background-painting lock (each panel class has its own).
tarvo::CriticalSection g_launcherPaintLock;

const COLORREF kFrameColour = RGB(128, 97, 66);

void fillRect(HDC dc, const Rect& r, HBRUSH brush) {
    const RECT rect = toRECT(r);
    ::FillRect(dc, &rect, brush);
}

// Copies a bitmap at its own size to (x, y); nothing for a missing bitmap.
void blitBitmap(HDC dc, HDC memory, HBITMAP bitmap, int x, int y) {
    if (!bitmap) return;
    const SIZE size = tarvo::bitmapSize(bitmap);
    tarvo::SelectGuard select(memory, bitmap);
    ::BitBlt(dc, x, y, size.cx, size.cy, memory, 0, 0, SRCCOPY);
}

tarvo::UniqueHandle openForReading(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(tarvo::systemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return tarvo::UniqueHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// The picture in an open file when the file is a JPEG image of a sensible
// size; empty otherwise. The bytes are checked before the picture loader sees
// them, so no other format's parser ever runs on the file.
tarvo::ComPtr<IPicture> loadJpegPicture(HANDLE file) {
    tarvo::ComPtr<IPicture> picture;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart <= 0 || size.QuadPart > LONGLONG{kMaxSplashPictureSize}) {
        return picture;
    }
    const DWORD length = static_cast<DWORD>(size.QuadPart);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, length);
    if (!memory) return picture;
    bool whole = false;
    if (auto* bytes = static_cast<unsigned char*>(::GlobalLock(memory))) {
        DWORD done = 0;
        DWORD got = 0;
        while (done < length && ::ReadFile(file, bytes + done, length - done, &got, nullptr) && got > 0) done += got;
        whole = done == length && isJpegImage(bytes, length);
        ::GlobalUnlock(memory);
    }
    tarvo::ComPtr<IStream> stream;
    if (!whole || FAILED(::CreateStreamOnHGlobal(memory, TRUE, stream.put())) || !stream) {
        ::GlobalFree(memory);
        return picture;
    }
    // The stream owns the memory from here on.
    ::OleLoadPicture(stream.get(), static_cast<LONG>(length), FALSE, IID_IPicture,
                     reinterpret_cast<void**>(picture.put()));
    return picture;
}

} // namespace

BOOL CLauncherDlg::OnEraseBkgnd(HDC windowDc) {
    // Everything but the buttons is drawn off screen first and copied in one
    // go: a label whose text changes asks for the skin under it at every
    // progress tick, and the black ground must not show between the fill
    // and the splash picture.
    const RECT client = GetClientRect();
    const int CW = client.right - client.left;
    const int CH = client.bottom - client.top;
    tarvo::MemoryDC canvas(windowDc);
    tarvo::Bitmap canvasBitmap(canvas.get() ? ::CreateCompatibleBitmap(windowDc, CW, CH) : nullptr);
    std::optional<tarvo::SelectGuard> selectCanvas;
    HDC dc = windowDc;
    if (canvas.get() && canvasBitmap.get()) {
        selectCanvas.emplace(canvas.get(), canvasBitmap.get());
        dc = canvas.get();
    }

    {
        tarvo::LockGuard lock(g_launcherPaintLock);
        const RECT window = GetWindowRect();
        const int W = window.right - window.left;
        const int H = window.bottom - window.top;
        fillRect(dc, makeRect(0, 0, W, H), static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));

        // The frame runs along the edges of the client area: on this bordered
        // window the outer size would put the right and bottom strips just
        // past the client edge, where they would never be seen.
        tarvo::Brush frame(::CreateSolidBrush(kFrameColour));
        for (const Rect& strip : frameStrips(CW, CH, dpi_)) fillRect(dc, strip, frame.get());

        tarvo::MemoryDC memory(dc);
        if (memory.get()) {
            const HBITMAP band = frameBitmaps_[1].get();
            for (int x : bandTileXs(CW, tarvo::bitmapSize(band).cx)) blitBitmap(dc, memory.get(), band, x, 0);
            blitBitmap(dc, memory.get(), frameBitmaps_[0].get(), 0, 0);
        }
    }

    if (!progress_.ready()) {
        const Size splash = scaleToDpi(kSplashSize, dpi_);
        DrawPicture(dc, tarvo::joinPath(currentDirectory(), L"bg.jpg"), splash.cx, splash.cy);
    }
    if (dc != windowDc) ::BitBlt(windowDc, 0, 0, CW, CH, dc, 0, 0, SRCCOPY);
    return TRUE;
}

bool CLauncherDlg::DrawPicture(HDC dc, const std::wstring& path, int width, int height) {
    if (!splashPictureRead_) {
        // Not there (yet): looked for again at the next erase. Once found, the
        // file is read this one time, whatever it holds.
        tarvo::UniqueHandle file = openForReading(path);
        if (!file) return false;
        splashPictureRead_ = true;
        splashPicture_ = loadJpegPicture(file.get());
    }
    if (!splashPicture_) return false;

    OLE_XSIZE_HIMETRIC pictureWidth = 0;
    OLE_YSIZE_HIMETRIC pictureHeight = 0;
    splashPicture_->get_Width(&pictureWidth);
    splashPicture_->get_Height(&pictureHeight);

    // The window the context paints on; a context without a window (a
    // printing or memory context) is this window's.
    HWND target = ::WindowFromDC(dc);
    if (!target) target = m_hWnd;
    RECT window{};
    ::GetWindowRect(target, &window);
    const int WW = window.right - window.left;
    const int WH = window.bottom - window.top;
    const Rect place = splashRect(WW, WH, width, height, dpi_);

    const HRESULT rendered = splashPicture_->Render(dc, place.left, place.top, width, height, 0, pictureHeight,
                                             pictureWidth, -pictureHeight, nullptr);
    if (FAILED(rendered)) return false;
    progress_.measured(Size{WW, WH});
    return true;
}

void CLauncherDlg::OnPaint() {
    if (::IsIconic(m_hWnd)) {
        tarvo::PaintDC paint(m_hWnd);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.get()), 0);
        const RECT client = GetClientRect();
        const Point at = iconPosition(Size{client.right - client.left, client.bottom - client.top},
                                      Size{tarvo::systemMetricForDpi(SM_CXICON, dpi_), tarvo::systemMetricForDpi(SM_CYICON, dpi_)});
        ::DrawIcon(paint.get(), at.x, at.y, windowIcon_);
        return;
    }
    // The skin comes with the erase; the caption buttons go over it.
    tarvo::PaintDC paint(m_hWnd);
    for (const auto& button : captionButtons_) button->Paint(paint.get(), paint.info().rcPaint);
}

HBRUSH CLauncherDlg::OnCtlColor(HDC dc, HWND) {
    Default();
    ::SetTextColor(dc, kSkinTextColour);
    ::SetBkColor(dc, RGB(0, 0, 0));
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

HCURSOR CLauncherDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(windowIcon_);
}
