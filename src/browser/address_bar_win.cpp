#include "browser/address_bar_win.h"

#include <objbase.h>
#include <oleauto.h>

#include "browser/browser_windows.h"
#include "browser/clipboard_snapshot_win.h"

namespace perchlet {

namespace {

// The few UI Automation client calls used here, declared by their places in the interfaces
// (mingw-w64 ships only the provider side of UI Automation).
const CLSID kClsidCuiAutomation = {0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
const IID kIidUiAutomation = {0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
constexpr int kEditControlTypeId = 50004;
constexpr int kControlTypePropertyId = 30003;
constexpr int kValueValuePropertyId = 30045;
constexpr int kTreeScopeDescendants = 4;

struct UiaElement : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetFocus() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRuntimeId(void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirst(int scope, IUnknown* condition, UiaElement** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAll(int, IUnknown*, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirstBuildCache(int, IUnknown*, IUnknown*, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAllBuildCache(int, IUnknown*, IUnknown*, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE BuildUpdatedCache(IUnknown*, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(int propertyId, VARIANT* value) = 0;
};

struct UiaClient : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CompareElements(void*, void*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareRuntimeIds(void*, void*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRootElement(UiaElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND window, UiaElement** element) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT, UiaElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocusedElement(UiaElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRootElementBuildCache(IUnknown*, UiaElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandleBuildCache(HWND, IUnknown*, UiaElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromPointBuildCache(POINT, IUnknown*, UiaElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocusedElementBuildCache(IUnknown*, UiaElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateTreeWalker(IUnknown*, IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ControlViewWalker(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ContentViewWalker(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RawViewWalker(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RawViewCondition(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ControlViewCondition(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ContentViewCondition(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateCacheRequest(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateTrueCondition(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateFalseCondition(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreatePropertyCondition(int propertyId, VARIANT value, IUnknown** condition) = 0;
};

template <typename T>
struct Released {
    T* pointer = nullptr;
    ~Released() {
        if (pointer) pointer->Release();
    }
};

struct ComApartment {
    bool owned = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ~ComApartment() {
        if (owned) CoUninitialize();
    }
};

std::u16string_view utf16(const std::wstring& text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

constexpr DWORD kCopyWaitMs = 3000;
constexpr DWORD kWaitStepMs = 20;
constexpr DWORD kKeysTakenWaitMs = 1000;
constexpr int kForegroundTries = 50;

bool bringToFront(HWND window) {
    SetForegroundWindow(window);
    for (int i = 0; i < kForegroundTries && GetForegroundWindow() != window; ++i) Sleep(kWaitStepMs);
    return GetForegroundWindow() == window;
}

// Typed keys wait in the browser's queue, and a window that loses the front may drop those it
// has not taken yet. A window is painted only once its queue holds no input, so the keys are
// taken when a corner made invalid after them has been painted. Messages sent to this thread
// are answered meanwhile, and a browser that never paints is waited for only so long.
void waitForKeysTaken(HWND browser) {
    RECT corner{0, 0, 1, 1};
    InvalidateRect(browser, &corner, FALSE);
    DWORD start = GetTickCount();
    while (GetUpdateRect(browser, nullptr, FALSE) && GetTickCount() - start < kKeysTakenWaitMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_SENDMESSAGE);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void typeKey(BYTE key, bool withControl) {
    if (withControl) keybd_event(VK_CONTROL, 0, 0, 0);
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    if (withControl) keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
}

// Waits for the browser to put something on the clipboard. Messages sent to this thread
// are answered meanwhile: the browser's EmptyClipboard tells the previous owner, which may
// be one of the program's windows.
bool waitForClipboardChange(DWORD sequenceBefore) {
    DWORD start = GetTickCount();
    while (GetClipboardSequenceNumber() == sequenceBefore) {
        if (GetTickCount() - start >= kCopyWaitMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kWaitStepMs, QS_SENDMESSAGE);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

std::wstring clipboardText(HWND owner) {
    std::wstring text;
    if (!openClipboardPatiently(owner)) return text;
    if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(block))) {
            text.assign(chars, wcsnlen(chars, GlobalSize(block) / sizeof(wchar_t)));
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return text;
}

std::wstring trimmed(std::wstring text) {
    std::size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos) return {};
    std::size_t last = text.find_last_not_of(L" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Ctrl+L, Ctrl+C, Escape in the browser window, with the clipboard borrowed and given back.
AddressReading copyAddressWithKeys(HWND owner, HWND browser) {
    AddressReading reading;
    ClipboardSnapshot saved;
    switch (saved.take()) {
    case SnapshotResult::Taken:
        break;
    case SnapshotResult::ClipboardBusy:
        reading.problem = "クリップボードを開けないため、アドレスバーのURLをコピーできませんでした。";
        return reading;
    case SnapshotResult::OwnerNotAnswering:
        reading.problem = "クリップボードを使っているプログラムが応答しないため、クリップボードの内容を保存できません。"
                          "クリップボードはそのままにして、アドレスバーのURLはコピーしませんでした。";
        return reading;
    }
    if (!bringToFront(browser)) {
        reading.problem = "ブラウザのウィンドウを前面に出せませんでした。";
        return reading;
    }
    DWORD sequence = GetClipboardSequenceNumber();
    typeKey('L', true);
    typeKey('C', true);
    bool copied = waitForClipboardChange(sequence);
    std::wstring text = copied ? trimmed(clipboardText(owner)) : std::wstring();
    typeKey(VK_ESCAPE, false);
    // A browser that took the copy keys takes this one in a moment; one that did not may never.
    if (copied) waitForKeysTaken(browser);
    bool restored = saved.restore(owner);
    if (!copied) {
        reading.problem = "アドレスバーのURLがクリップボードにコピーされませんでした。";
    } else if (!isWholeAddress(utf16(text))) {
        reading.problem = "アドレスバーからコピーした文字列はURLではありませんでした。";
    } else {
        reading.address = text;
    }
    if (!restored) reading.problem += (reading.problem.empty() ? "" : "\r\n") + std::string("クリップボードの内容を元に戻せませんでした。");
    return reading;
}

}  // namespace

std::wstring addressFromAutomation(HWND browser) {
    ComApartment apartment;
    Released<UiaClient> automation;
    if (FAILED(CoCreateInstance(kClsidCuiAutomation, nullptr, CLSCTX_INPROC_SERVER, kIidUiAutomation,
                                reinterpret_cast<void**>(&automation.pointer))) ||
        !automation.pointer)
        return {};
    Released<UiaElement> window;
    if (FAILED(automation.pointer->ElementFromHandle(browser, &window.pointer)) || !window.pointer) return {};
    VARIANT editType;
    VariantInit(&editType);
    editType.vt = VT_I4;
    editType.lVal = kEditControlTypeId;
    Released<IUnknown> isEdit;
    if (FAILED(automation.pointer->CreatePropertyCondition(kControlTypePropertyId, editType, &isEdit.pointer)) ||
        !isEdit.pointer)
        return {};
    // The address bar is the first edit field in the browser's own controls, before the page.
    Released<UiaElement> edit;
    if (FAILED(window.pointer->FindFirst(kTreeScopeDescendants, isEdit.pointer, &edit.pointer)) || !edit.pointer)
        return {};
    VARIANT value;
    VariantInit(&value);
    std::wstring text;
    if (SUCCEEDED(edit.pointer->GetCurrentPropertyValue(kValueValuePropertyId, &value)) && value.vt == VT_BSTR &&
        value.bstrVal)
        text = trimmed(std::wstring(value.bstrVal, SysStringLen(value.bstrVal)));
    VariantClear(&value);
    return isWholeAddress(utf16(text)) ? text : std::wstring();
}

AddressReading readBrowserAddress(HWND owner, HWND browser) {
    AddressReading reading;
    reading.address = addressFromAutomation(browser);
    if (reading.address.empty()) reading = copyAddressWithKeys(owner, browser);
    // The program the user was in gets the keyboard back.
    if (HWND root = GetAncestor(owner, GA_ROOT)) SetForegroundWindow(root);
    return reading;
}

}  // namespace perchlet
