// What the Qt widget tests share: event recorders that note each event with the state the
// widget reports at that moment, and a shown top-level window to put widgets on.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <comrt/resource.h>
#include <testing/failure.h>
#include <control/widgets/container.h>
#include <control/widgets/drop_down.h>
#include <control/widgets/grid.h>
#include <control/widgets/text_box.h>
#include <testing/fonts.h>

namespace orvane::qt::testing {

// Records grid events as "Leave(row,col)", "Enter(row,col)", "Scroll",
// "MouseDown(button,shift)", with the grid's Row() and Col() when raised.
struct GridRecorder final : widgets::GridEvents {
    explicit GridRecorder(widgets::Grid& g) : grid(g) {}
    std::string cell(const char* event) {
        return std::string(event) + "(" + std::to_string(grid.Row()) + "," + std::to_string(grid.Col()) + ")";
    }
    HRESULT EnterCell() noexcept override {
        seen.push_back(cell("Enter"));
        return S_OK;
    }
    HRESULT LeaveCell() noexcept override {
        seen.push_back(cell("Leave"));
        return S_OK;
    }
    HRESULT MouseDown(std::int16_t button, std::int16_t shift, float x, float y) noexcept override {
        seen.push_back("MouseDown(" + std::to_string(button) + "," + std::to_string(shift) + ")");
        last_x = x;
        last_y = y;
        return S_OK;
    }
    HRESULT Scroll() noexcept override {
        seen.push_back("Scroll");
        return S_OK;
    }

    widgets::Grid& grid;
    std::vector<std::string> seen;
    float last_x = -1;
    float last_y = -1;
};

struct FocusRecorder final : widgets::TextBoxEvents {
    HRESULT GotFocus() noexcept override {
        seen.push_back("GotFocus");
        return S_OK;
    }
    HRESULT LostFocus() noexcept override {
        seen.push_back("LostFocus");
        return S_OK;
    }
    std::vector<std::string> seen;
};

struct ClickRecorder final : widgets::DropDownEvents {
    HRESULT Click() noexcept override {
        ++clicks;
        return S_OK;
    }
    int clicks = 0;
};

// A new font object.
using pg_testing::MakeFont;

// The HRESULT a contract member fails with; S_OK when it does not fail.
using pg_testing::FailureOf;

// A top-level window of the given size (pixels), shown and active.
inline std::unique_ptr<QWidget> ShownWindow(int width = 400, int height = 300) {
    auto window = std::make_unique<QWidget>();
    window->resize(width, height);
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    return window;
}

// Runs the event loop until what is due has happened: posted events, zero-time timers,
// repaints, and what they post in turn.
inline void Settle() {
    for (int pass = 0; pass < 10; ++pass) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

}  // namespace orvane::qt::testing
