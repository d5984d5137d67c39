// COM declarations for targets without COM. Same vtable order, argument types
// and result code values as the published interfaces, so that code written
// against them behaves the same on Windows, where the platform headers are
// used instead. Only what the subsystems use is declared.
#pragma once

#include <cstddef>
#include <cstdint>

#define STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT

// LONG is long, as on Windows, so that code passing an int where the shapes
// take a LONG (or the reverse) fails here as it fails there. It is wider
// than 32 bits on this target; nothing stores it in a file or a record.
using HRESULT = std::int32_t;
using LONG = long;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;
using BOOL = std::int32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using VARIANT_BOOL = std::int16_t;
using OLECHAR = char16_t;  // UTF-16 code unit, as on Windows
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    std::int32_t HighPart;
  } u;
  LONGLONG QuadPart;
};

union ULARGE_INTEGER {
  struct {
    DWORD LowPart;
    DWORD HighPart;
  } u;
  ULONGLONG QuadPart;
};

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFGUID = const GUID&;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct STATSTG {
  LPOLESTR pwcsName;
  DWORD type;
  ULARGE_INTEGER cbSize;
  FILETIME mtime;
  FILETIME ctime;
  FILETIME atime;
  DWORD grfMode;
  DWORD grfLocksSupported;
  CLSID clsid;
  DWORD grfStateBits;
  DWORD reserved;
};

// Two distinct types, as on Windows.
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
struct RECTL {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

// A device context: on this target a small object of the graphics seam that
// knows the bitmap selected into it. Opaque to everything else.
struct DeviceContext;
using HDC = DeviceContext*;

enum STREAM_SEEK : DWORD {
  STREAM_SEEK_SET = 0,
  STREAM_SEEK_CUR = 1,
  STREAM_SEEK_END = 2,
};

enum STATFLAG : DWORD {
  STATFLAG_DEFAULT = 0,
  STATFLAG_NONAME = 1,
};

enum CLSCTX : DWORD {
  CLSCTX_INPROC_SERVER = 0x1,
  CLSCTX_INPROC_HANDLER = 0x2,
  CLSCTX_LOCAL_SERVER = 0x4,
  CLSCTX_REMOTE_SERVER = 0x10,
  CLSCTX_ALL = 0x17,
};

enum DVASPECT : DWORD {
  DVASPECT_CONTENT = 1,
};

// Result codes with their published values.
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT STG_E_INVALIDFUNCTION = static_cast<HRESULT>(0x80030001u);
constexpr HRESULT STG_E_INVALIDPOINTER = static_cast<HRESULT>(0x80030009u);
constexpr HRESULT STG_E_MEDIUMFULL = static_cast<HRESULT>(0x80030070u);
constexpr HRESULT STG_E_CANTSAVE = static_cast<HRESULT>(0x80030103u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct ISequentialStream : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Read(void* data, ULONG count, ULONG* bytesRead) = 0;
  virtual HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG count,
                                          ULONG* bytesWritten) = 0;

 protected:
  ~ISequentialStream() = default;
};

struct IStream : ISequentialStream {
  virtual HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                         ULARGE_INTEGER* newPosition) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER newSize) = 0;
  virtual HRESULT STDMETHODCALLTYPE CopyTo(IStream* destination, ULARGE_INTEGER count,
                                           ULARGE_INTEGER* bytesRead,
                                           ULARGE_INTEGER* bytesWritten) = 0;
  virtual HRESULT STDMETHODCALLTYPE Commit(DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE Revert() = 0;
  virtual HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                               DWORD lockType) = 0;
  virtual HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                                 DWORD lockType) = 0;
  virtual HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IStream** clone) = 0;

 protected:
  ~IStream() = default;
};

struct IPersist : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) = 0;

 protected:
  ~IPersist() = default;
};

struct IPersistStreamInit : IPersist {
  virtual HRESULT STDMETHODCALLTYPE IsDirty() = 0;
  virtual HRESULT STDMETHODCALLTYPE Load(IStream* stream) = 0;
  virtual HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE InitNew() = 0;

 protected:
  ~IPersistStreamInit() = default;
};

extern const IID IID_IUnknown;
extern const IID IID_ISequentialStream;
extern const IID IID_IStream;
extern const IID IID_IPersist;
extern const IID IID_IPersistStreamInit;
extern const IID IID_IDispatch;

// BSTR: a UTF-16 string with its byte length stored in the 32 bits before the
// first character and a terminating zero after the last, as on Windows.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);

// Drawing of an object's picture into a device context (OleDraw and the
// IViewObject it calls), as the movie control is drawn.
using ULONG_PTR = std::uintptr_t;
struct DVTARGETDEVICE;
struct LOGPALETTE;
struct IAdviseSink;
using LPCRECT = const RECT*;
using LPCRECTL = const RECTL*;

struct IViewObject : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Draw(DWORD drawAspect, LONG index, void* aspect,
                                         DVTARGETDEVICE* targetDevice, HDC targetDC,
                                         HDC drawDC, LPCRECTL bounds, LPCRECTL windowBounds,
                                         BOOL(STDMETHODCALLTYPE* shouldContinue)(ULONG_PTR),
                                         ULONG_PTR continueValue) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetColorSet(DWORD drawAspect, LONG index, void* aspect,
                                                DVTARGETDEVICE* targetDevice, HDC targetDC,
                                                LOGPALETTE** colorSet) = 0;
  virtual HRESULT STDMETHODCALLTYPE Freeze(DWORD drawAspect, LONG index, void* aspect,
                                           DWORD* freeze) = 0;
  virtual HRESULT STDMETHODCALLTYPE Unfreeze(DWORD freeze) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags,
                                              IAdviseSink** sink) = 0;

 protected:
  ~IViewObject() = default;
};

extern const IID IID_IViewObject;

// Queries the object for IViewObject and draws its aspect into the bounds of
// the device context; E_NOINTERFACE when it has no picture to draw.
HRESULT OleDraw(IUnknown* object, DWORD aspect, HDC drawDC, LPCRECT bounds);

// Automation (IDispatch, VARIANT) and the interfaces between an ActiveX
// control and its container.
#include "AutomationDeclarations.h"
#include "OleDeclarations.h"
