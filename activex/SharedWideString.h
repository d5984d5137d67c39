// An immutable UTF-16 string that both of the player's threads may hold: a
// BSTR with a reference count changed by atomic increments and decrements.
// Copying a SharedWideString takes a reference, never the text, so a
// string travels between the threads without being copied; the last
// reference frees it.
//
// A string is either null (nothing could be built, for lack of memory) or
// holds a BSTR, which for the empty text is a BSTR of length 0.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/Com.h"

namespace Halvane::ActiveX {

class SharedWideString {
 public:
  SharedWideString() = default;  // null
  ~SharedWideString() { Drop(); }
  SharedWideString(const SharedWideString& other);
  SharedWideString(SharedWideString&& other) noexcept : body_(other.body_) {
    other.body_ = nullptr;
  }
  SharedWideString& operator=(const SharedWideString& other);
  SharedWideString& operator=(SharedWideString&& other) noexcept;

  // A new string with the text; null when it cannot be allocated.
  static SharedWideString FromText(const std::u16string& text);
  // A new string with length units of the text (a null text with length 0
  // is the empty text); null when it cannot be allocated.
  static SharedWideString FromUnits(const OLECHAR* text, std::size_t length);
  // Takes over a BSTR that a control handed out (freed with the last
  // reference). A null BSTR becomes the empty text. Null, with the BSTR
  // freed, when no memory is left.
  static SharedWideString Adopt(BSTR text);

  bool IsNull() const { return body_ == nullptr; }
  // The BSTR, owned by the string (callers must not free it); null for a
  // null string.
  BSTR Bstr() const { return body_ != nullptr ? body_->text : nullptr; }
  std::uint32_t Length() const;
  std::u16string Text() const { return Platform::FromBstr(Bstr()); }
  // References held on the text (0 for a null string).
  std::int32_t UseCount() const;

 private:
  struct Body {
    std::atomic<std::int32_t> references;
    BSTR text;
  };
  void Drop();

  Body* body_ = nullptr;
};

}  // namespace Halvane::ActiveX
