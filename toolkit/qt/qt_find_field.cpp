// The find field (qt_find_field.h).
#include <toolkit/qt/delivery.h>
#include <toolkit/qt/qt_find_field.h>

#include <QKeyEvent>

#include <comrt/error.h>

#include <toolkit/qt/keys.h>
#include <toolkit/qt/qt_strings.h>
#include <toolkit/qt/units.h>

namespace orvane::qt {

// ---- the field widget ------------------------------------------------------------------------

FindLine::FindLine(QWidget* parent) : QLineEdit(parent), status_(new QLabel(this)) {
    setPlaceholderText(QStringLiteral("Find"));
    setClearButtonEnabled(false);
    status_->setAttribute(Qt::WA_TransparentForMouseEvents);
    status_->setForegroundRole(QPalette::PlaceholderText);
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (widgets::FindFieldEvents* sink = sink_) Deliver([&] { sink->Change(); });
    });
}

FindLine::~FindLine() { sink_ = nullptr; }

void FindLine::setStatus(const QString& status, bool found) {
    status_->setText(status);
    QFont font = status_->font();
    font.setBold(!found);
    status_->setFont(font);
    status_->setForegroundRole(found ? QPalette::PlaceholderText : QPalette::Text);
    setAccessibleDescription(status);
    placeStatus();
}

void FindLine::keyPressEvent(QKeyEvent* event) {
    if (RaiseKeyDown(sink_, *event)) return event->accept();
    QLineEdit::keyPressEvent(event);
}

void FindLine::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    placeStatus();
}

// The status sits inside the field's right end; the text stops before it.
void FindLine::placeStatus() {
    const int margin = 6;
    const int width = status_->text().isEmpty() ? 0 : status_->sizeHint().width();
    status_->setGeometry(this->width() - width - margin, 0, width, height());
    setTextMargins(0, 0, width ? width + margin : 0, 0);
}

// ---- the contract's adapter ------------------------------------------------------------------

QtFindField::QtFindField(QWidget* parent) : line_(new FindLine(parent)) { live().hide(); }

QtFindField::~QtFindField() {
    if (FindLine* line = line_.get()) line->setEventSink(nullptr);
}

void QtFindField::SetEventSink(widgets::FindFieldEvents* sink) noexcept {
    if (FindLine* line = line_.get()) line->setEventSink(sink);
}

std::u16string QtFindField::Text() { return ToU16String(live().text()); }

void QtFindField::SetText(std::u16string_view text) { live().setText(ToQString(text)); }

void QtFindField::SetVisible(bool visible) { live().setVisible(visible); }

void QtFindField::Move(float left, float top, float width) {
    FindLine& line = live();
    if (width < 0) comrt::raise(comrt::runtime_error::invalid_property_value, kErrorSource);
    line.setGeometry(PixelsX(line, left), PixelsY(line, top), PixelsX(line, width), line.sizeHint().height());
}

float QtFindField::Height() {
    FindLine& line = live();
    return static_cast<float>(TwipsY(line, line.sizeHint().height()));
}

void QtFindField::SetStatus(std::u16string_view status, bool found) { live().setStatus(ToQString(status), found); }

void QtFindField::SetFocus() {
    FindLine& line = live();
    line.setFocus(Qt::OtherFocusReason);
    line.selectAll();
}

void QtFindField::SetAccessibleName(std::u16string_view name) { live().setAccessibleName(ToQString(name)); }

}  // namespace orvane::qt
