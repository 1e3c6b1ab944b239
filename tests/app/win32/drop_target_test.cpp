// 拖放对象1 with data objects made here: what it accepts, and the text of
// the file-drop event.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/gbk_literal.h"
#include "window_fixture.h"

namespace colsplit::win32 {
namespace {

using ::colsplit::testing::gbk;

// A data object carrying either a file list (CF_HDROP, wide names) or text.
class FakeData final : public IDataObject {
 public:
  static FakeData files(std::vector<std::wstring> names) { return FakeData(CF_HDROP, std::move(names)); }
  static FakeData text(std::wstring text) { return FakeData(CF_UNICODETEXT, {std::move(text)}); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    std::wstring joined;
    for (const std::wstring& item : items_) joined += item + L'\0';
    joined += L'\0';
    const std::size_t header = format_ == CF_HDROP ? sizeof(DROPFILES) : 0;
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, header + joined.size() * sizeof(wchar_t));
    auto* bytes = static_cast<char*>(GlobalLock(memory));
    if (header) {
      auto* drop = reinterpret_cast<DROPFILES*>(bytes);
      drop->pFiles = sizeof(DROPFILES);
      drop->fWide = TRUE;
    }
    memcpy(bytes + header, joined.data(), joined.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format && format->cfFormat == format_ && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

 private:
  FakeData(CLIPFORMAT format, std::vector<std::wstring> items) : format_(format), items_(std::move(items)) {}
  CLIPFORMAT format_;
  std::vector<std::wstring> items_;
};

constexpr DWORD kAnyEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

DWORD offered(IDropTarget& target, IDataObject& data, DWORD keys, DWORD permitted) {
  DWORD effect = permitted;
  target.DragEnter(&data, keys, POINTL{10, 10}, &effect);
  DWORD over = permitted;
  target.DragOver(keys, POINTL{12, 12}, &over);
  EXPECT_EQ(over, effect);
  target.DragLeave();
  return effect;
}

DWORD drop(IDropTarget& target, IDataObject& data, DWORD keys, DWORD permitted) {
  DWORD effect = permitted;
  target.DragEnter(&data, keys, POINTL{10, 10}, &effect);
  effect = permitted;
  target.Drop(&data, keys, POINTL{10, 10}, &effect);
  return effect;
}

using DropTargetTest = WindowFixture;

TEST_F(DropTargetTest, OffersADropForFileListsOnly) {
  DropTarget& target = window->drop_target();
  FakeData files = FakeData::files({L"C:\\a.xlsx"});
  FakeData text = FakeData::text(L"https://example.invalid/a.xlsx");
  EXPECT_EQ(offered(target, files, 0, kAnyEffect), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(offered(target, files, MK_SHIFT, kAnyEffect), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(offered(target, files, MK_CONTROL | MK_SHIFT, kAnyEffect), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(offered(target, files, MK_CONTROL, DROPEFFECT_MOVE), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(offered(target, text, 0, kAnyEffect), static_cast<DWORD>(DROPEFFECT_NONE));

  EXPECT_EQ(drop(target, text, 0, kAnyEffect), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(drop(target, files, MK_CONTROL | MK_SHIFT, kAnyEffect), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_TRUE(events.drops.empty());
}

TEST_F(DropTargetTest, OneEventWithEveryNameInOrder) {
  DropTarget& target = window->drop_target();
  FakeData one = FakeData::files({L"Z:\\数据\\淺乗.xlsx"});
  EXPECT_EQ(drop(target, one, 0, kAnyEffect), static_cast<DWORD>(DROPEFFECT_COPY));
  FakeData two = FakeData::files({L"Z:\\b.xlsx", L"Z:\\a.XLSX", L"Z:\\c.txt"});
  EXPECT_EQ(drop(target, two, 0, DROPEFFECT_LINK), static_cast<DWORD>(DROPEFFECT_LINK));
  ASSERT_EQ(events.drops.size(), 2u);
  EXPECT_EQ(events.drops[0], gbk(u8"Z:\\数据\\淺乗.xlsx"));
  EXPECT_EQ(events.drops[1], "Z:\\b.xlsx\r\nZ:\\a.XLSX\r\nZ:\\c.txt\r\n");
}

TEST_F(DropTargetTest, RefusesWhileAHandlerRuns) {
  DropTarget& target = window->drop_target();
  FakeData files = FakeData::files({L"C:\\a.xlsx"});
  window->run_handler([&] {
    EXPECT_EQ(offered(target, files, 0, kAnyEffect), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(drop(target, files, 0, kAnyEffect), static_cast<DWORD>(DROPEFFECT_NONE));
  });
  EXPECT_TRUE(events.drops.empty());
}

TEST_F(DropTargetTest, RegistersOnTheWindowOnce) {
  on_window_created(*window);
  // A second registration is refused by the platform, and nothing breaks.
  EXPECT_FALSE(window->drop_target().register_on(window->handle()));
}

}  // namespace
}  // namespace colsplit::win32
