// The demo's window: a settings form built on PropertiesWidget, a panel that reads the
// current values back from the host's own groups, and the control's appearance (font and
// colours) with Save and Load.
#pragma once

#include <vector>

#include <QWidget>

#include "demo_groups.h"

class QLabel;
class QTreeWidget;

namespace orvane {
class PropertiesWidget;
}

namespace orvane::demo {

class SettingsForm final : public QWidget {
    Q_OBJECT

public:
    explicit SettingsForm(QWidget* parent = nullptr);
    ~SettingsForm() override;

    // Whether the control and the groups are up; errorString() says why not.
    bool isReady() const noexcept { return error_.isEmpty(); }
    QString errorString() const { return error_; }

    // The state the screenshot shows: the first group on show and the text editor open
    // over a value cell, as after a click on it; the values panel filled.
    void stageForScreenshot();

    // Gives the property grid the form's font family at `points` points.
    void useGridFontSize(double points);

private:
    void readValues();
    void chooseFont();
    void chooseColour(bool background);
    void saveAppearance();
    void loadAppearance();
    void report(const QString& message);

    PropertiesWidget* properties_ = nullptr;
    QTreeWidget* values_ = nullptr;
    QLabel* status_line_ = nullptr;
    std::vector<PropertyGroup> groups_;
    QString appearance_file_;
    QString error_;
};

}  // namespace orvane::demo
