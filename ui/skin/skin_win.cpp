#include "ui/skin/skin_win.h"

#include <commctrl.h>

#include <cstring>

namespace {
constexpr UINT_PTR kSkinSubclassId = 0x534B494E;  // one skin subclass per window
constexpr char kSkinProperty[] = "skin";

[[noreturn]] void Fail() { throw std::runtime_error("Unable to retrieve the skin."); }
}  // namespace

HRGN RegionFromData(const void* data, DWORD size) {
  if (!data || size < sizeof(RGNDATAHEADER)) return nullptr;
  RGNDATAHEADER header;
  std::memcpy(&header, data, sizeof(header));
  if (header.dwSize != sizeof(RGNDATAHEADER) || header.iType != RDH_RECTANGLES) return nullptr;
  // The rectangles the header claims must be in the bytes we have.
  const DWORD room = (size - sizeof(RGNDATAHEADER)) / sizeof(RECT);
  if (header.nCount > room) return nullptr;
  const DWORD used = sizeof(RGNDATAHEADER) + header.nCount * sizeof(RECT);
  return ExtCreateRegion(nullptr, used, static_cast<const RGNDATA*>(data));
}

CSkin::CSkin(HMODULE module, int regionId, const std::string& imagePath) {
  if (imagePath.empty()) Fail();
  if (!LoadSkinPicture(imagePath, picture)) Fail();
  width = picture.width;
  height = picture.height;

  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(regionId), "BINARY");
  HGLOBAL res = info ? LoadResource(module, info) : nullptr;
  const void* bytes = res ? LockResource(res) : nullptr;
  region.reset(bytes ? RegionFromData(bytes, SizeofResource(module, info)) : nullptr);
  if (!region) Fail();

  memoryDc.reset(CreateCompatibleDC(nullptr));
  if (!memoryDc) Fail();
  selectedPicture = ScopedSelectObject(memoryDc.get(), picture.bitmap.get());
}

CSkin::~CSkin() { Detach(); }

bool CSkin::Attach(HWND target) {
  Detach();
  if (!target || !IsWindow(target)) return false;
  // The window owns what SetWindowRgn gets: hand it a copy.
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  if (copy && CombineRgn(copy, static_cast<HRGN>(region.get()), nullptr, RGN_COPY) != ERROR) {
    if (!SetWindowRgn(target, copy, FALSE)) DeleteObject(copy);
  } else if (copy) {
    DeleteObject(copy);
  }
  // A subclass rather than a swapped window procedure: it can be removed in
  // any order with other subclasses (the fader's) without breaking the chain.
  if (!SetWindowSubclass(target, &CSkin::SkinProc, kSkinSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    SetWindowRgn(target, nullptr, TRUE);
    return false;
  }
  SetPropA(target, kSkinProperty, this);
  window = target;
  attached = true;
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  return true;
}

void CSkin::Detach() {
  if (!attached) return;
  if (IsWindow(window)) {
    SetWindowRgn(window, nullptr, TRUE);
    RemoveWindowSubclass(window, &CSkin::SkinProc, kSkinSubclassId);
    RemovePropA(window, kSkinProperty);
    InvalidateRect(window, nullptr, TRUE);
  }
  window = nullptr;
  attached = false;
}

void CSkin::SetVisible(bool show) {
  visible = show;
  if (attached) ShowWindow(window, show ? SW_SHOW : SW_HIDE);
}

LRESULT CALLBACK CSkin::SkinProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  CSkin* self = reinterpret_cast<CSkin*>(data);
  switch (msg) {
    case WM_ERASEBKGND:
      return TRUE;  // the picture covers every pixel the region lets through
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      BitBlt(dc, 0, 0, self->width, self->height, self->memoryDc.get(), 0, 0, SRCCOPY);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      // A press anywhere moves the window, as its caption would.
      ReleaseCapture();
      SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
      return 0;
    case WM_NCDESTROY:
      // The window goes first: forget it so Detach does not touch it.
      RemoveWindowSubclass(hwnd, &CSkin::SkinProc, kSkinSubclassId);
      RemovePropA(hwnd, kSkinProperty);
      self->window = nullptr;
      self->attached = false;
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}
