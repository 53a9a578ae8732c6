// A read-only viewer of RTF documents: the system's rich-edit control with a vertical scroll
// bar.
#pragma once

#include "ui/container.h"

#include <string>

namespace ko::ui {

class TRichView : public TWindow {
public:
    void Create(TContainer& parent, int id, const TRect& bounds);
    // Loads Rtf (8-bit RTF), or PlainText, the same document decoded as plain text, when Rtf is
    // not RTF the control can read. Returns true when it was read as RTF.
    bool LoadFromText(const std::string& rtf, const std::wstring& plainText);
    // The content as plain text, paragraphs separated by CR.
    std::wstring PlainText() const;

protected:
    bool SubclassMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool StreamIn(const void* bytes, size_t size, UINT format);
};

// Loads the rich-edit library and returns its window class: "RICHEDIT50W" of Msftedit.dll, or
// "RichEdit20W" of Riched20.dll where the newer one is missing.
const wchar_t* RichEditClass();

} // namespace ko::ui
