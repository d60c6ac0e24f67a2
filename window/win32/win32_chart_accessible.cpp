// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/win32/win32_chart_accessible.h"

// After windows.h, which it needs.
#include <oleacc.h>

#include <string>

#include "window/win32/win32_text.h"

namespace cotalia {

namespace {

BSTR BstrOf(std::string_view utf8) {
  const std::wstring wide = WideOf(utf8);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The system's object for the chart's window (its place, state and parent)
// with the chart's own name, description and role.
class ChartAccessible final : public IAccessible, public IOleWindow {
 public:
  ChartAccessible(HWND chart, IAccessible* standard, std::string_view name, ChartDescription describe,
                  bool line)
      : chart_(chart), standard_(standard), name_(name), describe_(describe), line_(line) {}
  ChartAccessible(const ChartAccessible&) = delete;
  ChartAccessible& operator=(const ChartAccessible&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible)) {
      *object = static_cast<IAccessible*>(this);
    } else if (id == __uuidof(IOleWindow)) {
      *object = static_cast<IOleWindow*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (name == nullptr) return E_POINTER;
    if (!IsSelf(child)) return E_INVALIDARG;
    *name = BstrOf(name_);
    return *name != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    if (description == nullptr) return E_POINTER;
    *description = nullptr;
    if (!IsSelf(child)) return E_INVALIDARG;
    const std::optional<std::string> text = describe_(chart_);
    if (!text) return RPC_E_DISCONNECTED;
    *description = BstrOf(*text);
    return *description != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (role == nullptr) return E_POINTER;
    if (!IsSelf(child)) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = line_ ? ROLE_SYSTEM_STATICTEXT : ROLE_SYSTEM_CHART;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (window == nullptr) return E_POINTER;
    *window = chart_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL /*enter*/) override { return E_NOTIMPL; }

  // The rest is the system's.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return standard_->GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return standard_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return standard_->GetIDsOfNames(id, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override {
    return standard_->Invoke(member, id, locale, flags, parameters, result, exception, argumentError);
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return standard_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    return standard_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return standard_->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (!line_) return standard_->get_accValue(child, value);
    return get_accDescription(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return standard_->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return standard_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return standard_->get_accKeyboardShortcut(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return standard_->get_accFocus(focus); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    return standard_->get_accSelection(selection);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return standard_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    return standard_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    return standard_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override {
    return standard_->accHitTest(left, top, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return standard_->accDoDefaultAction(child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return standard_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return standard_->put_accValue(child, value);
  }

 private:
  ~ChartAccessible() { standard_->Release(); }

  HWND chart_;
  IAccessible* standard_;
  std::string_view name_;
  ChartDescription describe_;
  bool line_;
  LONG references_ = 1;
};

LRESULT AccessibleObject(HWND chart, WPARAM wParam, std::string_view name, ChartDescription describe,
                         bool line) {
  IAccessible* standard = nullptr;
  if (FAILED(CreateStdAccessibleObject(chart, OBJID_CLIENT, __uuidof(IAccessible),
                                       reinterpret_cast<void**>(&standard)))) {
    return 0;
  }
  auto* accessible = new ChartAccessible(chart, standard, name, describe, line);
  const LRESULT result =
      LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(accessible));
  accessible->Release();
  return result;
}

}  // namespace

LRESULT AccessibleChartObject(HWND chart, WPARAM wParam, std::string_view name, ChartDescription describe) {
  return AccessibleObject(chart, wParam, name, describe, false);
}

LRESULT AccessibleLineObject(HWND line, WPARAM wParam, std::string_view name, ChartDescription describe) {
  return AccessibleObject(line, wParam, name, describe, true);
}

}  // namespace cotalia
