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

#include <orvane/properties_widget.h>

namespace orvane::demo {
namespace {

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
        report(tr("%1 failed: %2; the control carries on.").arg(handler, ErrorText(hr)));
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

    error_ = properties_->errorString();
    if (!error_.isEmpty()) return;
    groups_ = MakeSettingsGroups(error_);
    // The host judges what the user enters: "Keep versions" takes a whole number from 1 to
    // 100, and the control shows the reason under the cell until the user mends the text.
    properties_->setValidator([this](int group, int row, const QString& value) {
        if (group < 0 || group >= static_cast<int>(groups_.size())) return QString();
        if (groups_[static_cast<std::size_t>(group)].itemName(row) != u"Keep versions") return QString();
        bool whole = false;
        const int versions = value.trimmed().toInt(&whole);
        return whole && versions >= 1 && versions <= 100 ? QString()
                                                         : tr("Keep versions: a whole number from 1 to 100");
    });
    // The first group added is shown.
    for (const PropertyGroup& group : groups_) {
        if (!properties_->addGroup(group)) {
            error_ = properties_->errorString();
            return;
        }
    }
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
    for (const PropertyGroup& group : groups_) {
        const int count = group.count();
        auto* node = new QTreeWidgetItem(values_, {group.name(), tr("%n item(s)", nullptr, count)});
        for (int row = 0; row < count; ++row) new QTreeWidgetItem(node, {group.itemName(row), group.value(row)});
        node->setExpanded(count <= 20);
        if (!group.errorString().isEmpty()) {
            report(tr("Reading a group failed: %1.").arg(group.errorString()));
            return;
        }
    }
    report(tr("Values read from the host's groups."));
}

void SettingsForm::chooseFont() {
    bool chosen = false;
    const QFont picked = QFontDialog::getFont(&chosen, properties_->controlFont(), this, tr("Font of the property grid"));
    if (!chosen) return;
    if (!properties_->setControlFont(picked)) report(tr("The font was refused: %1.").arg(properties_->errorString()));
}

void SettingsForm::useGridFontSize(double points) {
    QFont sized = font();
    sized.setPointSizeF(points);
    if (!properties_->setControlFont(sized)) report(tr("The font was refused: %1.").arg(properties_->errorString()));
}

void SettingsForm::chooseColour(bool background) {
    const QColor initial = background ? properties_->backColor() : properties_->foreColor();
    const QColor picked = QColorDialog::getColor(initial, this, background ? tr("Background") : tr("Text colour"));
    if (!picked.isValid()) return;
    const bool set = background ? properties_->setBackColor(picked) : properties_->setForeColor(picked);
    if (!set) report(tr("The colour was refused: %1.").arg(properties_->errorString()));
}

void SettingsForm::saveAppearance() {
    QDir().mkpath(QFileInfo(appearance_file_).absolutePath());
    report(properties_->saveAppearance(appearance_file_)
               ? tr("Appearance saved to %1.").arg(appearance_file_)
               : tr("Saving the appearance failed: %1.").arg(properties_->errorString()));
}

void SettingsForm::loadAppearance() {
    report(properties_->loadAppearance(appearance_file_)
               ? tr("Appearance loaded from %1.").arg(appearance_file_)
               : tr("Loading the appearance from %1 failed: %2.").arg(appearance_file_, properties_->errorString()));
}

void SettingsForm::report(const QString& message) { status_line_->setText(message); }

}  // namespace orvane::demo
