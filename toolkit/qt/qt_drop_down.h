// A drop-down list of the widget contract (control/widgets/drop_down.h): a QComboBox
// whose entries are never sorted.
//
// Click is raised for a pick by the user (QComboBox::activated: the mouse in the popup
// or the keys on the closed list) and for a SetListIndex that changes the index. The
// list's height is its own (its size hint, following the font); Left, Top and Width
// place it, in the surface's coordinates also once it lies in the grid's viewport
// (hostIn, focus_keeper.h).
#pragma once

#include <QComboBox>
#include <QPointer>

#include <control/widgets/drop_down.h>
#include <toolkit/qt/entry_model.h>
#include <toolkit/qt/widget_handle.h>

namespace orvane::qt {

class DropDownList final : public QComboBox {
    Q_OBJECT

public:
    explicit DropDownList(QWidget* parent);
    ~DropDownList() override;

    void setEventSink(widgets::DropDownEvents* sink) noexcept { sink_ = sink; }
    // Raises Click.
    void raiseClick();
    // Opens the list, also while a press elsewhere (on a grid cell) is still held.
    void openList();
    // Where the wheel over the closed list goes (the grid's viewport; none: the widgets
    // underneath).
    void setWheelTarget(QWidget* target) noexcept { wheel_target_ = target; }

    // The entries: appended to the model, then announced to the box in one piece.
    EntryModel& entries() noexcept { return entries_; }
    // Announces the entries appended since the last notice, keeping the selected index
    // (the box would select the first entry of a list that was empty).
    void announceEntries();

protected:
    // Takes the release of a press that opened the list (openList).
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Tab and Shift+Tab reach KeyDown before the focus chain moves the focus.
    bool event(QEvent* event) override;
    // Keys on the closed list go to KeyDown first; an open list's keys are its own.
    void keyPressEvent(QKeyEvent* event) override;
    // The wheel never picks an entry by itself: it is the list's only while its popup is
    // open, and otherwise goes on to the widgets underneath.
    void wheelEvent(QWheelEvent* event) override;
    // With the focus, a ring of two pixels in a dark shade of the highlight colour, which
    // stands out from the window around it (the style's own mark barely shows).
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    EntryModel entries_;
    widgets::DropDownEvents* sink_ = nullptr;
    // The list window, while the release of the press that opened it is still to come.
    QPointer<QWidget> awaiting_release_;
    QPointer<QWidget> wheel_target_;
};

class QtDropDown final : public widgets::DropDown {
public:
    // Makes the list as a child of parent, at the design-time place (twips; its height is
    // its own), shown or hidden.
    QtDropDown(QWidget* parent, float left, float top, float width, bool visible);
    ~QtDropDown() override;
    QtDropDown(const QtDropDown&) = delete;
    QtDropDown& operator=(const QtDropDown&) = delete;

    // The list, or null once it is gone.
    DropDownList* list() const noexcept { return list_.get(); }
    // The widget that takes the focus when the list hides with it (focus_keeper.h).
    void setFocusKeeper(QWidget* keeper) noexcept { focus_keeper_ = keeper; }
    // Moves the list into viewport (the grid's, a descendant of the surface), where it
    // scrolls with the cells, with a cursor of its own rather than the viewport's.
    void hostIn(QWidget& viewport);

    // ---- widgets::DropDown -----------------------------------------------------------
    void SetEventSink(widgets::DropDownEvents* sink) noexcept override;
    void SetLeft(float left) override;
    void SetTop(float top) override;
    void SetWidth(float width) override;
    float Height() override;
    void SetVisible(bool visible) override;
    std::u16string Text() override;
    std::int16_t ListIndex() override;
    void SetListIndex(std::int16_t index) override;
    void Clear() override;
    void AddItem(std::u16string_view text) override;
    void AddItems(std::span<const std::u16string_view> texts) override;
    void SetFocus() override;
    void ZOrder(std::int16_t position) override;
    void Refresh() override;
    void ShowList() override;
    void SetBackColor(OLE_COLOR color) override;
    void SetForeColor(OLE_COLOR color) override;
    void SetFont(const widgets::FontRef& font) override;
    void SetAccessibleName(std::u16string_view name) override;

private:
    DropDownList& live() const { return list_.live(); }

    WidgetHandle<DropDownList> list_;
    QPointer<QWidget> surface_;  // whose coordinates Left and Top are
    widgets::FontRef font_;
    QPointer<QWidget> focus_keeper_;
};

}  // namespace orvane::qt
