// CImageList: an image list of the common controls, destroyed with the object.
#pragma once

#include <windows.h>

#include <commctrl.h>

class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    // ImageList_Create: images of cx x cy pixels, `flags` such as ILC_MASK, room for `initial`
    // images, growing by `grow`. False when the list cannot be made.
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);

    // Appends an icon (ImageList_ReplaceIcon with index -1); returns its index, or -1.
    int Add(HICON icon);

    // ImageList_Destroy; false when there is no list.
    BOOL DeleteImageList();

    HIMAGELIST GetSafeHandle() const { return m_hImageList; }

    HIMAGELIST m_hImageList = nullptr;
};
