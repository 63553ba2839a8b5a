// What the Qt benchmarks share: a shown top-level window holding one PropertiesWidget (the
// control, created from the registered liborvane.so), its child widgets as the plain Qt
// widgets they are (found by object name), counters of the events a widget receives, and
// running the event loop until a widget has painted.
//
// Only public headers: the control's widgets are reached as QTableView, QLineEdit,
// QComboBox and QWidget, never as the toolkit's own classes.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QAbstractTableModel>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QObject>
#include <QTableView>
#include <QWidget>

#include <comrt/com_ptr.h>
#include <orvane/orvane.h>
#include <orvane/properties_widget.h>

#include "bench_data.h"
#include "ratio_reporter.h"

namespace bench {

// Counts the events of the given types that a widget receives (before the widget handles
// them).
class EventCounter : public QObject {
public:
    EventCounter(QWidget& widget, std::initializer_list<QEvent::Type> types);
    int count() const noexcept { return count_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QEvent::Type> types_;
    int count_ = 0;
};

// Counts the paint events of a widget.
class PaintCounter final : public EventCounter {
public:
    explicit PaintCounter(QWidget& widget) : EventCounter(widget, {QEvent::Paint}) {}
};

// Runs the event loop until counter counts more than `seen`; false when that has not
// happened within timeout_ms.
bool WaitForCount(const EventCounter& counter, int seen, int timeout_ms = 10000);

// Runs the event loop until nothing is left to do.
void DrainEvents();

// The paint events of every widget of the application so far (an application-wide event
// filter, installed on the first call).
long long PaintsInApplication();

// Runs the event loop until the application has settled: `quiet_passes` consecutive
// passes (posted events sent, then pending events processed) in which no widget painted.
// False when it has not settled within timeout_ms.
bool Settle(int quiet_passes = 3, int timeout_ms = 10000);
// Settle(), throwing std::runtime_error when the application does not settle.
void SettleOrThrow();

// Shows a top-level window and waits until it is active; false when it does not become
// active.
bool ShowActive(QWidget& window);

class ControlHost {
public:
    // A window of width x height pixels, the control filling it.
    ControlHost(int width, int height);
    ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    // S_OK when the control was created, its child widgets found and its window shown;
    // otherwise why not.
    HRESULT status() const noexcept { return status_; }

    QWidget& window() noexcept { return *window_; }
    _PropertiesCtl& control() noexcept { return *control_; }
    // The control's child widgets, by their object names.
    QWidget& surface() noexcept { return *surface_; }
    QTableView& grid() noexcept { return *grid_; }
    QLineEdit& textEditor() noexcept { return *text_editor_; }
    QComboBox& selector() noexcept { return *selector_; }
    QComboBox& dropDownEditor() noexcept { return *drop_down_editor_; }
    // Paints of the grid's viewport.
    const PaintCounter& gridPaints() const noexcept { return *grid_paints_; }

    // AddPropertyGroup and SelectPropertyGroup, as a host calls them.
    HRESULT addGroup(_clsTessel& group);
    HRESULT select(SHORT index);
    // A left click on the centre of a cell of the grid (it must be in view).
    void clickCell(int row, int col);

private:
    std::unique_ptr<QWidget> window_;
    orvane::PropertiesWidget* widget_ = nullptr;
    comrt::ComPtr<_PropertiesCtl> control_;
    QWidget* surface_ = nullptr;
    QTableView* grid_ = nullptr;
    QLineEdit* text_editor_ = nullptr;
    QComboBox* selector_ = nullptr;
    QComboBox* drop_down_editor_ = nullptr;
    std::unique_ptr<PaintCounter> grid_paints_;
    HRESULT status_ = E_UNEXPECTED;
};

// The text as a QString.
QString ToQString(const std::u16string& text);

// The bare baselines' model: a two-column table of QString pairs, the values editable.
class PairModel final : public QAbstractTableModel {
public:
    // The texts in place of the rows held (a model reset).
    void fill(const ItemTexts& texts);
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Values can be edited (written back by setData), as the control's can.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    std::vector<std::pair<QString, QString>> rows_;
};

// A click at the centre of a cell of a table view.
void ClickCell(QTableView& view, int row, int col);

// The main of a Qt benchmark program: takes --short off the arguments, puts Qt on the
// offscreen platform unless QT_QPA_PLATFORM names another, makes the QApplication,
// registers Tessel and Orvane (by their paths) in a registry of the run's own, then lets
// `prepare(short_run)` register the benchmarks and return the comparisons to print.
// With --instructions, runs `count_instructions` instead (its steps counted by callgrind:
// bench/instructions.h). Returns the program's exit code.
int RunQtBenchmarks(int argc, char** argv, const char* program, const char* tessel_library,
                    const char* orvane_library, const std::function<std::vector<Comparison>(bool)>& prepare,
                    const std::function<void()>& count_instructions = {});

}  // namespace bench
