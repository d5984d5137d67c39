// Watching a thread's message boxes with a CBT hook: when a dialog of the
// system's message-box class is activated, its caption, text, owner and icon
// are read and the box is closed with OK. A window property marks the boxes
// already reported, since a box may be activated more than once.
#include "platform/BoxWatch.h"

#include <cwchar>

#include "platform/Com.h"

namespace Halvane::Platform {

namespace {
thread_local BoxWatch* currentWatch = nullptr;
// One hook per thread, for as long as the thread has a watch.
thread_local HHOOK hook = nullptr;

constexpr const wchar_t* kSeenProperty = L"HalvaneBoxSeen";
constexpr int kMessageBoxTextId = 0xFFFF;  // the static control with the text
// The static control with the icon: its identifier differs between the
// platform's message box and Wine's.
constexpr int kMessageBoxIconIds[] = {0x0014, 0x0440};

std::u16string WindowText(HWND window) {
  if (window == nullptr) return std::u16string();
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return std::u16string();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(window, &text[0], length + 1);
  return FromOleText(text.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

bool ShowsErrorIcon(HWND box) {
  const HICON error = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_HAND));
  for (int id : kMessageBoxIconIds) {
    HWND icon = ::GetDlgItem(box, id);
    if (icon == nullptr) continue;
    const HICON shown = reinterpret_cast<HICON>(::SendMessageW(icon, STM_GETICON, 0, 0));
    if (shown != nullptr && shown == error) return true;
  }
  return false;
}

bool IsMessageBox(HWND window) {
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, 16);
  return std::wcscmp(className, L"#32770") == 0 && ::GetDlgItem(window, kMessageBoxTextId);
}

LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && currentWatch != nullptr) {
    HWND box = reinterpret_cast<HWND>(wParam);
    if (IsMessageBox(box) && ::GetPropW(box, kSeenProperty) == nullptr) {
      ::SetPropW(box, kSeenProperty, reinterpret_cast<HANDLE>(1));
      WatchedBox seen;
      seen.owner = ::GetWindow(box, GW_OWNER);
      seen.caption = WindowText(box);
      seen.text = WindowText(::GetDlgItem(box, kMessageBoxTextId));
      seen.style = kBoxOkButton | (ShowsErrorIcon(box) ? kBoxErrorIcon : 0);
      currentWatch->Deliver(seen);
      ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(::GetDlgItem(box, IDOK)));
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

BoxWatch::BoxWatch(Report report, void* context)
    : report_(report), context_(context), previous_(currentWatch) {
  if (hook == nullptr) {
    hook = ::SetWindowsHookExW(WH_CBT, &WatchBoxes, nullptr, ::GetCurrentThreadId());
  }
  active_ = hook != nullptr;
  if (active_) currentWatch = this;
}

BoxWatch::~BoxWatch() {
  if (!active_) return;
  if (currentWatch == this) currentWatch = previous_;
  if (currentWatch == nullptr && hook != nullptr) {
    ::UnhookWindowsHookEx(hook);
    hook = nullptr;
  }
}

BoxWatch* BoxWatch::Current() { return currentWatch; }

}  // namespace Halvane::Platform
