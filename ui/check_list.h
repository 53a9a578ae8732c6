// A list of Unicode items with a tick each: an owner-drawn "ListBox" with fixed rows, a check
// box drawn at the left of every row. Each item's data is its tick (1 ticked, 0 not), so other
// programs can read the ticks with LB_GETITEMDATA. Space, a click on the box and a double
// click on the row toggle the tick.
#pragma once

#include "ui/container.h"

#include <string>

namespace ko::ui {

class TCheckListBox : public TWindow {
public:
    void Create(TContainer& parent, int id, const TRect& bounds, int itemHeight);
    void Clear();
    int Add(const std::wstring& text, bool checked);
    int Count() const;
    std::wstring Text(int index) const;
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);
    void Toggle(int index);

    void DrawItem(const DRAWITEMSTRUCT& item) override;
    void MeasureItem(MEASUREITEMSTRUCT& item) override;
    int KeyToItem(int key, int caret) override;
    void Rescale(int dpi) override;

protected:
    bool SubclassMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    RECT BoxRect(const RECT& row) const;
    int FItemHeight = 17; // at 96 DPI
};

} // namespace ko::ui
