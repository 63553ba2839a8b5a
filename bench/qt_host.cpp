// The Qt benchmarks' host window (qt_host.h).
#include "qt_host.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QVBoxLayout>

#include <comrt/resource.h>
#include <testing/temporary_registry.h>

namespace bench {

EventCounter::EventCounter(QWidget& widget, std::initializer_list<QEvent::Type> types) : types_(types) {
    widget.installEventFilter(this);
}

bool EventCounter::eventFilter(QObject* watched, QEvent* event) {
    if (std::find(types_.begin(), types_.end(), event->type()) != types_.end()) ++count_;
    return QObject::eventFilter(watched, event);
}

bool WaitForCount(const EventCounter& counter, int seen, int timeout_ms) {
    QElapsedTimer timer;
    timer.start();
    while (counter.count() <= seen) {
        if (timer.elapsed() > timeout_ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

void DrainEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

namespace {

class ApplicationPaints final : public QObject {
public:
    ApplicationPaints() : QObject(QCoreApplication::instance()) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    long long count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

long long PaintsInApplication() {
    // Owned by the application, which outlives every benchmark.
    static const ApplicationPaints* const paints = new ApplicationPaints;
    return paints->count;
}

bool Settle(int quiet_passes, int timeout_ms) {
    QElapsedTimer timer;
    timer.start();
    int quiet = 0;
    long long painted = PaintsInApplication();
    while (quiet < quiet_passes) {
        if (timer.elapsed() > timeout_ms) return false;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const long long now = PaintsInApplication();
        quiet = now == painted ? quiet + 1 : 0;
        painted = now;
    }
    return true;
}

void SettleOrThrow() {
    if (!Settle()) throw std::runtime_error("the application did not settle within the timeout");
}

bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    const bool active = QTest::qWaitForWindowActive(&window);
    DrainEvents();
    return active;
}

ControlHost::ControlHost(int width, int height) : window_(std::make_unique<QWidget>()) {
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    widget_ = new orvane::PropertiesWidget(window_.get());
    layout->addWidget(widget_);
    status_ = widget_->creationStatus();
    if (FAILED(status_)) return;
    control_ = widget_->control();
    surface_ = widget_->findChild<QWidget*>(QStringLiteral("surface"));
    grid_ = widget_->findChild<QTableView*>(QStringLiteral("grid"));
    text_editor_ = widget_->findChild<QLineEdit*>(QStringLiteral("textEditor"));
    selector_ = widget_->findChild<QComboBox*>(QStringLiteral("selector"));
    drop_down_editor_ = widget_->findChild<QComboBox*>(QStringLiteral("dropDownEditor"));
    if (!control_ || !surface_ || !grid_ || !text_editor_ || !selector_ || !drop_down_editor_) {
        status_ = E_NOINTERFACE;
        return;
    }
    grid_paints_ = std::make_unique<PaintCounter>(*grid_->viewport());
    window_->resize(width, height);
    if (!ShowActive(*window_)) status_ = E_FAIL;
}

ControlHost::~ControlHost() {
    grid_paints_.reset();
    control_ = nullptr;
    window_.reset();
}

HRESULT ControlHost::addGroup(_clsTessel& group) {
    _clsTessel* argument = &group;
    comrt::Variant result;
    return control_->AddPropertyGroup(&argument, result.put());
}

HRESULT ControlHost::select(SHORT index) {
    comrt::Variant result;
    return control_->SelectPropertyGroup(&index, result.put());
}

void ControlHost::clickCell(int row, int col) { ClickCell(*grid_, row, col); }

QString ToQString(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

void PairModel::fill(const ItemTexts& texts) {
    beginResetModel();
    rows_.clear();
    rows_.reserve(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        rows_.emplace_back(ToQString(texts.names[i]), ToQString(texts.values[i]));
    endResetModel();
}

void PairModel::clear() {
    beginResetModel();
    rows_ = {};
    endResetModel();
}

int PairModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int PairModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant PairModel::data(const QModelIndex& index, int role) const {
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || !index.isValid()) return {};
    const auto& row = rows_[static_cast<std::size_t>(index.row())];
    return index.column() == 0 ? row.first : row.second;
}

Qt::ItemFlags PairModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == 1 ? flags | Qt::ItemIsEditable : flags;
}

bool PairModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.column() != 1) return false;
    QString& held = rows_[static_cast<std::size_t>(index.row())].second;
    const QString text = value.toString();
    if (held == text) return true;
    held = text;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

void ClickCell(QTableView& view, int row, int col) {
    const QPoint centre = view.visualRect(view.model()->index(row, col)).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

int RunQtBenchmarks(int argc, char** argv, const char* program, const char* tessel_library,
                    const char* orvane_library, const std::function<std::vector<Comparison>(bool)>& prepare,
                    const std::function<void()>& count_instructions) {
    const bool short_run = TakeFlag(argc, argv, "--short");
    const bool instructions = TakeFlag(argc, argv, "--instructions");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qt_argc = 1;
    QApplication app(qt_argc, argv);
    const pg_testing::TemporaryRegistry registry({tessel_library, orvane_library});
    if (FAILED(registry.status())) {
        std::fprintf(stderr, "%s: cannot register the libraries (0x%08X): %s\n", program,
                     static_cast<unsigned>(registry.status()), registry.failure().c_str());
        return 1;
    }
    if (instructions) {
        if (!count_instructions) {
            std::fprintf(stderr, "%s: no instruction counts\n", program);
            return 2;
        }
        try {
            count_instructions();
            return 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", program, e.what());
            return 1;
        }
    }
    return RunAndCompare(argc, argv, prepare(short_run), !short_run);
}

}  // namespace bench
