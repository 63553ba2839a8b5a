// The demo's window (settings_form.h).
#include "settings_form.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <comrt/resource.h>
#include <orvane/properties_widget.h>
#include <orvane/qt_types.h>

namespace orvane::demo {
namespace {

QString Hex(HRESULT hr) { return QStringLiteral("0x%1").arg(static_cast<quint32>(hr), 8, 16, QLatin1Char('0')); }

// Sends a press and a release of the left button at `at`, as a user's click does.
void ClickAt(QWidget* widget, QPoint at) {
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

}  // namespace

SettingsForm::SettingsForm(QWidget* parent) : QWidget(parent) {
    setWindowTitle(tr("Property grid demo"));
    appearance_file_ = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/appearance.json";

    properties_ = new PropertiesWidget(this);
    connect(properties_, &PropertiesWidget::handlerFailed, this, [this](const QString& handler, qint32 hr) {
        report(tr("%1 failed with %2; the control carries on.").arg(handler, Hex(hr)));
    });
    connect(properties_, &PropertiesWidget::appearanceChanged, this,
            [this](const QString& property) {
                // The user's words for the control's property names.
                const QString shown = property == u"BackColor"   ? tr("Background colour")
                                      : property == u"ForeColor" ? tr("Text colour")
                                      : property == u"Font"      ? tr("Font")
                                                                 : property;
                report(tr("%1 changed (not saved yet).").arg(shown));
            });

    values_ = new QTreeWidget(this);
    values_->setHeaderLabels({tr("Setting"), tr("Value")});
    values_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    auto* read = new QPushButton(tr("Read values"), this);
    connect(read, &QPushButton::clicked, this, &SettingsForm::readValues);
    auto* panel = new QGroupBox(tr("Values in the host's groups"), this);
    auto* panel_layout = new QVBoxLayout(panel);
    panel_layout->addWidget(values_);
    panel_layout->addWidget(read, 0, Qt::AlignRight);

    auto* grid_box = new QGroupBox(tr("Settings"), this);
    auto* grid_layout = new QVBoxLayout(grid_box);
    grid_layout->addWidget(properties_);

    auto* font = new QPushButton(tr("Font..."), this);
    auto* background = new QPushButton(tr("Background..."), this);
    auto* text = new QPushButton(tr("Text colour..."), this);
    auto* save = new QPushButton(tr("Save appearance"), this);
    auto* load = new QPushButton(tr("Load appearance"), this);
    connect(font, &QPushButton::clicked, this, &SettingsForm::chooseFont);
    connect(background, &QPushButton::clicked, this, [this] { chooseColour(true); });
    connect(text, &QPushButton::clicked, this, [this] { chooseColour(false); });
    connect(save, &QPushButton::clicked, this, &SettingsForm::saveAppearance);
    connect(load, &QPushButton::clicked, this, &SettingsForm::loadAppearance);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {font, background, text}) buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(load);

    status_line_ = new QLabel(this);
    auto* columns = new QHBoxLayout;
    columns->addWidget(grid_box, 3);
    columns->addWidget(panel, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(buttons);
    layout->addWidget(status_line_);

    status_ = properties_->creationStatus();
    if (FAILED(status_)) return;
    try {
        groups_ = MakeSettingsGroups();
    } catch (const comrt::com_error& e) {
        status_ = e.code();
        return;
    }
    const comrt::ComPtr<_PropertiesCtl> control = properties_->control();
    for (const Group& group : groups_) {
        _clsTessel* handed = group.get();
        comrt::Variant ignored;
        status_ = control->AddPropertyGroup(&handed, ignored.put());
        if (FAILED(status_)) return;
    }
    SHORT first = 0;
    comrt::Variant ignored;
    status_ = control->SelectPropertyGroup(&first, ignored.put());
    report(tr("Click a value to edit it; pick another group at the top. Read values shows what the host sees."));
}

SettingsForm::~SettingsForm() = default;

void SettingsForm::stageForScreenshot() {
    readValues();
    auto* grid = properties_->findChild<QAbstractItemView*>(QStringLiteral("grid"));
    if (!grid) return;
    ClickAt(grid->viewport(), grid->visualRect(grid->model()->index(1, 1)).center());
    QCoreApplication::processEvents();
}

void SettingsForm::readValues() {
    values_->clear();
    for (const Group& group : groups_) {
        try {
            const auto items = ItemTexts(*group);
            const QString count = tr("%n item(s)", nullptr, static_cast<int>(items.size()));
            auto* node = new QTreeWidgetItem(values_, {ToQString(tessel::GroupName(*group)), count});
            for (const auto& [name, value] : items) new QTreeWidgetItem(node, {name, value});
            node->setExpanded(items.size() <= 20);
        } catch (const comrt::com_error& e) {
            report(tr("Reading a group failed with %1.").arg(Hex(e.code())));
        }
    }
    report(tr("Values read from the host's groups."));
}

void SettingsForm::chooseFont() {
    bool chosen = false;
    const QFont picked = QFontDialog::getFont(&chosen, properties_->controlFont(), this, tr("Font of the property grid"));
    if (!chosen) return;
    const HRESULT hr = properties_->setControlFont(picked);
    if (FAILED(hr)) report(tr("The font was refused: %1.").arg(Hex(hr)));
}

void SettingsForm::useGridFontSize(double points) {
    QFont sized = font();
    sized.setPointSizeF(points);
    const HRESULT hr = properties_->setControlFont(sized);
    if (FAILED(hr)) report(tr("The font was refused: %1.").arg(Hex(hr)));
}

void SettingsForm::chooseColour(bool background) {
    const QColor initial = background ? properties_->backColor() : properties_->foreColor();
    const QColor picked = QColorDialog::getColor(initial, this, background ? tr("Background") : tr("Text colour"));
    if (!picked.isValid()) return;
    const HRESULT hr = background ? properties_->setBackColor(picked) : properties_->setForeColor(picked);
    if (FAILED(hr)) report(tr("The colour was refused: %1.").arg(Hex(hr)));
}

void SettingsForm::saveAppearance() {
    QDir().mkpath(QFileInfo(appearance_file_).absolutePath());
    const HRESULT hr = properties_->saveAppearance(appearance_file_);
    report(SUCCEEDED(hr) ? tr("Appearance saved to %1.").arg(appearance_file_)
                         : tr("Saving the appearance failed with %1.").arg(Hex(hr)));
}

void SettingsForm::loadAppearance() {
    const HRESULT hr = properties_->loadAppearance(appearance_file_);
    report(SUCCEEDED(hr) ? tr("Appearance loaded from %1.").arg(appearance_file_)
                         : tr("Loading the appearance from %1 failed with %2.").arg(appearance_file_, Hex(hr)));
}

void SettingsForm::report(const QString& message) { status_line_->setText(message); }

}  // namespace orvane::demo
