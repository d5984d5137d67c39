// What an ActiveX control and its container say to each other, for targets
// without COM: the control's object and in-place interfaces, the
// container's client site, in-place site and frame, the class factory and
// IViewObject2; same method order, argument types and values as the
// published ones. Included by ComDeclarations.h.
#pragma once

// Handles that are only passed along here.
using HWND = void*;
struct MenuHandle;
using HMENU = MenuHandle*;
using HOLEMENU = void*;
struct AcceleratorHandle;
using HACCEL = AcceleratorHandle*;
struct RegionHandle;
using HRGN = RegionHandle*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

using LPRECT = RECT*;
using BORDERWIDTHS = RECT;
using LPBORDERWIDTHS = RECT*;
using LPCBORDERWIDTHS = const RECT*;

struct POINT {
  LONG x;
  LONG y;
};
struct SIZE {
  LONG cx;
  LONG cy;
};
using SIZEL = SIZE;
using LPSIZEL = SIZEL*;

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
using LPMSG = MSG*;

struct OLEINPLACEFRAMEINFO {
  UINT cb;
  BOOL fMDIApp;
  HWND hwndFrame;
  HACCEL haccel;
  UINT cAccelEntries;
};
using LPOLEINPLACEFRAMEINFO = OLEINPLACEFRAMEINFO*;

struct OLEMENUGROUPWIDTHS {
  LONG width[6];
};
using LPOLEMENUGROUPWIDTHS = OLEMENUGROUPWIDTHS*;

struct IMoniker;
struct IOleContainer;
struct IDataObject;
struct IEnumOLEVERB;
struct IEnumSTATDATA;
struct IDropTarget;
struct IOleInPlaceActiveObject;

constexpr LONG OLEIVERB_PRIMARY = 0;
constexpr LONG OLEIVERB_SHOW = -1;
constexpr LONG OLEIVERB_OPEN = -2;
constexpr LONG OLEIVERB_HIDE = -3;
constexpr LONG OLEIVERB_UIACTIVATE = -4;
constexpr LONG OLEIVERB_INPLACEACTIVATE = -5;
constexpr LONG OLEIVERB_DISCARDUNDOSTATE = -6;

constexpr DWORD OLECLOSE_SAVEIFDIRTY = 0;
constexpr DWORD OLECLOSE_NOSAVE = 1;

constexpr DWORD OLEMISC_RECOMPOSEONRESIZE = 0x1;
constexpr DWORD OLEMISC_CANTLINKINSIDE = 0x10;
constexpr DWORD OLEMISC_INSIDEOUT = 0x80;
constexpr DWORD OLEMISC_ACTIVATEWHENVISIBLE = 0x100;
constexpr DWORD OLEMISC_SETCLIENTSITEFIRST = 0x20000;

constexpr DWORD ACTIVATE_WINDOWLESS = 1;
constexpr DWORD USERCLASSTYPE_FULL = 1;

constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = static_cast<HRESULT>(0x80040003u);
constexpr HRESULT OLE_E_NOCONNECTION = static_cast<HRESULT>(0x80040004u);
constexpr HRESULT OLE_E_NOT_INPLACEACTIVE = static_cast<HRESULT>(0x80040010u);
constexpr HRESULT OLE_E_INVALIDRECT = static_cast<HRESULT>(0x8004000Du);
constexpr HRESULT DV_E_DVASPECT = static_cast<HRESULT>(0x8004006Bu);
constexpr HRESULT OLEOBJ_E_NOVERBS = static_cast<HRESULT>(0x80040180u);
constexpr HRESULT OLEOBJ_S_INVALIDVERB = static_cast<HRESULT>(0x00040180u);
constexpr HRESULT OLE_S_USEREG = static_cast<HRESULT>(0x00040000u);
constexpr HRESULT CONNECT_E_ADVISELIMIT = static_cast<HRESULT>(0x80040201u);

struct FORMATETC;
struct STGMEDIUM;

// Told of changes by an object it advises (IOleObject::Advise,
// IViewObject::SetAdvise); its methods answer nothing.
struct IAdviseSink : IUnknown {
  virtual void STDMETHODCALLTYPE OnDataChange(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual void STDMETHODCALLTYPE OnViewChange(DWORD aspect, LONG index) = 0;
  virtual void STDMETHODCALLTYPE OnRename(IMoniker* moniker) = 0;
  virtual void STDMETHODCALLTYPE OnSave() = 0;
  virtual void STDMETHODCALLTYPE OnClose() = 0;

 protected:
  ~IAdviseSink() = default;
};

struct IOleClientSite : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SaveObject() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) = 0;
  virtual HRESULT STDMETHODCALLTYPE ShowObject() = 0;
  virtual HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) = 0;
  virtual HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() = 0;

 protected:
  ~IOleClientSite() = default;
};

struct IOleObject : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR application, LPCOLESTR document) = 0;
  virtual HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) = 0;
  virtual HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation,
                                                 DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) = 0;
  virtual HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG message, IOleClientSite* site,
                                           LONG index, HWND parent, LPCRECT position) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) = 0;
  virtual HRESULT STDMETHODCALLTYPE Update() = 0;
  virtual HRESULT STDMETHODCALLTYPE IsUpToDate() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* classId) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* userType) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) = 0;
  virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advises) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) = 0;

 protected:
  ~IOleObject() = default;
};

struct IOleWindow : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) = 0;
  virtual HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) = 0;

 protected:
  ~IOleWindow() = default;
};

struct IOleInPlaceObject : IOleWindow {
  virtual HRESULT STDMETHODCALLTYPE InPlaceDeactivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE UIDeactivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReactivateAndUndo() = 0;

 protected:
  ~IOleInPlaceObject() = default;
};

struct IOleInPlaceObjectWindowless : IOleInPlaceObject {
  virtual HRESULT STDMETHODCALLTYPE OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                                    LRESULT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget** target) = 0;

 protected:
  ~IOleInPlaceObjectWindowless() = default;
};

struct IOleInPlaceUIWindow : IOleWindow {
  virtual HRESULT STDMETHODCALLTYPE GetBorder(LPRECT border) = 0;
  virtual HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS widths) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object,
                                                    LPCOLESTR name) = 0;

 protected:
  ~IOleInPlaceUIWindow() = default;
};

struct IOleInPlaceFrame : IOleInPlaceUIWindow {
  virtual HRESULT STDMETHODCALLTYPE InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetMenu(HMENU shared, HOLEMENU descriptor,
                                            HWND activeObject) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU shared) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR text) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) = 0;
  virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message, WORD id) = 0;

 protected:
  ~IOleInPlaceFrame() = default;
};

struct IOleInPlaceSite : IOleWindow {
  virtual HRESULT STDMETHODCALLTYPE CanInPlaceActivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE OnInPlaceActivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE OnUIActivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                                     IOleInPlaceUIWindow** document,
                                                     LPRECT position, LPRECT clip,
                                                     LPOLEINPLACEFRAMEINFO frameInfo) = 0;
  virtual HRESULT STDMETHODCALLTYPE Scroll(SIZE extent) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE DiscardUndoState() = 0;
  virtual HRESULT STDMETHODCALLTYPE DeactivateAndUndo() = 0;
  virtual HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) = 0;

 protected:
  ~IOleInPlaceSite() = default;
};

struct IOleInPlaceSiteEx : IOleInPlaceSite {
  virtual HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL noRedraw) = 0;
  virtual HRESULT STDMETHODCALLTYPE RequestUIActivate() = 0;

 protected:
  ~IOleInPlaceSiteEx() = default;
};

struct IOleInPlaceSiteWindowless : IOleInPlaceSiteEx {
  virtual HRESULT STDMETHODCALLTYPE CanWindowlessActivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCapture() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetCapture(BOOL capture) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFocus() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetFocus(BOOL focus) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDC(LPCRECT rect, DWORD flags, HDC* dc) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReleaseDC(HDC dc) = 0;
  virtual HRESULT STDMETHODCALLTYPE InvalidateRect(LPCRECT rect, BOOL erase) = 0;
  virtual HRESULT STDMETHODCALLTYPE InvalidateRgn(HRGN region, BOOL erase) = 0;
  virtual HRESULT STDMETHODCALLTYPE ScrollRect(INT dx, INT dy, LPCRECT scroll, LPCRECT clip) = 0;
  virtual HRESULT STDMETHODCALLTYPE AdjustRect(LPRECT rect) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDefWindowMessage(UINT message, WPARAM wParam,
                                                       LPARAM lParam, LRESULT* result) = 0;

 protected:
  ~IOleInPlaceSiteWindowless() = default;
};

struct IViewObject2 : IViewObject {
  virtual HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index,
                                              DVTARGETDEVICE* targetDevice, LPSIZEL size) = 0;

 protected:
  ~IViewObject2() = default;
};

struct IClassFactory : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                                   void** object) = 0;
  virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};

extern const IID IID_IClassFactory;
extern const IID IID_IOleObject;
extern const IID IID_IOleClientSite;
extern const IID IID_IOleWindow;
extern const IID IID_IOleInPlaceObject;
extern const IID IID_IOleInPlaceObjectWindowless;
extern const IID IID_IOleInPlaceUIWindow;
extern const IID IID_IOleInPlaceFrame;
extern const IID IID_IOleInPlaceSite;
extern const IID IID_IOleInPlaceSiteEx;
extern const IID IID_IOleInPlaceSiteWindowless;
extern const IID IID_IViewObject2;
