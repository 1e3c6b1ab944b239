// 拖放对象1: the OLE drop target of the main window. It accepts file lists
// (CF_HDROP) only and fires the file-drop event inside Drop, with every
// dropped name joined into one text.
#pragma once

#include <ole2.h>

#include <functional>

#include "text/text.h"

namespace colsplit::win32 {

class DropTarget final : public IDropTarget {
 public:
  // `accepting` answers false while the window takes no input (a handler
  // runs); `on_files_dropped` is the file-drop event.
  DropTarget(std::function<bool()> accepting, std::function<void(const Text&)> on_files_dropped)
      : accepting_(std::move(accepting)), on_files_dropped_(std::move(on_files_dropped)) {}

  // Registers the target on a window; the platform's result, unexamined by
  // the program.
  bool register_on(HWND window);

  // IUnknown. The object lives as long as the window; OLE's references do
  // not own it.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // IDropTarget.
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

 private:
  DWORD effect_for(DWORD keys, DWORD permitted) const;

  std::function<bool()> accepting_;
  std::function<void(const Text&)> on_files_dropped_;
  bool has_file_list_ = false;
};

}  // namespace colsplit::win32
