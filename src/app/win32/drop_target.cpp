#include "app/win32/drop_target.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/drop/drop_effect.h"
#include "app/runtime_error/runtime_error_report.h"
#include "text/encoding.h"

namespace colsplit::win32 {

namespace {

FORMATETC file_list_format() { return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool carries_file_list(IDataObject* data) {
  FORMATETC format = file_list_format();
  return data && data->QueryGetData(&format) == S_OK;
}

std::vector<Text> dropped_names(HDROP drop) {
  std::vector<Text> names;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring name(length + 1, L'\0');
    const UINT copied = DragQueryFileW(drop, i, name.data(), length + 1);
    name.resize(copied);
    names.push_back(wide_to_gbk(name));
  }
  return names;
}

}  // namespace

bool DropTarget::register_on(HWND window) { return RegisterDragDrop(window, this) == S_OK; }

HRESULT STDMETHODCALLTYPE DropTarget::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

DWORD DropTarget::effect_for(DWORD keys, DWORD permitted) const {
  const bool accepting = !accepting_ || accepting_();
  return choose_drop_effect(has_file_list_ && accepting, (keys & MK_CONTROL) != 0, (keys & MK_SHIFT) != 0,
                            permitted);
}

HRESULT STDMETHODCALLTYPE DropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL, DWORD* effect) {
  has_file_list_ = carries_file_list(data);
  if (effect) *effect = effect_for(keys, *effect);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragOver(DWORD keys, POINTL, DWORD* effect) {
  if (effect) *effect = effect_for(keys, *effect);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragLeave() {
  has_file_list_ = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::Drop(IDataObject* data, DWORD keys, POINTL, DWORD* effect) {
  has_file_list_ = carries_file_list(data);
  const DWORD chosen = effect ? effect_for(keys, *effect) : DROPEFFECT_NONE;
  if (effect) *effect = chosen;
  has_file_list_ = false;
  if (chosen == DROPEFFECT_NONE) return S_OK;

  FORMATETC format = file_list_format();
  STGMEDIUM medium{};
  if (data->GetData(&format, &medium) != S_OK) {
    if (effect) *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  const std::vector<Text> names = dropped_names(static_cast<HDROP>(medium.hGlobal));
  ReleaseStgMedium(&medium);
  if (names.empty()) {
    if (effect) *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  // The event runs inside the drop, before the source learns the outcome;
  // nothing may unwind into OLE's code.
  if (on_files_dropped_) report_escaping_exceptions([&] { on_files_dropped_(join_dropped_names(names)); });
  return S_OK;
}

}  // namespace colsplit::win32
