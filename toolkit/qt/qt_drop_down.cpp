// A drop-down list of the widget contract (qt_drop_down.h).
#include <toolkit/qt/delivery.h>
#include <toolkit/qt/focus_keeper.h>
#include <toolkit/qt/qt_drop_down.h>

#include <algorithm>

#include <QAbstractItemView>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListView>
#include <QPainter>
#include <QProxyStyle>
#include <QWheelEvent>
#include <QSignalBlocker>
#include <QStandardItemModel>

#include <toolkit/qt/appearance.h>
#include <toolkit/qt/keys.h>
#include <toolkit/qt/qt_strings.h>
#include <toolkit/qt/units.h>

namespace orvane::qt {
namespace {

// Entries that 16-bit indices 0 to 32767 can name.
constexpr int kMaxEntries = 32768;

// The list opens below the box, at most maxVisibleItems() rows high, instead of over it
// as tall as all its entries: a style that places the list over the box measures every
// entry each time it opens, which a list of thousands pays on every click.
class ListBelowStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == QStyle::SH_ComboBox_Popup) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

[[noreturn]] void FailInvalidValue() { comrt::raise(comrt::runtime_error::invalid_property_value, kErrorSource); }

}  // namespace

// ---- the list widget -------------------------------------------------------------------------

DropDownList::DropDownList(QWidget* parent) : QComboBox(parent) {
    setModel(&entries_);
    setInsertPolicy(QComboBox::InsertAtBottom);
    // Opening the list lays out and paints only the rows it shows, at any number of
    // entries: the list below the box, and entries all of one height.
    auto* style = new ListBelowStyle;
    style->setParent(this);
    setStyle(style);
    if (auto* list = qobject_cast<QListView*>(view())) list->setUniformItemSizes(true);
    // The control sets the box's size: no measuring of every entry for a size hint.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(this, &QComboBox::activated, this, [this] { raiseClick(); });
}

DropDownList::~DropDownList() {
    sink_ = nullptr;
    // The box's own model goes with the box; ours would be gone before the box lets go.
    setModel(new QStandardItemModel(this));
}

void DropDownList::announceEntries() {
    const int selected = currentIndex();
    if (!entries_.announce() || currentIndex() == selected) return;
    const QSignalBlocker quiet(this);
    setCurrentIndex(selected);
}

// The list opens below the box. A press on the box itself keeps the list open over its
// release; a press elsewhere (the grid's, on the cell under the box) does not, so its
// release, which the open list receives, is taken here instead of closing the list.
void DropDownList::openList() {
    showPopup();
    QWidget* window = view()->window();
    if (QGuiApplication::mouseButtons() == Qt::NoButton || !window->isVisible()) return;
    if (awaiting_release_) awaiting_release_->removeEventFilter(this);
    awaiting_release_ = window;
    window->installEventFilter(this);
}

bool DropDownList::eventFilter(QObject* watched, QEvent* event) {
    if (watched != awaiting_release_.data()) return QComboBox::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
        awaiting_release_->removeEventFilter(this);
        awaiting_release_.clear();
        return true;
    case QEvent::Hide:
        awaiting_release_->removeEventFilter(this);
        awaiting_release_.clear();
        break;
    default:
        break;
    }
    return QComboBox::eventFilter(watched, event);
}

void DropDownList::raiseClick() {
    if (widgets::DropDownEvents* sink = sink_) Deliver([&] { sink->Click(); });
}

bool DropDownList::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if ((key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) && RaiseKeyDown(sink_, key)) {
            event->accept();
            return true;
        }
    }
    const bool handled = QComboBox::event(event);
    return PassPastScrollArea(*this, *event) || handled;
}

void DropDownList::keyPressEvent(QKeyEvent* event) {
    const bool list_open = view() && view()->isVisible();
    if (!list_open && RaiseKeyDown(sink_, *event)) return event->accept();
    // A closed list is no list to move through: only its open list's keys pick an entry,
    // so that a stray Home or End never changes a value unseen.
    switch (event->key()) {
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (!list_open) return event->ignore();
        break;
    default:
        break;
    }
    QComboBox::keyPressEvent(event);
}

void DropDownList::paintEvent(QPaintEvent* event) {
    QComboBox::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    DrawFocusRing(painter, rect(), palette().color(QPalette::Highlight).darker(140));
}

void DropDownList::focusInEvent(QFocusEvent* event) {
    QComboBox::focusInEvent(event);
    update();
}

void DropDownList::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    update();
}

void DropDownList::wheelEvent(QWheelEvent* event) {
    if (view() && view()->isVisible()) return QComboBox::wheelEvent(event);
    if (!ForwardWheel(*event, wheel_target_)) event->ignore();
}

void DropDownList::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    // The list's height follows its font.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        resize(width(), sizeHint().height());
}

// ---- the contract's adapter ------------------------------------------------------------------

QtDropDown::QtDropDown(QWidget* parent, float left, float top, float width, bool visible)
    : list_(new DropDownList(parent)), surface_(parent) {
    DropDownList& list = live();
    list.setVisible(visible);
    list.setFont(DesignTimeFont());
    list.setGeometry(PixelsX(list, left), PixelsY(list, top), PixelsX(list, width), list.sizeHint().height());
}

QtDropDown::~QtDropDown() {
    if (DropDownList* list = list_.get()) list->setEventSink(nullptr);
}

void QtDropDown::SetEventSink(widgets::DropDownEvents* sink) noexcept {
    if (DropDownList* list = list_.get()) list->setEventSink(sink);
}

void QtDropDown::hostIn(QWidget& viewport) {
    DropDownList& list = live();
    MoveIntoViewport(list, viewport);
    list.setCursor(Qt::ArrowCursor);
}

// An unchanged place (after a scroll, which moved the list with the cell) moves nothing.
void QtDropDown::SetLeft(float left) {
    DropDownList& list = live();
    list.move(PixelsX(list, left) - ParentOffset(list, surface_).x(), list.y());
}

void QtDropDown::SetTop(float top) {
    DropDownList& list = live();
    list.move(list.x(), PixelsY(list, top) - ParentOffset(list, surface_).y());
}

void QtDropDown::SetWidth(float width) {
    DropDownList& list = live();
    if (!(width >= 0)) FailInvalidValue();
    list.resize(PixelsX(list, width), list.height());
}

float QtDropDown::Height() {
    DropDownList& list = live();
    return static_cast<float>(TwipsY(list, list.height()));
}

void QtDropDown::SetVisible(bool visible) {
    DropDownList& list = live();
    if (visible) {
        list.show();
        return;
    }
    list.hidePopup();
    HideKeepingFocus(list, focus_keeper_);
}

std::u16string QtDropDown::Text() {
    DropDownList& list = live();
    const int index = list.currentIndex();
    return index < 0 ? std::u16string() : ToU16String(list.itemText(index));
}

std::int16_t QtDropDown::ListIndex() { return static_cast<std::int16_t>(live().currentIndex()); }

void QtDropDown::SetListIndex(std::int16_t index) {
    DropDownList& list = live();
    if (index < -1 || index >= list.count()) FailInvalidValue();
    if (index == list.currentIndex()) return;
    list.setCurrentIndex(index);
    list.raiseClick();
}

void QtDropDown::Clear() { live().entries().clear(); }

void QtDropDown::AddItem(std::u16string_view text) { AddItems({&text, 1}); }

void QtDropDown::AddItems(std::span<const std::u16string_view> texts) {
    DropDownList& list = live();
    EntryModel& entries = list.entries();
    // The entries that fit go in, announced together, before a full list fails.
    const std::size_t room = static_cast<std::size_t>(kMaxEntries - std::min(list.count(), kMaxEntries));
    try {
        for (std::size_t i = 0; i < std::min(room, texts.size()); ++i) entries.append(texts[i]);
    } catch (...) {
        list.announceEntries();
        throw;
    }
    list.announceEntries();
    if (texts.size() > room) comrt::raise(comrt::runtime_error::overflow, kErrorSource);
}

void QtDropDown::SetFocus() { live().setFocus(Qt::OtherFocusReason); }

void QtDropDown::ZOrder(std::int16_t position) {
    DropDownList& list = live();
    if (position == 0) {
        list.raise();
    } else if (position == 1) {
        list.lower();
    } else {
        FailInvalidValue();
    }
}

void QtDropDown::Refresh() { live().repaint(); }

void QtDropDown::ShowList() {
    DropDownList& list = live();
    if (list.isVisible()) list.openList();
}

// The open list is a window of its own, which takes no palette from the list: it gets
// the colours too.
void QtDropDown::SetBackColor(OLE_COLOR color) {
    DropDownList& list = live();
    const QColor colour = ToQColor(color, list);
    SetPaletteRoles(list, {QPalette::Button, QPalette::Base, QPalette::Window}, colour);
    if (QAbstractItemView* popup = list.view()) SetPaletteRoles(*popup, {QPalette::Base, QPalette::Window}, colour);
}

void QtDropDown::SetForeColor(OLE_COLOR color) {
    DropDownList& list = live();
    const QColor colour = ToQColor(color, list);
    SetPaletteRoles(list, {QPalette::ButtonText, QPalette::Text, QPalette::WindowText}, colour);
    if (QAbstractItemView* popup = list.view()) SetPaletteRoles(*popup, {QPalette::Text, QPalette::WindowText}, colour);
}

void QtDropDown::SetFont(const widgets::FontRef& font) {
    DropDownList& list = live();
    list.setFont(ToQFont(font.get()));
    font_ = font;
}

// A combo box's name is its current text to the Linux accessibility bridge; a screen reader
// there finds the label as its description.
void QtDropDown::SetAccessibleName(std::u16string_view name) {
    DropDownList& list = live();
    list.setAccessibleName(ToQString(name));
    list.setAccessibleDescription(ToQString(name));
}

}  // namespace orvane::qt
