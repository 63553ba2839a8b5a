// The find field of the widget contract (control/widgets/find_field.h) as a QLineEdit
// with its status in a label at its right end.
#pragma once

#include <QLabel>
#include <QLineEdit>

#include <control/widgets/find_field.h>
#include <toolkit/qt/widget_handle.h>

namespace orvane::qt {

class FindLine final : public QLineEdit {
    Q_OBJECT

public:
    explicit FindLine(QWidget* parent);
    ~FindLine() override;

    void setEventSink(widgets::FindFieldEvents* sink) noexcept { sink_ = sink; }
    // The status at the right end, quiet for a hit and in bold text for a miss; it is the
    // field's accessible description too.
    void setStatus(const QString& status, bool found);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeStatus();

    widgets::FindFieldEvents* sink_ = nullptr;
    QLabel* status_;
};

class QtFindField final : public widgets::FindField {
public:
    // Makes the field as a hidden child of parent.
    explicit QtFindField(QWidget* parent);
    ~QtFindField() override;
    QtFindField(const QtFindField&) = delete;
    QtFindField& operator=(const QtFindField&) = delete;

    // The field, or null once it is gone.
    FindLine* line() const noexcept { return line_.get(); }

    // ---- widgets::FindField ----------------------------------------------------------
    void SetEventSink(widgets::FindFieldEvents* sink) noexcept override;
    std::u16string Text() override;
    void SetText(std::u16string_view text) override;
    void SetVisible(bool visible) override;
    void Move(float left, float top, float width) override;
    float Height() override;
    void SetStatus(std::u16string_view status, bool found) override;
    void SetFocus() override;
    void SetAccessibleName(std::u16string_view name) override;

private:
    FindLine& live() const { return line_.live(); }

    WidgetHandle<FindLine> line_;
};

}  // namespace orvane::qt
