// The program's message boxes: modal, one OK button, captioned "Error", "Warning" or
// "Information" with the icon of that name. The program never asks the user a question.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace ko::ui {

enum class TMessageKind { Error, Warning, Information };

// Shows Text and waits until the user closes the box. Owner may be null.
void ShowMessage(HWND owner, TMessageKind kind, const std::wstring& text);
// An exception's message (UTF-8) in an "Error" box.
void ShowErrorText(HWND owner, const std::string& text);

// The captions of the boxes of each kind from now on, in the language the program speaks;
// English until set.
void SetMessageCaptions(std::wstring error, std::wstring warning, std::wstring information);

// Replaces the boxes, for tests that must not block on a modal window; an empty handler
// restores them.
using TMessageHandler = std::function<void(TMessageKind kind, const std::wstring& text)>;
void SetMessageHandler(TMessageHandler handler);

} // namespace ko::ui
