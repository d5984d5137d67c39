#include "activex/SharedWideString.h"

#include <new>

namespace Halvane::ActiveX {

SharedWideString::SharedWideString(const SharedWideString& other) : body_(other.body_) {
  if (body_ != nullptr) body_->references.fetch_add(1, std::memory_order_relaxed);
}

SharedWideString& SharedWideString::operator=(const SharedWideString& other) {
  // Taken before the old one is dropped, so that assigning a string to
  // itself keeps it.
  Body* incoming = other.body_;
  if (incoming != nullptr) incoming->references.fetch_add(1, std::memory_order_relaxed);
  Drop();
  body_ = incoming;
  return *this;
}

SharedWideString& SharedWideString::operator=(SharedWideString&& other) noexcept {
  if (this != &other) {
    Drop();
    body_ = other.body_;
    other.body_ = nullptr;
  }
  return *this;
}

void SharedWideString::Drop() {
  if (body_ == nullptr) return;
  // The thread that drops the last reference must see every write made
  // through the others before it frees the text.
  if (body_->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    SysFreeString(body_->text);
    delete body_;
  }
  body_ = nullptr;
}

SharedWideString SharedWideString::FromText(const std::u16string& text) {
  BSTR copy = Platform::NewBstr(text);
  if (copy == nullptr) return SharedWideString();
  return Adopt(copy);
}

SharedWideString SharedWideString::FromUnits(const OLECHAR* text, std::size_t length) {
  if (length > 0x3FFFFFFFu || (text == nullptr && length > 0)) return SharedWideString();
  BSTR copy = SysAllocStringLen(text, static_cast<UINT>(length));
  if (copy == nullptr) return SharedWideString();
  return Adopt(copy);
}

SharedWideString SharedWideString::Adopt(BSTR text) {
  SharedWideString out;
  if (text == nullptr) {
    text = SysAllocStringLen(nullptr, 0);
    if (text == nullptr) return out;
  }
  out.body_ = new (std::nothrow) Body{{1}, text};
  if (out.body_ == nullptr) SysFreeString(text);
  return out;
}

std::uint32_t SharedWideString::Length() const {
  return body_ != nullptr ? SysStringLen(body_->text) : 0;
}

std::int32_t SharedWideString::UseCount() const {
  return body_ != nullptr ? body_->references.load(std::memory_order_relaxed) : 0;
}

}  // namespace Halvane::ActiveX
