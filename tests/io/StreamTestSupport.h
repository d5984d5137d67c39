// Helpers shared by the stream tests: an owning holder for streams, temporary
// files, reading a stream back whole, and fake streams that misbehave on
// purpose.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "io/HeapBlock.h"
#include "io/MemoryStream.h"
#include "io/Stream.h"
#include "support/TempFolder.h"

namespace Halvane::IO::Testing {

using Bytes = std::vector<std::uint8_t>;

// The parts one after another. Sized before copying: GCC 12 warns wrongly
// about inserts that grow small vectors.
template <class... Parts>
Bytes Join(const Parts&... parts) {
  Bytes out;
  out.reserve((parts.size() + ... + 0));
  (out.insert(out.end(), parts.begin(), parts.end()), ...);
  return out;
}

// Holds one reference and drops it at the end of the scope.
template <typename T>
class Held {
 public:
  Held() = default;
  explicit Held(T* p) : p_(p) {}
  ~Held() {
    if (p_ != nullptr) p_->Release();
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  T** Out() { return &p_; }
  T* get() const { return p_; }
  T* operator->() const { return p_; }

 private:
  T* p_ = nullptr;
};

inline LARGE_INTEGER Move(LONGLONG v) {
  LARGE_INTEGER m;
  m.QuadPart = v;
  return m;
}

inline ULARGE_INTEGER Count(ULONGLONG v) {
  ULARGE_INTEGER c;
  c.QuadPart = v;
  return c;
}

inline Bytes Pattern(std::size_t n, std::uint32_t seed = 1) {
  Bytes out(n);
  std::uint32_t x = seed;
  for (auto& b : out) {
    x = x * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(x >> 16);
  }
  return out;
}

// Every byte of a stream from position 0, leaving it at its end.
inline Bytes ReadAll(Stream* s) {
  s->Seek(Move(0), STREAM_SEEK_SET, nullptr);
  Bytes out;
  std::uint8_t chunk[4096];
  for (;;) {
    ULONG got = 0;
    if (s->Read(chunk, sizeof chunk, &got) != S_OK || got == 0) break;
    out.insert(out.end(), chunk, chunk + got);
  }
  return out;
}

inline MemoryStream* NewMemoryStream(const Bytes& content = {}) {
  MemoryStream* s = nullptr;
  EXPECT_EQ(CreateMemoryStream(0, &s), S_OK);
  if (!content.empty()) {
    ULONG put = 0;
    EXPECT_EQ(s->Write(content.data(), static_cast<ULONG>(content.size()), &put), S_OK);
  }
  s->Seek(Move(0), STREAM_SEEK_SET, nullptr);
  return s;
}

// A per-test directory for files; removed with everything in it.
using TempDir = Halvane::Testing::TempFolder;

// Makes simulated allocation failures start after `allowed` allocations for
// the scope.
class AllocationFailure {
 public:
  explicit AllocationFailure(int allowed) { FailAllocationsAfter(allowed); }
  ~AllocationFailure() { FailAllocationsAfter(-1); }
};

// The operations no test stream needs.
class TestStream : public Stream {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** o) override {
    *o = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }
};

// A destination that records the size of every write and can be told to
// write short or fail after a total; as a source it delivers `readable`
// counting bytes, then S_FALSE or readFailure.
class FakeStream final : public TestStream {
 public:
  ULONG writeLimitPerCall = 0xFFFFFFFFu;  // longer writes are cut (S_OK)
  ULONGLONG failWritesAfter = UINT64_MAX;  // total bytes, then STG_E_MEDIUMFULL
  ULONGLONG readable = 0;
  bool readFails = false;
  HRESULT readFailure = E_FAIL;
  std::vector<ULONG> writes;
  Bytes written;
  ULONGLONG position = 0;

  HRESULT STDMETHODCALLTYPE Read(void* data, ULONG count, ULONG* got) override {
    const ULONGLONG left = readable > position ? readable - position : 0;
    const ULONG n = count < left ? count : static_cast<ULONG>(left);
    auto* out = static_cast<std::uint8_t*>(data);
    for (ULONG i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(position + i);
    position += n;
    if (got != nullptr) *got = n;
    if (n == 0) return readFails ? readFailure : S_FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG count, ULONG* put) override {
    writes.push_back(count);
    const ULONG n = written.size() + count > failWritesAfter ? 0
                    : count < writeLimitPerCall             ? count
                                                            : writeLimitPerCall;
    const auto* in = static_cast<const std::uint8_t*>(data);
    written.insert(written.end(), in, in + n);
    if (put != nullptr) *put = n;
    return n == 0 && count > 0 ? STG_E_MEDIUMFULL : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* at) override {
    if (origin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
    const LONGLONG base = origin == STREAM_SEEK_SET ? 0
                          : origin == STREAM_SEEK_CUR ? static_cast<LONGLONG>(position)
                                                      : static_cast<LONGLONG>(written.size());
    if (base + move.QuadPart < 0) return STG_E_INVALIDFUNCTION;
    position = static_cast<ULONGLONG>(base + move.QuadPart);
    if (at != nullptr) at->QuadPart = position;
    return S_OK;
  }
};

// A memory stream seen through reads of at most maxRead bytes, as a slow
// source would deliver them.
class TrickleStream final : public TestStream {
 public:
  TrickleStream(MemoryStream* inner, ULONG maxRead) : inner_(inner), maxRead_(maxRead) {}
  HRESULT STDMETHODCALLTYPE Read(void* data, ULONG count, ULONG* got) override {
    return inner_->Read(data, count < maxRead_ ? count : maxRead_, got);
  }
  HRESULT STDMETHODCALLTYPE Write(const void* d, ULONG c, ULONG* p) override {
    return inner_->Write(d, c, p);
  }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER m, DWORD o, ULARGE_INTEGER* at) override {
    return inner_->Seek(m, o, at);
  }

 private:
  MemoryStream* inner_;
  ULONG maxRead_;
};

}  // namespace Halvane::IO::Testing
