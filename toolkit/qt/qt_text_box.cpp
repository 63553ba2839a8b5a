// The text box of the widget contract (qt_text_box.h).
#include <toolkit/qt/delivery.h>
#include <toolkit/qt/focus_keeper.h>
#include <toolkit/qt/qt_text_box.h>

#include <algorithm>
#include <limits>

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>

#include <toolkit/qt/appearance.h>
#include <toolkit/qt/keys.h>
#include <toolkit/qt/qt_strings.h>
#include <toolkit/qt/units.h>

namespace orvane::qt {
namespace {

[[noreturn]] void FailInvalidValue() { comrt::raise(comrt::runtime_error::invalid_property_value, kErrorSource); }

// Focus that comes and goes with the window's activation or with a popup is no focus
// move inside the window.
bool MovesInsideWindow(const QFocusEvent& event) noexcept {
    return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason;
}

}  // namespace

// ---- the editor widget ---------------------------------------------------------------------

TextEditor::TextEditor(QWidget* parent) : QLineEdit(parent) {
    // Item values may be long; the editor must not cut them.
    setMaxLength(std::numeric_limits<int>::max());
    // Opaque: a keystroke repaints the editor alone, not the cells under it in the grid's
    // viewport (a frameless line edit leaves its outer pixels to what lies beneath).
    setAutoFillBackground(true);
    alignAsTheCell();
}

void TextEditor::alignAsTheCell() {
    const Qt::Alignment leading = layoutDirection() == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft;
    setAlignment(Qt::AlignAbsolute | Qt::AlignVCenter | leading);
}

void TextEditor::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::LayoutDirectionChange) alignAsTheCell();
}

TextEditor::~TextEditor() { sink_ = nullptr; }

bool TextEditor::isWindowFocus() const { return window()->focusWidget() == this; }

void TextEditor::takeFocus() {
    if (isWindowFocus() && (hasFocus() || !isActiveWindow())) return;
    const QPointer<TextEditor> alive(this);
    got_focus_raised_ = false;
    setFocus(Qt::OtherFocusReason);
    if (!alive || got_focus_raised_) return;
    // An inactive window sends no focus event; the focus move happened all the same.
    if (isWindowFocus()) {
        if (widgets::TextBoxEvents* sink = sink_) Deliver([&] { sink->GotFocus(); });
    }
}

bool TextEditor::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if ((key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) && RaiseKeyDown(sink_, key)) {
            event->accept();
            return true;
        }
    }
    const bool handled = QLineEdit::event(event);
    return PassPastScrollArea(*this, *event) || handled;
}

void TextEditor::keyPressEvent(QKeyEvent* event) {
    if (RaiseKeyDown(sink_, *event)) return event->accept();
    QLineEdit::keyPressEvent(event);
}

void TextEditor::wheelEvent(QWheelEvent* event) {
    if (!ForwardWheel(*event, wheel_target_)) QLineEdit::wheelEvent(event);
}

void TextEditor::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (!MovesInsideWindow(*event)) return;
    got_focus_raised_ = true;
    if (widgets::TextBoxEvents* sink = sink_) Deliver([&] { sink->GotFocus(); });
}

void TextEditor::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!MovesInsideWindow(*event)) return;
    if (widgets::TextBoxEvents* sink = sink_) Deliver([&] { sink->LostFocus(); });
}

// ---- the contract's adapter ------------------------------------------------------------------

QtTextBox::QtTextBox(QWidget* parent, float left, float top, float width, float height)
    : editor_(new TextEditor(parent)), surface_(parent) {
    TextEditor& editor = live();
    editor.hide();
    editor.setFont(DesignTimeFont());
    editor.setGeometry(PixelsX(editor, left), PixelsY(editor, top), PixelsX(editor, width), PixelsY(editor, height));
}

QtTextBox::~QtTextBox() {
    if (TextEditor* editor = editor_.get()) editor->setEventSink(nullptr);
}

void QtTextBox::SetEventSink(widgets::TextBoxEvents* sink) noexcept {
    if (TextEditor* editor = editor_.get()) editor->setEventSink(sink);
}

std::u16string QtTextBox::Text() { return ToU16String(live().text()); }

void QtTextBox::SetText(std::u16string_view text) {
    TextEditor& editor = live();
    editor.setText(ToQString(text));
    editor.setCursorPosition(0);
}

void QtTextBox::SetVisible(bool visible) {
    TextEditor& editor = live();
    if (visible) editor.show();
    else HideKeepingFocus(editor, focus_keeper_);
}

void QtTextBox::Move(float left, double top, std::int32_t width, std::int32_t height) {
    TextEditor& editor = live();
    if (width < 0 || height < 0) FailInvalidValue();
    const QRect place(PixelsX(editor, left), PixelsY(editor, top), PixelsX(editor, width), PixelsY(editor, height));
    // Unchanged after a scroll, which moved the editor with the cell: no move, no repaint.
    editor.setGeometry(place.translated(-ParentOffset(editor, surface_)));
}

void QtTextBox::SetTabIndex(std::int16_t index) {
    live();
    if (index < 0) FailInvalidValue();
    tab_index_ = index;
}

void QtTextBox::SetBorderStyle(std::int16_t style) {
    TextEditor& editor = live();
    if (style != 0 && style != 1) FailInvalidValue();
    editor.setFrame(style == 1);
}

void QtTextBox::SetSelStart(std::int32_t start) {
    TextEditor& editor = live();
    if (start < 0) FailInvalidValue();
    const int length = static_cast<int>(editor.text().size());
    const int new_start = std::min(start, length);
    const int new_length = std::min(editor.selectionLength(), length - new_start);
    if (new_length > 0) {
        editor.setSelection(new_start, new_length);
    } else {
        editor.setCursorPosition(new_start);
    }
}

void QtTextBox::SetSelLength(std::int32_t length) {
    TextEditor& editor = live();
    if (length < 0) FailInvalidValue();
    const int start = editor.hasSelectedText() ? editor.selectionStart() : editor.cursorPosition();
    const int new_length = std::min(length, static_cast<std::int32_t>(editor.text().size()) - start);
    if (new_length > 0) {
        editor.setSelection(start, new_length);
    } else {
        editor.setCursorPosition(start);
    }
}

void QtTextBox::SetFocus() { live().takeFocus(); }

void QtTextBox::ZOrder(std::int16_t position) {
    TextEditor& editor = live();
    if (position == 0) {
        editor.raise();
    } else if (position == 1) {
        editor.lower();
    } else {
        FailInvalidValue();
    }
}

void QtTextBox::SetBackColor(OLE_COLOR color) {
    TextEditor& editor = live();
    SetPaletteRoles(editor, {QPalette::Base}, ToQColor(color, editor));
}

void QtTextBox::SetForeColor(OLE_COLOR color) {
    TextEditor& editor = live();
    SetPaletteRoles(editor, {QPalette::Text}, ToQColor(color, editor));
}

void QtTextBox::SetFont(const widgets::FontRef& font) {
    TextEditor& editor = live();
    editor.setFont(ToQFont(font.get()));
    font_ = font;
}

void QtTextBox::SetAccessibleName(std::u16string_view name) { live().setAccessibleName(ToQString(name)); }

}  // namespace orvane::qt
