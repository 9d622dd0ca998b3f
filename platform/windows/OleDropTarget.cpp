#include "platform/windows/OleDropTarget.h"

#include "platform/windows/WideText.h"

#include <shellapi.h>

#include <vector>

namespace platform {

namespace {

// The data of one clipboard format as a global memory block; false when the object lacks it.
bool fetch(IDataObject* data, CLIPFORMAT format, STGMEDIUM& medium)
{
    FORMATETC wanted {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return data->QueryGetData(&wanted) == S_OK && data->GetData(&wanted, &medium) == S_OK
           && medium.tymed == TYMED_HGLOBAL;
}

DropItems filesOf(HDROP drop)
{
    DropItems items;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::vector<wchar_t> name(length + 1, L'\0');
        if (DragQueryFileW(drop, i, name.data(), length + 1) == 0)
            continue;
        items.push_back({DropItem::Kind::kFile, narrow(name.data())});
    }
    return items;
}

} // namespace

OleDropTarget::OleDropTarget(HWND window, DropHandler* handler) : window_(window), handler_(handler) {}

DropItems OleDropTarget::itemsOf(IDataObject* data)
{
    DropItems items;
    if (!data)
        return items;
    STGMEDIUM medium {};
    if (fetch(data, CF_HDROP, medium)) {
        if (auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal))) {
            items = filesOf(drop);
            GlobalUnlock(medium.hGlobal);
        }
        ReleaseStgMedium(&medium);
        if (!items.empty())
            return items;
    }
    if (fetch(data, CF_UNICODETEXT, medium)) {
        if (auto text = static_cast<const wchar_t*>(GlobalLock(medium.hGlobal))) {
            // The block may be larger than the text; it ends at the first NUL.
            const SIZE_T capacity = GlobalSize(medium.hGlobal) / sizeof(wchar_t);
            SIZE_T length = 0;
            while (length < capacity && text[length] != L'\0')
                ++length;
            if (length > 0)
                items.push_back({DropItem::Kind::kText, narrow(std::wstring(text, length))});
            GlobalUnlock(medium.hGlobal);
        }
        ReleaseStgMedium(&medium);
    }
    return items;
}

HRESULT OleDropTarget::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG OleDropTarget::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG OleDropTarget::Release()
{
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

POINT OleDropTarget::toWindow(POINTL where) const
{
    POINT point {where.x, where.y};
    ScreenToClient(window_, &point);
    return point;
}

DWORD OleDropTarget::effectFor(bool accepted, DWORD allowed)
{
    if (!accepted)
        return DROPEFFECT_NONE;
    if (allowed & DROPEFFECT_COPY)
        return DROPEFFECT_COPY;
    if (allowed & DROPEFFECT_LINK)
        return DROPEFFECT_LINK;
    return DROPEFFECT_NONE;
}

HRESULT OleDropTarget::DragEnter(IDataObject*, DWORD, POINTL where, DWORD* effect)
{
    if (!effect)
        return E_INVALIDARG;
    const POINT point = toWindow(where);
    entered_ = handler_ != nullptr;
    *effect = effectFor(handler_ && handler_->dragEnter(point.x, point.y), *effect);
    return S_OK;
}

HRESULT OleDropTarget::DragOver(DWORD, POINTL where, DWORD* effect)
{
    if (!effect)
        return E_INVALIDARG;
    const POINT point = toWindow(where);
    *effect = effectFor(handler_ && handler_->dragMove(point.x, point.y), *effect);
    return S_OK;
}

HRESULT OleDropTarget::DragLeave()
{
    if (handler_ && entered_)
        handler_->dragLeave();
    entered_ = false;
    return S_OK;
}

HRESULT OleDropTarget::Drop(IDataObject* data, DWORD, POINTL where, DWORD* effect)
{
    if (!effect)
        return E_INVALIDARG;
    entered_ = false;
    const POINT point = toWindow(where);
    const DropItems items = itemsOf(data);
    // The drop is over for the handler once it has the items; it does not also hear that the drag left.
    const bool used = handler_ && handler_->drop(items, point.x, point.y);
    *effect = effectFor(used, *effect);
    return S_OK;
}

} // namespace platform
