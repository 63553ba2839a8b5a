// The sinks through which the widgets and the container surface raise their events into
// one PropertiesCtl. Each sink method runs the control's handler of that event and hands
// a failing status to the control's error channel, under the handler's name
// (handler_names.h), before returning it to the widget.
#pragma once

#include <control/widgets/container.h>
#include <control/widgets/drop_down.h>
#include <control/widgets/find_field.h>
#include <control/widgets/grid.h>
#include <control/widgets/text_box.h>

namespace orvane {

class PropertiesCtl;

class EventSinks final {
public:
    explicit EventSinks(PropertiesCtl& control) noexcept
        : surface(control),
          grid(control),
          text_editor(control),
          selector(control),
          drop_down_editor(control),
          find_field(control) {}
    EventSinks(const EventSinks&) = delete;
    EventSinks& operator=(const EventSinks&) = delete;

    // The container's events on the control's surface.
    class Surface final : public widgets::ContainerEvents {
    public:
        explicit Surface(PropertiesCtl& control) noexcept : control_(control) {}
        HRESULT Initialize() noexcept override;
        HRESULT Resize() noexcept override;
        HRESULT Terminate() noexcept override;
        HRESULT ExitFocus() noexcept override;

    private:
        PropertiesCtl& control_;
    };
    // The grid.
    class Grid final : public widgets::GridEvents {
    public:
        explicit Grid(PropertiesCtl& control) noexcept : control_(control) {}
        HRESULT EnterCell() noexcept override;
        HRESULT LeaveCell() noexcept override;
        HRESULT MouseDown(std::int16_t button, std::int16_t shift, float x, float y) noexcept override;
        HRESULT Scroll() noexcept override;
        HRESULT KeyDown(std::int16_t& key, std::int16_t shift) noexcept override;
        HRESULT KeyPress(std::int16_t& character) noexcept override;
        HRESULT ColumnResized() noexcept override;
        HRESULT TabbedInto() noexcept override;

    private:
        PropertiesCtl& control_;
    };
    // The in-place text editor.
    class TextEditor final : public widgets::TextBoxEvents {
    public:
        explicit TextEditor(PropertiesCtl& control) noexcept : control_(control) {}
        HRESULT GotFocus() noexcept override;
        HRESULT LostFocus() noexcept override;
        HRESULT KeyDown(std::int16_t& key, std::int16_t shift) noexcept override;

    private:
        PropertiesCtl& control_;
    };
    // The group selector.
    class Selector final : public widgets::DropDownEvents {
    public:
        explicit Selector(PropertiesCtl& control) noexcept : control_(control) {}
        HRESULT Click() noexcept override;

    private:
        PropertiesCtl& control_;
    };
    // The in-place drop-down editor.
    class DropDownEditor final : public widgets::DropDownEvents {
    public:
        explicit DropDownEditor(PropertiesCtl& control) noexcept : control_(control) {}
        HRESULT Click() noexcept override;
        HRESULT KeyDown(std::int16_t& key, std::int16_t shift) noexcept override;

    private:
        PropertiesCtl& control_;
    };

    // The find field.
    class FindField final : public widgets::FindFieldEvents {
    public:
        explicit FindField(PropertiesCtl& control) noexcept : control_(control) {}
        HRESULT Change() noexcept override;
        HRESULT KeyDown(std::int16_t& key, std::int16_t shift) noexcept override;

    private:
        PropertiesCtl& control_;
    };

    Surface surface;
    Grid grid;
    TextEditor text_editor;
    Selector selector;
    DropDownEditor drop_down_editor;
    FindField find_field;
};

}  // namespace orvane
