#include "DialogTemplate.h"

#include "Window.h"

#include <cstring>
#include <memory>
#include <type_traits>

namespace ui {

namespace {

// The template's fields in order; one that would reach past the end fails.
class Reader {
public:
    Reader(const void* data, size_t size, const Where& where)
        : data_(static_cast<const unsigned char*>(data)), size_(size), where_(where) {}

    template <class T> T Get() {
        if (at_ > size_ || sizeof(T) > size_ - at_)
            Fail(where_, "the dialog template (" + std::to_string(size_) +
                             " bytes) ends inside its field at byte " + std::to_string(at_));
        T value;
        memcpy(&value, data_ + at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    void Skip(size_t bytes) {
        for (; bytes; --bytes)
            Get<unsigned char>();
    }
    // Each control starts on a DWORD boundary.
    void Align() { at_ = (at_ + 3) & ~size_t(3); }

    // A string, or 0xFFFF and a number (a class atom, a resource number).
    std::string NameOrNumber(bool isClass) {
        std::wstring name;
        WORD c = Get<WORD>();
        if (c == 0xFFFF) {
            const WORD number = Get<WORD>();
            static const char* const kClasses[] = {"Button",  "Edit",      "Static",
                                                   "ListBox", "ScrollBar", "ComboBox"};
            if (!isClass)
                return "#" + std::to_string(number);
            if (number < 0x80 || number > 0x85)
                Fail(where_,
                     "unknown class atom " + std::to_string(number) + " in dialog template");
            return kClasses[number - 0x80];
        }
        for (; c; c = Get<WORD>())
            name += wchar_t(c);
        std::string narrow(name.size() * 2 + 1, '\0');
        narrow.resize(
            size_t(WideCharToMultiByte(CP_ACP, 0, name.c_str(), int(name.size()), &narrow[0],
                                       int(narrow.size()), nullptr, nullptr)));
        return narrow;
    }

private:
    const unsigned char* data_;
    size_t size_, at_ = 0;
    const Where& where_;
};

} // namespace

const DialogControl& DialogTemplate::Control(int id, Where where) const {
    for (const DialogControl& control : controls) {
        if (control.id == id)
            return control;
    }
    Fail(where, "no control " + std::to_string(id) + " in the dialog template");
}

RECT DialogTemplate::Pixels(int left, int top, int width, int height) const {
    return DialogUnitsToPixels(left, top, width, height, font.c_str(), pointSize);
}

DialogTemplate ParseDialogTemplate(const void* data, size_t size, Where where) {
    Reader in(data, size, where);
    DialogTemplate dialog = {};
    if (in.Get<WORD>() != 1 || in.Get<WORD>() != 0xFFFF)
        Fail(where, "not an extended dialog template (DIALOGEX); the older form is not read");
    in.Get<DWORD>(); // help context
    dialog.exStyle = in.Get<DWORD>();
    dialog.style = in.Get<DWORD>();
    const WORD count = in.Get<WORD>();
    dialog.x = in.Get<short>();
    dialog.y = in.Get<short>();
    dialog.cx = in.Get<short>();
    dialog.cy = in.Get<short>();
    in.NameOrNumber(false); // menu
    in.NameOrNumber(false); // window class
    in.NameOrNumber(false); // caption
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = in.Get<WORD>();
        in.Skip(4); // weight, italic, character set
        dialog.font = in.NameOrNumber(false);
    }
    for (WORD i = 0; i < count; ++i) {
        in.Align();
        DialogControl control = {};
        in.Get<DWORD>(); // help context
        control.exStyle = in.Get<DWORD>();
        control.style = in.Get<DWORD>();
        control.x = in.Get<short>();
        control.y = in.Get<short>();
        control.cx = in.Get<short>();
        control.cy = in.Get<short>();
        control.id = int(in.Get<DWORD>());
        control.className = in.NameOrNumber(true);
        control.text = in.NameOrNumber(false);
        in.Skip(in.Get<WORD>()); // creation data
        dialog.controls.push_back(control);
    }
    return dialog;
}

DialogTemplate ReadDialogTemplate(const std::string& path, int id, Where where) {
    const HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        Fail(where, "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")");
    const std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)> loaded(
        module, &FreeLibrary);
    const HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG);
    const HGLOBAL data = resource ? LoadResource(module, resource) : nullptr;
    if (!data || !LockResource(data))
        Fail(where, "no dialog " + std::to_string(id) + " in " + path);
    return ParseDialogTemplate(LockResource(data), SizeofResource(module, resource), where);
}

} // namespace ui
