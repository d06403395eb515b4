// The framework tests' dialog (template IDD_TEST): an edit bound to a text, a label, a button,
// a tree view, OK and Cancel, with handlers that count what reaches them.
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>

#include "CDialog.h"
#include "CEdit.h"
#include "CStatic.h"
#include "CTreeCtrl.h"
#include "FrameworkTestResources.h"

class TestDialog : public CDialog {
public:
    explicit TestDialog(UINT templateId = IDD_TEST, CWnd* parent = nullptr)
        : CDialog(templateId, parent) {}

    CEdit m_edit;
    CStatic m_label;
    CTreeCtrl m_tree;
    CString m_text = "initial";

    // Called at the end of OnInitDialog.
    std::function<void(TestDialog&)> onInit;
    // Called by the click handler of IDC_ACT.
    std::function<void(TestDialog&)> onAct;
    bool bindAbsentControl = false;

    int acts = 0;
    int selectionChanges = 0;
    int paints = 0;
    HICON dragIcon = nullptr;

    using CDialog::Default;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_TEXT, m_edit);
        DDX_Control(pDX, IDC_LABEL, m_label);
        DDX_Control(pDX, IDC_TREE, m_tree);
        DDX_Text(pDX, IDC_TEXT, m_text);
        if (bindAbsentControl)
            DDX_Text(pDX, IDC_ABSENT, m_text);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (onInit)
            onInit(*this);
        return TRUE;
    }
    void OnAct() {
        ++acts;
        if (onAct)
            onAct(*this);
    }
    void OnSelChanged(NMHDR*, LRESULT* result) {
        ++selectionChanges;
        *result = 7;
    }
    HCURSOR OnQueryDragIcon() { return dragIcon; }
    void OnPaint() {
        ++paints;
        Default();
    }

    DECLARE_MESSAGE_MAP()
};
