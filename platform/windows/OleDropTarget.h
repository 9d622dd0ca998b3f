#pragma once
// The editor window's OLE drop target: drags from the desktop shell over the
// window are offered to a DropHandler, and a drop hands it the dropped files
// (CF_HDROP, one item each) or, without files, the dropped text.
#include "platform/DropHandler.h"

#include <windows.h>

#include <ole2.h>

namespace platform {

class OleDropTarget final : public IDropTarget {
public:
    // Positions are made relative to the window; the handler may be null.
    OleDropTarget(HWND window, DropHandler* handler);
    OleDropTarget(const OleDropTarget&) = delete;
    OleDropTarget& operator=(const OleDropTarget&) = delete;

    void setHandler(DropHandler* handler) { handler_ = handler; }

    // The items a data object carries: its file list, else its text; none otherwise.
    static DropItems itemsOf(IDataObject* data);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDropTarget
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL where, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL where, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL where, DWORD* effect) override;

private:
    ~OleDropTarget() = default;
    POINT toWindow(POINTL where) const;
    // Copy if the source allows it, else a link; never a move, which would
    // have the shell delete the user's file after the drop.
    static DWORD effectFor(bool accepted, DWORD allowed);

    LONG references_ = 1;
    HWND window_;
    DropHandler* handler_;
    bool entered_ = false;
};

} // namespace platform
