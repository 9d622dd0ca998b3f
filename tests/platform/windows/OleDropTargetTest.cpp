// Drops from the desktop shell: a CF_HDROP file list becomes one file item per
// name in UTF-8, plain text becomes one text item, and the shell is never told
// to move (and so delete) the user's file.
#include "platform/windows/OleDropTarget.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

using platform::DropItem;
using platform::DropItems;
using platform::OleDropTarget;

namespace {

struct Recorder final : platform::DropHandler {
    bool accept = true;
    std::vector<std::string> calls;
    DropItems dropped;
    bool dragEnter(int x, int y) override
    {
        calls.push_back("enter " + std::to_string(x) + "," + std::to_string(y));
        return accept;
    }
    bool dragMove(int x, int y) override
    {
        calls.push_back("move " + std::to_string(x) + "," + std::to_string(y));
        return accept;
    }
    void dragLeave() override { calls.push_back("leave"); }
    bool drop(const DropItems& items, int x, int y) override
    {
        calls.push_back("drop " + std::to_string(x) + "," + std::to_string(y));
        dropped = items;
        return accept;
    }
};

// A data object offering one global memory block in one clipboard format, as
// the shell offers a dragged file list.
class OneFormatData final : public IDataObject {
public:
    OneFormatData(CLIPFORMAT format, const void* bytes, std::size_t size) : format_(format)
    {
        memory_ = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(memory_), bytes, size);
        GlobalUnlock(memory_);
    }
    ~OneFormatData() { GlobalFree(memory_); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override
    {
        if (QueryGetData(wanted) != S_OK)
            return DV_E_FORMATETC;
        // A copy that the receiver releases, as OLE hands data out.
        const SIZE_T size = GlobalSize(memory_);
        HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(copy), GlobalLock(memory_), size);
        GlobalUnlock(copy);
        GlobalUnlock(memory_);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* wanted) override
    {
        return wanted && wanted->cfFormat == format_ && (wanted->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    CLIPFORMAT format_;
    HGLOBAL memory_ = nullptr;
};

// The DROPFILES block of a shell drag: the header, then the wide names, each
// ended by a NUL, and one more NUL.
std::vector<unsigned char> fileList(const std::vector<std::wstring>& names)
{
    std::wstring text;
    for (const std::wstring& name : names)
        text += name + L'\0';
    text += L'\0';
    std::vector<unsigned char> block(sizeof(DROPFILES) + text.size() * sizeof(wchar_t));
    DROPFILES header {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof header);
    std::memcpy(block.data() + sizeof header, text.data(), text.size() * sizeof(wchar_t));
    return block;
}

class OleDrop : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A window at a known place: screen points arrive relative to it.
        window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 50, 200, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        target = new OleDropTarget(window, &recorder);
    }
    void TearDown() override
    {
        if (target)
            target->Release();
        if (window)
            DestroyWindow(window);
    }
    POINTL screen(int x, int y) const
    {
        POINT p {x, y};
        ClientToScreen(window, &p);
        return POINTL {p.x, p.y};
    }

    HWND window = nullptr;
    Recorder recorder;
    OleDropTarget* target = nullptr;
};

} // namespace

TEST_F(OleDrop, FileListBecomesOneUtf8FileItemPerName)
{
    const auto block = fileList({L"C:\\IRs\\Hall \u00e9.wav", L"C:\\IRs\\\u5927.aif"});
    OneFormatData data(CF_HDROP, block.data(), block.size());
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    ASSERT_EQ(target->DragEnter(&data, MK_LBUTTON, screen(10, 20), &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(target->DragOver(MK_LBUTTON, screen(12, 22), &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(target->Drop(&data, 0, screen(15, 25), &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));

    EXPECT_EQ(recorder.calls, (std::vector<std::string> {"enter 10,20", "move 12,22", "drop 15,25"}));
    ASSERT_EQ(recorder.dropped.size(), 2u);
    EXPECT_EQ(recorder.dropped[0].kind, DropItem::Kind::kFile);
    EXPECT_EQ(recorder.dropped[0].text, "C:\\IRs\\Hall \xC3\xA9.wav");
    EXPECT_EQ(recorder.dropped[1].kind, DropItem::Kind::kFile);
    EXPECT_EQ(recorder.dropped[1].text, "C:\\IRs\\\xE5\xA4\xA7.aif");
}

TEST_F(OleDrop, TextWithoutFilesIsOneTextItem)
{
    const std::wstring text = L"C:\\IRs\\Plate.wav";
    OneFormatData data(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    DWORD effect = DROPEFFECT_COPY;
    target->DragEnter(&data, MK_LBUTTON, screen(1, 1), &effect);
    ASSERT_EQ(target->Drop(&data, 0, screen(1, 1), &effect), S_OK);
    ASSERT_EQ(recorder.dropped.size(), 1u);
    EXPECT_EQ(recorder.dropped[0].kind, DropItem::Kind::kText);
    EXPECT_EQ(recorder.dropped[0].text, "C:\\IRs\\Plate.wav");
}

TEST_F(OleDrop, RefusedPlacesAndMoveOnlySourcesGetNoEffect)
{
    const auto block = fileList({L"C:\\a.wav"});
    OneFormatData data(CF_HDROP, block.data(), block.size());
    recorder.accept = false;
    DWORD effect = DROPEFFECT_COPY;
    target->DragEnter(&data, MK_LBUTTON, screen(1, 1), &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    target->DragLeave();
    EXPECT_EQ(recorder.calls.back(), "leave");

    // A source that only allows moving would delete the file after the drop.
    recorder.accept = true;
    effect = DROPEFFECT_MOVE;
    target->DragEnter(&data, MK_LBUTTON, screen(1, 1), &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    effect = DROPEFFECT_MOVE | DROPEFFECT_LINK;
    target->Drop(&data, 0, screen(1, 1), &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
}

TEST(OleDropItems, ObjectsWithNeitherFilesNorTextGiveNoItems)
{
    const char bytes[] = "not a format we read";
    OneFormatData data(CF_TEXT, bytes, sizeof bytes);
    EXPECT_TRUE(OleDropTarget::itemsOf(&data).empty());
    EXPECT_TRUE(OleDropTarget::itemsOf(nullptr).empty());
}
