// The text box of the widget contract (control/widgets/text_box.h): a frameless
// QLineEdit laid over a value cell. It lies in the grid's viewport (focus_keeper.h) once
// hosted there; Move still takes the surface's coordinates.
//
// Focus: GotFocus and LostFocus follow the focus moves inside the window. A window
// losing or regaining the activation (the user switching applications) and popups
// (the editor's context menu) move no focus in this sense and raise nothing, so that
// text typed and not yet written back survives. SetFocus in a window that is not active
// makes the text box the window's focus widget and raises GotFocus when it was not that
// already, as no focus event comes from Qt then.
#pragma once

#include <QLineEdit>
#include <QPointer>

#include <control/widgets/text_box.h>
#include <toolkit/qt/focus_keeper.h>
#include <toolkit/qt/widget_handle.h>

namespace orvane::qt {

class TextEditor final : public QLineEdit {
    Q_OBJECT

public:
    explicit TextEditor(QWidget* parent);
    ~TextEditor() override;

    void setEventSink(widgets::TextBoxEvents* sink) noexcept { sink_ = sink; }

    // Whether the text box is its window's focus widget.
    bool isWindowFocus() const;
    // Takes the focus as SetFocus states.
    void takeFocus();
    // Where the wheel over the editor goes: the grid's viewport.
    void setWheelTarget(QWidget* target) noexcept { wheel_target_ = target; }

protected:
    // Tab and Shift+Tab reach KeyDown before the focus chain moves the focus.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    // The wheel scrolls the grid underneath (focus_keeper.h).
    void wheelEvent(QWheelEvent* event) override;

private:
    // The text lies where the cell's lies: at the leading edge of the control's layout,
    // whatever the direction of the text itself (a line edit's own alignment follows the
    // text's, which put right-to-left text at the other side of the cell).
    void alignAsTheCell();

    widgets::TextBoxEvents* sink_ = nullptr;
    bool got_focus_raised_ = false;
    QPointer<QWidget> wheel_target_;
};

class QtTextBox final : public widgets::TextBox {
public:
    // Makes the editor as a child of parent, hidden and empty, at the design-time place
    // (twips).
    QtTextBox(QWidget* parent, float left, float top, float width, float height);
    ~QtTextBox() override;
    QtTextBox(const QtTextBox&) = delete;
    QtTextBox& operator=(const QtTextBox&) = delete;

    // The editor, or null once it is gone.
    TextEditor* editor() const noexcept { return editor_.get(); }
    // The tab order position last set (the logic sets 2; Qt orders by focus chain).
    std::int16_t tabIndex() const noexcept { return tab_index_; }
    // The widget that takes the focus when the editor hides with it (focus_keeper.h).
    void setFocusKeeper(QWidget* keeper) noexcept { focus_keeper_ = keeper; }
    // Moves the editor into viewport (the grid's, a descendant of the surface), where it
    // scrolls with the cells; places stay in the surface's coordinates.
    void hostIn(QWidget& viewport) { MoveIntoViewport(live(), viewport); }

    // ---- widgets::TextBox ------------------------------------------------------------
    void SetEventSink(widgets::TextBoxEvents* sink) noexcept override;
    std::u16string Text() override;
    void SetText(std::u16string_view text) override;
    void SetVisible(bool visible) override;
    void Move(float left, double top, std::int32_t width, std::int32_t height) override;
    void SetTabIndex(std::int16_t index) override;
    void SetBorderStyle(std::int16_t style) override;
    void SetSelStart(std::int32_t start) override;
    void SetSelLength(std::int32_t length) override;
    void SetFocus() override;
    void ZOrder(std::int16_t position) override;
    void SetBackColor(OLE_COLOR color) override;
    void SetForeColor(OLE_COLOR color) override;
    void SetFont(const widgets::FontRef& font) override;
    void SetAccessibleName(std::u16string_view name) override;

private:
    TextEditor& live() const { return editor_.live(); }

    WidgetHandle<TextEditor> editor_;
    QPointer<QWidget> surface_;  // whose coordinates Move takes
    widgets::FontRef font_;
    std::int16_t tab_index_ = 0;
    QPointer<QWidget> focus_keeper_;
};

}  // namespace orvane::qt
